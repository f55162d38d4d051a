#pragma once
// An icon in the notification area of the task bar, with a tip text and the
// mouse events of the icon. A hidden window of its own receives the shell's
// callback message.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "framework/base/Handle.h"
#include "framework/ui/Component.h"
#include "framework/ui/Control.h"

enum TShellTrayOperate { toAdd, toModify, toDelete };

class TShellTrayIcon : public fw::Component {
 public:
  // The callback message the shell posts to the hidden window.
  static constexpr UINT kCallbackMessage = WM_USER + 2;
  // The icon's identifier within the hidden window.
  static constexpr UINT kIconId = 1;
  // The tip field holds 64 bytes: 63 of text and the terminating zero.
  static constexpr std::size_t kTipBytes = 63;

  explicit TShellTrayIcon(fw::Component* owner);
  ~TShellTrayIcon() override;

  void Add() { UpDate(toAdd); }
  void Remove() { UpDate(toDelete); }
  bool GetRegistered() const noexcept { return m_registered; }
  // Hands the record to the shell: adds, modifies (adding when not shown) or
  // deletes the icon. The shell's answer is not looked at.
  void UpDate(TShellTrayOperate operation);

  HICON GetIcon() const noexcept { return m_icon.get(); }
  // Keeps a copy of the picture (a null icon is ignored) and shows it.
  void SetIcon(HICON icon);
  // Keeps a copy of the picture (a null icon is ignored) without showing
  // it: a shown icon changes its picture, a hidden one stays hidden until
  // Add. The main window prepares its icon this way at start-up.
  void SetPicture(HICON icon);
  const std::string& GetTipHelp() const noexcept { return m_tipHelp; }
  // A changed tip is stored and shown (which shows the icon).
  void SetTipHelp(const std::string& text);

  // The hidden window that the shell reports the mouse to.
  HWND MessageWindow() const noexcept { return m_window.get(); }

  // The record for the shell as it is filled now: the first-version layout
  // of 88 bytes (cbSize 88), flags message | icon | tip.
  NOTIFYICONDATAA Record() const;
  // The tip as it fits the record's field: at most 63 bytes, never half a
  // double-byte character.
  static std::string FittedTip(const std::string& text);

  fw::TNotifyEvent OnDblClick;
  fw::TMouseMoveEvent OnMouseMove;
  fw::TMouseEvent OnMouseDown;
  fw::TMouseEvent OnMouseUp;

  // The call that reaches the shell; tests put a recorder in its place.
  using NotifyIconFunc = BOOL(WINAPI*)(DWORD message, PNOTIFYICONDATAA data);
  // Returns the function that was in place.
  static NotifyIconFunc SetNotifyIconFunc(NotifyIconFunc fn);

 protected:
  virtual void DoDblClick();
  virtual void DoMouseMove(fw::TShiftState shift, int x, int y);
  virtual void DoMouseDown(fw::TMouseButton button, fw::TShiftState shift, int x, int y);
  virtual void DoMouseUp(fw::TMouseButton button, fw::TShiftState shift, int x, int y);

 private:
  static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  // The mouse message the shell reported, at the cursor's screen position.
  void MouseMessage(UINT mouseMsg);

  fw::WindowHandle m_window;
  std::string m_tipHelp;
  bool m_registered = false;
  fw::IconHandle m_icon;
};
