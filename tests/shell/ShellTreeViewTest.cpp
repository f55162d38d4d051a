// Folder tree: the root and its first level with the special items, children
// read on demand, refresh merging, device changes, the link with the contents
// list, renaming, history, and a selected folder deleted by another process.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include <algorithm>

#include "shell/ShellComboBox.h"
#include "shell/ShellTreeView.h"
#include "shell/Shellnotify.h"
#include "tests/common/MessagePump.h"
#include "tests/common/TempDir.h"
#include "tests/shell/ShellListTestSupport.h"

namespace {

using listtest::ListForm;
using listtest::Settle;

TShellTreeView* PlaceTree(ListForm& form, TShVirtuaItems items = kDefaultShVirtuaItems) {
  auto* tree = fw::Make<TShellTreeView>(form.panel());
  tree->SetShVirtuaItems(items);
  tree->SetParent(form.panel());
  tree->SetBounds(0, 0, 300, 400);
  tree->Handle();
  return tree;
}

std::vector<std::string> ChildTexts(fw::TreeNode* node) {
  std::vector<std::string> texts;
  for (fw::TreeNode* c = node ? node->GetFirstChild() : nullptr; c; c = c->GetNextSibling()) texts.push_back(c->Text());
  return texts;
}

fw::TreeNode* ChildOfType(fw::TreeNode* node, TShItemIDType type) {
  for (fw::TreeNode* c = node->GetFirstChild(); c; c = c->GetNextSibling())
    if (FolderItemOfNode(c)->GetItemIDType() == type) return c;
  return nullptr;
}

std::string NodePath(fw::TreeNode* node) { return node ? FolderItemOfNode(node)->GetPath() : std::string(); }

fw::TreeNode* NodeOfPath(TShellTreeView* tree, const std::string& path) {
  UniqueIDList list;
  if (!GetIDListFromPath(path, list)) return nullptr;
  return tree->GetNodeFromItemID(list.get());
}

// The tree's editing end, reachable from a test (the control calls it when
// the label edit closes).
class EditableTree : public TShellTreeView {
 public:
  using TShellTreeView::TShellTreeView;
  void EndEdit(fw::TreeNode* node, std::string text) { Edit(node, text); }
};

// A folder tree of our own under the temporary folder: a, a\b, a\b\c, d.
struct Folders {
  testsupport::TempDir dir;
  Folders() {
    for (const char* sub : {"a", "a\\b", "a\\b\\c", "d", "日本語ソ"}) ::CreateDirectoryA((dir / sub).c_str(), nullptr);
  }
  std::string operator/(const std::string& name) const { return dir / name; }
};

TEST(ShellTreeView, RootAndFirstLevelFollowTheSpecialItems) {
  ListForm form;
  // The main window's set: recycle bin, network and virtual folders.
  TShellTreeView* tree = PlaceTree(form, TShVirtuaItems{itBitBucket, itNetWork, itVirtual});
  fw::TreeNode* root = tree->RootNode();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->GetNextSibling(), nullptr);
  EXPECT_EQ(tree->Selected(), root);
  EXPECT_EQ(FolderItemOfNode(root)->GetLevel(), 0);
  EXPECT_TRUE(root->Expanded());
  fw::TreeNode* computer = ChildOfType(root, itMyComputer);
  ASSERT_NE(computer, nullptr);
  EXPECT_NE(ChildOfType(root, itBitBucket), nullptr);
  // Virtual items never sit directly under the desktop, whatever the set says.
  EXPECT_EQ(ChildOfType(root, itVirtual), nullptr);
  // The root's first child is opened too; under the computer, virtual folders
  // (the control panel) appear with itVirtual in the set.
  EXPECT_TRUE(root->GetFirstChild()->Expanded());
  computer->Expand(false);
  EXPECT_NE(ChildOfType(computer, itRootDrive), nullptr);
  EXPECT_NE(ChildOfType(computer, itVirtual), nullptr);
  // The path of the desktop root is the desktop's folder.
  EXPECT_FALSE(tree->GetPath().empty());

  // Without itVirtual and without the recycle bin, both go on a refresh.
  tree->SetShVirtuaItems(TShVirtuaItems{itNetWork});
  EXPECT_EQ(ChildOfType(root, itBitBucket), nullptr);
  computer = ChildOfType(root, itMyComputer);
  ASSERT_NE(computer, nullptr);
  EXPECT_EQ(ChildOfType(computer, itVirtual), nullptr);
  EXPECT_NE(ChildOfType(computer, itRootDrive), nullptr);
}

