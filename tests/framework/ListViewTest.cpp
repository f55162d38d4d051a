// List view: owner-data rows on demand, columns, items and selection.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "framework/ui/ListView.h"
#include "tests/framework/ControlTestSupport.h"

namespace {

using controltest::Host;
using controltest::Place;

std::string RowText(int row, int column) { return "行" + std::to_string(row) + "-" + std::to_string(column); }

std::string WindowItemText(fw::ListView* lv, int row, int column) {
  char buf[128] = {};
  LVITEMA it{};
  it.iSubItem = column;
  it.pszText = buf;
  it.cchTextMax = sizeof buf;
  ::SendMessageA(lv->Handle(), LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
  return buf;
}

struct OwnerDataList {
  fw::ListView* lv;
  std::set<int> rows;
  int calls = 0;
};

void MakeOwnerData(Host& host, OwnerDataList& d, int count) {
  d.lv = Place<fw::ListView>(host.get(), host.get());
  d.lv->SetBounds(0, 0, 400, 200);
  d.lv->SetViewStyle(fw::TViewStyle::vsReport);
  d.lv->SetOwnerData(true);
  d.lv->SetMultiSelect(true);
  d.lv->AddColumn("名前", 140);
  d.lv->AddColumn("サイズ", 80, fw::TAlignment::taRightJustify);
  d.lv->AddColumn("種類", 100);
  d.lv->OnData = [&d](fw::Object*, fw::ListItem* item) {
    ++d.calls;
    d.rows.insert(item->Index());
    item->SetCaption(RowText(item->Index(), 0));
    item->SetSubItems({RowText(item->Index(), 1), RowText(item->Index(), 2)});
  };
  d.lv->SetItemCount(count);
  ::UpdateWindow(d.lv->Handle());
  controltest::Settle();
}

TEST(ListViewOwnerData, AHundredThousandRowsAreAskedForOnlyWhenShown) {
  Host host;
  OwnerDataList d;
  MakeOwnerData(host, d, 100000);
  EXPECT_EQ(d.lv->ItemCount(), 100000);
  EXPECT_EQ(::SendMessageA(d.lv->Handle(), LVM_GETITEMCOUNT, 0, 0), 100000);
  int visible = d.lv->VisibleRowCount();
  ASSERT_GT(visible, 3);
  ASSERT_FALSE(d.rows.empty());
  EXPECT_LE(static_cast<int>(d.rows.size()), visible + 2);
  EXPECT_LE(*d.rows.rbegin(), visible + 1);
  // The three cells of a row come from one fetch.
  EXPECT_LE(d.calls, 2 * static_cast<int>(d.rows.size()));

  // Going to the end asks for the rows there and nothing in between.
  d.rows.clear();
  ::SendMessageA(d.lv->Handle(), LVM_ENSUREVISIBLE, 99999, FALSE);
  ::UpdateWindow(d.lv->Handle());
  controltest::Settle();
  ASSERT_FALSE(d.rows.empty());
  EXPECT_GE(*d.rows.begin(), 99999 - visible - 1);
  EXPECT_LE(static_cast<int>(d.rows.size()), visible + 2);

  // The window reads the cells it is asked for through the same path.
  EXPECT_EQ(WindowItemText(d.lv, 54321, 0), RowText(54321, 0));
  EXPECT_EQ(WindowItemText(d.lv, 54321, 2), RowText(54321, 2));
  EXPECT_EQ(d.lv->Item(123)->SubItems().at(0), RowText(123, 1));
  EXPECT_EQ(d.lv->ItemCaption(99999), RowText(99999, 0));
  EXPECT_EQ(d.lv->SubItem(5, 1), RowText(5, 2));
}

TEST(ListViewOwnerData, TypeAheadIsAnsweredByTheFindHandler) {
  Host host;
  OwnerDataList d;
  MakeOwnerData(host, d, 1000);
  std::string asked;
  fw::TItemFind kind = fw::TItemFind::ifData;
  d.lv->OnDataFind = [&](fw::Object*, fw::TItemFind find, const std::string& text, POINT, void*, int,
                         fw::TSearchDirection, bool, int& index) {
    kind = find;
    asked = text;
    index = 777;
  };
  ::SetFocus(d.lv->Handle());
  // Typed characters reach the list as a find request (wide or narrow).
  ::SendMessageA(d.lv->Handle(), WM_CHAR, 'r', 1);
  controltest::Settle();
  EXPECT_EQ(asked, "r");
  EXPECT_TRUE(kind == fw::TItemFind::ifPartialString || kind == fw::TItemFind::ifExactString);
  EXPECT_EQ(d.lv->ItemFocused(), 777);
}

TEST(ListViewOwnerData, SelectionEventsAndRangeChanges) {
  Host host;
  OwnerDataList d;
  MakeOwnerData(host, d, 50);
  std::vector<std::pair<int, bool>> selected;
  d.lv->OnSelectItem = [&](fw::Object*, fw::ListItem* item, bool on) {
    selected.emplace_back(item ? item->Index() : -1, on);
  };
  d.lv->SetItemIndex(7);
  EXPECT_EQ(d.lv->ItemIndex(), 7);
  EXPECT_EQ(d.lv->Selected()->Caption(), RowText(7, 0));
  ASSERT_FALSE(selected.empty());
  EXPECT_EQ(selected.back(), std::make_pair(7, true));
  d.lv->SelectAll();
  EXPECT_EQ(d.lv->SelCount(), 50);
  d.lv->ClearSelection();
  EXPECT_EQ(d.lv->SelCount(), 0);
}

TEST(ListView, ColumnWidthsRoundTripThroughTheHeader) {
  Host host;
  auto* lv = Place<fw::ListView>(host.get(), host.get());
  lv->SetViewStyle(fw::TViewStyle::vsReport);
  int widths[] = {140, 80, 100, 104, 38};
  for (int w : widths) lv->AddColumn("c", w);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(lv->Column(i)->Width(), widths[i]);
  lv->Column(0)->SetWidth(200);
  EXPECT_EQ(::SendMessageA(lv->Handle(), LVM_GETCOLUMNWIDTH, 0, 0), 200);
  // A width the user dragged is what the column reports.
  ::SendMessageA(lv->Handle(), LVM_SETCOLUMNWIDTH, 3, 77);
  EXPECT_EQ(lv->Column(3)->Width(), 77);
  // Other view styles keep the widths for when the details come back.
  lv->SetViewStyle(fw::TViewStyle::vsList);
  EXPECT_EQ(lv->Column(3)->Width(), 77);
  lv->Column(4)->SetWidth(55);
  lv->SetViewStyle(fw::TViewStyle::vsReport);
  EXPECT_EQ(::SendMessageA(lv->Handle(), LVM_GETCOLUMNWIDTH, 4, 0), 55);
  EXPECT_EQ(lv->Column(0)->Width(), 200);
}

TEST(ListView, StylesForMultiSelectAndSelectionShownWithoutFocus) {
  Host host;
  auto* lv = Place<fw::ListView>(host.get(), host.get());
  lv->SetMultiSelect(true);
  lv->SetHideSelection(false);
  lv->SetViewStyle(fw::TViewStyle::vsReport);
  DWORD style = static_cast<DWORD>(::GetWindowLongA(lv->Handle(), GWL_STYLE));
  EXPECT_EQ(style & LVS_SINGLESEL, 0u);
  EXPECT_NE(style & LVS_SHOWSELALWAYS, 0u);
  EXPECT_EQ(style & LVS_TYPEMASK, static_cast<DWORD>(LVS_REPORT));
  lv->SetViewStyle(fw::TViewStyle::vsSmallIcon);
  style = static_cast<DWORD>(::GetWindowLongA(lv->Handle(), GWL_STYLE));
  EXPECT_EQ(style & LVS_TYPEMASK, static_cast<DWORD>(LVS_SMALLICON));
}

TEST(ListView, ItemsSortSelectAndSurviveANewWindow) {
  Host host;
  auto* lv = Place<fw::ListView>(host.get(), host.get());
  lv->SetViewStyle(fw::TViewStyle::vsReport);
  lv->SetMultiSelect(true);
  lv->AddColumn("名前", 150);
  lv->AddColumn("実行ファイル", 250);
  for (const char* name : {"ソフト", "アプリ", "ツール"}) lv->AddItem(name, {std::string("C:\\") + name + ".exe"});
  EXPECT_EQ(lv->SubItem(1, 0), "C:\\アプリ.exe");
  int deleted = 0;
  lv->OnDeletion = [&](fw::Object*, fw::ListItem*) { ++deleted; };
  lv->CustomSort([](fw::ListItem* a, fw::ListItem* b) { return a->Caption().compare(b->Caption()); });
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(WindowItemText(lv, i, 0), lv->Item(i)->Caption());
    EXPECT_EQ(WindowItemText(lv, i, 1), lv->Item(i)->SubItems()[0]);
    EXPECT_EQ(lv->Item(i)->Index(), i);
  }
  lv->Item(0)->SetSelected(true);
  lv->Item(2)->SetSelected(true);
  EXPECT_EQ(lv->SelectedIndices(), (std::vector<int>{0, 2}));
  std::string first = lv->Item(0)->Caption();

  lv->SetParent(nullptr);
  lv->SetParent(host.get());
  EXPECT_EQ(::SendMessageA(lv->Handle(), LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(WindowItemText(lv, 0, 0), first);
  EXPECT_EQ(lv->SelectedIndices(), (std::vector<int>{0, 2}));
  EXPECT_EQ(lv->Column(1)->Width(), 250);

  lv->DeleteItem(1);
  EXPECT_EQ(deleted, 1);
  EXPECT_EQ(lv->Item(1)->Index(), 1);
  EXPECT_EQ(WindowItemText(lv, 1, 0), lv->Item(1)->Caption());
  lv->ClearItems();
  EXPECT_EQ(deleted, 3);
  EXPECT_EQ(::SendMessageA(lv->Handle(), LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST(ListView, EditedCaptionIsTheHandlersText) {
  Host host;
  auto* lv = Place<fw::ListView>(host.get(), host.get());
  lv->SetViewStyle(fw::TViewStyle::vsReport);
  lv->AddColumn("名前", 150);
  lv->AddItem("古い名前");
  lv->OnEdited = [](fw::Object*, fw::ListItem*, std::string& text) { text += "!"; };
  ASSERT_TRUE(lv->Item(0)->EditCaption());
  HWND edit = reinterpret_cast<HWND>(::SendMessageA(lv->Handle(), LVM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(edit, nullptr);
  ::SetWindowTextA(edit, "新しい名前");
  ::SendMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 1);  // cancelling keeps the old caption
  controltest::Settle();
  EXPECT_EQ(lv->Item(0)->Caption(), "古い名前");
  ASSERT_TRUE(lv->Item(0)->EditCaption());
  edit = reinterpret_cast<HWND>(::SendMessageA(lv->Handle(), LVM_GETEDITCONTROL, 0, 0));
  ::SetWindowTextA(edit, "新しい名前");
  ::SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
  controltest::Settle();
  EXPECT_EQ(lv->Item(0)->Caption(), "新しい名前!");
  EXPECT_EQ(WindowItemText(lv, 0, 0), "新しい名前!");
}

}  // namespace
