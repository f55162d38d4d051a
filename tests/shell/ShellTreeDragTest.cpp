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
#include "tests/shell/ShellFakes.h"
#include "tests/shell/ShellListTestSupport.h"

namespace {

using listtest::ListForm;
using listtest::Settle;

// ---------------------------------------------------------------------------
// Doubles

// A data object on the stack offering one of three payloads.
class FakeData final : public IDataObject, public shellfakes::RefCounted {
 public:
  enum Kind { kShellItems, kPlainText, kMalformed };

  // Shell items: "Shell IDList Array" and CF_HDROP for files in one folder.
  FakeData(Kind kind, const std::string& folder = {}, const std::vector<std::string>& names = {}) : m_kind(kind) {
    if (kind == kPlainText) {
      m_text = "just some words";
      return;
    }
    if (kind == kMalformed) {
      // A count far past the block and an offset outside it.
      m_idList.assign(16, 0);
      std::uint32_t count = 5000, offset = 0x7FFFFFF0;
      std::memcpy(m_idList.data(), &count, 4);
      std::memcpy(m_idList.data() + 4, &offset, 4);
      return;
    }
    UniqueIDList parent;
    GetIDListFromPath(folder, parent);
    std::vector<std::vector<BYTE>> children;
    for (const std::string& name : names) {
      UniqueIDList full;
      GetIDListFromPath(folder + "\\" + name, full);
      LPCITEMIDLIST last = ::ILFindLastID(full.get());
      auto bytes = reinterpret_cast<const BYTE*>(last);
      children.emplace_back(bytes, bytes + ::ILGetSize(last));
    }
    UINT parentSize = ::ILGetSize(parent.get());
    std::size_t header = 4 * (children.size() + 2);
    m_idList.assign(header, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(m_idList.data() + at, &v, 4); };
    put32(0, static_cast<std::uint32_t>(children.size()));
    put32(4, static_cast<std::uint32_t>(m_idList.size()));
    auto bytes = reinterpret_cast<const BYTE*>(parent.get());
    m_idList.insert(m_idList.end(), bytes, bytes + parentSize);
    for (std::size_t i = 0; i < children.size(); ++i) {
      put32(8 + 4 * i, static_cast<std::uint32_t>(m_idList.size()));
      m_idList.insert(m_idList.end(), children[i].begin(), children[i].end());
    }
    DROPFILES files{};
    files.pFiles = sizeof files;
    m_hdrop.assign(reinterpret_cast<const BYTE*>(&files), reinterpret_cast<const BYTE*>(&files) + sizeof files);
    for (const std::string& name : names) {
      std::string path = folder + "\\" + name;
      m_hdrop.insert(m_hdrop.end(), path.begin(), path.end());
      m_hdrop.push_back(0);
    }
    m_hdrop.push_back(0);
  }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDataObject) {
      *out = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return DoAddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return DoRelease(); }
  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
    const std::vector<BYTE>* bytes = Payload(format);
    if (!bytes) return DV_E_FORMATETC;
    HGLOBAL global = ::GlobalAlloc(GMEM_MOVEABLE, bytes->size());
    std::memcpy(::GlobalLock(global), bytes->data(), bytes->size());
    ::GlobalUnlock(global);
    *medium = STGMEDIUM{};
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = global;
    return S_OK;
  }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC* format) override { return Payload(format) ? S_OK : DV_E_FORMATETC; }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  const std::vector<BYTE>* Payload(const FORMATETC* format) const {
    if (!format || !(format->tymed & TYMED_HGLOBAL)) return nullptr;
    if (format->cfFormat == IDLISTFormat().cfFormat && !m_idList.empty()) return &m_idList;
    if (format->cfFormat == CF_HDROP && !m_hdrop.empty()) return &m_hdrop;
    if (format->cfFormat == CF_TEXT && !m_textBytes().empty()) return &m_textCache;
    return nullptr;
  }
  const std::vector<BYTE>& m_textBytes() const {
    if (m_textCache.empty() && !m_text.empty()) m_textCache.assign(m_text.begin(), m_text.end() + 1);
    return m_textCache;
  }
  Kind m_kind;
  std::string m_text;
  mutable std::vector<BYTE> m_textCache;
  std::vector<BYTE> m_idList;
  std::vector<BYTE> m_hdrop;
};

// Stands in for the shell's drop target of a folder: records what it is
// told and answers as configured.
class RecordingTarget final : public IDropTarget, public shellfakes::RefCounted {
 public:
  struct Call {
    std::string what;
    DWORD keyState;
  };
  std::vector<Call> calls;
  DWORD answerEffect = DROPEFFECT_COPY;
  HRESULT enterResult = S_OK;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDropTarget) {
      *out = static_cast<IDropTarget*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return DoAddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return DoRelease(); }
  STDMETHODIMP DragEnter(IDataObject*, DWORD keyState, POINTL, DWORD* effect) override {
    calls.push_back({"enter", keyState});
    *effect &= answerEffect;
    return enterResult;
  }
  STDMETHODIMP DragOver(DWORD keyState, POINTL, DWORD* effect) override {
    calls.push_back({"over", keyState});
    *effect &= answerEffect;
    return S_OK;
  }
  STDMETHODIMP DragLeave() override {
    calls.push_back({"leave", 0});
    return S_OK;
  }
  STDMETHODIMP Drop(IDataObject*, DWORD keyState, POINTL, DWORD* effect) override {
    calls.push_back({"drop", keyState});
    *effect &= answerEffect;
    return S_OK;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const Call& c : calls) names.push_back(c.what);
    return names;
  }
};

