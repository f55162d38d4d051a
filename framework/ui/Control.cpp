#include "framework/ui/Control.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/ui/Application.h"
#include "framework/ui/Commands.h"
#include "framework/ui/Form.h"
#include "framework/ui/Menus.h"

namespace fw {
namespace {
const char kControlProp[] = "Orvane.Control";
const char kOwnClass[] = "OrvaneWindow";
UINT g_nextChildId = 1000;

}  // namespace

const char* RegisterOwnWindowClass(const char* name, UINT style) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (::GetClassInfoExA(::GetModuleHandleA(nullptr), name, &existing)) return name;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = StdWndProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  ::RegisterClassExA(&wc);
  return name;
}

TShiftState KeyboardShiftState() {
  TShiftState s;
  if (::GetKeyState(VK_SHIFT) < 0) s.Include(TShiftStateItem::ssShift);
  if (::GetKeyState(VK_CONTROL) < 0) s.Include(TShiftStateItem::ssCtrl);
  if (::GetKeyState(VK_MENU) < 0) s.Include(TShiftStateItem::ssAlt);
  return s;
}

TShiftState MouseShiftState(WPARAM keys) {
  TShiftState s;
  if (keys & MK_SHIFT) s.Include(TShiftStateItem::ssShift);
  if (keys & MK_CONTROL) s.Include(TShiftStateItem::ssCtrl);
  if (keys & MK_LBUTTON) s.Include(TShiftStateItem::ssLeft);
  if (keys & MK_RBUTTON) s.Include(TShiftStateItem::ssRight);
  if (keys & MK_MBUTTON) s.Include(TShiftStateItem::ssMiddle);
  if (::GetKeyState(VK_MENU) < 0) s.Include(TShiftStateItem::ssAlt);
  return s;
}

std::string WindowText(HWND wnd) {
  int n = static_cast<int>(::SendMessageA(wnd, WM_GETTEXTLENGTH, 0, 0));
  if (n <= 0) return {};
  std::string s(static_cast<size_t>(n) + 1, '\0');
  n = static_cast<int>(::SendMessageA(wnd, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data())));
  s.resize(static_cast<size_t>(std::max(n, 0)));
  return s;
}

Control::Control(Component* owner) : Component(owner) {}

Control::~Control() {
  if (!Destroying()) Control::BeforeDestruction();
  DestroyHandle();
  for (Control* c : m_controls) c->m_parent = nullptr;
  m_controls.clear();
  if (m_parent) m_parent->RemoveChild(this);
  m_parent = nullptr;
}

void Control::BeforeDestruction() { Component::BeforeDestruction(); }

void Control::Notification(Component* component, Operation operation) {
  Component::Notification(component, operation);
  if (operation == Operation::opRemove && component == m_popupMenu) m_popupMenu = nullptr;
}

void Control::DestroyHandle() {
  if (!m_handle) return;
  HWND h = m_handle;
  ::DestroyWindow(h);  // WM_NCDESTROY clears m_handle
  m_handle = nullptr;
}

Control* Control::FromHandle(HWND wnd) {
  if (!wnd) return nullptr;
  return static_cast<Control*>(::GetPropA(wnd, kControlProp));
}

const char* Control::OwnClassName() { return RegisterOwnWindowClass(kOwnClass, CS_DBLCLKS); }

HWND Control::Handle() {
  if (!m_handle && !m_creating) {
    bool topLevel = dynamic_cast<Form*>(this) != nullptr;
    // Making the parent's window may have made this one with it.
    if ((topLevel || (m_parent && m_parent->Handle())) && !m_handle) CreateHandle();
  }
  return m_handle;
}

void Control::CreateParams(fw::CreateParams& p) {
  p.className = OwnClassName();
  p.param = this;  // windows of our own classes attach at WM_NCCREATE
  p.caption = m_text;
  p.x = m_left;
  p.y = m_top;
  p.width = m_width;
  p.height = m_height;
  if (m_parent) {
    p.parent = m_parent->Handle();
    p.menuOrId = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(g_nextChildId++));
    if (g_nextChildId > 0xEFFF) g_nextChildId = 1000;
  }
  if (m_visible) p.style |= WS_VISIBLE;
  if (!m_enabled) p.style |= WS_DISABLED;
  if (m_tabStop) p.style |= WS_TABSTOP;
}

