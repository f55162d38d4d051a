// TShellListView as an OLE drag source (the selected rows) and drop target.
// The control never copies or moves anything itself: a drop goes to the
// shell's own drop target of the folder row under the pointer, or of the
// folder shown, so copy, move, link and the right-drag menu are the shell's.
#include "shell/ShellListView.h"

#include <cstdlib>
#include <utility>

#include "framework/base/Handle.h"
#include "shell/Shellcst.h"

namespace {

// Resets a member when the scope ends, however it ends.
template <typename T>
class RestoreOnExit {
 public:
  RestoreOnExit(T& target, T value) : m_target(target), m_value(std::move(value)) {}
  ~RestoreOnExit() { m_target = std::move(m_value); }
  RestoreOnExit(const RestoreOnExit&) = delete;
  RestoreOnExit& operator=(const RestoreOnExit&) = delete;

 private:
  T& m_target;
  T m_value;
};

constexpr DWORD kDropEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

}  // namespace

// ---------------------------------------------------------------------------
// Drag source

bool TShellListView::CanBeginDrag(TShellIDList& list, POINT pt, int x, int y) {
  // The button must still be down now, not merely when the move was queued:
  // a click the user already finished must not turn into a drag.
  if (!PhysicalButtonDown(m_dragState == dsRWaitDragging)) return false;
  if (!PastDragThreshold(pt, x, y)) return false;
  if (!list.HasShAttributesOf(iaCanCopy) && !list.HasShAttributesOf(iaCanMove) && !list.HasShAttributesOf(iaCanLink))
    return false;
  bool canDrag = true;
  if (OnShBeginDrag) OnShBeginDrag(this, list, pt, x, y, canDrag);
  return canDrag;
}

void TShellListView::DragMouseMove(POINT pt) {
  if (!m_fileList->GetRootItemID()) return;
  TShellIDList& selection = m_fileList->GetSelItemIDs();
  if (selection.Count() == 0) return;
  if (!CanBeginDrag(selection, m_dragStart, pt.x, pt.y)) return;
  StartShellDrag(selection);
}

void TShellListView::StartShellDrag(TShellIDList& selection) {
  fw::ComPtr<IShellFolder> folder;
  if (!m_fileList->GetShellFolder(folder)) return;
  fw::ComPtr<IDataObject> data;
  if (FAILED(folder->GetUIObjectOf(m_handle, static_cast<UINT>(selection.Count()), selection.GetItemIDs(),
                                   IID_IDataObject, nullptr, data.PutVoid())) ||
      !data)
    return;
  // The capability bits beyond copy, move and link mean nothing to a drop
  // target and must not reach it as effects.
  DWORD okEffects = selection.GetOKEffects() & kDropEffects;
  if (okEffects == 0) return;
  m_dragState = dsDragging;
  RestoreOnExit<TShDragState> waitAgain(m_dragState, dsWait);
  DWORD effect = DROPEFFECT_NONE;
  ShellDoDragDrop(data.Get(), DropSource(), okEffects, &effect);
}

// ---------------------------------------------------------------------------
// Drop target

bool TShellListView::CanDragEnter(TShellDragObject* dragObject, DWORD keyState, DWORD& effect, POINT pt) {
  bool accept = true;
  if (OnShDragEnter) OnShDragEnter(this, dragObject, KeyStateToShiftState(keyState), pt, accept);
  if (!accept) effect = DROPEFFECT_NONE;
  return accept;
}

void TShellListView::DoDragOver(TShellDragObject* dragObject, TShellFileItem* item, DWORD&, POINT pt, DWORD keyState) {
  if (OnShDragOver) OnShDragOver(this, dragObject, item, KeyStateToShiftState(keyState), pt.x, pt.y);
}

bool TShellListView::CanDragDrop(TShellDragObject* dragObject, TShellFileItem* item, DWORD& effect, POINT pt,
                                 DWORD keyState) {
  bool defaultAction = true;
  if (OnShDragDrop) OnShDragDrop(this, dragObject, item, KeyStateToShiftState(keyState), pt.x, pt.y, defaultAction);
  if (!defaultAction) effect = DROPEFFECT_NONE;
  return defaultAction;
}

void TShellListView::DoDragLeave() {
  if (OnShDragLeave) OnShDragLeave(this);
}

bool TShellListView::GetItemDropTarget(TShellFileItem* item, fw::ComPtr<IDropTarget>& target) {
  return item->GetDropTarget(target);
}

bool TShellListView::GetFolderDropTarget(fw::ComPtr<IDropTarget>& target) { return m_fileList->GetDropTarget(target); }

int TShellListView::DropRowAt(POINT client) {
  int row = GetItemIndexAt(client.x, client.y);
  // Large icons leave a gap between icon and caption where the hit test
  // finds nothing although the pointer is visibly on the item.
  if (row < 0 && ViewStyle() == fw::TViewStyle::vsIcon) row = GetItemIndexAt(client.x, client.y - 2);
  return row;
}

void TShellListView::SetDropHighlight(int row) {
  if (row == m_dropHighlight) return;
  int old = std::exchange(m_dropHighlight, row);
  if (!m_handle) return;
  // The state is served with the rows (callback mask): only a repaint shows it.
  if (old >= 0) ::SendMessageA(m_handle, LVM_REDRAWITEMS, static_cast<WPARAM>(old), static_cast<LPARAM>(old));
  if (row >= 0) ::SendMessageA(m_handle, LVM_REDRAWITEMS, static_cast<WPARAM>(row), static_cast<LPARAM>(row));
  ::UpdateWindow(m_handle);
}