// The tree with the shell's drop targets replaced by one recording target.
class TestTree : public TShellTreeView {
 public:
  using TShellTreeView::TShellTreeView;
  RecordingTarget* target = nullptr;
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
  RecordingTarget* target = nullptr;
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
  Folders f;
  Pane p;
  RecordingTarget target;
  p.tree->target = &target;
  fw::TreeNode* d = p.Node(f / "d");
  FakeData data(FakeData::kShellItems, f.dir.Path(), {"note.txt"});
  POINTL over = p.ScreenPoint(p.LabelPoint(d));
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  ASSERT_EQ(TreeTarget(p)->DragEnter(&data, MK_RBUTTON, over, &effect), S_OK);
  ASSERT_NE(p.tree->DragObject(), nullptr);
  EXPECT_EQ(p.tree->DragObject()->GetCount(), 1);
  EXPECT_EQ(p.tree->GetDragState(), dsDragging);

  target.answerEffect = DROPEFFECT_MOVE;
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(TreeTarget(p)->DragOver(MK_RBUTTON, over, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));  // the folder's target decides
  EXPECT_EQ(target.Names(), (std::vector<std::string>{"enter", "over", "leave"}));
  // The highlight is the current drop node, as the control reports it.
  EXPECT_EQ(p.DropHilite(), d->ItemId());
  EXPECT_EQ(p.tree->targetPaths.back(), f / "d");

  // By the drop the button is up; the folder still hears of a right drag.
  target.calls.clear();
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(TreeTarget(p)->Drop(&data, 0, over, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
  ASSERT_EQ(target.Names(), (std::vector<std::string>{"enter", "over", "drop"}));
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
  Folders f;
  Pane p;
  RecordingTarget target;
  p.tree->target = &target;
  fw::TreeNode* d = p.Node(f / "d");
  FakeData data(FakeData::kShellItems, f.dir.Path(), {"note.txt"});
  POINTL over = p.ScreenPoint(p.LabelPoint(d));
  auto dropWith = [&](DWORD keyState) {
    DWORD effect = DROPEFFECT_COPY;
    TreeTarget(p)->DragEnter(&data, keyState, over, &effect);
    effect = DROPEFFECT_COPY;
    TreeTarget(p)->DragOver(keyState, over, &effect);
    target.calls.clear();
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(TreeTarget(p)->Drop(&data, 0, over, &effect), S_OK);
    return effect;
  };
  target.enterResult = E_FAIL;
  EXPECT_EQ(dropWith(MK_LBUTTON), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(target.Names(), std::vector<std::string>{"enter"});
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
  RecordingTarget target;
  p.tree->target = &target;
  p.combo->target = &target;
  p.tree->SetPath(f / "a");
  fw::TreeNode* d = p.Node(f / "d");
  POINTL over = p.ScreenPoint(p.LabelPoint(d));
  for (FakeData::Kind kind : {FakeData::kPlainText, FakeData::kMalformed}) {
    FakeData data(kind);
    for (IDropTarget* t : {TreeTarget(p), p.combo->DropTargetInterface()}) {
      DWORD effect = DROPEFFECT_COPY;
      EXPECT_EQ(t->DragEnter(&data, MK_LBUTTON, over, &effect), S_OK) << kind;
      EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE)) << kind;
      effect = DROPEFFECT_COPY;
      EXPECT_EQ(t->DragOver(MK_LBUTTON, over, &effect), S_OK) << kind;
      EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE)) << kind;
      effect = DROPEFFECT_COPY;
      EXPECT_EQ(t->Drop(&data, 0, over, &effect), S_OK) << kind;
      EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE)) << kind;
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
  Folders f;
  Pane p;
  RecordingTarget target;
  p.tree->target = &target;
  fw::TreeNode* a = p.Node(f / "a");
  ASSERT_TRUE(a->HasChildren());
  ASSERT_FALSE(a->Expanded());
  p.ShowFromTop(p.Node(f.dir.Path()));
  FakeData data(FakeData::kShellItems, f.dir.Path(), {"note.txt"});
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
  FakeData data(FakeData::kShellItems, f.dir.Path(), {"note.txt"});
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
  RecordingTarget target;
  p.combo->target = &target;
  p.tree->SetPath(f / "d");
  ASSERT_EQ(p.combo->GetPath(), f / "d");
  FakeData data(FakeData::kShellItems, f.dir.Path(), {"note.txt"});
  RECT r{};
  ::GetWindowRect(p.combo->Handle(), &r);
  POINTL pt{r.left + 5, r.top + 5};
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
  ASSERT_EQ(p.combo->DropTargetInterface()->DragEnter(&data, MK_LBUTTON, pt, &effect), S_OK);
  ASSERT_NE(p.combo->DragObject(), nullptr);
  target.answerEffect = DROPEFFECT_LINK;
  effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
  EXPECT_EQ(p.combo->DropTargetInterface()->DragOver(MK_LBUTTON, pt, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_LINK));
  target.calls.clear();
  effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
  EXPECT_EQ(p.combo->DropTargetInterface()->Drop(&data, 0, pt, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_LINK));
  ASSERT_EQ(target.Names(), (std::vector<std::string>{"enter", "over", "drop"}));
  EXPECT_EQ(target.calls[0].keyState, static_cast<DWORD>(MK_LBUTTON));
  for (const std::string& path : p.combo->targetPaths) EXPECT_EQ(path, f / "d");
  EXPECT_EQ(p.combo->DragObject(), nullptr);
  EXPECT_TRUE(p.combo->CanClose());
  EXPECT_EQ(target.Refs(), 0u);
}

}  // namespace
