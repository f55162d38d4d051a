#include "shell/ShellSystemMenu.h"

#include <algorithm>
#include <vector>

#include "framework/ui/Application.h"
#include "framework/ui/Form.h"
#include "framework/ui/ImageList.h"
#include "framework/ui/MenuPainter.h"
#include "shell/Shellcst.h"

namespace {
// The forms that carry a TShellSystemMenu (user-interface thread only).
std::vector<fw::Form*>& SystemMenuForms() {
  static std::vector<fw::Form*> forms;
  return forms;
}

UINT ReferenceOf(TShSysMenuInstPos pos) {
  switch (pos) {
    case mpLast:
      return static_cast<UINT>(-1);
    case mpSize:
      return SC_SIZE;
    case mpMove:
      return SC_MOVE;
    case mpMinimize:
      return SC_MINIMIZE;
    case mpMaximize:
      return SC_MAXIMIZE;
    case mpClose:
      return SC_CLOSE;
    case mpRestore:
      return SC_RESTORE;
    case mpTop:
    default:
      return 0;
  }
}

bool ByPosition(TShSysMenuInstPos pos) { return pos == mpTop || pos == mpLast; }

// The window-menu message that says the menu closes rather than an item was selected.
bool MenuCloses(WPARAM wp, LPARAM lp) { return HIWORD(wp) == 0xFFFF && lp == 0; }
}  // namespace

TShellSystemMenu::TShellSystemMenu(fw::Component* owner) : fw::PopupMenu(owner) {
  auto* form = dynamic_cast<fw::Form*>(owner);
  if (!form) throw fw::EInvalidCast();
  auto& forms = SystemMenuForms();
  if (std::find(forms.begin(), forms.end(), form) != forms.end()) {
    m_form = nullptr;
    throw TShSysMenuError(sShSysMenuDuplicate);
  }
  forms.push_back(form);
  m_listedForm = form;
  m_form = form;
  fw::TApplication& app = fw::Application();
  if (!app.MainForm()) {
    // The first form: its system menu stands for the program on the task
    // bar, whose button menu belongs to the application window.
    m_appHookToken =
        app.HookMainWindow([this](UINT msg, WPARAM wp, LPARAM lp, LRESULT&) { return AppWindowHook(msg, wp, lp); });
    ::SetClassLongPtrA(app.Handle(), GCLP_HICON, reinterpret_cast<LONG_PTR>(app.Icon()));
  }
  m_previousWndProc = form->WindowProc();
  form->SetWindowProc([this](UINT msg, WPARAM wp, LPARAM lp) { return NewWndProc(msg, wp, lp); });
}

TShellSystemMenu::~TShellSystemMenu() {
  // Removed whatever the main form is by now: a hook left behind would call a
  // component that no longer exists.
  if (m_appHookToken) fw::Application().UnhookMainWindow(m_appHookToken);
  m_appHookToken = 0;
  if (m_form) {
    if (m_form->HandleAllocated()) DeleteInsertMenu(m_form->Handle());
    RestoreWindowProc();
  }
  auto& forms = SystemMenuForms();
  forms.erase(std::remove(forms.begin(), forms.end(), m_listedForm), forms.end());
}

void TShellSystemMenu::RestoreWindowProc() {
  if (m_form) m_form->SetWindowProc(m_previousWndProc);
  m_form = nullptr;
}

void TShellSystemMenu::Loaded() {
  if (m_form && m_form->HandleAllocated()) SetSysMenuStatus(m_form->Handle());
}

bool TShellSystemMenu::IsOwnerDrawn(const fw::MenuItem& item) const {
  return (Images() != nullptr && item.ImageIndex() != -1) || item.Bitmap() != nullptr;
}

void TShellSystemMenu::SetSysMenuStatus(HWND wnd) {
  if (!wnd) return;
  // Reverting destroys the current system menu, and with it the sub-menus
  // of own items still in it: those are the items' own, so they leave first.
  DeleteInsertMenu(wnd);
  ::GetSystemMenu(wnd, TRUE);
  HMENU menu = ::GetSystemMenu(wnd, FALSE);
  if (!menu) return;
  // Close stays visible (greyed): a window menu without it looks broken.
  if (!m_enableCommands.Contains(scClose)) ::EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
  const std::pair<TShSysMenuCommand, UINT> removable[] = {{scSize, SC_SIZE},
                                                          {scMove, SC_MOVE},
                                                          {scMinimize, SC_MINIMIZE},
                                                          {scMaximize, SC_MAXIMIZE},
                                                          {scRestore, SC_RESTORE}};
  for (const auto& [command, id] : removable)
    if (!m_enableCommands.Contains(command)) ::DeleteMenu(menu, id, MF_BYCOMMAND);
}