void Control::CreateHandle() {
  fw::CreateParams p;
  CreateParams(p);
  m_creating = true;
  // Windows of our own classes attach to this control while being created;
  // windows of system classes are subclassed afterwards.
  bool own = p.param == this;
  HWND wnd = ::CreateWindowExA(p.exStyle, p.className.c_str(), p.caption.c_str(), p.style, p.x, p.y, p.width, p.height,
                               p.parent, p.menuOrId, ::GetModuleHandleA(nullptr), p.param);
  m_creating = false;
  if (!wnd) return;
  if (!own) {
    m_handle = wnd;
    ::SetPropA(wnd, kControlProp, this);
    m_defWndProc =
        reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StdWndProc)));
  }
  ApplyFont();
  CreateWnd();
  CreateChildren();
  Realign();
}

void Control::CreateWnd() {}

void Control::CreateChildren() {
  for (Control* c : m_controls)
    if (!c->m_handle) c->Handle();
}

void Control::RecreateWnd() {
  if (!m_handle) return;
  // Children are destroyed with the window; they are created again with it.
  DestroyHandle();
  for (Control* c : m_controls) c->m_handle = nullptr;
  Handle();
}

LRESULT CALLBACK StdWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  Control* c = Control::FromHandle(wnd);
  if (!c && msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    c = static_cast<Control*>(cs->lpCreateParams);
    if (c) {
      c->m_handle = wnd;
      c->m_defWndProc = ::DefWindowProcA;
      ::SetPropA(wnd, kControlProp, c);
    }
  }
  if (!c) return ::DefWindowProcA(wnd, msg, wp, lp);
  LRESULT r = 0;
  try {
    r = c->DispatchWindowMessage(msg, wp, lp);
  } catch (const std::exception& e) {
    HandleException(e);
  } catch (...) {
    HandleException(Exception("unknown error"));
  }
  if (msg == WM_NCDESTROY) {
    ::RemovePropA(wnd, kControlProp);
    if (c->m_defWndProc && c->m_defWndProc != ::DefWindowProcA)
      ::SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(c->m_defWndProc));
    c->m_handle = nullptr;
  }
  return r;
}

Control::WindowMethod Control::WindowProc() {
  if (m_windowProc) return m_windowProc;
  return [this](UINT msg, WPARAM wp, LPARAM lp) { return WndProc(msg, wp, lp); };
}

LRESULT Control::DispatchWindowMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (m_windowProc) {
    // A copy: the procedure may replace itself while it runs.
    WindowMethod method = m_windowProc;
    return method(msg, wp, lp);
  }
  return WndProc(msg, wp, lp);
}

LRESULT Control::DefaultHandler(UINT msg, WPARAM wp, LPARAM lp) {
  if (!m_handle) return 0;
  if (m_defWndProc) return ::CallWindowProcA(m_defWndProc, m_handle, msg, wp, lp);
  return ::DefWindowProcA(m_handle, msg, wp, lp);
}

bool Control::DoKeyMessage(UINT msg, WPARAM& wp) {
  if (msg == WM_CHAR) {
    if (!OnKeyPress) return false;
    char ch = static_cast<char>(wp);
    OnKeyPress(this, ch);
    if (ch == 0) return true;
    wp = static_cast<unsigned char>(ch);
    return false;
  }
  auto& handler = (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) ? OnKeyDown : OnKeyUp;
  if (!handler) return false;
  WORD key = static_cast<WORD>(wp);
  handler(this, key, KeyboardShiftState());
  if (key == 0) return true;
  wp = key;
  return false;
}

LRESULT Control::Perform(UINT msg, WPARAM wp, LPARAM lp) {
  HWND h = Handle();
  return h ? ::SendMessageA(h, msg, wp, lp) : 0;
}