TEST(ShellTreeView, ChildrenAreReadOnDemandAndPathsResolve) {
  Folders f;
  ListForm form;
  TShellTreeView* tree = PlaceTree(form);
  fw::TreeNode* a = NodeOfPath(tree, f / "a");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(NodePath(a), f / "a");
  // Found without opening it: its children are not read, yet it shows a button.
  EXPECT_EQ(a->Count(), 0);
  EXPECT_TRUE(a->HasChildren());
  a->Expand(false);
  EXPECT_EQ(ChildTexts(a), std::vector<std::string>{"b"});
  // A folder without subfolders loses its button when opened.
  fw::TreeNode* d = NodeOfPath(tree, f / "d");
  ASSERT_NE(d, nullptr);
  d->Expand(false);
  EXPECT_FALSE(d->HasChildren());
  // Japanese names whose second byte is a backslash resolve too.
  tree->SetPath(f / "日本語ソ");
  EXPECT_EQ(tree->GetPath(), f / "日本語ソ");

  // A path that does not parse leaves the selection alone.
  tree->SetPath(f / "missing");
  EXPECT_EQ(tree->GetPath(), f / "日本語ソ");
  // A list of something the tree does not show (a file) resolves to the root.
  testsupport::WriteFile(f / "file.txt", "x");
  UniqueIDList file;
  ASSERT_TRUE(GetIDListFromPath(f / "file.txt", file));
  EXPECT_EQ(tree->GetNodeFromItemID(file.get()), tree->RootNode());
  // So does an item that sorts between two shown siblings without being among them.
  UniqueIDList between;
  ASSERT_TRUE(GetIDListFromPath(f / "b.txt", between) || GetIDListFromPath(f / "file.txt", between));
  EXPECT_EQ(tree->GetNodeFromItemID(between.get()), tree->RootNode());
}

TEST(ShellTreeView, RefreshMergesKeepingNodesExpansionAndSelection) {
  Folders f;
  ListForm form;
  TShellTreeView* tree = PlaceTree(form);
  tree->SetPath(f / "a\\b");
  fw::TreeNode* b = tree->Selected();
  ASSERT_EQ(NodePath(b), f / "a\\b");
  fw::TreeNode* a = b->Parent();
  fw::TreeNode* top = a->Parent();
  top->Expand(false);
  ASSERT_EQ(ChildTexts(top), (std::vector<std::string>{"a", "d", "日本語ソ"}));
  fw::TreeNode* d = top->Item(1);

  ::CreateDirectoryA((f / "c").c_str(), nullptr);
  ::RemoveDirectoryA((f / "d").c_str());
  tree->RefreshFolder();
  EXPECT_EQ(ChildTexts(top), (std::vector<std::string>{"a", "c", "日本語ソ"}));
  EXPECT_EQ(top->Item(0), a);  // the same node objects
  EXPECT_NE(top->Item(1), d);
  EXPECT_EQ(tree->Selected(), b);
  EXPECT_TRUE(top->Expanded());
  EXPECT_TRUE(a->Expanded());
}

TEST(ShellTreeView, SelectedFolderDeletedElsewhereSelectsNearestExistingAncestor) {
  Folders f;
  ListForm form;
  TShellTreeView* tree = PlaceTree(form);
  // The path box follows; no contents list here: it would hold the folder as
  // the process's current directory, which no program can then remove.
  auto* combo = fw::Make<TShellComboBox>(form.panel());
  combo->SetParent(form.panel());
  combo->SetBounds(0, 410, 300, 22);
  combo->Handle();
  tree->SetShellComboBox(combo);
  tree->SetPath(f / "a\\b\\c");
  fw::TreeNode* a = tree->Selected()->Parent()->Parent();
  tree->SelectNode(a);
  tree->SetPath(f / "a\\b\\c");
  ASSERT_EQ(tree->UndoCount(), 3);  // the desktop, c, a
  // Another program removes b with c inside it.
  listtest::RunOther("cmd /c rmdir /s /q \"" + (f / "a\\b") + "\"");
  ASSERT_EQ(::GetFileAttributesA((f / "a\\b").c_str()), INVALID_FILE_ATTRIBUTES);
  tree->RefreshFolder();
  EXPECT_EQ(tree->Selected(), a);
  EXPECT_EQ(tree->GetPath(), f / "a");
  EXPECT_EQ(combo->GetPath(), f / "a");
  EXPECT_EQ(a->Count(), 0);
  // The history holds no node that is gone: back goes to real folders only.
  for (fw::TreeNode* n : tree->UndoList()) EXPECT_TRUE(tree->IsCorrectNode(n));
  while (tree->UndoCount() > 0) {
    tree->Undo(tree->UndoCount() - 1);
    EXPECT_TRUE(tree->IsCorrectNode(tree->Selected()));
  }
}

