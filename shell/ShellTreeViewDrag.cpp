// The folder tree's mouse: a node is selected when the button comes up, not
// when it goes down, so that a folder can be dragged away without becoming
// the folder shown; a right click shows the folder's shell menu. And the tree
// as an OLE drop target: drops go to the shell's own drop target of the
// folder under the pointer, which decides what happens.

#include <utility>

#include "framework/base/ScopeExit.h"
#include "framework/ui/Application.h"
#include "framework/ui/Menus.h"
#include "shell/ShellComboBox.h"
#include "shell/ShellCurrentDirectory.h"
#include "shell/ShellPopupMenu.h"
#include "shell/ShellTreeView.h"

namespace {

// Hit flags of a press that may become a click or a drag: on the item's
// icon, label or state icon.
constexpr UINT kDragHitFlags = TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON;  // 0x46
// Drag-over calls on the same folder before it opens by itself.
constexpr int kHoverExpandCount = 30;

HTREEITEM HitTest(HWND window, POINT client, UINT& flags) {
  TVHITTESTINFO hit{};
  hit.pt = client;
  auto item = reinterpret_cast<HTREEITEM>(::SendMessageA(window, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  flags = hit.flags;
  return item;
}

int AbsoluteFontHeight(HFONT font) {
  LOGFONTA lf{};
  if (font && ::GetObjectA(font, sizeof lf, &lf) == sizeof lf && lf.lfHeight != 0)
    return lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
  // The system's font when the control has none of its own.
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) &&
      metrics.lfMessageFont.lfHeight != 0)
    return metrics.lfMessageFont.lfHeight < 0 ? -metrics.lfMessageFont.lfHeight : metrics.lfMessageFont.lfHeight;
  return 12;
}

}  // namespace

// ---------------------------------------------------------------------------
// Mouse

void TShellTreeView::LeftButtonDown(int x, int y) {
  m_dragState = dsWait;
  UINT flags = 0;
  HTREEITEM item = HitTest(m_handle, POINT{x, y}, flags);
  if (item && (flags & kDragHitFlags)) {
    SetDropTarget(NodeFromItem(item));
    m_dragState = dsWaitDragging;
    m_dragStartPoint = POINT{x, y};
  } else if (item && (flags & (TVHT_ONITEMINDENT | TVHT_ONITEMBUTTON | TVHT_ONITEMRIGHT))) {
    SetDropTarget(nullptr);
  }
}

void TShellTreeView::RightButtonDown(int x, int y) {
  m_dragState = dsWait;
  fw::TreeNode* node = GetNodeAt(x, y);
  if (IsCorrectNode(node) && FolderItemOfNode(node)->GetLevel() != 0) {
    SetDropTarget(node);
    m_dragState = dsRWaitDragging;
    m_dragStartPoint = POINT{x, y};
  }
}

void TShellTreeView::LeftButtonUp() {
  fw::TreeNode* node = DropTarget();
  if (m_dragState == dsWaitDragging && IsCorrectNode(node)) {
    m_dragState = dsWait;
    SelectNode(node);
    SetDropTarget(nullptr);
    // With single-expand on, the control opens the folder it selects; a
    // selection it was refused at the press needs the step taken again.
    if (AutoExpand() && node == Selected()) Change(node);
  }
  m_dragState = dsWait;
}

void TShellTreeView::AfterButtonDown(bool right) {
  // The control follows a press with a modal wait of its own that swallows
  // the release when the pointer stays put: the release then never reaches
  // this window. A wait still pending with the button already up is that
  // click, and is finished here.
  if (right) {
    m_contextPopupAsked = false;
    if (m_dragState != dsRWaitDragging || PhysicalButtonDown(true)) return;
    // A right click whose menu was not shown (none linked, or handled
    // elsewhere) must not leave the tree refusing every selection change.
    SetDropTarget(nullptr);
    m_dragState = dsWait;
    return;
  }
  if (m_dragState == dsWaitDragging && !PhysicalButtonDown(false)) LeftButtonUp();
}

void TShellTreeView::MouseMoved(int x, int y) {
  if (m_dragState != dsWaitDragging && m_dragState != dsRWaitDragging) return;
  if (!CanBeginDrag(m_dragStartPoint, x, y)) return;
  BeginDrag();
}

