// The ready-made actions against real list views: which control they pick,
// their enabled and checked states, and what they do to the list, the
// clipboard and the shell.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <set>

#include "framework/base/Exception.h"
#include "framework/base/Handle.h"
#include "shell/Shellactns.h"
#include "shell/Shellcst.h"
#include "tests/common/MessagePump.h"
#include "tests/common/TempDir.h"
#include "tests/shell/ShellFakes.h"
#include "tests/shell/ShellListTestSupport.h"

namespace {

using listtest::ListForm;
using listtest::RowOf;
using listtest::ShownFolder;

void SelectRows(fw::ListView* lv, const std::set<int>& rows) {
  lv->SetItemState(-1, 0, LVIS_SELECTED);
  for (int r : rows) lv->SetItemState(r, LVIS_SELECTED, LVIS_SELECTED);
}

std::set<int> SelectedRows(fw::ListView* lv) {
  std::set<int> rows;
  for (int i = lv->GetNextItem(-1, LVNI_SELECTED); i >= 0; i = lv->GetNextItem(i, LVNI_SELECTED)) rows.insert(i);
  return rows;
}

void EmptyTheClipboard(HWND owner) {
  ::OleSetClipboard(nullptr);
  if (::OpenClipboard(owner)) {
    ::EmptyClipboard();
    ::CloseClipboard();
  }
}

void PutOnClipboard(HWND owner, UINT format, const std::string& bytes) {
  ASSERT_TRUE(::OpenClipboard(owner));
  ::EmptyClipboard();
  fw::GlobalHandle block(::GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
  std::memcpy(::GlobalLock(block.get()), bytes.data(), bytes.size());
  ::GlobalUnlock(block.get());
  if (::SetClipboardData(format, block.get())) block.release();
  ::CloseClipboard();
}

// A file list as the shell puts it on the clipboard (ANSI names).
std::string DropFiles(const std::vector<std::string>& paths) {
  DROPFILES header{};
  header.pFiles = sizeof header;
  std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
  for (const std::string& p : paths) bytes += p + '\0';
  bytes += '\0';
  return bytes;
}

// The file names a CF_HDROP block on the clipboard holds.
std::vector<std::string> ClipboardFiles(HWND owner) {
  std::vector<std::string> names;
  if (!::OpenClipboard(owner)) return names;
  if (auto drop = static_cast<HDROP>(::GetClipboardData(CF_HDROP))) {
    UINT count = ::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      char name[MAX_PATH] = {};
      ::DragQueryFileA(drop, i, name, MAX_PATH);
      names.emplace_back(name);
    }
  }
  ::CloseClipboard();
  return names;
}

std::string PathOf(LPCITEMIDLIST absolute) {
  char path[MAX_PATH] = {};
  return ::SHGetPathFromIDListA(absolute, path) ? path : "";
}

// Puts a recording double in place of the shell's context menu for as long
// as it lives, and notes which items the command was for.
class MenuRecorder {
 public:
  MenuRecorder() {
    TShellIDList::SetContextMenuSource([this](TShellIDList& items, HWND, IContextMenu** out) {
      ++requests;
      targets.clear();
      for (int i = 0; i < items.Count(); ++i) {
        UniqueIDList full(ConcatItemIDList(items.GetParentItemID(), items.GetItemID(i)));
        targets.push_back(PathOf(full.get()));
      }
      menu.AddRef();
      *out = &menu;
      return S_OK;
    });
  }
  ~MenuRecorder() { TShellIDList::SetContextMenuSource(nullptr); }
  MenuRecorder(const MenuRecorder&) = delete;
  MenuRecorder& operator=(const MenuRecorder&) = delete;

