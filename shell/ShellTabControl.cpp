#include "shell/ShellTabControl.h"

#include <commctrl.h>

TShTabHitTests TabHitTestsFromFlags(UINT flags) noexcept {
  TShTabHitTests result;
  if (flags & TCHT_NOWHERE) {
    result.Include(thNoWhere);
  } else if ((flags & TCHT_ONITEM) == TCHT_ONITEM) {
    result.Include(thOnItem);
  } else {
    if (flags & TCHT_ONITEMICON) result.Include(thOnItemIcon);
    if (flags & TCHT_ONITEMLABEL) result.Include(thOnItemLavel);
  }
  return result;
}

TShellTabControl::TShellTabControl(fw::Component* owner) : fw::TabControl(owner) {}

int TShellTabControl::GetSelectIndex() const { return TabIndex(); }

void TShellTabControl::SetSelectIndex(int index) {
  SetTabIndex(index);
  Change();
}

int TShellTabControl::GetFocusIndex() const {
  return m_handle ? static_cast<int>(::SendMessageA(m_handle, TCM_GETCURFOCUS, 0, 0)) : TabIndex();
}

void TShellTabControl::SetFocusIndex(int index) {
  if (HWND h = Handle()) ::SendMessageA(h, TCM_SETCURFOCUS, static_cast<WPARAM>(index), 0);
}

int TShellTabControl::GetTabAt(int x, int y) const { return IndexOfTabAt(x, y); }

int TShellTabControl::GetHitTestInfoAt(int x, int y, TShTabHitTests& hitTests) const {
  UINT flags = 0;
  int index = HitTest(x, y, flags);
  hitTests = TabHitTestsFromFlags(flags);
  return index;
}

void TShellTabControl::Loaded() {
  // The system font may have changed since the tabs were measured: handing
  // the control its font again makes it lay the strip out anew.
  if (HWND h = Handle()) ::SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), TRUE);
}