TEST(ShellTreeView, ListAndTreeFollowEachOther) {
  Folders f;
  ListForm form;
  TShellTreeView* tree = PlaceTree(form);
  auto* list = form.Place<TShellListView>();
  tree->SetShellListView(list);
  EXPECT_EQ(list->GetShellTreeLink(), tree);
  // Selecting a node shows its folder in the list.
  tree->SetPath(f / "a");
  EXPECT_EQ(list->GetPath(), f / "a");
  Settle();
  // Opening a folder row in the list selects its node.
  ASSERT_EQ(list->ItemCount(), 1);
  list->DoItemActivate(0, 0, POINT{}, fw::TShiftState{});
  EXPECT_EQ(tree->GetPath(), f / "a\\b");
  EXPECT_EQ(list->GetPath(), f / "a\\b");
  EXPECT_EQ(NodePath(tree->Selected()), f / "a\\b");
  // Unlinking clears the list's back-reference.
  tree->SetShellListView(nullptr);
  EXPECT_EQ(list->GetShellTreeLink(), nullptr);
}

TEST(ShellTreeView, HistoryStepsBackAndForthAndCapsAtNine) {
  Folders f;
  for (int i = 0; i < 10; ++i) ::CreateDirectoryA((f / ("n" + std::to_string(i))).c_str(), nullptr);
  ListForm form;
  TShellTreeView* tree = PlaceTree(form);
  for (int i = 0; i < 10; ++i) tree->SetPath(f / ("n" + std::to_string(i)));
  EXPECT_EQ(tree->UndoCount(), 9);
  int steps = 0;
  while (tree->UndoCount() > 0 && steps < 20) {
    tree->Undo(tree->UndoCount() - 1);
    ++steps;
  }
  EXPECT_EQ(steps, 9);
  EXPECT_EQ(tree->GetPath(), f / "n0");  // the desktop fell off the front
  EXPECT_EQ(tree->RedoCount(), 9);
  EXPECT_FALSE(tree->Undo(0));

  // A, B, C in turn: undo list [A, B]. Undo(0) goes to A and leaves [C, B] to redo.
  tree->SetPath(f / "a");
  tree->SetPath(f / "a\\b");
  tree->SetPath(f / "a\\b\\c");
  EXPECT_EQ(tree->RedoCount(), 0);  // a fresh navigation forgets the way forward
  fw::TreeNode* a = NodeOfPath(tree, f / "a");
  fw::TreeNode* b = NodeOfPath(tree, f / "a\\b");
  fw::TreeNode* c = NodeOfPath(tree, f / "a\\b\\c");
  ASSERT_GE(tree->UndoCount(), 2);
  const int before = tree->UndoCount();
  tree->Undo(before - 2);
  EXPECT_EQ(tree->Selected(), a);
  EXPECT_EQ(tree->RedoList(), (std::vector<fw::TreeNode*>{c, b}));
  tree->Redo(tree->RedoCount() - 1);
  EXPECT_EQ(tree->Selected(), b);
  tree->Redo(tree->RedoCount() - 1);
  EXPECT_EQ(tree->Selected(), c);
  EXPECT_EQ(tree->RedoCount(), 0);
}