bool TShellTreeView::CanBeginDrag(POINT pt, int x, int y) {
  fw::TreeNode* node = DropTarget();
  if (!IsCorrectNode(node)) return false;
  TShellFolderItem* item = FolderItemOfNode(node);
  if (item->GetLevel() == 0) return false;
  if (!PhysicalButtonDown(m_dragState == dsRWaitDragging)) return false;
  if (!item->HasShAttributesOf(iaCanCopy) && !item->HasShAttributesOf(iaCanMove) && !item->HasShAttributesOf(iaCanLink))
    return false;
  if (!PastDragThreshold(pt, x, y)) return false;
  bool canDrag = true;
  if (OnShBeginDrag) OnShBeginDrag(this, node, pt, x, y, canDrag);
  return canDrag;
}

void TShellTreeView::BeginDrag() {
  fw::TreeNode* node = DropTarget();
  if (!IsCorrectNode(node)) return;
  TShellFolderItem* item = FolderItemOfNode(node);
  fw::ComPtr<IShellFolder> folder;
  if (!item->GetShellFolder(folder) || !folder) return;
  LPCITEMIDLIST id = item->GetItemID();
  // Every capability bit: the low three are the copy, move and link effects
  // the drag may end in, handed to OLE as they are.
  SFGAOF attributes = SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANLINK | SFGAO_CANRENAME | SFGAO_CANDELETE |
                      SFGAO_HASPROPSHEET | SFGAO_DROPTARGET;  // 0x177
  if (FAILED(folder->GetAttributesOf(1, &id, &attributes))) return;
  fw::ComPtr<IDataObject> data;
  if (FAILED(folder->GetUIObjectOf(m_handle, 1, &id, IID_IDataObject, nullptr, data.PutVoid())) || !data) return;
  m_dragState = dsDragging;
  fw::ScopeExit done([this] {
    m_dragState = dsWait;
    SetDropTarget(nullptr);
  });
  DWORD effect = DROPEFFECT_NONE;
  ShellDoDragDrop(data.Get(), m_dropRegistration->Source(), attributes, &effect);
}

// ---------------------------------------------------------------------------
// Context menu

bool TShellTreeView::CNNotify(NMHDR* header, LRESULT& result) {
  if (header->code != NM_RCLICK || m_dragState != dsRWaitDragging) return fw::TreeView::CNNotify(header, result);
  // The control reports the end of a right click here, before it raises a
  // context-menu message of its own -- which not every version of the
  // control sends to itself. The menu is shown from here, for the point
  // where the button went down.
  POINT client = m_dragStartPoint;
  bool handled = false;
  if (OnContextPopup) OnContextPopup(this, client, handled);
  m_contextPopupAsked = true;
  if (!handled) handled = ShellContextPopupReporting(client);
  result = handled ? 1 : 0;
  return true;
}

LRESULT TShellTreeView::ContextMenuMessage(WPARAM wp, LPARAM lp) {
  // The right click's own report has asked the owner already.
  bool asked = std::exchange(m_contextPopupAsked, false);
  POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
  if (pt.x == -1 && pt.y == -1) {  // from the keyboard: under the control's corner
    pt = POINT{4, 4};
    ::ClientToScreen(m_handle, &pt);
  }
  POINT client = pt;
  ::ScreenToClient(m_handle, &client);
  bool handled = false;
  if (OnContextPopup && !asked) OnContextPopup(this, client, handled);
  if (!handled) handled = ShellContextPopupReporting(client);
  if (handled) return 0;
  if (fw::PopupMenu* menu = GetPopupMenu(); menu && menu->AutoPopup()) {
    menu->SetPopupComponent(this);
    menu->Popup(pt.x, pt.y);
    return 0;
  }
  return DefaultHandler(WM_CONTEXTMENU, wp, lp);
}

bool TShellTreeView::ShellContextPopupReporting(POINT client) {
  try {
    return ShellContextPopup(client);
  } catch (const std::exception& e) {
    fw::HandleException(e);
    return true;
  }
}