bool Control::CNCommand(WORD) { return false; }
bool Control::CNCommandFrom(WORD, WORD code) { return CNCommand(code); }
bool Control::CNNotify(NMHDR*, LRESULT&) { return false; }
bool Control::CNDrawItem(DRAWITEMSTRUCT*) { return false; }
bool Control::CNMeasureItem(MEASUREITEMSTRUCT*) { return false; }

UINT Control::DialogCode(UINT defaultCode, const MSG* msg) {
  if (m_wantReturns && msg && (msg->message == WM_KEYDOWN || msg->message == WM_CHAR) &&
      (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE))
    return defaultCode | DLGC_WANTMESSAGE;
  return defaultCode;
}

LRESULT Control::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (lp) {
        Control* child = FromHandle(reinterpret_cast<HWND>(lp));
        if (child && child->CNCommandFrom(LOWORD(wp), HIWORD(wp))) return 0;
      } else if (DispatchCommand(LOWORD(wp))) {
        return 0;
      }
      break;
    case WM_NOTIFY: {
      auto* h = reinterpret_cast<NMHDR*>(lp);
      Control* child = FromHandle(h->hwndFrom);
      LRESULT res = 0;
      if (child && child != this && child->CNNotify(h, res)) return res;
      break;
    }
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      if (dis->CtlType == ODT_MENU) {
        if (MenuItem::DrawMenuItem(dis)) return TRUE;
      } else if (Control* child = FromHandle(dis->hwndItem); child && child->CNDrawItem(dis)) {
        return TRUE;
      }
      break;
    }
    case WM_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      if (mis->CtlType == ODT_MENU) {
        if (MenuItem::MeasureMenuItem(mis)) return TRUE;
      } else if (Control* child = FromHandle(::GetDlgItem(m_handle, static_cast<int>(mis->CtlID)));
                 child && child->CNMeasureItem(mis)) {
        return TRUE;
      }
      break;
    }
    case WM_SIZE:
    case WM_MOVE: {
      LRESULT r = DefaultHandler(msg, wp, lp);
      UpdateStoredBounds();
      if (msg == WM_SIZE) {
        Realign();
        Resized();
      }
      return r;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_CHAR:
      if (DoKeyMessage(msg, wp)) return 0;
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (OnMouseDown) {
        TMouseButton b = msg == WM_RBUTTONDOWN   ? TMouseButton::mbRight
                         : msg == WM_MBUTTONDOWN ? TMouseButton::mbMiddle
                                                 : TMouseButton::mbLeft;
        TShiftState s = MouseShiftState(wp);
        if (msg == WM_LBUTTONDBLCLK) s.Include(TShiftStateItem::ssDouble);
        OnMouseDown(this, b, s, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      }
      if (msg == WM_LBUTTONDBLCLK && OnDblClick && m_defWndProc == ::DefWindowProcA) OnDblClick(this);
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (OnMouseUp) {
        TMouseButton b = msg == WM_RBUTTONUP   ? TMouseButton::mbRight
                         : msg == WM_MBUTTONUP ? TMouseButton::mbMiddle
                                               : TMouseButton::mbLeft;
        OnMouseUp(this, b, MouseShiftState(wp), GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      }
      // Windows of our own class have no click notification: a release counts.
      if (msg == WM_LBUTTONUP && OnClick && m_defWndProc == ::DefWindowProcA) OnClick(this);
      break;
    case WM_MOUSEMOVE:
      if (OnMouseMove) OnMouseMove(this, MouseShiftState(wp), GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      break;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wp) == m_handle) {
        POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (pt.x == -1 && pt.y == -1) {  // from the keyboard: under the control's corner
          pt = POINT{4, 4};
          ::ClientToScreen(m_handle, &pt);
        }
        bool handled = false;
        if (OnContextPopup) {
          POINT client = pt;
          ::ScreenToClient(m_handle, &client);
          OnContextPopup(this, client, handled);
        }
        if (handled) return 0;
        if (m_popupMenu && m_popupMenu->AutoPopup()) {
          m_popupMenu->SetPopupComponent(this);
          m_popupMenu->Popup(pt.x, pt.y);
          return 0;
        }
      }
      break;
    case WM_SETFOCUS: {
      LRESULT r = DefaultHandler(msg, wp, lp);
      if (OnEnter) OnEnter(this);
      return r;
    }
    case WM_KILLFOCUS: {
      LRESULT r = DefaultHandler(msg, wp, lp);
      if (OnExit) OnExit(this);
      return r;
    }
    case WM_GETDLGCODE:
      return DialogCode(static_cast<UINT>(DefaultHandler(msg, wp, lp)), reinterpret_cast<const MSG*>(lp));
    default:
      break;
  }
  return DefaultHandler(msg, wp, lp);
}

