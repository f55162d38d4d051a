#include "framework/ui/Form.h"

#include <algorithm>

#include "framework/ui/Actions.h"
#include "framework/ui/Application.h"
#include "framework/ui/Menus.h"

namespace fw {
namespace {
Form::ModalHook& ModalHookRef() {
  static Form::ModalHook hook;
  return hook;
}
BOOL CALLBACK CollectEnabledWindow(HWND w, LPARAM lp) {
  auto* list = reinterpret_cast<std::vector<HWND>*>(lp);
  if (::IsWindowVisible(w) && ::IsWindowEnabled(w)) list->push_back(w);
  return TRUE;
}
}  // namespace

Form::Form(Component* owner) : Control(owner) {
  m_visible = false;
  m_left = CW_USEDEFAULT;
  m_top = CW_USEDEFAULT;
  m_width = 400;
  m_height = 300;
}

Form::~Form() {
  if (!m_destroyed) Form::BeforeDestruction();
}

void Form::BeforeDestruction() {
  if (m_destroyed) return;
  m_destroyed = true;
  // OnDestroy must see the whole form: its handlers read the controls.
  if (OnDestroy) {
    try {
      OnDestroy(this);
    } catch (const std::exception& e) {
      HandleException(e);
    }
  }
  Control::BeforeDestruction();
  // Free the components while the derived form is still whole, then the window.
  DestroyComponents();
  DestroyHandle();
}

void Form::DoCreate() {
  if (m_created) return;
  m_created = true;
  if (OnCreate) {
    try {
      OnCreate(this);
    } catch (const std::exception& e) {
      // The window still opens; the error is reported.
      HandleException(e);
    }
  }
}

void Form::CreateParams(fw::CreateParams& p) {
  Control::CreateParams(p);
  p.className = RegisterOwnWindowClass("OrvaneForm", CS_DBLCLKS);
  p.menuOrId = nullptr;
  p.style = WS_CLIPCHILDREN;
  p.exStyle = WS_EX_CONTROLPARENT;
  switch (m_borderStyle) {
    case TFormBorderStyle::bsSizeable:
      p.style |= WS_OVERLAPPEDWINDOW;
      break;
    case TFormBorderStyle::bsDialog:
      p.style |= WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
      p.exStyle |= WS_EX_DLGMODALFRAME;
      break;
    case TFormBorderStyle::bsSingle:
      p.style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
      break;
    case TFormBorderStyle::bsToolWindow:
      p.style |= WS_POPUP | WS_CAPTION | WS_SYSMENU;
      p.exStyle |= WS_EX_TOOLWINDOW;
      break;
    case TFormBorderStyle::bsNone:
      p.style |= WS_POPUP;
      break;
  }
  // The window is shown by SetVisible, after it has been placed.
  p.style &= ~WS_VISIBLE;
  Form* main = Application().MainForm();
  p.parent = (main && main != this) ? main->Handle() : nullptr;  // dialogs stay above the main window
}

void Form::CreateWnd() {
  Control::CreateWnd();
  HICON icon = m_icon ? m_icon : Application().Icon();
  ::SendMessageA(m_handle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  ::SendMessageA(m_handle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  if (m_menu) m_menu->AttachTo(m_handle);
  UpdateStoredBounds();
}

void Form::Notification(Component* component, Operation operation) {
  Control::Notification(component, operation);
  if (operation != Operation::opRemove) return;
  if (component == m_menu) m_menu = nullptr;
  if (component == m_activeControl) m_activeControl = nullptr;
  m_actionLists.erase(std::remove(m_actionLists.begin(), m_actionLists.end(), component), m_actionLists.end());
}

void Form::SetMenu(MainMenu* menu) {
  m_menu = menu;
  if (menu) FreeNotification(menu);
  if (m_handle) {
    if (menu)
      menu->AttachTo(m_handle);
    else
      ::SetMenu(m_handle, nullptr);
  }
}

void Form::RefreshMenu() {
  if (m_menu && m_handle) m_menu->AttachTo(m_handle);
}

void Form::SetIcon(HICON icon) {
  m_icon = icon;
  if (m_handle) {
    ::SendMessageA(m_handle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    ::SendMessageA(m_handle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  }
}

void Form::SetBorderStyle(TFormBorderStyle s) {
  if (m_borderStyle == s) return;
  m_borderStyle = s;
  RecreateWnd();
}

void Form::AddActionList(ActionList* list) {
  if (!list || std::find(m_actionLists.begin(), m_actionLists.end(), list) != m_actionLists.end()) return;
  m_actionLists.push_back(list);
  FreeNotification(list);
}

bool Form::IsShortCut(WORD key, TShiftState shift) {
  TShortCut sc = ShortCut(key, shift);
  if (m_menu && m_menu->IsShortCut(sc)) return true;
  for (ActionList* list : std::vector<ActionList*>(m_actionLists))
    if (list->IsShortCut(sc)) return true;
  return false;
}

void Form::PlaceAtPosition() {
  if (m_position == TPosition::poDesigned) return;
  RECT area{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  RECT ref = area;
  if (m_position != TPosition::poScreenCenter) {
    Form* main = Application().MainForm();
    if (main && main != this && main->HandleAllocated() && ::IsWindowVisible(main->Handle()))
      ::GetWindowRect(main->Handle(), &ref);
  }
  int x = ref.left + ((ref.right - ref.left) - m_width) / 2;
  int y = ref.top + ((ref.bottom - ref.top) - m_height) / 2;
  x = std::max<int>(area.left, std::min<int>(x, area.right - m_width));
  y = std::max<int>(area.top, std::min<int>(y, area.bottom - m_height));
  SetBounds(x, y, m_width, m_height);
}

void Form::SetVisible(bool visible) {
  if (visible) {
    HWND h = Handle();
    if (!h) return;
    bool wasVisible = m_visible && ::IsWindowVisible(h);
    m_visible = true;
    if (wasVisible) return;
    if (!m_shownOnce) PlaceAtPosition();
    if (OnShow) OnShow(this);
    int cmd = SW_SHOWNORMAL;
    if (!m_shownOnce) {
      if (m_pendingState == TWindowState::wsMaximized) cmd = SW_SHOWMAXIMIZED;
      if (m_pendingState == TWindowState::wsMinimized) cmd = SW_SHOWMINIMIZED;
    } else if (::IsZoomed(h)) {
      cmd = SW_SHOWMAXIMIZED;
    } else if (::IsIconic(h)) {
      cmd = SW_RESTORE;
    }
    m_shownOnce = true;
    ::ShowWindow(h, cmd);
    Realign();
    if (m_activeControl && m_activeControl->CanFocus()) m_activeControl->SetFocus();
  } else {
    if (!m_visible) return;
    m_visible = false;
    if (m_handle) ::ShowWindow(m_handle, SW_HIDE);
    if (OnHide) OnHide(this);
  }
}

void Form::SetBounds(int left, int top, int width, int height) {
  if (m_handle && (::IsZoomed(m_handle) || ::IsIconic(m_handle))) {
    // Changes the bounds the window returns to, leaving its state alone.
    WINDOWPLACEMENT wp{sizeof wp};
    ::GetWindowPlacement(m_handle, &wp);
    wp.rcNormalPosition = RECT{left, top, left + width, top + height};
    ::SetWindowPlacement(m_handle, &wp);
    return;
  }
  Control::SetBounds(left, top, width, height);
}

RECT Form::NormalBounds() {
  if (m_handle) {
    WINDOWPLACEMENT wp{sizeof wp};
    if (::GetWindowPlacement(m_handle, &wp)) return wp.rcNormalPosition;
  }
  return BoundsRect();
}

TWindowState Form::WindowState() {
  if (m_handle && m_shownOnce) {
    if (::IsIconic(m_handle)) return TWindowState::wsMinimized;
    if (::IsZoomed(m_handle)) return TWindowState::wsMaximized;
    return TWindowState::wsNormal;
  }
  return m_pendingState;
}

void Form::SetWindowState(TWindowState state) {
  m_pendingState = state;
  if (m_handle && m_shownOnce && m_visible) {
    int cmd = state == TWindowState::wsMaximized   ? SW_MAXIMIZE
              : state == TWindowState::wsMinimized ? SW_MINIMIZE
                                                   : SW_RESTORE;
    ::ShowWindow(m_handle, cmd);
  }
}

void Form::SetModalHook(ModalHook hook) { ModalHookRef() = std::move(hook); }
const Form::ModalHook& Form::GetModalHook() { return ModalHookRef(); }

int Form::ShowModal() {
  m_modalResult = mrNone;
  if (ModalHookRef()) {
    Handle();
    m_modal = true;
    int r = ModalHookRef()(*this);
    m_modal = false;
    m_modalResult = r;
    return r;
  }
  HWND h = Handle();
  if (!h) return mrCancel;
  // Every other window of this thread is disabled while the dialog runs.
  std::vector<HWND> disabled;
  ::EnumThreadWindows(::GetCurrentThreadId(), CollectEnabledWindow, reinterpret_cast<LPARAM>(&disabled));
  disabled.erase(std::remove(disabled.begin(), disabled.end(), h), disabled.end());
  for (HWND w : disabled) ::EnableWindow(w, FALSE);
  m_modal = true;
  Show();
  ::SetActiveWindow(h);
  TApplication& app = Application();
  while (m_modalResult == mrNone) {
    app.HandleMessage();
    if (app.Terminated()) {
      m_modalResult = mrCancel;
      ::PostQuitMessage(0);  // the outer loop must see the quit as well
    }
  }
  for (HWND w : disabled)
    if (::IsWindow(w)) ::EnableWindow(w, TRUE);
  Hide();
  m_modal = false;
  return m_modalResult;
}

bool Form::CloseQuery() {
  bool can = true;
  if (OnCloseQuery) OnCloseQuery(this, can);
  return can;
}

void Form::Close() {
  if (!CloseQuery()) return;
  if (m_modal) {
    if (m_modalResult == mrNone) m_modalResult = mrCancel;
    return;
  }
  TCloseAction action = TCloseAction::caHide;
  if (OnClose) OnClose(this, action);
  if (action == TCloseAction::caNone) return;
  if (Application().MainForm() == this) {
    Application().Terminate();
    return;
  }
  if (action == TCloseAction::caMinimize)
    SetWindowState(TWindowState::wsMinimized);
  else
    Hide();
}

void Form::Activate() {
  if (m_handle) ::SetForegroundWindow(m_handle);
}

bool Form::Active() const { return m_handle && ::GetActiveWindow() == m_handle; }

void Form::SetActiveControl(Control* c) {
  if (m_activeControl == c) return;
  m_activeControl = c;
  if (c) {
    FreeNotification(c);
    if (Active() && c->CanFocus()) c->SetFocus();
  }
}

LRESULT Form::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE:
      Close();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE) {
        if (OnActivate) OnActivate(this);
        if (m_activeControl && m_activeControl->CanFocus() && m_activeControl->HandleAllocated()) {
          ::SetFocus(m_activeControl->Handle());
          return 0;
        }
      } else {
        // Remember the focused control so it gets the focus back.
        if (Control* c = Control::FromHandle(::GetFocus()); c && c != this && c->ParentForm() == this)
          m_activeControl = c;
        if (OnDeactivate) OnDeactivate(this);
      }
      break;
    case WM_MENUSELECT: {
      // A form with a menu bar shows the long hint of the item under the
      // cursor (its bar's and its pop-up menus') in the status bar, and
      // clears it when the menu closes. Forms without one leave the hint to
      // whatever else put items into their menus.
      if (!m_menu) break;
      const UINT flags = HIWORD(wp);
      if (flags == 0xFFFF && lp == 0) {
        Application().SetHint("");
        break;
      }
      // The system menu's items are whoever put them there to describe.
      if (flags & MF_SYSMENU) break;
      MenuItem* item = (flags & MF_POPUP) ? MenuItem::FromSubMenu(::GetSubMenu(reinterpret_cast<HMENU>(lp), LOWORD(wp)))
                                          : MenuItem::FromCommand(LOWORD(wp));
      Application().SetHint(item ? GetLongHint(item->Hint()) : std::string());
      break;
    }
    case WM_SYSCOMMAND:
      if ((wp & 0xFFF0) == SC_MINIMIZE && Application().MainForm() == this) {
        LRESULT r = DefaultHandler(msg, wp, lp);
        Application().DoMinimize();
        return r;
      }
      break;
    default:
      break;
  }
  return Control::WndProc(msg, wp, lp);
}

}  // namespace fw