bool TShellTreeView::ShellContextPopup(POINT client) {
  if (m_dragState != dsRWaitDragging || !m_popupMenu) return false;
  fw::ScopeExit done([this] {
    SetDropTarget(nullptr);
    m_dragState = dsWait;
  });
  POINT screen = client;
  ::ClientToScreen(m_handle, &screen);
  fw::TreeNode* node = DropTarget();
  // The control may have taken the highlight back during its own handling
  // of the click (it does on the selected node): the node is where the
  // button went down, shown highlighted while its menu is up.
  if (!node) {
    node = GetNodeAt(m_dragStartPoint.x, m_dragStartPoint.y);
    SetDropTarget(node);
  }
  // The desktop root has no shell menu here.
  if (!IsCorrectNode(node) || FolderItemOfNode(node)->GetLevel() == 0) return false;
  SuspendChangeNotify();
  fw::ScopeExit resume([this] { ResumeChangeNotify(); });
  fw::TreeNode* parentIfSelected = node == Selected() ? node->Parent() : nullptr;
  TShellFolderItem* item = FolderItemOfNode(node);
  m_commandList.Clear();
  m_commandList.SetParentItemID(item->GetParentItemID());
  m_commandList.Add(item->GetItemID());
  m_popupMenu->SetPopupComponent(this);
  // The system deletes no folder that is the current directory (which
  // follows the folder the list shows): out of it while the menu runs, back
  // afterwards if it is still there.
  const std::string folder = item->GetPath();
  const std::string cwd = shellcwd::CurrentDirectory();
  const bool inside = !folder.empty() && shellcwd::IsSameOrInside(cwd, folder);
  if (inside) ::SetCurrentDirectoryA(shellcwd::ParentOfPath(folder).c_str());
  int code = m_popupMenu->DoContextMenu(m_commandList, screen);
  if (inside) ::SetCurrentDirectoryA(cwd.c_str());  // fails harmlessly when it went
  ContextMenuCommand(code, node, parentIfSelected);
  return true;
}

void TShellTreeView::ContextMenuCommand(int code, fw::TreeNode* node, fw::TreeNode* parentIfSelected) {
  switch (code) {
    case kShellMenuCodeDelete:
      if (parentIfSelected && IsCorrectNode(parentIfSelected)) {
        // The folder shown is gone: the list moves to its parent before the
        // tree's refresh would find the node missing.
        if (m_listView) {
          m_listView->SuspendChangeNotify();
          m_listView->SetNameSpace(FolderItemOfNode(parentIfSelected)->GetRootItemID());
          m_listView->ResumeChangeNotify();
        }
        m_dragState = dsWait;
        SelectNode(parentIfSelected);
      }
      if (m_comboBox) {
        m_comboBox->BeginUpdate();
        fw::ScopeExit endUpdate([this] { m_comboBox->EndUpdate(); });
        m_comboBox->InitData();
        RefreshFolder();
        m_comboBox->SetNameSpace(GetNameSpace());
      } else {
        RefreshFolder();
      }
      break;
    case kShellMenuCodeRename:
      m_dragState = dsWait;
      node->EditText();
      break;
    case kShellMenuCodeCut:
      // One cut at a time: the clipboard holds only the latest.
      for (fw::TreeNode* n = Items().GetFirstNode(); n; n = n->GetNext())
        if (n->Cut() && n != node) n->SetCut(false);
      node->SetCut(true);
      break;
    default:
      m_dragState = dsWait;
      break;
  }
}

// ---------------------------------------------------------------------------
// Drop target

bool TShellTreeView::GetNodeDropTarget(fw::TreeNode* node, fw::ComPtr<IDropTarget>& target) {
  target.Reset();
  return IsCorrectNode(node) && FolderItemOfNode(node)->GetDropTarget(target) && target;
}

bool TShellTreeView::NodeAcceptsDrops(fw::TreeNode* node) {
  TShellFolderItem* item = FolderItemOfNode(node);
  return item->HasShAttributesOf(iaDropTarget) || item->GetLevel() == 0;
}

bool TShellTreeView::CanDragEnter(DWORD keyState, POINTL pt, DWORD* effect) {
  bool accept = true;
  if (OnShDragEnter) OnShDragEnter(this, m_dragObject.get(), KeyStateToShiftState(keyState), POINT{pt.x, pt.y}, accept);
  if (!accept) *effect = DROPEFFECT_NONE;
  return accept;
}

void TShellTreeView::DoDragOver(fw::TreeNode* node, DWORD keyState, int x, int y) {
  if (OnShDragOver) OnShDragOver(this, m_dragObject.get(), node, KeyStateToShiftState(keyState), x, y);
}