TEST(ShellTreeView, RenamingAFolderNodeRenamesTheFolderAndRepointsTheLinks) {
  Folders f;
  ListForm form;
  auto* tree = fw::Make<EditableTree>(form.panel());
  tree->SetParent(form.panel());
  tree->SetBounds(0, 0, 300, 300);
  tree->Handle();
  auto* combo = fw::Make<TShellComboBox>(form.panel());
  combo->SetParent(form.panel());
  combo->SetBounds(0, 310, 300, 22);
  tree->SetShellComboBox(combo);
  auto* list = form.Place<TShellListView>();
  tree->SetShellListView(list);
  tree->SetPath(f / "a");
  fw::TreeNode* a = tree->Selected();
  tree->EndEdit(a, "z");
  EXPECT_EQ(a->Text(), "z");
  EXPECT_EQ(::GetFileAttributesA((f / "a").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(::GetFileAttributesA((f / "z").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(tree->GetPath(), f / "z");
  EXPECT_EQ(list->GetPath(), f / "z");
  EXPECT_EQ(combo->GetPath(), f / "z");
  // The node moved to its sorted place among its siblings.
  EXPECT_EQ(ChildTexts(a->Parent()), (std::vector<std::string>{"d", "z", "日本語ソ"}));
  // A refused name leaves the node showing the folder's real name.
  tree->EndEdit(a, "bad:name?");
  EXPECT_EQ(a->Text(), "z");
}

TEST(ShellTreeView, MediaChangeRecaptionsTheDriveAndRemovalSelectsTheComputer) {
  Folders f;
  ListForm form;
  TShellTreeView* tree = PlaceTree(form);
  tree->SetPath(f / "a\\b");
  const std::string drive = (f / "a").substr(0, 3);  // "C:\"
  fw::TreeNode* driveNode = NodeOfPath(tree, drive);
  ASSERT_NE(driveNode, nullptr);
  fw::TreeNode* computer = driveNode->Parent();
  const int place = driveNode->Index();
  UniqueIDList driveList;
  ASSERT_TRUE(GetIDListFromPath(drive, driveList));

  // Removal, delivered through the watcher's delay as the registry delivers it.
  tree->DeviceChange("Gone (C:)", DBT_DEVICEREMOVECOMPLETE, driveList.get(), kDeviceChangeMedia);
  ASSERT_TRUE(testsupport::PumpUntil([&] { return driveNode->Text() == "Gone (C:)"; }, 10000));
  EXPECT_EQ(driveNode->Index(), place);
  EXPECT_EQ(driveNode->Count(), 0);
  EXPECT_TRUE(driveNode->HasChildren());
  EXPECT_EQ(tree->Selected(), computer);

  // Arrival: a new caption, the node keeps its place.
  tree->ShellDelay(
      std::make_unique<TDeviceChangeData>("Data (C:)", DBT_DEVICEARRIVAL, driveList.get(), kDeviceChangeMedia));
  EXPECT_EQ(driveNode->Text(), "Data (C:)");
  EXPECT_EQ(FolderItemOfNode(driveNode)->GetCaption(), "Data (C:)");
  EXPECT_EQ(tree->Selected(), computer);
}

TEST(ShellTreeView, NetworkVolumeChangesRefreshAndRemovalSelectsTheRoot) {
  Folders f;
  ListForm form;
  TShellTreeView* tree = PlaceTree(form);
  tree->SetPath(f / "a");
  fw::TreeNode* top = tree->Selected()->Parent();
  top->Expand(false);
  ::CreateDirectoryA((f / "c").c_str(), nullptr);
  // Arrival refreshes the tree: the new folder appears, the selection stays.
  tree->ShellDelay(std::make_unique<TDeviceChangeData>("", DBT_DEVICEARRIVAL, nullptr, kDeviceChangeNetwork));
  EXPECT_EQ(ChildTexts(top), (std::vector<std::string>{"a", "c", "d", "日本語ソ"}));
  EXPECT_EQ(tree->GetPath(), f / "a");
  tree->ShellDelay(std::make_unique<TDeviceChangeData>("", DBT_DEVICEREMOVECOMPLETE, nullptr, kDeviceChangeNetwork));
  EXPECT_EQ(tree->Selected(), tree->RootNode());
}

TEST(ShellTreeView, WatchesTheFixedDrivesRootsAndStopsWhenSuspended) {
  ListForm form;
  TShellTreeView* tree = PlaceTree(form);
  std::vector<std::string> drives;
  TShellTreeView::GetDriveList(drives);
  ASSERT_FALSE(drives.empty());
  for (const auto& d : drives) EXPECT_EQ(::GetDriveTypeA(d.c_str()), static_cast<UINT>(DRIVE_FIXED)) << d;
  ASSERT_NE(tree->Watcher(), nullptr);
  EXPECT_EQ(tree->Watcher()->GetFolders(), drives);
  EXPECT_EQ(tree->Watcher()->GetFilter(), static_cast<DWORD>(FILE_NOTIFY_CHANGE_DIR_NAME));
  tree->SuspendChangeNotify();
  EXPECT_TRUE(tree->Watcher()->GetFolders().empty());
  tree->ResumeChangeNotify();
  EXPECT_EQ(tree->Watcher()->GetFolders(), drives);
}

// ---------------------------------------------------------------------------
// Path combo box

struct LinkedCombo {
  ListForm form;
  TShellTreeView* tree;
  TShellComboBox* combo;
  LinkedCombo() {
    tree = PlaceTree(form);
    combo = fw::Make<TShellComboBox>(form.panel());
    combo->SetParent(form.panel());
    combo->SetBounds(0, 410, 300, 22);
    combo->Handle();
    tree->SetShellComboBox(combo);
  }
  std::vector<int> Levels() const {
    std::vector<int> levels;
    for (int i = 0; i < combo->ComboList().Count(); ++i) levels.push_back(combo->GetComboItem(i)->GetLevel());
    return levels;
  }
  int RowOfPath(const std::string& path) const {
    for (int i = 0; i < combo->ComboList().Count(); ++i)
      if (combo->GetComboItem(i)->GetPath() == path) return i;
    return -1;
  }
  // The user picks a row: the box's own selection change notification.
  void Choose(int row) {
    ::SendMessageA(combo->Handle(), CB_SETCURSEL, static_cast<WPARAM>(row), 0);
    ::SendMessageA(form.panel()->Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo->Handle()), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo->Handle()));
  }
};

TEST(ShellComboBox, PermanentRowsAreDesktopItsItemsAndTheFirstItemsChildren) {
  LinkedCombo c;
  TShellComboList& list = c.combo->ComboList();
  ASSERT_GT(list.Count(), 3);
  EXPECT_EQ(c.combo->ItemCount(), list.Count());  // one row string per entry
  EXPECT_EQ(c.combo->ItemIndex(), 0);
  TShellComboItem* desktop = list.GetFirstItem();
  EXPECT_EQ(desktop->GetLevel(), 0);
  TShellComboItem* first = desktop->GetFirstChild();
  ASSERT_NE(first, nullptr);
  // The first item's children come right after it, then the desktop's other items.
  std::vector<int> levels = c.Levels();
  EXPECT_EQ(levels[1], 1);
  EXPECT_EQ(levels[2], 2);
  EXPECT_EQ(first->GetFirstChild(), list.GetComboItem(2));
  for (int i = 0; i < list.Count(); ++i) EXPECT_FALSE(list.GetComboItem(i)->Inserted()) << i;
  // The drives are listed when the first item is the computer.
  if (first->GetItemIDType() == itMyComputer) {
    EXPECT_EQ(first->GetFirstChild()->GetItemIDType(), itRootDrive);
  }
  EXPECT_GE(c.combo->RowHeight(), TShellComboBox::kMinRowHeight);
}

TEST(ShellComboBox, ShowingAFolderInsertsItsChainAndChoosingARowNavigatesTheTree) {
  Folders f;
  LinkedCombo c;
  const int permanent = c.combo->ComboList().Count();
  c.tree->SetPath(f / "a\\b");
  EXPECT_EQ(c.combo->GetPath(), f / "a\\b");
  const int row = c.combo->ItemIndex();
  TShellComboItem* b = c.combo->GetComboItem(row);
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(b->Inserted());
  EXPECT_EQ(b->GetParent()->GetPath(), f / "a");
  EXPECT_EQ(b->GetLevel(), b->GetParent()->GetLevel() + 1);
  // The chain hangs below its drive's permanent row.
  TShellComboItem* walk = b;
  while (walk->Inserted()) walk = walk->GetParent();
  EXPECT_FALSE(walk->Inserted());
  EXPECT_LT(walk->GetLevel(), b->GetParent()->GetLevel());
  EXPECT_EQ(c.combo->ItemCount(), c.combo->ComboList().Count());

  // Another folder replaces the inserted rows.
  c.tree->SetPath(f / "d");
  EXPECT_EQ(c.RowOfPath(f / "a\\b"), -1);
  EXPECT_EQ(c.combo->GetPath(), f / "d");

  // Choosing the inserted row of a parent removes the rows below it and the tree follows.
  c.tree->SetPath(f / "a\\b\\c");
  int aRow = c.RowOfPath(f / "a");
  ASSERT_GT(aRow, 0);
  c.Choose(aRow);
  EXPECT_EQ(c.tree->GetPath(), f / "a");
  EXPECT_EQ(c.RowOfPath(f / "a\\b"), -1);
  EXPECT_EQ(c.combo->GetPath(), f / "a");

  // Choosing a permanent row removes every inserted one.
  c.Choose(0);
  EXPECT_EQ(c.tree->Selected(), c.tree->RootNode());
  EXPECT_EQ(c.combo->ComboList().Count(), permanent);
}

}  // namespace
