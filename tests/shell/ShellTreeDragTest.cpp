// Folder tree and path box under the mouse and as OLE drop targets: select
// on release, the drag threshold, the shell menu's codes, the drop highlight,
// hover expansion, auto-scroll, drops reaching the folder's drop target, and
// data that cannot be read refused without harm.
//
// Under Wine the shell's drop targets accept drops without doing anything,
// the real shell menu numbers commands differently, and the physical button
// state cannot be set from a test: a recording drop target, a menu double and
// the button-state and drag-loop seams stand in for them.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell/ShellComboBox.h"
#include "shell/ShellPopupMenu.h"
#include "shell/ShellTreeView.h"
#include "shell/Shellcst.h"
#include "shell/Shellnotify.h"
#include "tests/common/TempDir.h"
#include "tests/shell/DragFakes.h"
#include "tests/shell/ShellFakes.h"
#include "tests/shell/ShellListTestSupport.h"

namespace {

using dragfakes::DataKind;
using dragfakes::FakeDataObject;
using dragfakes::RecordingDropTarget;
using listtest::ListForm;
using listtest::Settle;

// ---------------------------------------------------------------------------
// Doubles

// The tree with the shell's drop targets replaced by one recording target.
class TestTree : public TShellTreeView {
 public:
  using TShellTreeView::TShellTreeView;
  RecordingDropTarget* target = nullptr;
  std::vector<std::string> targetPaths;  // the folders whose target was asked for

 protected:
  bool GetNodeDropTarget(fw::TreeNode* node, fw::ComPtr<IDropTarget>& out) override {
    if (!target) return TShellTreeView::GetNodeDropTarget(node, out);
    targetPaths.push_back(FolderItemOfNode(node)->GetPath());
    out = fw::ComPtr<IDropTarget>::Share(target);
    return true;
  }
};

class TestCombo : public TShellComboBox {
 public:
  using TShellComboBox::TShellComboBox;
  RecordingDropTarget* target = nullptr;
  std::vector<std::string> targetPaths;

 protected:
  bool GetEntryDropTarget(TShellComboItem* item, fw::ComPtr<IDropTarget>& out) override {
    targetPaths.push_back(item->GetPath());
    out = fw::ComPtr<IDropTarget>::Share(target);
    return true;
  }
};

// The shell menu: answers a scripted code, after running what the shell's
// command would have done.
class MenuDouble : public TShellPopupMenu {
 public:
  using TShellPopupMenu::TShellPopupMenu;
  int code = 0;
  std::function<void()> action;
  std::vector<std::string> shownFor;  // the path of each menu's item
  std::vector<std::string> watchedDuringMenu;
  TShellTreeView* tree = nullptr;