bool TShellTreeView::CanDragDrop(fw::TreeNode* node, DWORD keyState, int x, int y, DWORD* effect) {
  bool defaultAction = true;
  if (OnShDragDrop) OnShDragDrop(this, m_dragObject.get(), node, KeyStateToShiftState(keyState), x, y, defaultAction);
  if (!defaultAction) {
    SetDropTarget(nullptr);
    *effect = DROPEFFECT_NONE;
  }
  return defaultAction;
}

void TShellTreeView::DoDragLeave() {
  if (OnShDragLeave) OnShDragLeave(this);
}

HRESULT TShellTreeView::DropDragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) {
  try {
    m_hoverCount = 0;
    m_dragObject.reset();
    HRESULT refusal = S_OK;
    m_dragObject = EnterShellDrag(data, keyState, effect, m_rightDragging, refusal);
    if (!m_dragObject) return refusal;
    if (!CanDragEnter(keyState, pt, effect)) {
      m_dragObject.reset();
      return S_OK;
    }
    m_dragState = dsDragging;
    return S_OK;
  } catch (...) {
    m_dragObject.reset();
    *effect = DROPEFFECT_NONE;
    return E_UNEXPECTED;
  }
}

HRESULT TShellTreeView::DropDragOver(DWORD keyState, POINTL pt, DWORD* effect) {
  try {
    if (!m_dragObject) {
      *effect = DROPEFFECT_NONE;
      return S_OK;
    }
    POINT client{pt.x, pt.y};
    ::ScreenToClient(m_handle, &client);
    fw::TreeNode* node = GetNodeAt(client.x, client.y);
    HRESULT result = S_OK;
    if (!node) {
      *effect = DROPEFFECT_NONE;
      SetDropTarget(nullptr);
    } else {
      fw::TreeNode* before = DropTarget();
      SetDropTarget(node);
      if (!IsCorrectNode(node) || !NodeAcceptsDrops(node)) {
        *effect = DROPEFFECT_NONE;
      } else {
        fw::ComPtr<IDropTarget> target;
        if (GetNodeDropTarget(node, target)) {
          result = AskShellDropTarget(target.Get(), m_dragObject->GetDataObject(), keyState, pt, effect);
          DoDragOver(node, keyState, client.x, client.y);
        } else {
          *effect = DROPEFFECT_NONE;
        }
      }
      // Hovering on a folder long enough opens it.
      if (node == before) {
        if (++m_hoverCount > kHoverExpandCount && node->HasChildren()) {
          node->Expand(false);
          m_hoverCount = 0;
        }
      } else {
        m_hoverCount = 0;
      }
    }
    ShellAutoScroll(m_handle, AbsoluteFontHeight(Font()), client);
    return result;
  } catch (...) {
    *effect = DROPEFFECT_NONE;
    return E_UNEXPECTED;
  }
}

void TShellTreeView::EndDragOver() {
  m_dragObject.reset();
  SetDropTarget(nullptr);
  m_dragState = dsWait;
}

HRESULT TShellTreeView::DropDragLeave() {
  try {
    if (m_dragObject) {
      m_dragObject.reset();
      DoDragLeave();
    }
    EndDragOver();
    return S_OK;
  } catch (...) {
    EndDragOver();
    return E_UNEXPECTED;
  }
}

HRESULT TShellTreeView::DropDrop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) {
  try {
    if (!m_dragObject) {
      EndDragOver();
      return RefuseUnenteredDrop(data, effect);
    }
    fw::ScopeExit done([this] { EndDragOver(); });
    fw::TreeNode* node = DropTarget();
    if (!IsCorrectNode(node)) {
      *effect = DROPEFFECT_NONE;
      return S_OK;
    }
    POINT client{pt.x, pt.y};
    ::ScreenToClient(m_handle, &client);
    if (!CanDragDrop(node, keyState, client.x, client.y, effect)) return S_OK;
    if (!NodeAcceptsDrops(node)) {
      *effect = DROPEFFECT_NONE;
      return S_OK;
    }
    fw::ComPtr<IDropTarget> target;
    if (!GetNodeDropTarget(node, target)) {
      *effect = DROPEFFECT_NONE;
      return S_OK;
    }
    HRESULT result = ReplayShellDrop(target.Get(), data ? data : m_dragObject->GetDataObject(), keyState,
                                     m_rightDragging, pt, effect);
    // The shell may still be copying on a thread of its own after Drop.
    m_pendingDropTargets.push_back(target);
    return result;
  } catch (...) {
    *effect = DROPEFFECT_NONE;
    EndDragOver();
    return E_UNEXPECTED;
  }
}
