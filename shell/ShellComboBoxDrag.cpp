// The path combo box as an OLE drop target: whatever is dropped on it goes
// into the folder it shows (the current entry), not into the row under the
// pointer -- the list is closed while something is dragged over the box.
// The folder's own shell drop target decides what the drop does.
#include "shell/ShellComboBox.h"

TShellComboItem* TShellComboBox::DropEntry() {
  TShellComboItem* item = GetComboItem(ItemIndex());
  if (!item || !item->HasCorrectData()) return nullptr;
  if (item->GetLevel() != 0 && !item->HasShAttributesOf(iaDropTarget)) return nullptr;
  return item;
}

bool TShellComboBox::GetEntryDropTarget(TShellComboItem* item, fw::ComPtr<IDropTarget>& target) {
  target.Reset();
  return item && item->GetDropTarget(target) && target;
}

bool TShellComboBox::CanDragEnter(DWORD keyState, POINTL pt, DWORD* effect) {
  bool accept = true;
  if (OnShDragEnter) OnShDragEnter(this, m_dragObject.get(), KeyStateToShiftState(keyState), POINT{pt.x, pt.y}, accept);
  if (!accept) *effect = DROPEFFECT_NONE;
  return accept;
}

void TShellComboBox::DoDragOver(TShellComboItem* item, DWORD keyState, POINTL pt) {
  if (OnShDragOver) OnShDragOver(this, m_dragObject.get(), item, KeyStateToShiftState(keyState), pt.x, pt.y);
}

bool TShellComboBox::CanDragDrop(TShellComboItem* item, DWORD keyState, POINTL pt, DWORD* effect) {
  bool defaultAction = true;
  if (OnShDragDrop)
    OnShDragDrop(this, m_dragObject.get(), item, KeyStateToShiftState(keyState), pt.x, pt.y, defaultAction);
  if (!defaultAction) *effect = DROPEFFECT_NONE;
  return defaultAction;
}

void TShellComboBox::DoDragLeave() {
  if (OnShDragLeave) OnShDragLeave(this);
}

HRESULT TShellComboBox::DropDragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) {
  try {
    m_dragObject.reset();
    HRESULT refusal = S_OK;
    m_dragObject = EnterShellDrag(data, keyState, effect, m_rightDragging, refusal);
    if (!m_dragObject) return refusal;
    if (!CanDragEnter(keyState, pt, effect)) m_dragObject.reset();
    return S_OK;
  } catch (...) {
    m_dragObject.reset();
    *effect = DROPEFFECT_NONE;
    return E_UNEXPECTED;
  }
}

HRESULT TShellComboBox::DropDragOver(DWORD keyState, POINTL pt, DWORD* effect) {
  try {
    TShellComboItem* item = m_dragObject ? DropEntry() : nullptr;
    fw::ComPtr<IDropTarget> target;
    if (!item || !GetEntryDropTarget(item, target)) {
      *effect = DROPEFFECT_NONE;
      return S_OK;
    }
    HRESULT result = AskShellDropTarget(target.Get(), m_dragObject->GetDataObject(), keyState, pt, effect);
    DoDragOver(item, keyState, pt);
    return result;
  } catch (...) {
    *effect = DROPEFFECT_NONE;
    return E_UNEXPECTED;
  }
}

HRESULT TShellComboBox::DropDragLeave() {
  try {
    if (!m_dragObject) return S_OK;
    DoDragLeave();
    m_dragObject.reset();
    return S_OK;
  } catch (...) {
    m_dragObject.reset();
    return E_UNEXPECTED;
  }
}

HRESULT TShellComboBox::DropDrop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) {
  try {
    if (!data || !m_dragObject) {
      m_dragObject.reset();
      return RefuseUnenteredDrop(data, effect);
    }
    TShellComboItem* item = DropEntry();
    fw::ComPtr<IDropTarget> target;
    HRESULT result = S_OK;
    if (!item || !GetEntryDropTarget(item, target)) {
      *effect = DROPEFFECT_NONE;
    } else if (CanDragDrop(item, keyState, pt, effect)) {
      result = ReplayShellDrop(target.Get(), data, keyState, m_rightDragging, pt, effect);
      // The shell may still be copying on a thread of its own after Drop.
      m_pendingDropTargets.push_back(target);
    }
    m_dragObject.reset();
    return result;
  } catch (...) {
    m_dragObject.reset();
    *effect = DROPEFFECT_NONE;
    return E_UNEXPECTED;
  }
}