  int DoContextMenu(TShellIDList& list, POINT) override {
    shownFor.push_back(list.GetPath(0));
    if (tree && tree->Watcher()) watchedDuringMenu = tree->Watcher()->GetFolders();
    if (action) action();
    return code;
  }
};

// The physical mouse buttons as the tree reads them.
struct Buttons {
  bool left = false;
  bool right = false;
  Buttons() {
    SetAsyncKeyStateFunc([this](int key) -> SHORT {
      bool down = key == VK_LBUTTON ? left : key == VK_RBUTTON ? right : false;
      return down ? static_cast<SHORT>(0x8000) : 0;
    });
  }
  ~Buttons() { SetAsyncKeyStateFunc(nullptr); }
};

// The drag loop: records what it was given instead of tracking the mouse.
struct DragLoop {
  int runs = 0;
  DWORD okEffects = 0;
  bool offeredItems = false;
  TShDragState stateDuring = dsWait;
  DragLoop(TShellTreeView* tree) {
    SetDoDragDropFunc([this, tree](IDataObject* data, IDropSource*, DWORD ok, DWORD* effect) {
      ++runs;
      okEffects = ok;
      FORMATETC f = IDLISTFormat();
      offeredItems = data && data->QueryGetData(&f) == S_OK;
      stateDuring = tree->GetDragState();
      *effect = DROPEFFECT_NONE;
      return DRAGDROP_S_CANCEL;
    });
  }
  ~DragLoop() { SetDoDragDropFunc(nullptr); }
};

// Folders of our own under a temporary folder: a, a\b, d, and a file.
struct Folders {
  testsupport::TempDir dir;
  Folders() {
    for (const char* sub : {"a", "a\\b", "d"}) ::CreateDirectoryA((dir / sub).c_str(), nullptr);
    testsupport::WriteFile(dir / "note.txt", "x");
  }
  std::string operator/(const std::string& name) const { return dir / name; }
};

struct Pane {
  ListForm form;
  TestTree* tree;
  TShellListView* list;
  TestCombo* combo;
  MenuDouble* menu;
  Pane() {
    tree = fw::Make<TestTree>(form.panel());
    tree->SetParent(form.panel());
    tree->SetBounds(0, 0, 300, 300);
    tree->Handle();
    list = form.Place();
    list->SetBounds(310, 0, 300, 300);
    combo = fw::Make<TestCombo>(form.panel());
    combo->SetParent(form.panel());
    combo->SetBounds(0, 310, 300, 22);
    combo->Handle();
    menu = fw::Make<MenuDouble>(form.panel());
    menu->tree = tree;
    tree->SetShellComboBox(combo);
    tree->SetShellListView(list);
    tree->SetShellPopupMenu(menu);
  }
  fw::TreeNode* Node(const std::string& path) {
    UniqueIDList list;
    if (!GetIDListFromPath(path, list)) return nullptr;
    fw::TreeNode* node = tree->GetNodeFromItemID(list.get());
    node->MakeVisible();
    return node;
  }
  // The middle of a node's label, in client coordinates.
  POINT LabelPoint(fw::TreeNode* node) {
    RECT r{};
    HTREEITEM item = node->ItemId();
    std::memcpy(&r, &item, sizeof item);  // the control reads the item from the rectangle
    ::SendMessageA(tree->Handle(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r));
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  POINTL ScreenPoint(POINT client) {
    ::ClientToScreen(tree->Handle(), &client);
    return POINTL{client.x, client.y};
  }
  LPARAM At(POINT p, int dx = 0) { return MAKELPARAM(p.x + dx, p.y); }
  // The control answers a press with a modal wait of its own that ends at
  // the next button or (distant) move message: one is queued first.
  void Press(UINT down, POINT p, UINT queuedAfter, LPARAM queuedAt) {
    ::PostMessageA(tree->Handle(), queuedAfter, 0, queuedAt);
    ::SendMessageA(tree->Handle(), down, down == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON, At(p));
  }
  // Scrolls so that a node is the first row: the rows below it are away
  // from the edges that scroll during a drag.
  void ShowFromTop(fw::TreeNode* node) {
    ::SendMessageA(tree->Handle(), TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(node->ItemId()));
  }
  HTREEITEM DropHilite() {
    return reinterpret_cast<HTREEITEM>(::SendMessageA(tree->Handle(), TVM_GETNEXTITEM, TVGN_DROPHILITE, 0));
  }
};

IDropTarget* TreeTarget(Pane& p) { return p.tree->DropTargetInterface(); }

// A drag of the note from the test's folder over the tree, whose folders'
// drop targets are one recording target.
struct TreeDrag {
  Folders f;
  Pane p;
  RecordingDropTarget target;
  FakeDataObject data{DataKind::Shell, {f / "note.txt"}};
  TreeDrag() { p.tree->target = &target; }
};

// ---------------------------------------------------------------------------
// Mouse

TEST(ShellTreeMouse, PressHighlightsReleaseSelectsAndTheListFollows) {
  Folders f;
  Pane p;
  fw::TreeNode* d = p.Node(f / "d");
  fw::TreeNode* a = p.Node(f / "a");
  p.tree->SelectNode(d);
  Buttons buttons;
  POINT at = p.LabelPoint(a);

  // Held down (the control's wait ended by a distant move): nothing selected yet.
  buttons.left = true;
  p.Press(WM_LBUTTONDOWN, at, WM_MOUSEMOVE, p.At(at, 40));
  EXPECT_EQ(p.tree->Selected(), d);
  EXPECT_EQ(p.tree->GetDragState(), dsWaitDragging);
  EXPECT_EQ(p.DropHilite(), a->ItemId());
  EXPECT_EQ(p.tree->DropHighlight(), a);
  // Keyboard or program selection changes are refused while the press waits.
  p.tree->SetSelected(p.tree->RootNode());
  EXPECT_EQ(p.tree->Selected(), d);

  buttons.left = false;
  ::SendMessageA(p.tree->Handle(), WM_LBUTTONUP, 0, p.At(at));
  EXPECT_EQ(p.tree->Selected(), a);
  EXPECT_EQ(p.tree->GetDragState(), dsWait);
  EXPECT_EQ(p.DropHilite(), nullptr);
  EXPECT_EQ(p.list->GetPath(), f / "a");
  EXPECT_EQ(p.combo->GetPath(), f / "a");

  // A click whose release the control's own wait swallowed selects as well.
  at = p.LabelPoint(d);
  p.Press(WM_LBUTTONDOWN, at, WM_LBUTTONUP, p.At(at));
  EXPECT_EQ(p.tree->Selected(), d);
  EXPECT_EQ(p.tree->GetDragState(), dsWait);
  EXPECT_EQ(p.list->GetPath(), f / "d");
}

TEST(ShellTreeMouse, DragStartsPastFivePixelsWithTheButtonHeldAndKeepsTheSelection) {
  Folders f;
  Pane p;
  fw::TreeNode* d = p.Node(f / "d");
  fw::TreeNode* a = p.Node(f / "a");
  p.tree->SelectNode(d);
  Buttons buttons;
  DragLoop loop(p.tree);
  POINT at = p.LabelPoint(a);
  buttons.left = true;
  p.Press(WM_LBUTTONDOWN, at, WM_MOUSEMOVE, p.At(at, 40));

  ::SendMessageA(p.tree->Handle(), WM_MOUSEMOVE, MK_LBUTTON, p.At(at, 5));
  EXPECT_EQ(loop.runs, 0);
  EXPECT_EQ(p.tree->GetDragState(), dsWaitDragging);

  // Past the threshold but the button is already up: no drag.
  buttons.left = false;
  ::SendMessageA(p.tree->Handle(), WM_MOUSEMOVE, 0, p.At(at, 6));
  EXPECT_EQ(loop.runs, 0);

  buttons.left = true;
  ::SendMessageA(p.tree->Handle(), WM_MOUSEMOVE, MK_LBUTTON, p.At(at, 6));
  ASSERT_EQ(loop.runs, 1);
  EXPECT_EQ(loop.stateDuring, dsDragging);
  EXPECT_TRUE(loop.offeredItems);
  // The folder's capabilities as the shell reports them are the allowed effects.
  fw::ComPtr<IShellFolder> parent;
  ASSERT_TRUE(FolderItemOfNode(a)->GetShellFolder(parent));
  LPCITEMIDLIST id = FolderItemOfNode(a)->GetItemID();
  SFGAOF expected = 0x177;
  parent->GetAttributesOf(1, &id, &expected);
  EXPECT_EQ(loop.okEffects, static_cast<DWORD>(expected));
  EXPECT_NE(loop.okEffects & DROPEFFECT_COPY, 0u);
  EXPECT_EQ(p.tree->GetDragState(), dsWait);
  EXPECT_EQ(p.tree->Selected(), d);

  // A veto from the owner keeps the drag from starting.
  p.tree->OnShBeginDrag = [](fw::Object*, fw::TreeNode*, POINT, int, int, bool& canDrag) { canDrag = false; };
  p.Press(WM_LBUTTONDOWN, at, WM_MOUSEMOVE, p.At(at, 40));
  ::SendMessageA(p.tree->Handle(), WM_MOUSEMOVE, MK_LBUTTON, p.At(at, 9));
  EXPECT_EQ(loop.runs, 1);
  buttons.left = false;
  ::SendMessageA(p.tree->Handle(), WM_LBUTTONUP, 0, p.At(at));
}

// ---------------------------------------------------------------------------
// Context menu

TEST(ShellTreeMenu, DeleteOfTheSelectedFolderSelectsItsParentAndRefreshesAllThree) {
  Folders f;
  Pane p;
  fw::TreeNode* b = p.Node(f / "a\\b");
  p.tree->SelectNode(b);
  Buttons buttons;
  p.menu->code = kShellMenuCodeDelete;
  // The list shows the folder, so it is the process's current directory;
  // the shell's delete must still be able to remove it.
  ASSERT_EQ(p.list->GetPath(), f / "a\\b");
  p.menu->action = [&] { EXPECT_TRUE(::RemoveDirectoryA((f / "a\\b").c_str())); };
  POINT at = p.LabelPoint(b);
  p.Press(WM_RBUTTONDOWN, at, WM_RBUTTONUP, p.At(at));

  ASSERT_EQ(p.menu->shownFor, std::vector<std::string>{f / "a\\b"});
  // The drive watcher rests while the menu is up, and watches again after.
  EXPECT_TRUE(p.menu->watchedDuringMenu.empty());
  EXPECT_FALSE(p.tree->Watcher()->GetFolders().empty());
  fw::TreeNode* a = p.Node(f / "a");
  EXPECT_EQ(p.tree->Selected(), a);
  EXPECT_EQ(a->GetFirstChild(), nullptr);
  EXPECT_EQ(p.list->GetPath(), f / "a");
  EXPECT_EQ(p.combo->GetPath(), f / "a");
  EXPECT_EQ(p.tree->GetDragState(), dsWait);
  EXPECT_EQ(p.DropHilite(), nullptr);
}

TEST(ShellTreeMenu, RenameEditsTheLabelCutGhostsTheNodeOtherCodesChangeNothing) {
  Folders f;
  Pane p;
  fw::TreeNode* d = p.Node(f / "d");
  fw::TreeNode* a = p.Node(f / "a");
  p.tree->SelectNode(d);
  Buttons buttons;
  auto rightClick = [&](fw::TreeNode* node, int code) {
    p.menu->code = code;
    POINT at = p.LabelPoint(node);
    p.Press(WM_RBUTTONDOWN, at, WM_RBUTTONUP, p.At(at));
  };
  auto isCut = [&](fw::TreeNode* node) {
    return (::SendMessageA(p.tree->Handle(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(node->ItemId()), TVIS_CUT) &
            TVIS_CUT) != 0;
  };

  rightClick(a, kShellMenuCodeRename);
  HWND edit = reinterpret_cast<HWND>(::SendMessageA(p.tree->Handle(), TVM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(edit, nullptr);
  a->EndEdit(true);
  EXPECT_EQ(p.tree->Selected(), d);

  rightClick(a, kShellMenuCodeCut);
  EXPECT_TRUE(a->Cut());
  EXPECT_TRUE(isCut(a));
  // Cutting another folder replaces the earlier cut.
  rightClick(d, kShellMenuCodeCut);
  EXPECT_TRUE(isCut(d));
  EXPECT_FALSE(isCut(a));

  for (int code : {0, 26, 20}) {
    rightClick(a, code);
    EXPECT_EQ(p.tree->Selected(), d) << code;
    EXPECT_EQ(p.tree->GetDragState(), dsWait) << code;
    EXPECT_EQ(p.DropHilite(), nullptr) << code;
    EXPECT_EQ(::SendMessageA(p.tree->Handle(), TVM_GETEDITCONTROL, 0, 0), 0) << code;
  }
  EXPECT_EQ(p.menu->shownFor.size(), 6u);

  // The desktop root has no shell menu, and the click leaves nothing pending.
  rightClick(p.tree->RootNode(), 0);
  EXPECT_EQ(p.menu->shownFor.size(), 6u);
  EXPECT_EQ(p.tree->GetDragState(), dsWait);
  p.tree->SelectNode(a);
  EXPECT_EQ(p.tree->Selected(), a);
}

// ---------------------------------------------------------------------------
// Drop target

TEST(ShellTreeDrop, RightDragOfListItemsReachesTheFolderUnderThePointer) {
  TreeDrag drag;
  auto& [f, p, target, data] = drag;
  fw::TreeNode* d = p.Node(f / "d");
  POINTL over = p.ScreenPoint(p.LabelPoint(d));
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  ASSERT_EQ(TreeTarget(p)->DragEnter(&data, MK_RBUTTON, over, &effect), S_OK);
  ASSERT_NE(p.tree->DragObject(), nullptr);
  EXPECT_EQ(p.tree->DragObject()->GetCount(), 1);
  EXPECT_EQ(p.tree->GetDragState(), dsDragging);

  target.choose = DROPEFFECT_MOVE;
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(TreeTarget(p)->DragOver(MK_RBUTTON, over, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));  // the folder's target decides
  EXPECT_EQ(target.Sequence(), "enter over leave");
  // The highlight is the current drop node, as the control reports it.
  EXPECT_EQ(p.DropHilite(), d->ItemId());
  EXPECT_EQ(p.tree->targetPaths.back(), f / "d");

  // By the drop the button is up; the folder still hears of a right drag.
  target.Clear();
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(TreeTarget(p)->Drop(&data, 0, over, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
  ASSERT_EQ(target.Sequence(), "enter over drop");
  EXPECT_EQ(target.calls[0].keyState, static_cast<DWORD>(MK_RBUTTON));
  EXPECT_EQ(target.calls[1].keyState, static_cast<DWORD>(MK_RBUTTON));
  EXPECT_EQ(target.calls[2].keyState, 0u);
  EXPECT_EQ(p.tree->DragObject(), nullptr);
  EXPECT_EQ(p.DropHilite(), nullptr);
  EXPECT_EQ(p.tree->GetDragState(), dsWait);

  // The folder's target is kept while the shell may still be working with it.
  target.AddRef();  // the shell's own worker holding it
  EXPECT_FALSE(p.tree->CanClose());
  target.Release();
  EXPECT_TRUE(p.tree->CanClose());
  EXPECT_EQ(target.Refs(), 0u);
}

TEST(ShellTreeDrop, AFolderRefusingTheEntryGetsNoDropAndAVetoStopsIt) {
  TreeDrag drag;
  auto& [f, p, target, data] = drag;
  fw::TreeNode* d = p.Node(f / "d");
  POINTL over = p.ScreenPoint(p.LabelPoint(d));
  auto dropWith = [&](DWORD keyState) {
    DWORD effect = DROPEFFECT_COPY;
    TreeTarget(p)->DragEnter(&data, keyState, over, &effect);
    effect = DROPEFFECT_COPY;
    TreeTarget(p)->DragOver(keyState, over, &effect);
    target.Clear();
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(TreeTarget(p)->Drop(&data, 0, over, &effect), S_OK);
    return effect;
  };
  target.enterResult = E_FAIL;
  EXPECT_EQ(dropWith(MK_LBUTTON), static_cast<DWORD>(DROPEFFECT_NONE));
  ASSERT_EQ(target.Sequence(), "enter");
  EXPECT_EQ(target.calls[0].keyState, static_cast<DWORD>(MK_LBUTTON));

  target.enterResult = S_OK;
  p.tree->OnShDragDrop = [](fw::Object*, TShellDragObject*, fw::TreeNode*, fw::TShiftState, int, int,
                            bool& defaultAction) { defaultAction = false; };
  EXPECT_EQ(dropWith(MK_LBUTTON), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_TRUE(target.calls.empty());
  EXPECT_EQ(p.DropHilite(), nullptr);
}

TEST(ShellTreeDrop, UnreadableDataIsRefusedEverywhereWithoutHarm) {
  Folders f;
  Pane p;
  RecordingDropTarget target;
  p.tree->target = &target;
  p.combo->target = &target;
  p.tree->SetPath(f / "a");
  fw::TreeNode* d = p.Node(f / "d");
  POINTL over = p.ScreenPoint(p.LabelPoint(d));
  for (DataKind kind : {DataKind::TextOnly, DataKind::Malformed}) {
    FakeDataObject data(kind, {});
    for (IDropTarget* t : {TreeTarget(p), p.combo->DropTargetInterface()}) {
      DWORD effect = DROPEFFECT_COPY;
      EXPECT_EQ(t->DragEnter(&data, MK_LBUTTON, over, &effect), S_OK) << static_cast<int>(kind);
      EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE)) << static_cast<int>(kind);
      effect = DROPEFFECT_COPY;
      EXPECT_EQ(t->DragOver(MK_LBUTTON, over, &effect), S_OK) << static_cast<int>(kind);
      EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE)) << static_cast<int>(kind);
      effect = DROPEFFECT_COPY;
      EXPECT_EQ(t->Drop(&data, 0, over, &effect), S_OK) << static_cast<int>(kind);
      EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE)) << static_cast<int>(kind);
    }
  }
  EXPECT_TRUE(target.calls.empty());
  EXPECT_EQ(p.tree->GetDragState(), dsWait);
  // A drop with no data at all is the caller's error.
  DWORD effect = DROPEFFECT_COPY;
  EXPECT_EQ(TreeTarget(p)->DragEnter(nullptr, 0, over, &effect), E_INVALIDARG);
  EXPECT_EQ(TreeTarget(p)->Drop(nullptr, 0, over, &effect), E_INVALIDARG);
}

TEST(ShellTreeDrop, HoveringOpensAFolderOnlyAfterThirtyRepeatedDragOvers) {
  TreeDrag drag;
  auto& [f, p, target, data] = drag;
  fw::TreeNode* a = p.Node(f / "a");
  ASSERT_TRUE(a->HasChildren());
  ASSERT_FALSE(a->Expanded());
  p.ShowFromTop(p.Node(f.dir.Path()));
  POINTL over = p.ScreenPoint(p.LabelPoint(a));
  DWORD effect = DROPEFFECT_COPY;
  TreeTarget(p)->DragEnter(&data, MK_LBUTTON, over, &effect);
  effect = DROPEFFECT_COPY;
  TreeTarget(p)->DragOver(MK_LBUTTON, over, &effect);  // arriving on the folder
  for (int i = 1; i <= 30; ++i) {
    effect = DROPEFFECT_COPY;
    TreeTarget(p)->DragOver(MK_LBUTTON, over, &effect);
  }
  EXPECT_FALSE(a->Expanded());
  EXPECT_EQ(p.tree->HoverCount(), 30);
  effect = DROPEFFECT_COPY;
  TreeTarget(p)->DragOver(MK_LBUTTON, over, &effect);
  EXPECT_TRUE(a->Expanded());
  EXPECT_EQ(p.tree->HoverCount(), 0);
  // Moving to another folder starts the count again.
  fw::TreeNode* d = p.Node(f / "d");
  p.ShowFromTop(p.Node(f.dir.Path()));
  POINTL overD = p.ScreenPoint(p.LabelPoint(d));
  TreeTarget(p)->DragOver(MK_LBUTTON, overD, &effect);
  TreeTarget(p)->DragOver(MK_LBUTTON, overD, &effect);
  EXPECT_EQ(p.tree->HoverCount(), 1);
  EXPECT_EQ(TreeTarget(p)->DragLeave(), S_OK);
  EXPECT_EQ(p.DropHilite(), nullptr);
  EXPECT_EQ(p.tree->GetDragState(), dsWait);
}

TEST(ShellTreeDrop, DraggingNearTheTopOrBottomEdgeScrolls) {
  Folders f;
  for (int i = 0; i < 40; ++i) ::CreateDirectoryA((f / ("many" + std::to_string(100 + i))).c_str(), nullptr);
  Pane p;
  fw::TreeNode* folder = p.Node(f.dir.Path());
  folder->Expand(false);
  FakeDataObject data(DataKind::Shell, {f / "note.txt"});
  HWND h = p.tree->Handle();
  RECT rc{};
  ::GetClientRect(h, &rc);
  ::SendMessageA(h, WM_VSCROLL, SB_TOP, 0);
  auto overAt = [&](int y) {
    POINTL pt = p.ScreenPoint(POINT{rc.right / 3, y});
    DWORD effect = DROPEFFECT_COPY;
    TreeTarget(p)->DragOver(MK_LBUTTON, pt, &effect);
  };
  DWORD effect = DROPEFFECT_COPY;
  TreeTarget(p)->DragEnter(&data, MK_LBUTTON, p.ScreenPoint(POINT{rc.right / 3, rc.bottom / 2}), &effect);
  int top = ::GetScrollPos(h, SB_VERT);
  overAt(rc.bottom / 2);
  EXPECT_EQ(::GetScrollPos(h, SB_VERT), top);
  overAt(rc.bottom - 2);
  overAt(rc.bottom - 2);
  int lowered = ::GetScrollPos(h, SB_VERT);
  EXPECT_GT(lowered, top);
  overAt(1);
  EXPECT_LT(::GetScrollPos(h, SB_VERT), lowered);
  TreeTarget(p)->DragLeave();
}

// ---------------------------------------------------------------------------
// Path box

TEST(ShellComboDrop, DropsGoIntoTheFolderTheBoxShows) {
  Folders f;
  Pane p;
  RecordingDropTarget target;
  p.combo->target = &target;
  p.tree->SetPath(f / "d");
  ASSERT_EQ(p.combo->GetPath(), f / "d");
  FakeDataObject data(DataKind::Shell, {f / "note.txt"});
  RECT r{};
  ::GetWindowRect(p.combo->Handle(), &r);
  POINTL pt{r.left + 5, r.top + 5};
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
  ASSERT_EQ(p.combo->DropTargetInterface()->DragEnter(&data, MK_LBUTTON, pt, &effect), S_OK);
  ASSERT_NE(p.combo->DragObject(), nullptr);
  target.choose = DROPEFFECT_LINK;
  effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
  EXPECT_EQ(p.combo->DropTargetInterface()->DragOver(MK_LBUTTON, pt, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_LINK));
  target.Clear();
  effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
  EXPECT_EQ(p.combo->DropTargetInterface()->Drop(&data, 0, pt, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_LINK));
  ASSERT_EQ(target.Sequence(), "enter over drop");
  EXPECT_EQ(target.calls[0].keyState, static_cast<DWORD>(MK_LBUTTON));
  for (const std::string& path : p.combo->targetPaths) EXPECT_EQ(path, f / "d");
  EXPECT_EQ(p.combo->DragObject(), nullptr);
  EXPECT_TRUE(p.combo->CanClose());
  EXPECT_EQ(target.Refs(), 0u);
}

}  // namespace
