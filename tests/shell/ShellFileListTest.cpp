// Folder contents list: enumeration and filtering, column texts, sorting by
// column and direction, the selection across a re-sort.
#include <gtest/gtest.h>

#include <algorithm>

#include "shell/ShellListView.h"
#include "tests/common/TempDir.h"
#include "tests/shell/ShellListTestSupport.h"

namespace {

using listtest::Captions;
using listtest::CellText;
using listtest::ListForm;
using listtest::RowOf;

void MakeFile(const std::string& path, std::size_t bytes, DWORD attributes = 0) {
  testsupport::WriteFile(path, std::string(bytes, 'x'));
  if (attributes) ::SetFileAttributesA(path.c_str(), attributes);
}

std::string CurrentDirectory() {
  char buf[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, buf);
  return buf;
}

TEST(ShellFileListFormat, SizesInKilobytesWithSeparators) {
  EXPECT_EQ(FormatSizeKB(0), "0KB");
  EXPECT_EQ(FormatSizeKB(1), "1KB");
  EXPECT_EQ(FormatSizeKB(1024), "1KB");
  EXPECT_EQ(FormatSizeKB(1025), "2KB");
  EXPECT_EQ(FormatSizeKB(1048576), "1,024KB");
  EXPECT_EQ(FormatSizeKB(5ull << 30), "5,242,880KB");
  EXPECT_EQ(AttributeLetters(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE), "RHA");
  EXPECT_EQ(AttributeLetters(FILE_ATTRIBUTE_NORMAL), "");
}

TEST(ShellFileListEnumeration, HiddenJapaneseAndTrailByteNamesWithTheirColumns) {
  testsupport::TempDir dir;
  MakeFile(dir / "empty.txt", 0);
  MakeFile(dir / "k.dat", 1025);
  MakeFile(dir / "日本語.txt", 10);
  MakeFile(dir / "ソ.txt", 10);
  MakeFile(dir / "hidden.txt", 3, FILE_ATTRIBUTE_HIDDEN);
  MakeFile(dir / "rha.txt", 3, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
  ::CreateDirectoryA((dir / "sub").c_str(), nullptr);
  ListForm form;
  TShellListView* lv = form.Place();
  lv->SetPath(dir.Path());
  EXPECT_EQ(lv->GetPath(), dir.Path());
  // The process follows the folder shown (the command line relies on it).
  EXPECT_EQ(CurrentDirectory(), dir.Path());

  std::vector<std::string> names = Captions(lv);
  std::vector<std::string> want{"sub", "empty.txt", "hidden.txt", "k.dat", "rha.txt", "ソ.txt", "日本語.txt"};
  std::vector<std::string> sortedNames = names, sortedWant = want;
  std::sort(sortedNames.begin(), sortedNames.end());
  std::sort(sortedWant.begin(), sortedWant.end());
  EXPECT_EQ(sortedNames, sortedWant);
  EXPECT_EQ(names.front(), "sub");  // the folder's own order: folders first
  EXPECT_EQ(lv->ItemCount(), 7);

  // Column texts as the control shows them.
  EXPECT_EQ(CellText(lv, RowOf(lv, "empty.txt"), 1), "0KB");
  EXPECT_EQ(CellText(lv, RowOf(lv, "k.dat"), 1), "2KB");
  EXPECT_EQ(CellText(lv, RowOf(lv, "sub"), 1), "");
  EXPECT_EQ(CellText(lv, RowOf(lv, "rha.txt"), 4), "RHA");
  EXPECT_EQ(CellText(lv, RowOf(lv, "ソ.txt"), 0), "ソ.txt");
  EXPECT_FALSE(CellText(lv, RowOf(lv, "k.dat"), 3).empty());
  TShellFileItem* item = lv->GetFileItem(RowOf(lv, "ソ.txt"));
  EXPECT_EQ(item->GetPath(), dir / "ソ.txt");
  EXPECT_EQ(std::string(item->GetWin32FindData().cFileName), "ソ.txt");
  EXPECT_EQ(lv->FileList()->GetTotalSize(), 0u + 1025 + 10 + 10 + 3 + 3);
  EXPECT_GT(lv->FileList()->GetDiskSize(), 0u);
  EXPECT_EQ(lv->FileList()->GetItemIDType(), itFolder);
  fw::ComPtr<IDropTarget> target;
  EXPECT_TRUE(lv->FileList()->GetDropTarget(target));
  EXPECT_TRUE(lv->CanClose());

  // Without hidden items, and through the filter event.
  lv->SetIncludeHidden(false);
  EXPECT_EQ(RowOf(lv, "hidden.txt"), -1);
  EXPECT_EQ(RowOf(lv, "rha.txt"), -1);
  EXPECT_EQ(lv->ItemCount(), 5);
  lv->OnShFilter = [](fw::Object*, TShellFileItem* it, bool& accept) { accept = it->GetCaption() != "k.dat"; };
  lv->RefreshFiles();
  EXPECT_EQ(RowOf(lv, "k.dat"), -1);
  EXPECT_EQ(lv->ItemCount(), 4);
  ::SetFileAttributesA((dir / "rha.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(ShellFileListEnumeration, AFileOfFiveGibibytesShowsItsWholeSize) {
  testsupport::TempDir dir;
  {
    HANDLE f = ::CreateFileA((dir / "big.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = 5ll << 30;  // sparse on the host: no disk is used
    ::SetFilePointerEx(f, size, nullptr, FILE_BEGIN);
    ASSERT_TRUE(::SetEndOfFile(f));
    ::CloseHandle(f);
  }
  ListForm form;
  TShellListView* lv = form.Place();
  lv->SetPath(dir.Path());
  ASSERT_EQ(lv->ItemCount(), 1);
  EXPECT_EQ(CellText(lv, 0, 1), "5,242,880KB");
  EXPECT_EQ(lv->GetFileItem(0)->GetSize(), 1u << 30);  // the 32-bit signature keeps the low half
  EXPECT_EQ(lv->GetFileItem(0)->GetSize64(), 5ull << 30);
}

TEST(ShellFileListEnumeration, TheDesktopListsOnlyTheVirtualItemsAsked) {
  ListForm form;
  TShellListView* lv = form.Place();
  // A new window shows the desktop.
  ASSERT_EQ(lv->FileList()->GetLevel(), 0);
  auto kinds = [lv] {
    std::vector<TShItemIDType> k;
    for (int i = 0; i < lv->FileList()->Count(); ++i) k.push_back(lv->GetFileItem(i)->GetItemIDType());
    return k;
  };
  auto has = [](const std::vector<TShItemIDType>& k, TShItemIDType t) {
    return std::find(k.begin(), k.end(), t) != k.end();
  };
  std::vector<TShItemIDType> all = kinds();
  EXPECT_TRUE(has(all, itMyComputer));
  EXPECT_FALSE(has(all, itVirtual));
  bool binListed = has(all, itBitBucket);
  lv->SetShVirtuaItems(TShVirtuaItems{itNetWork, itVirtual});
  std::vector<TShItemIDType> withoutBin = kinds();
  EXPECT_FALSE(has(withoutBin, itBitBucket));
  EXPECT_FALSE(has(withoutBin, itVirtual));
  EXPECT_TRUE(has(withoutBin, itMyComputer));
  EXPECT_EQ(withoutBin.size() + (binListed ? 1 : 0), all.size());
  // The desktop's path is the desktop directory.
  UniqueIDList dirList;
  std::string desktopDir;
  ASSERT_TRUE(GetSpecialFolderID(sfidDeskTopFolder, dirList));
  GetPathFromItemIDList(dirList.get(), desktopDir);
  EXPECT_EQ(lv->GetPath(), desktopDir);
}

TEST(ShellFileListEnumeration, TheComputerFolderHasOneColumnAndVirtualItemsOnlyWhenAsked) {
  testsupport::TempDir dir;
  MakeFile(dir / "a.txt", 1);
  ListForm form;
  TShellListView* lv = form.Place();
  lv->SetPath(dir.Path());
  EXPECT_EQ(lv->ColumnCount(), 5);
  lv->SetColumnWidth(3, 77);
  UniqueIDList drives;
  ASSERT_TRUE(GetSpecialFolderID(sfidDrives, drives));
  lv->SetNameSpace(drives.get());
  EXPECT_EQ(lv->FileList()->GetItemIDType(), itMyComputer);
  EXPECT_EQ(lv->GetPath(), "");
  // No path: one name column, half the control wide.
  ASSERT_EQ(lv->ColumnCount(), 1);
  EXPECT_EQ(lv->Column(0)->Caption(), "名前");
  EXPECT_EQ(lv->ColumnWidth(0), lv->Width() / 2);
  auto count = [lv](TShItemIDType kind) {
    int n = 0;
    for (int i = 0; i < lv->FileList()->Count(); ++i) n += lv->GetFileItem(i)->GetItemIDType() == kind;
    return n;
  };
  EXPECT_GT(count(itRootDrive), 0);
  EXPECT_EQ(count(itVirtual), 0);
  int rows = lv->ItemCount();
  lv->SetShVirtuaItems(TShVirtuaItems{itBitBucket, itNetWork, itVirtual});
  EXPECT_EQ(lv->ItemCount(), rows + count(itVirtual));
  // Sorting by attributes means nothing without a path.
  std::vector<std::string> before = Captions(lv);
  lv->Sort(hcAttr, false);
  EXPECT_EQ(Captions(lv), before);
  EXPECT_EQ(lv->FileList()->GetSortColumn(), hcName);
  // Back in a folder with a path, the saved columns come back.
  lv->SetPath(dir.Path());
  ASSERT_EQ(lv->ColumnCount(), 5);
  EXPECT_EQ(lv->Column(1)->Caption(), "サイズ");
  EXPECT_EQ(lv->ColumnWidth(3), 77);
}

TEST(ShellFileListEnumeration, LargeAndSmallIconsAreKeptApartAcrossViewStyles) {
  testsupport::TempDir dir;
  for (int i = 0; i < 5; ++i) MakeFile(dir / ("i" + std::to_string(i) + ".txt"), 1);
  ListForm form;
  TShellListView* lv = form.Place();
  lv->SetPath(dir.Path());
  const TShellFileListCounters& c = lv->FileList()->Counters();
  auto paint = [lv] {
    ::InvalidateRect(lv->Handle(), nullptr, TRUE);
    ::UpdateWindow(lv->Handle());
  };
  paint();
  unsigned small = c.icons;
  EXPECT_EQ(small, 5u);
  for (auto style : {fw::TViewStyle::vsIcon, fw::TViewStyle::vsSmallIcon, fw::TViewStyle::vsList,
                     fw::TViewStyle::vsReport, fw::TViewStyle::vsIcon}) {
    lv->SetViewStyle(style);
    EXPECT_EQ(lv->GetViewStyle(), style);
    paint();
  }
  // Each row asked once for its small icon and once for its large one.
  EXPECT_EQ(c.icons, 10u);
  EXPECT_GE(lv->GetFileItem(0)->GetImageIndex(), 0);
}

// Files whose sizes, types, dates and attributes all sort differently from
// their names.
struct SortFolder {
  testsupport::TempDir dir;
  SortFolder() {
    const struct {
      const char* name;
      std::size_t size;
      int minutes;
      DWORD attributes;
    } files[] = {{"a.zip", 300, 5, FILE_ATTRIBUTE_HIDDEN},
                 {"b.doc", 100, 1, FILE_ATTRIBUTE_ARCHIVE},
                 {"c.txt", 200, 9, FILE_ATTRIBUTE_READONLY},
                 {"d.bmp", 50, 3, FILE_ATTRIBUTE_SYSTEM}};
    for (const auto& f : files) {
      MakeFile(dir / f.name, f.size);
      HANDLE h = ::CreateFileA((dir / f.name).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      SYSTEMTIME st{2020, 1, 0, 1, 10, static_cast<WORD>(f.minutes), 0, 0};
      FILETIME ft;
      ::SystemTimeToFileTime(&st, &ft);
      ::SetFileTime(h, nullptr, nullptr, &ft);
      ::CloseHandle(h);
      ::SetFileAttributesA((dir / f.name).c_str(), f.attributes);
    }
  }
  ~SortFolder() {
    for (const char* n : {"a.zip", "b.doc", "c.txt", "d.bmp"}) ::SetFileAttributesA((dir / n).c_str(), 0);
  }
};

TEST(ShellFileListSorting, EachColumnInBothDirectionsThroughTheFolder) {
  SortFolder folder;
  ListForm form;
  TShellListView* lv = form.Place();
  lv->FileList()->SetFolderWrapper(listtest::ColumnFolderWrapper());
  lv->SetPath(folder.dir.Path());
  using V = std::vector<std::string>;
  EXPECT_EQ(Captions(lv), (V{"a.zip", "b.doc", "c.txt", "d.bmp"}));
  lv->Sort(hcSize, true);
  EXPECT_EQ(Captions(lv), (V{"d.bmp", "b.doc", "c.txt", "a.zip"}));
  lv->Sort(hcSize, false);
  EXPECT_EQ(Captions(lv), (V{"a.zip", "c.txt", "b.doc", "d.bmp"}));
  lv->Sort(hcType, true);
  EXPECT_EQ(Captions(lv), (V{"d.bmp", "b.doc", "c.txt", "a.zip"}));
  lv->Sort(hcLastWrite, false);
  EXPECT_EQ(Captions(lv), (V{"c.txt", "a.zip", "d.bmp", "b.doc"}));
  lv->Sort(hcAttr, true);
  V byAttributes = Captions(lv);
  for (std::size_t i = 1; i < byAttributes.size(); ++i)
    EXPECT_LT(lv->GetFileItem(static_cast<int>(i) - 1)->GetAttributes(),
              lv->GetFileItem(static_cast<int>(i))->GetAttributes());
  lv->Sort(hcName, false);
  EXPECT_EQ(Captions(lv), (V{"d.bmp", "c.txt", "b.doc", "a.zip"}));
  EXPECT_EQ(lv->FileList()->GetSortColumn(), hcName);

  // A click on a column header reverses its direction each time; the first
  // click on the name column after start-up sorts descending.
  lv->Sort(hcName, true);
  NMLISTVIEW click{};
  click.hdr.hwndFrom = lv->Handle();
  click.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(lv->Handle()));
  click.hdr.code = LVN_COLUMNCLICK;
  click.iItem = -1;
  click.iSubItem = hcName;
  ::SendMessageA(form.panel()->Handle(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(Captions(lv), (V{"d.bmp", "c.txt", "b.doc", "a.zip"}));
  ::SendMessageA(form.panel()->Handle(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(Captions(lv), (V{"a.zip", "b.doc", "c.txt", "d.bmp"}));
  // The size column was last sorted descending: a click sorts it ascending.
  click.iSubItem = hcSize;
  ::SendMessageA(form.panel()->Handle(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(Captions(lv), (V{"d.bmp", "b.doc", "c.txt", "a.zip"}));
}

std::vector<std::string> SelectedCaptions(TShellListView* lv) {
  std::vector<std::string> out;
  for (int i : lv->SelectedIndices()) out.push_back(lv->GetFileItem(i)->GetCaption());
  std::sort(out.begin(), out.end());
  return out;
}

TEST(ShellFileListSorting, TheSelectionAndTheFocusSurviveAReSort) {
  testsupport::TempDir dir;
  for (int i = 0; i < 10; ++i) MakeFile(dir / ("f" + std::to_string(i) + ".txt"), static_cast<std::size_t>(i) * 7);
  ListForm form;
  TShellListView* lv = form.Place();
  lv->FileList()->SetFolderWrapper(listtest::ColumnFolderWrapper());
  lv->SetPath(dir.Path());
  ASSERT_EQ(lv->ItemCount(), 10);
  // Eight of ten selected: the two unselected are what is remembered.
  for (int i = 1; i < 9; ++i) lv->SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
  lv->SetItemState(4, LVIS_FOCUSED, LVIS_FOCUSED);
  std::vector<std::string> before = SelectedCaptions(lv);
  std::string focused = lv->GetFileItem(4)->GetCaption();
  DWORD size = lv->GetSelectedSize();
  lv->Sort(hcSize, false);
  EXPECT_EQ(lv->GetFileItem(0)->GetCaption(), "f9.txt");
  EXPECT_EQ(SelectedCaptions(lv), before);
  EXPECT_EQ(lv->GetFileItem(lv->ItemFocused())->GetCaption(), focused);
  EXPECT_EQ(lv->GetSelectedSize(), size);
  // Two of ten selected: the selected ones are remembered.
  lv->ClearSelection();
  lv->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
  lv->SetItemState(7, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  before = SelectedCaptions(lv);
  focused = lv->GetFileItem(7)->GetCaption();
  lv->Sort(hcName, true);
  EXPECT_EQ(lv->GetFileItem(0)->GetCaption(), "f0.txt");
  EXPECT_EQ(SelectedCaptions(lv), before);
  EXPECT_EQ(lv->GetFileItem(lv->ItemFocused())->GetCaption(), focused);
  EXPECT_EQ(lv->SelCount(), 2);
}

TEST(ShellFileListSorting, OnlyDrawnOrHintedRowsAskTheShell) {
  testsupport::TempDir dir;
  for (int i = 0; i < 300; ++i) MakeFile(dir / ("n" + std::to_string(1000 + i) + ".txt"), 1);
  ListForm form;
  TShellListView* lv = form.Place();
  lv->SetPath(dir.Path());
  listtest::Settle(100);
  ::UpdateWindow(lv->Handle());
  const TShellFileListCounters& c = lv->FileList()->Counters();
  int page = lv->VisibleRowCount();
  ASSERT_GT(page, 3);
  // A page (and what the control hints around it), far from all 300 rows.
  EXPECT_GT(c.captions, 0u);
  EXPECT_LE(c.captions, static_cast<unsigned>(3 * page));
  EXPECT_LE(c.icons, static_cast<unsigned>(3 * page));
  EXPECT_LE(c.typeNames, static_cast<unsigned>(3 * page));
  // Sorting by name asks for no captions at all: the folder compares.
  unsigned captions = c.captions;
  lv->Sort(hcName, false);
  EXPECT_EQ(c.captions, captions);
  // Selecting a row out of sight, with the change events in use, asks for
  // no icon or type name (the handler can still reach the row object).
  unsigned icons = c.icons, typeNames = c.typeNames;
  TShellFileItem* selectedItem = nullptr;
  lv->OnSelectItem = [&](fw::Object*, fw::ListItem* row, bool) {
    selectedItem = static_cast<TShellFileItem*>(row->Data());
  };
  lv->SetItemState(250, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(selectedItem, lv->GetFileItem(250));
  EXPECT_EQ(c.icons, icons);
  EXPECT_EQ(c.typeNames, typeNames);
  lv->OnSelectItem = nullptr;
}

}  // namespace