void Control::UpdateStoredBounds() {
  if (!m_handle || m_inAlign) return;
  RECT r;
  ::GetWindowRect(m_handle, &r);
  if (m_parent && m_parent->m_handle && (::GetWindowLongA(m_handle, GWL_STYLE) & WS_CHILD)) {
    ::MapWindowPoints(HWND_DESKTOP, m_parent->m_handle, reinterpret_cast<POINT*>(&r), 2);
  }
  m_left = r.left;
  m_top = r.top;
  m_width = r.right - r.left;
  m_height = r.bottom - r.top;
}

void Control::Resized() {
  if (OnResize) OnResize(this);
}

void Control::SetBounds(int left, int top, int width, int height) {
  bool changed = left != m_left || top != m_top || width != m_width || height != m_height;
  m_left = left;
  m_top = top;
  m_width = width;
  m_height = height;
  if (m_handle && changed) {
    ::SetWindowPos(m_handle, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateStoredBounds();
  }
  if (changed && m_parent && m_align != TAlign::alNone) m_parent->Realign();
}

int Control::ClientWidth() {
  RECT r{};
  if (Handle())
    ::GetClientRect(m_handle, &r);
  else
    r.right = m_width;
  return r.right - r.left;
}

int Control::ClientHeight() {
  RECT r{};
  if (Handle())
    ::GetClientRect(m_handle, &r);
  else
    r.bottom = m_height;
  return r.bottom - r.top;
}

void Control::SetAlign(TAlign align) {
  if (m_align == align) return;
  m_align = align;
  if (m_parent) m_parent->Realign();
}

void Control::SetVisible(bool visible) {
  if (m_visible == visible) return;
  m_visible = visible;
  if (m_handle) ::ShowWindow(m_handle, visible ? SW_SHOWNA : SW_HIDE);
  if (m_parent && m_align != TAlign::alNone) m_parent->Realign();
}

bool Control::Showing() const {
  for (const Control* c = this; c; c = c->m_parent)
    if (!c->m_visible) return false;
  return m_handle && ::IsWindowVisible(m_handle);
}

void Control::SetEnabled(bool enabled) {
  m_enabled = enabled;
  if (m_handle) ::EnableWindow(m_handle, enabled);
}

std::string Control::GetText() const {
  if (m_handle) return WindowText(m_handle);
  return m_text;
}

void Control::SetText(const std::string& text) {
  m_text = text;
  if (m_handle) ::SetWindowTextA(m_handle, text.c_str());
}

void Control::SetFont(const std::string& name, int height, BYTE charset, int weight) {
  LOGFONTA lf{};
  // A positive height is the character height in pixels: the cell minus the internal leading.
  lf.lfHeight = -height;
  lf.lfCharSet = charset;
  lf.lfWeight = weight;
  lf.lfQuality = DEFAULT_QUALITY;
  lstrcpynA(lf.lfFaceName, name.c_str(), LF_FACESIZE);
  m_font.reset(::CreateFontIndirectA(&lf));
  m_parentFont = false;
  ApplyFont();
}

HFONT Control::Font() const {
  if (!m_parentFont && m_font) return m_font.get();
  if (m_parent) return m_parent->Font();
  return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

void Control::ApplyFont() {
  if (m_handle) ::SendMessageA(m_handle, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), TRUE);
  for (Control* c : m_controls)
    if (c->m_parentFont) c->ApplyFont();
}

void Control::SetPopupMenu(PopupMenu* menu) {
  if (m_popupMenu) RemoveFreeNotification(m_popupMenu);
  m_popupMenu = menu;
  if (menu) FreeNotification(menu);
}

void Control::SetTabStop(bool v) {
  m_tabStop = v;
  if (m_handle) {
    LONG style = ::GetWindowLongA(m_handle, GWL_STYLE);
    ::SetWindowLongA(m_handle, GWL_STYLE, v ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
  }
}

void Control::SetFocus() {
  if (Handle()) ::SetFocus(m_handle);
}

bool Control::Focused() const { return m_handle && ::GetFocus() == m_handle; }

bool Control::CanFocus() const {
  for (const Control* c = this; c; c = c->m_parent)
    if (!c->m_visible || !c->m_enabled) return false;
  return true;
}

void Control::Invalidate() {
  if (m_handle) ::InvalidateRect(m_handle, nullptr, TRUE);
}

void Control::Update() {
  if (m_handle) ::UpdateWindow(m_handle);
}

void Control::BringToFront() {
  if (m_handle) ::SetWindowPos(m_handle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (m_parent) {
    auto& v = m_parent->m_controls;
    auto it = std::find(v.begin(), v.end(), this);
    if (it != v.end()) {
      v.erase(it);
      v.push_back(this);
    }
  }
}

Form* Control::ParentForm() const {
  const Control* c = this;
  while (c->m_parent) c = c->m_parent;
  return const_cast<Form*>(dynamic_cast<const Form*>(c));
}

void Control::SetParent(Control* parent) {
  if (parent == m_parent) return;
  if (m_parent) m_parent->RemoveChild(this);
  m_parent = parent;
  if (parent) {
    parent->InsertChild(this);
    if (m_handle) {
      ::SetParent(m_handle, parent->Handle());
      if (m_parentFont) ApplyFont();
    } else if (parent->m_handle) {
      Handle();
    }
    parent->Realign();
  } else if (m_handle) {
    DestroyHandle();
  }
}

void Control::InsertChild(Control* c) {
  c->m_tabOrder = static_cast<int>(m_controls.size());
  m_controls.push_back(c);
}

void Control::RemoveChild(Control* c) {
  m_controls.erase(std::remove(m_controls.begin(), m_controls.end(), c), m_controls.end());
  Realign();
}

RECT Control::AlignClientRect() {
  RECT r{0, 0, m_width, m_height};
  if (m_handle) ::GetClientRect(m_handle, &r);
  return r;
}

void Control::Realign() {
  if (m_alignDisabled || m_inAlign || !m_handle || Destroying()) return;
  bool any = std::any_of(m_controls.begin(), m_controls.end(), [](Control* c) { return c->m_align != TAlign::alNone; });
  if (!any) return;
  m_inAlign = true;
  AlignControls(AlignClientRect());
  m_inAlign = false;
}

void Control::AlignControls(RECT r) {
  // Controls of one alignment take their places from the edge inwards, in the
  // order they were put on this parent; the client control takes what remains.
  auto place = [](Control* c, int x, int y, int w, int h) {
    w = std::max(w, 0);
    h = std::max(h, 0);
    c->m_left = x;
    c->m_top = y;
    c->m_width = w;
    c->m_height = h;
    if (c->m_handle) ::SetWindowPos(c->m_handle, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  };
  for (TAlign a : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
    for (Control* c : m_controls) {
      if (c->m_align != a || !c->m_visible) continue;
      switch (a) {
        case TAlign::alTop:
          place(c, r.left, r.top, r.right - r.left, c->m_height);
          r.top += c->m_height;
          break;
        case TAlign::alBottom:
          r.bottom -= c->m_height;
          place(c, r.left, r.bottom, r.right - r.left, c->m_height);
          break;
        case TAlign::alLeft:
          place(c, r.left, r.top, c->m_width, r.bottom - r.top);
          r.left += c->m_width;
          break;
        case TAlign::alRight:
          r.right -= c->m_width;
          place(c, r.right, r.top, c->m_width, r.bottom - r.top);
          break;
        case TAlign::alClient:
          place(c, r.left, r.top, r.right - r.left, r.bottom - r.top);
          break;
        default:
          break;
      }
    }
  }
}

}  // namespace fw