  shellfakes::FakeContextMenu menu;
  int requests = 0;
  std::vector<std::string> targets;
};

// ---------------------------------------------------------------------------

TEST(ShellActionsTargets, FocusedControlFirstThenTheFormsControlsOfTheRightKind) {
  ListForm form;
  auto* plain = fw::Make<fw::ListView>(form.panel());
  plain->SetParent(form.panel());
  plain->SetBounds(0, 0, 100, 100);
  plain->SetViewStyle(fw::TViewStyle::vsList);
  plain->Handle();
  TShellListView* lv = form.Place();
  auto* large = fw::Make<TLargeIcon>(form.panel());
  auto* copy = fw::Make<TShellFileCopy>(form.panel());

  // A plain list that has the focus takes the view actions, never the shell ones.
  ::SetFocus(plain->Handle());
  EXPECT_EQ(large->FindTarget(), plain);
  EXPECT_EQ(copy->FindTarget(), lv);
  ASSERT_TRUE(large->Execute());
  EXPECT_EQ(plain->ViewStyle(), fw::TViewStyle::vsIcon);
  EXPECT_EQ(lv->ViewStyle(), fw::TViewStyle::vsReport);

  ::SetFocus(lv->Handle());
  EXPECT_EQ(large->FindTarget(), lv);

  // Hidden controls are no targets; a pinned action handles only its control.
  lv->SetVisible(false);
  EXPECT_EQ(copy->FindTarget(), nullptr);
  EXPECT_FALSE(copy->Execute());
  lv->SetVisible(true);
  large->SetControl(plain);
  ::SetFocus(lv->Handle());
  EXPECT_EQ(large->FindTarget(), plain);
  EXPECT_FALSE(large->HandlesTarget(lv));

  // The pin goes with its control.
  fw::Free(plain);
  EXPECT_EQ(large->GetControl(), nullptr);
  EXPECT_EQ(large->FindTarget(), lv);

  // The shell family's targets must be shell list views.
  auto* other = fw::Make<fw::ListView>(form.panel());
  EXPECT_THROW(copy->ExecuteTarget(other), fw::EInvalidCast);
}

TEST(ShellActionsState, SelectionLabelEditingAndClipboardDecideWhatIsEnabled) {
  ShownFolder shown{{"a.txt", "a"}, {"b.txt", "bb"}};
  auto& [dir, form, lv] = shown;
  ASSERT_EQ(lv->ItemCount(), 2);
  auto* cut = fw::Make<TShellFileCut>(form.panel());
  auto* copy = fw::Make<TShellFileCopy>(form.panel());
  auto* del = fw::Make<TShellFileDelete>(form.panel());
  auto* prop = fw::Make<TShellFileProperty>(form.panel());
  auto* paste = fw::Make<TShellFilePaste>(form.panel());
  const std::vector<fw::Action*> selectionActions = {cut, copy, del, prop};
  auto updateAll = [&] {
    for (fw::Action* a : selectionActions) ASSERT_TRUE(a->Update());
    ASSERT_TRUE(paste->Update());
  };
  ::SetFocus(lv->Handle());

  SelectRows(lv, {});
  updateAll();
  for (fw::Action* a : selectionActions) EXPECT_FALSE(a->Enabled()) << a->Caption();
  EXPECT_FALSE(cut->Execute()) << "a disabled action ran";

  SelectRows(lv, {1});
  updateAll();
  for (fw::Action* a : selectionActions) EXPECT_TRUE(a->Enabled()) << a->Caption();

  // While a name is edited, Del belongs to the editor.
  HWND edit = reinterpret_cast<HWND>(::SendMessageA(lv->Handle(), LVM_EDITLABELA, 1, 0));
  ASSERT_NE(edit, nullptr);
  ASSERT_EQ(::GetFocus(), edit);
  updateAll();
  EXPECT_FALSE(del->Enabled());
  EXPECT_TRUE(cut->Enabled());
  ::SendMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  listtest::Settle();
  ASSERT_FALSE(lv->IsEditing());
  updateAll();
  EXPECT_TRUE(del->Enabled());

  // Paste wants a file list on the clipboard, not just any data.
  HWND owner = form.get()->Handle();
  PutOnClipboard(owner, CF_TEXT, std::string("text", 5));
  updateAll();
  EXPECT_FALSE(paste->Enabled());
  PutOnClipboard(owner, CF_HDROP, DropFiles({dir / "a.txt"}));
  updateAll();
  EXPECT_TRUE(paste->Enabled());
  EmptyTheClipboard(owner);
  updateAll();
  EXPECT_FALSE(paste->Enabled());
}

TEST(ShellActionsState, AVirtualFolderTakesNoPasteAndSortsOnlyByName) {
  ListForm form;
  TShellListView* lv = form.Place();
  UniqueIDList drives;
  ASSERT_TRUE(GetSpecialFolderID(sfidDrives, drives));
  lv->SetNameSpace(drives.get());
  ASSERT_EQ(lv->GetPath(), "");
  ::SetFocus(lv->Handle());
  HWND owner = form.get()->Handle();
  testsupport::TempDir dir;
  testsupport::WriteFile(dir / "a.txt", "a");
  PutOnClipboard(owner, CF_HDROP, DropFiles({dir / "a.txt"}));

  auto* paste = fw::Make<TShellFilePaste>(form.panel());
  ASSERT_TRUE(paste->Update());
  EXPECT_FALSE(paste->Enabled());
  auto* byName = fw::Make<TShellFileSortByName>(form.panel());
  ASSERT_TRUE(byName->Update());
  EXPECT_TRUE(byName->Enabled());
  std::vector<TShellFileSortAction*> others = {
      fw::Make<TShellFileSortBySize>(form.panel()), fw::Make<TShellFileSortByType>(form.panel()),
      fw::Make<TShellFileSortByLastWrite>(form.panel()), fw::Make<TShellFileSortByAttr>(form.panel())};
  for (TShellFileSortAction* a : others) {
    ASSERT_TRUE(a->Update());
    EXPECT_FALSE(a->Enabled()) << a->Caption();
  }
  // Back in a file-system folder everything is allowed again.
  lv->SetPath(dir.Path());
  ASSERT_TRUE(paste->Update());
  EXPECT_TRUE(paste->Enabled());
  for (TShellFileSortAction* a : others) {
    ASSERT_TRUE(a->Update());
    EXPECT_TRUE(a->Enabled()) << a->Caption();
  }
  EmptyTheClipboard(owner);
}

// ---------------------------------------------------------------------------

TEST(ShellActionsCommands, CopyPutsTheSelectedFilesOnTheClipboard) {
  ShownFolder shown{{"一.txt", "一.txt"}, {"ソ.txt", "ソ.txt"}, {"三.txt", "三.txt"}};
  auto& [dir, form, lv] = shown;
  HWND owner = form.get()->Handle();
  EmptyTheClipboard(owner);
  SelectRows(lv, {RowOf(lv, "一.txt"), RowOf(lv, "ソ.txt")});
  ::SetFocus(lv->Handle());
  auto* copy = fw::Make<TShellFileCopy>(form.panel());
  ASSERT_TRUE(copy->Update());
  ASSERT_TRUE(copy->Execute());
  ::OleFlushClipboard();
  std::vector<std::string> files = ClipboardFiles(owner);
  std::set<std::string> got(files.begin(), files.end());
  EXPECT_EQ(got, (std::set<std::string>{dir / "一.txt", dir / "ソ.txt"}));
  // And with that on the clipboard, paste is offered.
  auto* paste = fw::Make<TShellFilePaste>(form.panel());
  ASSERT_TRUE(paste->Update());
  EXPECT_TRUE(paste->Enabled());
  EmptyTheClipboard(owner);
}

TEST(ShellActionsCommands, PasteAsksTheShellToPasteIntoTheFolderShown) {
  testsupport::TempDir dir;
  const std::string target = dir / "中ソ";
  ASSERT_TRUE(::CreateDirectoryA(target.c_str(), nullptr));
  testsupport::WriteFile(dir / "src.txt", "s");
  ListForm form;
  TShellListView* lv = form.Place();
  lv->SetPath(target);
  HWND owner = form.get()->Handle();
  PutOnClipboard(owner, CF_HDROP, DropFiles({dir / "src.txt"}));
  ::SetFocus(lv->Handle());
  auto* paste = fw::Make<TShellFilePaste>(form.panel());
  {
    MenuRecorder recorder;
    ASSERT_TRUE(paste->Update());
    ASSERT_TRUE(paste->Execute());
    ASSERT_EQ(recorder.menu.invokeCalls, 1);
    EXPECT_TRUE(recorder.menu.verbIsNumeric);
    EXPECT_EQ(recorder.menu.verb, 26u);
    EXPECT_EQ(recorder.targets, std::vector<std::string>{target});

    // On the desktop the paste goes to the desktop's own directory.
    UniqueIDList desktop;
    ASSERT_TRUE(GetSpecialFolderID(sfidDeskTop, desktop));
    lv->SetNameSpace(desktop.get());
    char desktopDir[MAX_PATH] = {};
    ASSERT_TRUE(::SHGetSpecialFolderPathA(nullptr, desktopDir, CSIDL_DESKTOPDIRECTORY, FALSE));
    ASSERT_TRUE(paste->Update());
    ASSERT_TRUE(paste->Execute());
    ASSERT_EQ(recorder.menu.invokeCalls, 2);
    EXPECT_EQ(recorder.menu.verb, 26u);
    EXPECT_EQ(recorder.targets, std::vector<std::string>{desktopDir});
  }
  EXPECT_EQ(paste->FindTarget(), lv);
  EmptyTheClipboard(owner);
}

TEST(ShellActionsCommands, DeleteCutAndPropertiesReachTheShellWithTheSelection) {
  ShownFolder shown{{"a.txt", "a"}, {"b.txt", "b"}};
  auto& [dir, form, lv] = shown;
  SelectRows(lv, {RowOf(lv, "b.txt")});
  ::SetFocus(lv->Handle());
  MenuRecorder recorder;
  struct Case {
    fw::Action* action;
    UINT verb;
  } cases[] = {{fw::Make<TShellFileCut>(form.panel()), 24},
               {fw::Make<TShellFileDelete>(form.panel()), 17},
               {fw::Make<TShellFileProperty>(form.panel()), 19}};
  for (const Case& c : cases) {
    ASSERT_TRUE(c.action->Update());
    ASSERT_TRUE(c.action->Execute()) << c.action->Caption();
    EXPECT_EQ(recorder.menu.verb, c.verb);
    EXPECT_EQ(recorder.targets, std::vector<std::string>{dir / "b.txt"});
  }
  EXPECT_EQ(recorder.menu.invokeCalls, 3);
}

// Wine's folders compare every column by name, so the sort is judged by the
// column and direction the list keeps, not by the row order.
TEST(ShellActionsSort, EachSortActionSortsItsColumnAscending) {
  ShownFolder shown{{"a.txt", "a"}};
  auto& [dir, form, lv] = shown;
  ::SetFocus(lv->Handle());
  std::vector<TShellFileSortAction*> actions = {
      fw::Make<TShellFileSortByName>(form.panel()), fw::Make<TShellFileSortBySize>(form.panel()),
      fw::Make<TShellFileSortByType>(form.panel()), fw::Make<TShellFileSortByLastWrite>(form.panel()),
      fw::Make<TShellFileSortByAttr>(form.panel())};
  const THeaderCaption columns[] = {hcName, hcSize, hcType, hcLastWrite, hcAttr};
  for (size_t i = 0; i < actions.size(); ++i) {
    lv->Sort(columns[(i + 1) % actions.size()], false);
    lv->FileList()->SetSortDirection(columns[i], -1);
    ASSERT_TRUE(actions[i]->Update());
    ASSERT_TRUE(actions[i]->Execute());
    EXPECT_EQ(lv->FileList()->GetSortColumn(), columns[i]);
    EXPECT_EQ(lv->FileList()->GetSortDirection(columns[i]), 1);
  }
}

// ---------------------------------------------------------------------------

TEST(ShellActionsSelection, InvertTouchesTheSmallerSideAndReportsOnce) {
  std::vector<ShownFolder::File> files;
  for (int i = 0; i < 10; ++i) files.emplace_back("f" + std::to_string(i) + ".txt", "x");
  ShownFolder shown(files);
  auto& [dir, form, lv] = shown;
  ASSERT_EQ(lv->ItemCount(), 10);
  int selChanges = 0;
  lv->OnShSelChange = [&](fw::Object*, DWORD) { ++selChanges; };
  auto* invert = fw::Make<TReverseSelectedItem>(form.panel());
  ::SetFocus(lv->Handle());

  SelectRows(lv, {0, 1, 2, 3, 5, 8});
  selChanges = 0;
  ASSERT_TRUE(invert->Execute());
  EXPECT_EQ(SelectedRows(lv), (std::set<int>{4, 6, 7, 9}));
  EXPECT_EQ(selChanges, 1);

  SelectRows(lv, {0, 2, 4, 6, 9});
  selChanges = 0;
  ASSERT_TRUE(invert->Execute());
  EXPECT_EQ(SelectedRows(lv), (std::set<int>{1, 3, 5, 7, 8}));
  EXPECT_EQ(selChanges, 1);

  // None selected: all; all selected: none.
  SelectRows(lv, {});
  ASSERT_TRUE(invert->Execute());
  EXPECT_EQ(lv->SelCount(), 10);
  ASSERT_TRUE(invert->Execute());
  EXPECT_EQ(lv->SelCount(), 0);
}

TEST(ShellActionsSelection, InvertAndSelectAllOnAPlainList) {
  ListForm form;
  auto* plain = fw::Make<fw::ListView>(form.panel());
  plain->SetParent(form.panel());
  plain->SetBounds(0, 0, 200, 200);
  plain->SetMultiSelect(true);
  plain->SetViewStyle(fw::TViewStyle::vsList);
  plain->Handle();
  auto* all = fw::Make<TSelectAllItem>(form.panel());
  auto* invert = fw::Make<TReverseSelectedItem>(form.panel());
  ::SetFocus(form.get()->Handle());
  // Empty: nothing to do, and the list does not take the focus.
  ASSERT_TRUE(all->Execute());
  EXPECT_FALSE(plain->Focused());
  for (int i = 0; i < 4; ++i) plain->InsertItem(i, "item" + std::to_string(i));
  SelectRows(plain, {1});
  ASSERT_TRUE(invert->Execute());
  EXPECT_EQ(SelectedRows(plain), (std::set<int>{0, 2, 3}));
  ASSERT_TRUE(all->Execute());
  EXPECT_EQ(plain->SelCount(), 4);
  EXPECT_TRUE(plain->Focused());
}

TEST(ShellActionsViewStyle, StylesAreCheckedOnlyForTheCurrentOneAndTheSwitchCycles) {
  ShownFolder shown{{"a.txt", "a"}};
  auto& [dir, form, lv] = shown;
  ::SetFocus(lv->Handle());
  std::vector<TViewStyleAction*> styles = {fw::Make<TLargeIcon>(form.panel()), fw::Make<TSmallIcon>(form.panel()),
                                           fw::Make<TListIcon>(form.panel()), fw::Make<TReportIcon>(form.panel())};
  auto* sw = fw::Make<TSwitchViewStyle>(form.panel());
  auto checkedOnly = [&](fw::TViewStyle expected) {
    for (TViewStyleAction* a : styles) {
      ASSERT_TRUE(a->Update());
      EXPECT_EQ(a->Checked(), a->Style() == expected) << a->Caption();
    }
  };
  using V = fw::TViewStyle;
  checkedOnly(V::vsReport);
  // Report -> icon -> small icon -> list -> report.
  for (V next : {V::vsIcon, V::vsSmallIcon, V::vsList, V::vsReport}) {
    ASSERT_TRUE(sw->Update());
    ASSERT_TRUE(sw->Execute());
    EXPECT_EQ(lv->ViewStyle(), next);
    EXPECT_TRUE(sw->Enabled());
    EXPECT_FALSE(sw->Checked());
    checkedOnly(next);
  }
  ASSERT_TRUE(styles[2]->Execute());
  EXPECT_EQ(lv->ViewStyle(), V::vsList);
  checkedOnly(V::vsList);
}

}  // namespace