void TShellSystemMenu::SetEnableCommands(TShSysMenuCommands v) {
  m_enableCommands = v;
  if (m_form && m_form->HandleAllocated()) SetSysMenuStatus(m_form->Handle());
}

void TShellSystemMenu::SetInsertPos(TShSysMenuInstPos v) {
  if (v == m_insertPos) return;
  m_insertPos = v;
  m_insertRef = ReferenceOf(v);
}

void TShellSystemMenu::ApplyMenus(HWND wnd) {
  HMENU menu = wnd ? ::GetSystemMenu(wnd, FALSE) : nullptr;
  if (!menu) return;
  bool byPosition = ByPosition(m_insertPos);
  UINT ref = m_insertRef;
  // Before a command that EnableCommands took out there is no place: the
  // items go to the end rather than vanish.
  if (!byPosition && ::GetMenuState(menu, ref, MF_BYCOMMAND) == static_cast<UINT>(-1)) {
    byPosition = true;
    ref = static_cast<UINT>(-1);
  }
  InsertItemsInto(menu, ref, byPosition, [this](const fw::MenuItem& item) { return IsOwnerDrawn(item); });
  ::DrawMenuBar(wnd);
}

void TShellSystemMenu::DeleteInsertMenu(HWND wnd) {
  HMENU menu = wnd ? ::GetSystemMenu(wnd, FALSE) : nullptr;
  if (menu) RemoveItemsFrom(menu);
}

bool TShellSystemMenu::StandardCommandHint(UINT id) {
  const char* hint = nullptr;
  switch (id) {
    case SC_SIZE:
      hint = sSysMenuSizeHint;
      break;
    case SC_MOVE:
      hint = sSysMenuMoveHint;
      break;
    case SC_MINIMIZE:
      hint = sSysMenuMinimizeHint;
      break;
    case SC_MAXIMIZE:
      hint = sSysMenuMaximizeHint;
      break;
    case SC_CLOSE:
      hint = sSysMenuCloseHint;
      break;
    case SC_RESTORE:
      hint = sSysMenuRestoreHint;
      break;
    default:
      return false;
  }
  fw::Application().SetHint(hint);
  return true;
}

bool TShellSystemMenu::AppWindowHook(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_MENUSELECT || MenuCloses(wp, lp)) return false;
  try {
    UINT id = LOWORD(wp);
    bool popup = (HIWORD(wp) & MF_POPUP) != 0;
    if (!popup && StandardCommandHint(id)) return false;
    fw::MenuItem* item = nullptr;
    if (popup) {
      HMENU sub = lp ? ::GetSubMenu(reinterpret_cast<HMENU>(lp), static_cast<int>(id)) : nullptr;
      if (sub) item = FindItem(reinterpret_cast<UINT_PTR>(sub), fw::TFindItemKind::fkHandle);
    } else {
      item = FindItem(id, fw::TFindItemKind::fkCommand);
    }
    fw::Application().SetHint(item ? fw::GetLongHint(item->Hint()) : std::string(" "));
  } catch (const std::exception& e) {
    fw::Application().HandleException(e);
  }
  return false;
}

LRESULT TShellSystemMenu::CallPrevious(UINT msg, WPARAM wp, LPARAM lp) {
  if (m_previousWndProc) return m_previousWndProc(msg, wp, lp);
  return 0;
}

LRESULT TShellSystemMenu::NewWndProc(UINT msg, WPARAM wp, LPARAM lp) {
  try {
    return WindowMessage(msg, wp, lp);
  } catch (const std::exception& e) {
    fw::Application().HandleException(e);
  }
  return 0;
}