bool TShellListView::FolderTakesDrops() {
  // The desktop is no drop target by its attributes, but its directory is.
  return m_fileList->GetRootItemID() && (m_fileList->GetLevel() == 0 || m_fileList->HasShAttributesOf(iaDropTarget));
}

HRESULT TShellListView::DropDragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) {
  try {
    m_dragObject.reset();
    // Neither shell items nor file names, or data that cannot be read
    // (from another program, or malformed): refused before any event.
    HRESULT refusal = S_OK;
    std::unique_ptr<TShellDragObject> drag = EnterShellDrag(data, keyState, effect, m_rightDrag, refusal);
    if (!drag) return refusal;
    if (CanDragEnter(drag.get(), keyState, *effect, POINT{pt.x, pt.y})) m_dragObject = std::move(drag);
    return S_OK;
  } catch (...) {
    m_dragObject.reset();
    *effect = DROPEFFECT_NONE;
    return E_UNEXPECTED;
  }
}

HRESULT TShellListView::DropDragOver(DWORD keyState, POINTL pt, DWORD* effect) {
  try {
    if (!m_dragObject || !m_handle) {
      *effect = DROPEFFECT_NONE;
      return S_OK;
    }
    POINT screen{pt.x, pt.y};
    POINT client = screen;
    ::ScreenToClient(m_handle, &client);
    IDataObject* data = m_dragObject->GetDataObject();
    int row = DropRowAt(client);
    TShellFileItem* item = row >= 0 ? GetFileItem(row) : nullptr;
    fw::ComPtr<IDropTarget> target;
    HRESULT hr = S_OK;
    if (item && item->HasShAttributesOf(iaDropTarget) && GetItemDropTarget(item, target) && target) {
      hr = AskShellDropTarget(target.Get(), data, keyState, pt, effect);
      SetDropHighlight(row);
      DoDragOver(m_dragObject.get(), item, *effect, screen, keyState);
    } else {
      // A file row, or no row: the drop would go into the folder shown.
      SetDropHighlight(-1);
      if (FolderTakesDrops() && GetFolderDropTarget(target) && target) {
        hr = AskShellDropTarget(target.Get(), data, keyState, pt, effect);
        DoDragOver(m_dragObject.get(), item, *effect, screen, keyState);
      } else {
        *effect = DROPEFFECT_NONE;
      }
    }
    DoAutoScroll(client);
    return hr;
  } catch (...) {
    *effect = DROPEFFECT_NONE;
    return E_UNEXPECTED;
  }
}

HRESULT TShellListView::DropDragLeave() {
  try {
    SetDropHighlight(-1);
    if (m_dragObject) {
      m_dragObject.reset();
      DoDragLeave();
    }
    return S_OK;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT TShellListView::DropDrop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) {
  try {
    if (!m_dragObject) {
      *effect = DROPEFFECT_NONE;
      return E_INVALIDARG;
    }
    // Whatever happens below, the drag is over for the control.
    struct Finish {
      TShellListView* view;
      ~Finish() {
        view->m_dragObject.reset();
        view->SetDropHighlight(-1);
      }
    } finish{this};

    POINT screen{pt.x, pt.y};
    fw::ComPtr<IDropTarget> target;
    if (m_dropHighlight >= 0) {
      TShellFileItem* item = GetFileItem(m_dropHighlight);
      if (!CanDragDrop(m_dragObject.get(), item, *effect, screen, keyState)) return S_OK;
      if (!item || !item->HasShAttributesOf(iaDropTarget) || !GetItemDropTarget(item, target) || !target) {
        *effect = DROPEFFECT_NONE;
        return S_OK;
      }
    } else {
      if (!CanDragDrop(m_dragObject.get(), nullptr, *effect, screen, keyState)) return S_OK;
      if (!FolderTakesDrops() || !GetFolderDropTarget(target) || !target) {
        *effect = DROPEFFECT_NONE;
        return S_OK;
      }
    }
    IDataObject* dropped = data ? data : m_dragObject->GetDataObject();
    HRESULT hr = ReplayShellDrop(target.Get(), dropped, keyState, m_rightDrag, pt, effect);
    // The shell may go on copying in the background after Drop returned;
    // its target must live until it is done (see CanClose).
    m_pendingDropTargets.push_back(std::move(target));
    return hr;
  } catch (...) {
    *effect = DROPEFFECT_NONE;
    return E_UNEXPECTED;
  }
}

// ---------------------------------------------------------------------------
// Auto-scroll

int TShellListView::AutoScrollMargin() {
  LOGFONTA lf{};
  HFONT font = Font();
  if (font && ::GetObjectA(font, sizeof lf, &lf) == sizeof lf && lf.lfHeight != 0) return std::abs(lf.lfHeight);
  // A zero height asks for the default size: measure what the window uses.
  int height = 12;
  fw::WindowDC dc(m_handle);
  if (dc.get()) {
    fw::SelectGuard select(dc.get(), font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA tm{};
    if (::GetTextMetricsA(dc.get(), &tm)) height = tm.tmHeight;
  }
  return height;
}

void TShellListView::DoAutoScroll(POINT client) {
  if (!m_handle) return;
  ShellAutoScroll(m_handle, AutoScrollMargin(), client);
}
