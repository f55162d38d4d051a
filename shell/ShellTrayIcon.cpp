#include "shell/ShellTrayIcon.h"

#include <cstring>
#include <exception>
#include <stdexcept>

#include "framework/base/Mbcs.h"
#include "framework/ui/Application.h"

namespace {
// The first version of the record is what every shell understands; its
// size is fixed, whatever the headers' newest record holds.
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "first-version notification record");
static_assert(offsetof(NOTIFYICONDATAA, szTip) + 64 == NOTIFYICONDATAA_V1_SIZE, "tip field ends the first version");

constexpr const char* kWindowClass = "TShellTrayIconWindow";

TShellTrayIcon::NotifyIconFunc& NotifyIcon() {
  static TShellTrayIcon::NotifyIconFunc fn = ::Shell_NotifyIconA;
  return fn;
}

const char* WindowClass() {
  static const char* name = [] {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kWindowClass;
    ::RegisterClassExA(&wc);
    return kWindowClass;
  }();
  return name;
}
}  // namespace

TShellTrayIcon::NotifyIconFunc TShellTrayIcon::SetNotifyIconFunc(NotifyIconFunc fn) {
  NotifyIconFunc old = NotifyIcon();
  NotifyIcon() = fn ? fn : ::Shell_NotifyIconA;
  return old;
}

TShellTrayIcon::TShellTrayIcon(fw::Component* owner) : fw::Component(owner) {
  // A hidden top-level window: the shell posts to it, and it is never shown.
  m_window.reset(::CreateWindowExA(0, WindowClass(), "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   ::GetModuleHandleA(nullptr), nullptr));
  if (m_window) {
    ::SetWindowLongPtrA(m_window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetWindowLongPtrA(m_window.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TShellTrayIcon::WindowProc));
  }
}

TShellTrayIcon::~TShellTrayIcon() {
  UpDate(toDelete);
  if (m_window) ::SetWindowLongPtrA(m_window.get(), GWLP_USERDATA, 0);
}

std::string TShellTrayIcon::FittedTip(const std::string& text) {
  // A text cut at the 63rd byte could end in the first half of a
  // double-byte character, which the shell would show as a broken glyph.
  return std::string(fw::CutToBytes(text, kTipBytes));
}

NOTIFYICONDATAA TShellTrayIcon::Record() const {
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = m_window.get();
  data.uID = kIconId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kCallbackMessage;
  data.hIcon = m_icon.get();
  const std::string tip = FittedTip(m_tipHelp);
  std::memcpy(data.szTip, tip.c_str(), tip.size() + 1);
  return data;
}

void TShellTrayIcon::UpDate(TShellTrayOperate operation) {
  NOTIFYICONDATAA data = Record();
  switch (operation) {
    case toAdd:
      if (m_registered) return;
      NotifyIcon()(NIM_ADD, &data);
      m_registered = true;
      break;
    case toModify:
      if (m_registered) {
        NotifyIcon()(NIM_MODIFY, &data);
      } else {
        NotifyIcon()(NIM_ADD, &data);
        m_registered = true;
      }
      break;
    case toDelete:
      if (!m_registered) return;
      NotifyIcon()(NIM_DELETE, &data);
      m_registered = false;
      break;
  }
}

void TShellTrayIcon::SetIcon(HICON icon) {
  if (!icon) return;
  m_icon.reset(::CopyIcon(icon));
  UpDate(toModify);
}

void TShellTrayIcon::SetPicture(HICON icon) {
  if (!icon) return;
  m_icon.reset(::CopyIcon(icon));
  if (m_registered) UpDate(toModify);
}

void TShellTrayIcon::SetTipHelp(const std::string& text) {
  if (text == m_tipHelp) return;
  m_tipHelp = text;
  UpDate(toModify);
}

void TShellTrayIcon::DoDblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TShellTrayIcon::DoMouseMove(fw::TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TShellTrayIcon::DoMouseDown(fw::TMouseButton button, fw::TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TShellTrayIcon::DoMouseUp(fw::TMouseButton button, fw::TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TShellTrayIcon::MouseMessage(UINT mouseMsg) {
  using fw::TMouseButton;
  using S = fw::TShiftStateItem;
  POINT pt{};
  ::GetCursorPos(&pt);
  switch (mouseMsg) {
    case WM_MOUSEMOVE:
      DoMouseMove({}, pt.x, pt.y);
      break;
    case WM_LBUTTONDOWN:
      DoMouseDown(TMouseButton::mbLeft, {S::ssLeft}, pt.x, pt.y);
      break;
    case WM_LBUTTONUP:
      DoMouseUp(TMouseButton::mbLeft, {S::ssLeft}, pt.x, pt.y);
      break;
    case WM_LBUTTONDBLCLK:
      DoDblClick();
      DoMouseDown(TMouseButton::mbLeft, {S::ssDouble}, pt.x, pt.y);
      break;
    case WM_RBUTTONDOWN:
      DoMouseDown(TMouseButton::mbRight, {S::ssRight}, pt.x, pt.y);
      break;
    case WM_RBUTTONUP:
      DoMouseUp(TMouseButton::mbRight, {S::ssRight}, pt.x, pt.y);
      break;
    case WM_RBUTTONDBLCLK:
      DoMouseDown(TMouseButton::mbRight, {S::ssDouble}, pt.x, pt.y);
      break;
    case WM_MBUTTONDOWN:
      DoMouseDown(TMouseButton::mbMiddle, {S::ssMiddle}, pt.x, pt.y);
      break;
    case WM_MBUTTONUP:
      DoMouseUp(TMouseButton::mbMiddle, {S::ssMiddle}, pt.x, pt.y);
      break;
    default:
      break;
  }
}

LRESULT CALLBACK TShellTrayIcon::WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<TShellTrayIcon*>(::GetWindowLongPtrA(wnd, GWLP_USERDATA));
  if (msg != kCallbackMessage || !self) return ::DefWindowProcA(wnd, msg, wp, lp);
  // An error in a handler stops here: it must not unwind into the system.
  try {
    self->MouseMessage(LOWORD(lp));
  } catch (const std::exception& e) {
    fw::Application().HandleException(e);
  } catch (...) {
    fw::Application().HandleException(std::runtime_error("tray icon handler failed"));
  }
  return 0;
}