LRESULT TShellSystemMenu::WindowMessage(UINT msg, WPARAM wp, LPARAM lp) {
  HWND wnd = m_form && m_form->HandleAllocated() ? m_form->Handle() : nullptr;
  switch (msg) {
    case WM_CREATE: {
      // The form's window may come after the component: it gets the status then.
      LRESULT r = CallPrevious(msg, wp, lp);
      if (wnd && r != -1) SetSysMenuStatus(wnd);
      return r;
    }
    case WM_DESTROY: {
      // The system menu goes with the window; the own items' sub-menus must not.
      if (wnd) DeleteInsertMenu(wnd);
      fw::Control::WindowMethod previous = m_previousWndProc;
      RestoreWindowProc();
      return previous ? previous(msg, wp, lp) : 0;
    }
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      fw::MenuItem* item = dis->CtlType == ODT_MENU ? fw::MenuItem::FromItemData(dis->itemData) : nullptr;
      if (item && item->GetMenu() == this) {
        fw::DrawOwnerMenuItem(*item, dis->hDC, dis->rcItem, (dis->itemState & ODS_SELECTED) != 0, Images());
        return TRUE;
      }
      break;
    }
    case WM_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      fw::MenuItem* item = mis->CtlType == ODT_MENU ? fw::MenuItem::FromItemData(mis->itemData) : nullptr;
      if (item && item->GetMenu() == this) {
        fw::WindowDC dc(wnd);
        SIZE size = fw::MeasureOwnerMenuItem(*item, dc.get(), Images());
        mis->itemWidth = static_cast<UINT>(size.cx);
        mis->itemHeight = static_cast<UINT>(size.cy);
        return TRUE;
      }
      break;
    }
    case WM_WINDOWPOSCHANGING: {
      // Activated from the task bar while the program is minimised: only a
      // change of Z order arrives, and the program must come back.
      auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
      HWND app = fw::Application().Handle();
      if (pos && pos->flags == (SWP_NOSIZE | SWP_NOMOVE) && app && ::IsIconic(app))
        ::PostMessageA(app, WM_SYSCOMMAND, SC_RESTORE, 0);
      break;
    }
    case WM_HELP: {
      auto* info = reinterpret_cast<HELPINFO*>(lp);
      if (info && info->iContextType == HELPINFO_MENUITEM) {
        if (fw::MenuItem* item = FindItem(static_cast<UINT>(info->iCtrlId), fw::TFindItemKind::fkCommand)) {
          int context = 0;
          for (fw::MenuItem* i = item; i && !context; i = i->ParentItem()) context = i->HelpContext();
          if (context) fw::Application().HelpContext(context);
          return TRUE;
        }
      }
      break;
    }
    case WM_INITMENU:
      // Every opening shows the items as they are now.
      if (wnd) {
        DeleteInsertMenu(wnd);
        ApplyMenus(wnd);
      }
      break;
    case WM_INITMENUPOPUP:
      if (fw::MenuItem* item = FindItem(static_cast<UINT_PTR>(wp), fw::TFindItemKind::fkHandle)) {
        if (item->OnClick) item->OnClick(item);
        return 0;
      }
      break;
    case WM_MENUSELECT: {
      if (MenuCloses(wp, lp)) break;
      UINT id = LOWORD(wp);
      bool popup = (HIWORD(wp) & MF_POPUP) != 0;
      if (!popup) {
        if (!StandardCommandHint(id)) fw::Application().SetHint(" ");
        if (id > 0xEFFF) return 0;  // a system command
      }
      fw::MenuItem* item = nullptr;
      if (popup) {
        HMENU sub = lp ? ::GetSubMenu(reinterpret_cast<HMENU>(lp), static_cast<int>(id)) : nullptr;
        if (sub) item = FindItem(reinterpret_cast<UINT_PTR>(sub), fw::TFindItemKind::fkHandle);
      } else {
        item = FindItem(id, fw::TFindItemKind::fkCommand);
      }
      if (item) {
        fw::Application().SetHint(fw::GetLongHint(item->Hint()));
        return 0;
      }
      fw::Application().SetHint(" ");
      break;
    }
    case WM_SYSCOMMAND:
      // An own item chosen in the system menu arrives as a system command
      // with the item's identifier (below the system's range).
      if (wp < 0xF000) {
        if (fw::MenuItem* item = FindItem(static_cast<UINT>(wp), fw::TFindItemKind::fkCommand)) {
          item->Click();
          return 0;
        }
      }
      break;
    case WM_MENUCHAR:
      if (LRESULT r = ProcessMenuChar(reinterpret_cast<HMENU>(lp), static_cast<char>(LOWORD(wp)))) return r;
      break;
    default:
      break;
  }
  return CallPrevious(msg, wp, lp);
}
