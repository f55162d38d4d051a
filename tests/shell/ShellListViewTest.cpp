// Shell list view: opening rows, renaming in place, the context menu codes,
// type-ahead, the selection size, settings, re-creation, and the rows kept
// current by changes other processes make.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "framework/settings/IniFile.h"
#include "framework/ui/ImageList.h"
#include "shell/ShellPopupMenu.h"
#include "tests/common/MessagePump.h"
#include "tests/common/TempDir.h"
#include "shell/Shellnotify.h"
#include "tests/shell/ShellListTestSupport.h"

namespace {

using listtest::CellText;
using listtest::ListForm;
using listtest::RowCenter;
using listtest::RowOf;
using listtest::SelectOnly;
using listtest::Settle;
using listtest::ShownFolder;

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The shell's ShellExecuteExA may not come back under Wine: record instead.
class RecordingListView : public TShellListView {
 public:
  using TShellListView::TShellListView;
  int executes = 0;
  SHELLEXECUTEINFOA last{};
  bool ShellExecuteItem(SHELLEXECUTEINFOA& info) override {
    ++executes;
    last = info;
    return true;
  }
};

// The context menu as the list view sees it: answers a scripted code and
// may do to the files what the chosen shell command would have done.
class PopupDouble : public TShellPopupMenu {
 public:
  using TShellPopupMenu::TShellPopupMenu;
  int code = 0;
  int calls = 0;
  int itemsSeen = 0;
  std::function<void()> action;
  int DoContextMenu(TShellIDList& list, POINT) override {
    ++calls;
    itemsSeen = list.Count();
    if (action) action();
    return code;
  }
};

// A tree that is a component, as the real one is.
class ComponentTree : public fw::Component, public listtest::FakeTree {
 public:
  explicit ComponentTree(fw::Component* owner) : fw::Component(owner) {}
  fw::Component* LinkComponent() override { return this; }
};

// A right click as the control receives it: button down (the control waits
// out the click itself), then the context-menu message.
void RightClick(TShellListView* lv, POINT client) {
  HWND h = lv->Handle();
  ::PostMessageA(h, WM_RBUTTONUP, 0, MAKELPARAM(client.x, client.y));
  ::SendMessageA(h, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(client.x, client.y));
  Settle(20);
  POINT screen = client;
  ::ClientToScreen(h, &screen);
  ::SendMessageA(h, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(h), MAKELPARAM(screen.x, screen.y));
}

TEST(ShellListViewOpening, EnterOnAFolderEntersItAndMovesTheTree) {
  testsupport::TempDir dir;
  ::CreateDirectoryA((dir / "内側").c_str(), nullptr);
  testsupport::WriteFile(dir / "内側\\x.txt", "x");
  testsupport::WriteFile(dir / "file.txt", "abc");
  ListForm form;
  auto* lv = form.Place<RecordingListView>();
  listtest::FakeTree tree;
  lv->SetShellTreeLink(&tree);
  lv->SetPath(dir.Path());
  int row = RowOf(lv, "内側");
  ASSERT_GE(row, 0);
  SelectOnly(lv, row);
  ::SetFocus(lv->Handle());
  int activations = 0;
  lv->OnItemActivate = [&](fw::Object*, int, int, POINT, fw::TShiftState) { ++activations; };
  ::SendMessageA(lv->Handle(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
  Settle();
  EXPECT_EQ(activations, 1);
  EXPECT_EQ(lv->GetPath(), dir / "内側");
  ASSERT_EQ(tree.setPaths.size(), 1u);
  EXPECT_EQ(tree.setPaths[0], dir / "内側");
  EXPECT_EQ(lv->ItemCount(), 1);

  // A file goes to OnShExecute, which may refuse; allowed, the shell gets it.
  lv->SetPath(dir.Path());
  int fileRow = RowOf(lv, "file.txt");
  TShellFileItem* seen = nullptr;
  bool allow = false;
  lv->OnShExecute = [&](fw::Object*, TShellFileItem* item, fw::TShiftState, int, int, int, bool& def) {
    seen = item;
    def = allow;
  };
  SelectOnly(lv, fileRow);
  ::SendMessageA(lv->Handle(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
  Settle();
  EXPECT_EQ(seen, lv->GetFileItem(fileRow));
  EXPECT_EQ(lv->executes, 0);
  EXPECT_EQ(lv->GetPath(), dir.Path());
  allow = true;
  ::SendMessageA(lv->Handle(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
  Settle();
  ASSERT_EQ(lv->executes, 1);
  EXPECT_EQ(lv->last.cbSize, 60u);
  EXPECT_EQ(lv->last.fMask, static_cast<ULONG>(SEE_MASK_INVOKEIDLIST));
  EXPECT_EQ(lv->last.nShow, SW_SHOWNORMAL);
  EXPECT_EQ(lv->last.lpIDList, lv->GetFileItem(fileRow)->GetRootItemID());
  lv->SetShellTreeLink(nullptr);

  // Settings pass on to the tree; a tree that goes away is forgotten.
  auto* componentTree = fw::Make<ComponentTree>(form.panel());
  lv->SetShellTreeLink(componentTree);
  lv->SetIncludeHidden(false);
  EXPECT_EQ(componentTree->includeHiddenCalls, 1);
  fw::Free(componentTree);
  EXPECT_EQ(lv->GetShellTreeLink(), nullptr);
  lv->SetIncludeHidden(true);
}

TEST(ShellListViewOpening, ShowingTheSameFolderAgainDoesNotReadIt) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir / "a.txt", "a");
  ListForm form;
  TShellListView* lv = form.Place();
  int changes = 0;
  lv->OnShListChange = [&](fw::Object*, TShellFileList*) { ++changes; };
  lv->SetPath(dir.Path());
  EXPECT_EQ(changes, 1);
  TShellFileItem* row = lv->GetFileItem(0);
  lv->SetPath(dir.Path() + "\\");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(lv->GetFileItem(0), row);
}

TEST(ShellListViewOpening, AFolderThatCannotBeBoundLeavesNoRowsOfTheOldOne) {
  ShownFolder shown{{"a.txt", "a"}, {"b.txt", "b"}};
  auto& [dir, form, lv] = shown;
  ASSERT_EQ(lv->ItemCount(), 2);
  // A file is no folder: the shell will not bind it as one.
  UniqueIDList file;
  ASSERT_TRUE(GetIDListFromPath(dir / "a.txt", file));
  lv->SetNameSpace(file.get());
  EXPECT_EQ(lv->FileList()->Count(), 0);
  EXPECT_EQ(lv->ItemCount(), 0);
}

void EditLabel(TShellListView* lv, int row, const std::string& text) {
  ::SetFocus(lv->Handle());
  HWND edit = reinterpret_cast<HWND>(::SendMessageA(lv->Handle(), LVM_EDITLABELA, static_cast<WPARAM>(row), 0));
  ASSERT_NE(edit, nullptr);
  ::SetWindowTextA(edit, text.c_str());
  ::SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  Settle();
}

TEST(ShellListViewRename, TheLabelEditorRenamesOnDiskOrLeavesEverything) {
  ShownFolder shown{{"old.txt", "1"}, {"taken.txt", "2"}};
  auto& [dir, form, lv] = shown;
  int row = RowOf(lv, "old.txt");
  ASSERT_GE(row, 0);
  EditLabel(lv, row, "新しい名前ソ.txt");
  EXPECT_TRUE(Exists(dir / "新しい名前ソ.txt"));
  EXPECT_FALSE(Exists(dir / "old.txt"));
  EXPECT_EQ(CellText(lv, row, 0), "新しい名前ソ.txt");
  EXPECT_EQ(lv->GetFileItem(row)->GetPath(), dir / "新しい名前ソ.txt");

  // Refusals: the name is taken, the name has an invalid character.
  for (const char* bad : {"taken.txt", "a:b*.txt"}) {
    EditLabel(lv, row, bad);
    EXPECT_TRUE(Exists(dir / "新しい名前ソ.txt")) << bad;
    EXPECT_EQ(testsupport::ReadFile(dir / "taken.txt"), "2");
    EXPECT_EQ(CellText(lv, row, 0), "新しい名前ソ.txt") << bad;
  }
}

TEST(ShellListViewContextMenu, CodesForShortcutDeleteAndRename) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir / "a.txt", "a");
  testsupport::WriteFile(dir / "b.txt", "bb");
  ListForm form;
  TShellListView* lv = form.Place();
  auto* menu = fw::Make<PopupDouble>(form.panel());
  lv->SetShellPopupMenu(menu);
  EXPECT_FALSE(menu->AutoPopup());
  listtest::FakeTree tree;
  lv->SetShellTreeLink(&tree);
  lv->SetPath(dir.Path());

  // 17: the new shortcut shows up.
  int row = RowOf(lv, "a.txt");
  SelectOnly(lv, row);
  menu->code = 17;
  menu->action = [&] { testsupport::WriteFile(dir / "a.txt へのショートカット.lnk", "L"); };
  RightClick(lv, RowCenter(lv, row));
  EXPECT_EQ(menu->calls, 1);
  EXPECT_EQ(menu->itemsSeen, 1);
  EXPECT_EQ(menu->PopupComponent(), lv);
  EXPECT_EQ(lv->ItemCount(), 3);
  EXPECT_EQ(lv->GetDragState(), dsWait);

  // 18: the deleted row goes, the tree reads its folder again.
  row = RowOf(lv, "b.txt");
  SelectOnly(lv, row);
  menu->code = 18;
  menu->action = [&] { ::DeleteFileA((dir / "b.txt").c_str()); };
  RightClick(lv, RowCenter(lv, row));
  EXPECT_EQ(RowOf(lv, "b.txt"), -1);
  EXPECT_EQ(lv->ItemCount(), 2);
  EXPECT_EQ(tree.refreshes, 1);

  // 19: the label editor opens on the row.
  row = RowOf(lv, "a.txt");
  SelectOnly(lv, row);
  menu->code = 19;
  menu->action = nullptr;
  RightClick(lv, RowCenter(lv, row));
  HWND edit = reinterpret_cast<HWND>(::SendMessageA(lv->Handle(), LVM_GETEDITCONTROL, 0, 0));
  EXPECT_NE(edit, nullptr);
  ::SendMessageA(lv->Handle(), LVM_CANCELEDITLABEL, 0, 0);
  Settle();

  // A right click on empty space shows no shell menu.
  int calls = menu->calls;
  RightClick(lv, POINT{600, 380});
  EXPECT_EQ(menu->calls, calls);
  EXPECT_EQ(lv->GetDragState(), dsWait);
  lv->SetShellTreeLink(nullptr);
}

TEST(ShellListViewContextMenu, ChangesWaitWhileAButtonIsDownOnARow) {
  ShownFolder shown{{"a.txt", "a"}};
  auto& [dir, form, lv] = shown;
  EXPECT_EQ(lv->GetDragState(), dsWait);
  // Inside the click (the control reports the menu before the button's
  // handling ends) the state says a drag may still start, and a change
  // reported then is ignored.
  std::vector<TShDragState> during;
  int rowsDuring = -1;
  lv->OnContextPopup = [&](fw::Object*, POINT, bool&) {
    during.push_back(lv->GetDragState());
    if (during.size() > 1) return;
    testsupport::WriteFile(dir / "b.txt", "b");
    lv->FileList()->ShellChangeNotify(lv->FileList()->NameWatcher(), dir.Path());
    rowsDuring = lv->ItemCount();
  };
  RightClick(lv, RowCenter(lv, 0));
  ASSERT_FALSE(during.empty());
  EXPECT_EQ(during[0], dsRWaitDragging);
  EXPECT_EQ(rowsDuring, 1);
  EXPECT_EQ(lv->GetDragState(), dsWait);
  lv->FileList()->ShellChangeNotify(lv->FileList()->NameWatcher(), dir.Path());
  EXPECT_EQ(lv->ItemCount(), 2);
  // A right click on empty space: no drag can start from there.
  during.clear();
  RightClick(lv, POINT{600, 380});
  ASSERT_FALSE(during.empty());
  EXPECT_EQ(during[0], dsWait);
  lv->OnContextPopup = nullptr;
}

TEST(ShellListViewFind, TypingSelectsTheFirstRowContainingTheLetters) {
  ShownFolder shown{{"abc.txt", "1"}, {"mxq.txt", "1"}, {"qqq.txt", "1"}, {"zzy.txt", "1"}};
  auto& [dir, form, lv] = shown;
  ::SetFocus(lv->Handle());
  ::SendMessageA(lv->Handle(), WM_CHAR, 'X', 1);
  Settle();
  int selected = lv->ItemIndex();
  ASSERT_GE(selected, 0);
  EXPECT_EQ(lv->GetFileItem(selected)->GetCaption(), "mxq.txt");
  // Exact search: the row that begins with the text; data search: the row object.
  LVFINDINFOA find{};
  find.flags = LVFI_STRING | LVFI_WRAP;
  find.psz = "ZZ";
  EXPECT_EQ(::SendMessageA(lv->Handle(), LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)),
            RowOf(lv, "zzy.txt"));
  find.psz = "xq";
  EXPECT_EQ(::SendMessageA(lv->Handle(), LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)), -1);
}

TEST(ShellListViewSelection, TheSelectedSizeFollowsEveryChange) {
  std::vector<ShownFolder::File> files;
  for (int i = 1; i <= 5; ++i) files.emplace_back("s" + std::to_string(i) + ".txt", std::string(i * 100, 'x'));
  ShownFolder shown(files);
  auto& [dir, form, lv] = shown;
  DWORD reported = 12345;
  int events = 0;
  lv->OnShSelChange = [&](fw::Object*, DWORD size) {
    reported = size;
    ++events;
  };
  lv->SetItemState(RowOf(lv, "s2.txt"), LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(reported, 200u);
  lv->SetItemState(RowOf(lv, "s4.txt"), LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(reported, 600u);
  lv->SetItemState(RowOf(lv, "s2.txt"), 0, LVIS_SELECTED);
  EXPECT_EQ(reported, 400u);
  lv->SelectAll();
  EXPECT_EQ(reported, 1500u);
  // Within an update the event waits, and comes once at the end.
  lv->BeginUpDate();
  int before = events;
  lv->ClearSelection();
  EXPECT_EQ(events, before);
  lv->EndUpDate();
  EXPECT_EQ(events, before + 1);
  EXPECT_EQ(reported, 0u);
}

TEST(ShellListViewSettings, LayoutViewStyleAndSortComeBack) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir / "a.txt", "a");
  fw::IniFile ini(dir / "list.ini");
  ListForm form;
  TShellListView* lv = form.Place();
  lv->SetPath(dir.Path());
  lv->SetColumnWidth(2, 123);
  lv->Sort(hcSize, false);
  lv->SaveSetting(ini, "ShellListView1");
  EXPECT_EQ(ini.ReadInteger("ShellListView1", "ViewStyle", -1), 3);
  EXPECT_EQ(ini.ReadInteger("ShellListView1", "SortOrder1", 0), -1);
  EXPECT_EQ(ini.ReadInteger("ShellListView1", "SortType", -1), 1);
  EXPECT_EQ(ini.ReadInteger("ShellListView1", "ColumnsCount", 0), 5);

  TShellListView* other = form.Place();
  other->SetViewStyle(fw::TViewStyle::vsIcon);
  ini.WriteInteger("ShellListView1", "Columns0", 4);  // a damaged order is left alone
  other->LoadSetting(ini, "ShellListView1");
  EXPECT_EQ(other->ViewStyle(), fw::TViewStyle::vsReport);
  EXPECT_EQ(other->ColumnWidth(2), 123);
  EXPECT_EQ(other->FileList()->GetSortColumn(), hcSize);
  // Loading sorts the saved column ascending.
  EXPECT_EQ(other->FileList()->GetSortDirection(hcSize), 1);
}

TEST(ShellListViewWindow, ReCreationShowsTheSameFolder) {
  ShownFolder shown{{"a.txt", "a"}, {"b.txt", "b"}};
  auto& [dir, form, lv] = shown;
  HWND first = lv->Handle();
  ::PostMessageA(first, TShellListView::kRecreateMessage, 0, 0);
  testsupport::PumpUntil([&] { return lv->HandleAllocated() && lv->Handle() != first; }, 3000);
  EXPECT_NE(lv->Handle(), first);
  EXPECT_FALSE(lv->WindowGone());
  EXPECT_EQ(lv->GetPath(), dir.Path());
  EXPECT_EQ(::SendMessageA(lv->Handle(), LVM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(CellText(lv, 0, 0), "a.txt");
}

TEST(ShellListViewWindow, ClipboardChangesAreReported) {
  ListForm form;
  TShellListView* lv = form.Place();
  int calls = 0;
  bool contented = true;
  lv->OnShClipboard = [&](fw::Object*, bool c) {
    ++calls;
    contented = c;
  };
  ASSERT_TRUE(::OpenClipboard(form.get()->Handle()));
  ::EmptyClipboard();
  fw::GlobalHandle text(::GlobalAlloc(GMEM_MOVEABLE, 4));
  std::memcpy(::GlobalLock(text.get()), "abc", 4);
  ::GlobalUnlock(text.get());
  if (::SetClipboardData(CF_TEXT, text.get())) text.release();
  ::CloseClipboard();
  testsupport::PumpUntil([&] { return calls > 0; }, 2000);
  EXPECT_GT(calls, 0);
  EXPECT_FALSE(contented);  // text is no shell item
}

TEST(ShellListViewWindow, CustomDrawAsksPerRowAndPerAttributeCell) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir / "ro.txt", "r");
  ::SetFileAttributesA((dir / "ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  ::CreateDirectoryA((dir / "plain").c_str(), nullptr);
  ListForm form;
  TShellListView* lv = form.Place();
  lv->SetPath(dir.Path());
  std::map<int, bool> subItemDraw;
  std::set<int> cellsOfReadOnly;
  int fileRow = RowOf(lv, "ro.txt");
  lv->OnCustomDrawItem = [&](fw::Object*, int row, UINT, bool&, bool& sub) {
    subItemDraw[row] = sub;
    EXPECT_NE(lv->CustomDrawInfo(), nullptr);
    if (row == fileRow) lv->SetDrawColors(RGB(255, 0, 0), RGB(255, 255, 0));
  };
  lv->OnCustomDrawSubItem = [&](fw::Object*, int row, int sub, UINT, bool&) {
    if (row == fileRow) cellsOfReadOnly.insert(sub);
  };
  ::InvalidateRect(lv->Handle(), nullptr, TRUE);
  ::UpdateWindow(lv->Handle());
  EXPECT_EQ(lv->CustomDrawInfo(), nullptr);
  // A row with attribute bits draws its cells one by one; a plain folder
  // does not.
  ASSERT_EQ(subItemDraw.count(fileRow), 1u);
  EXPECT_TRUE(subItemDraw[fileRow]);
  EXPECT_FALSE(subItemDraw[RowOf(lv, "plain")]);
  EXPECT_EQ(cellsOfReadOnly.count(hcAttr), 1u);
  ::SetFileAttributesA((dir / "ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(ShellListViewWindow, CopyPutsTheSelectionOnTheClipboard) {
  ShownFolder shown{{"copy.txt", "c"}};
  auto& [dir, form, lv] = shown;
  bool contented = false;
  lv->OnShClipboard = [&](fw::Object*, bool c) { contented = c; };
  EXPECT_FALSE(lv->InvokeCommand(icCopy));  // nothing selected
  SelectOnly(lv, 0);
  EXPECT_TRUE(lv->InvokeCommand(icCopy));
  testsupport::PumpUntil([&] { return contented; }, 2000);
  EXPECT_TRUE(contented);
  EXPECT_EQ(lv->ItemCount(), 1);
}

TEST(ShellListViewWindow, AttributeImagesReplaceTheLetters) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir / "ro.txt", "r");
  ::SetFileAttributesA((dir / "ro.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
  ListForm form;
  TShellListView* lv = form.Place();
  lv->SetPath(dir.Path());
  EXPECT_EQ(CellText(lv, 0, 4), "RA");
  auto* images = fw::Make<fw::ImageList>(form.panel(), 8, 8);
  TAttributesImage attributes;
  attributes.ImageList = images;
  attributes.ReadOnly = 0;
  attributes.Archive = 1;
  lv->SetAttributesImage(attributes);
  ::UpdateWindow(lv->Handle());
  EXPECT_EQ(CellText(lv, 0, 4), "");
  lv->SetViewStyle(fw::TViewStyle::vsIcon);
  ::UpdateWindow(lv->Handle());
  // The image list going away is noticed.
  fw::Free(images);
  EXPECT_EQ(lv->AttributesImage().ImageList, nullptr);
  lv->SetViewStyle(fw::TViewStyle::vsReport);
  EXPECT_EQ(CellText(lv, 0, 4), "RA");
  ::SetFileAttributesA((dir / "ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// ---------------------------------------------------------------------------
// Changes made by other processes, each waited out past the watchers' quiet
// period.

bool WaitFor(const std::function<bool()>& done) { return testsupport::PumpUntil(done, 8000); }

TEST(ShellListViewLiveUpdates, CreatedRenamedGrownAndDeletedFilesShowUp) {
  ShownFolder shown{{"keep.txt", "k"}};
  auto& [dir, form, lv] = shown;
  ASSERT_EQ(lv->ItemCount(), 1);
  const std::string cd = "cmd.exe /c cd /d \"" + dir.Path() + "\" && ";

  listtest::RunOther(cd + "echo x> new.txt");
  EXPECT_TRUE(WaitFor([&] { return RowOf(lv, "new.txt") >= 0; }));
  EXPECT_EQ(lv->ItemCount(), 2);

  listtest::RunOther(cd + "ren new.txt renamed.txt");
  EXPECT_TRUE(WaitFor([&] { return RowOf(lv, "renamed.txt") >= 0 && RowOf(lv, "new.txt") < 0; }));

  // Size and attribute changes refresh the records in place: same rows.
  std::vector<TShellFileItem*> rows;
  for (int i = 0; i < lv->FileList()->Count(); ++i) rows.push_back(lv->GetFileItem(i));
  int renamed = RowOf(lv, "renamed.txt");
  EXPECT_EQ(CellText(lv, renamed, 1), "1KB");
  DWORD sizeBefore = lv->GetFileItem(renamed)->GetSize();
  listtest::RunOther(cd + "echo more text>> renamed.txt && attrib +r renamed.txt");
  EXPECT_TRUE(WaitFor([&] { return (lv->GetFileItem(renamed)->GetAttributes() & FILE_ATTRIBUTE_READONLY) != 0; }));
  EXPECT_GT(lv->GetFileItem(renamed)->GetSize(), sizeBefore);
  std::vector<TShellFileItem*> after;
  for (int i = 0; i < lv->FileList()->Count(); ++i) after.push_back(lv->GetFileItem(i));
  EXPECT_EQ(after, rows);
  EXPECT_EQ(CellText(lv, renamed, 4).find('R'), 0u);
  ::SetFileAttributesA((dir / "renamed.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  Settle(2500);

  listtest::RunOther(cd + "del renamed.txt");
  EXPECT_TRUE(WaitFor([&] { return RowOf(lv, "renamed.txt") < 0; }));
  EXPECT_EQ(lv->ItemCount(), 1);
}

TEST(ShellListViewLiveUpdates, AnAttributeChangeKeepsTheRowObjects) {
  ShownFolder shown{{"one.txt", "1"}, {"two.txt", "22"}};
  auto& [dir, form, lv] = shown;
  std::vector<TShellFileItem*> rows{lv->GetFileItem(0), lv->GetFileItem(1)};
  int row = RowOf(lv, "two.txt");
  EXPECT_EQ(lv->GetFileItem(row)->GetAttributes() & FILE_ATTRIBUTE_HIDDEN, 0u);
  listtest::RunOther("cmd.exe /c attrib +h \"" + (dir / "two.txt") + "\"");
  EXPECT_TRUE(WaitFor([&] { return (lv->GetFileItem(row)->GetAttributes() & FILE_ATTRIBUTE_HIDDEN) != 0; }));
  EXPECT_EQ(lv->GetFileItem(0), rows[0]);
  EXPECT_EQ(lv->GetFileItem(1), rows[1]);
  ::SetFileAttributesA((dir / "two.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Under Wine a folder that a change notification watches cannot be removed
// (the watch holds it open without delete sharing; Windows shares it), so
// the folder is removed with the watchers paused and the name watcher's call
// is then made as the watcher makes it on Windows when its folder goes.
void RemoveShownFolder(TShellListView* lv, const std::string& shown, const std::string& elsewhere) {
  ::SetCurrentDirectoryA(elsewhere.c_str());
  lv->SuspendChangeNotify();
  ASSERT_TRUE(testsupport::PumpUntil(
      [&] {
        testsupport::RemoveTree(shown);
        return !Exists(shown);
      },
      3000));
  lv->FileList()->ShellChangeNotify(lv->FileList()->NameWatcher(), shown);
}

TEST(ShellListViewLiveUpdates, AVanishedFolderGivesWayToTheTreesFolder) {
  testsupport::TempDir dir;
  std::string shown = dir / "消えるソ";
  ::CreateDirectoryA(shown.c_str(), nullptr);
  testsupport::WriteFile(shown + "\\f.txt", "f");
  testsupport::WriteFile(dir / "outside.txt", "o");
  ListForm form;
  TShellListView* lv = form.Place();
  listtest::FakeTree tree;
  ASSERT_TRUE(GetIDListFromPath(dir.Path(), tree.nameSpace));
  lv->SetShellTreeLink(&tree);
  lv->SetPath(shown);
  ASSERT_EQ(lv->GetPath(), shown);
  RemoveShownFolder(lv, shown, dir.Path());
  EXPECT_EQ(lv->GetPath(), dir.Path());
  EXPECT_GE(RowOf(lv, "outside.txt"), 0);
  EXPECT_EQ(lv->ItemCount(), lv->FileList()->Count());
  // The watchers follow the folder now shown.
  ASSERT_NE(lv->FileList()->NameWatcher(), nullptr);
  EXPECT_EQ(lv->FileList()->NameWatcher()->GetPath(), dir.Path());

  // Without a tree the list is left empty.
  ::CreateDirectoryA(shown.c_str(), nullptr);
  testsupport::WriteFile(shown + "\\f.txt", "f");
  lv->SetShellTreeLink(nullptr);
  lv->SetPath(shown);
  ASSERT_EQ(lv->ItemCount(), 1);
  RemoveShownFolder(lv, shown, dir.Path());
  EXPECT_EQ(lv->ItemCount(), 0);
  EXPECT_EQ(lv->GetNameSpace(), nullptr);
  EXPECT_EQ(lv->GetPath(), "");
}

}  // namespace
