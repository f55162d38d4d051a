// Standard controls on real windows: edit keys, combo boxes, check boxes,
// radio groups, labels.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/ui/StdCtrls.h"
#include "tests/framework/ControlTestSupport.h"

namespace {

using controltest::Host;
using controltest::Place;

TEST(Edit, KeyDownSeesEnterAndMaySwallowKeys) {
  Host host;
  auto* edit = Place<fw::Edit>(host.get(), host.get());
  edit->SetBorderStyle(fw::TBorderStyle::bsNone);
  edit->SetFont("ＭＳ Ｐゴシック", 15);
  EXPECT_EQ(::GetWindowLongA(edit->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  std::vector<WORD> keys;
  edit->OnKeyDown = [&](fw::Object*, WORD& key, fw::TShiftState) {
    keys.push_back(key);
    if (key == VK_RETURN) key = 0;  // handled: the box does not see it
  };
  int changes = 0;
  edit->OnChange = [&](fw::Object*) { ++changes; };
  edit->SetText("dir");
  EXPECT_EQ(changes, 1);
  ::SendMessageA(edit->Handle(), WM_KEYDOWN, VK_RETURN, 1);
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0], VK_RETURN);
  // In a dialog the box asks for Enter because it has a key handler.
  MSG msg{edit->Handle(), WM_KEYDOWN, VK_RETURN, 1, 0, {}};
  LRESULT code = ::SendMessageA(edit->Handle(), WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&msg));
  EXPECT_NE(code & DLGC_WANTMESSAGE, 0);
  // The text survives a new window.
  edit->SetParent(nullptr);
  edit->SetParent(host.get());
  EXPECT_EQ(edit->GetText(), "dir");
  edit->SelectAll();
  EXPECT_EQ(edit->SelLength(), 3);
}

TEST(ComboBox, SortedEntriesDropDownCountAndText) {
  Host host;
  auto* combo = Place<fw::ComboBox>(host.get(), host.get());
  combo->SetSorted(true);
  combo->SetDropDownCount(23);
  combo->SetText("ジャンプ");
  for (const char* s : {"D:\\work", "C:\\Windows", "c:\\temp", "B:\\"}) combo->AddItem(s);
  EXPECT_EQ(combo->Items(), (std::vector<std::string>{"B:\\", "c:\\temp", "C:\\Windows", "D:\\work"}));
  EXPECT_EQ(::SendMessageA(combo->Handle(), CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(combo->GetText(), "ジャンプ");
  // The closed box keeps its height; the open list has room for the entries.
  RECT r;
  ::GetWindowRect(combo->Handle(), &r);
  EXPECT_LT(r.bottom - r.top, 40);
  RECT dropped{};
  ::SendMessageA(combo->Handle(), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
  EXPECT_GT(dropped.bottom - dropped.top, 100);
  // The same entries, sorted the same way, before the window exists.
  auto* early = fw::Make<fw::ComboBox>(host.get());
  early->SetSorted(true);
  for (const char* s : {"D:\\work", "C:\\Windows", "c:\\temp", "B:\\"}) early->AddItem(s);
  EXPECT_EQ(early->Items(), combo->Items());
  early->SetParent(host.get());
  EXPECT_EQ(early->Items(), combo->Items());
}

TEST(ComboBox, ChoosingAnEntryRaisesSelectWithTheNewText) {
  Host host;
  auto* combo = Place<fw::ComboBox>(host.get(), host.get());
  combo->SetItems({"C:\\", "D:\\"});
  std::string seen;
  combo->OnSelect = [&](fw::Object*) { seen = combo->GetText(); };
  ::SendMessageA(combo->Handle(), CB_SETCURSEL, 1, 0);
  // What the list sends when the user picks an entry.
  ::SendMessageA(host->Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo->Handle()), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo->Handle()));
  EXPECT_EQ(seen, "D:\\");
  EXPECT_EQ(combo->ItemIndex(), 1);
  // Keys typed into the edit part reach the combo box's key handler.
  WORD key = 0;
  combo->OnKeyDown = [&](fw::Object*, WORD& k, fw::TShiftState) { key = k; };
  ASSERT_NE(combo->EditHandle(), nullptr);
  ::SendMessageA(combo->EditHandle(), WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_EQ(key, VK_RETURN);
}

TEST(CheckBox, StateSurvivesANewWindowAndChangesRaiseClick) {
  Host host;
  auto* check = Place<fw::CheckBox>(host.get(), host.get());
  check->SetCaption("終了時の状態を保存する");
  int clicks = 0;
  check->OnClick = [&](fw::Object*) { ++clicks; };
  check->SetChecked(true);
  EXPECT_EQ(clicks, 1);
  check->SetChecked(true);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(::SendMessageA(check->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  ::SendMessageA(check->Handle(), BM_CLICK, 0, 0);  // the user unticks it
  EXPECT_EQ(clicks, 2);
  EXPECT_FALSE(check->Checked());
  check->SetChecked(true);
  check->SetParent(nullptr);
  EXPECT_TRUE(check->Checked());
  check->SetParent(host.get());
  EXPECT_EQ(::SendMessageA(check->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST(RadioGroup, ItemIndexFollowsClicksAndCode) {
  Host host;
  auto* group = Place<fw::RadioGroup>(host.get(), host.get());
  group->SetBounds(10, 10, 300, 100);
  group->SetCaption("デフォルトの表示形式");
  group->SetColumns(2);
  group->SetItems({"大きなアイコン", "小さなアイコン", "詳細", "一覧"});
  int clicks = 0;
  group->OnClick = [&](fw::Object*) { ++clicks; };
  EXPECT_EQ(group->ItemIndex(), -1);
  group->SetItemIndex(2);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(::SendMessageA(group->Buttons(2)->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  ::SendMessageA(group->Buttons(1)->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(group->ItemIndex(), 1);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(::SendMessageA(group->Buttons(2)->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  // Two columns: the third item starts the second column.
  EXPECT_GT(group->Buttons(2)->Left(), group->Buttons(0)->Left());
  EXPECT_EQ(group->Buttons(2)->Top(), group->Buttons(0)->Top());
  EXPECT_GT(group->Buttons(1)->Top(), group->Buttons(0)->Top());
}

TEST(Label, SizesItselfToItsText) {
  Host host;
  auto* label = Place<fw::Label>(host.get(), host.get());
  label->SetCaption("コマンド：");
  int w = label->Width();
  EXPECT_GT(w, 20);
  EXPECT_GT(label->Height(), 8);
  label->SetCaption("コマンド：コマンド：");
  EXPECT_GT(label->Width(), w);
  EXPECT_EQ(fw::WindowText(label->Handle()), "コマンド：コマンド：");
}

}  // namespace
