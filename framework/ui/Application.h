#pragma once
// The application object: the hidden application window (its text is the
// application title), the forms, the message loop with shortcut handling and
// idle-time action updates, hints, and the error box.
#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "framework/base/Exception.h"
#include "framework/ui/Component.h"
#include "framework/ui/Control.h"

namespace fw {

class Form;

class TApplication : public Component {
 public:
  TApplication();
  ~TApplication() override;

  // Common controls, OLE, the hidden window. Safe to call more than once.
  void Initialize();

  HWND Handle();
  const std::string& Title() const noexcept { return m_title; }
  void SetTitle(const std::string& title);
  HICON Icon();
  // The program's own full path.
  std::string ExeName() const;

  // Creates a form owned by the application; the first becomes the main form.
  template <typename T, typename... Args>
  T* CreateForm(Args&&... args) {
    T* form = new T(this, std::forward<Args>(args)...);
    if (!m_mainForm) m_mainForm = form;
    m_forms.push_back(form);
    form->DoCreate();
    return form;
  }
  Form* MainForm() const noexcept { return m_mainForm; }
  // For tests and the rare program that builds its main form itself.
  void SetMainForm(Form* form) { m_mainForm = form; }
  const std::vector<Form*>& Forms() const noexcept { return m_forms; }

  // Shows the main form and runs the message loop until Terminate; then the
  // forms are destroyed (last created first), each running its OnDestroy.
  void Run();
  void Terminate();
  bool Terminated() const noexcept { return m_terminated; }
  // Handles one message, or idles (and waits) when there is none.
  void HandleMessage();
  // Handles every waiting message, then returns.
  void ProcessMessages();
  // Handles one message already taken from the queue (not WM_QUIT) as the
  // loop does: hints, shortcuts, dialog keys, then translate and dispatch.
  // For loops of their own that must keep the program's keys working.
  void RouteMessage(MSG& msg);
  // Destroys every form now (what Run does at its end).
  void DestroyForms();

  // Error box with the error's text (the per-message error handler).
  void HandleException(const std::exception& e);
  void ShowException(const std::exception& e);
  // Message boxes go through here so tests can answer them.
  int MessageBox(const std::string& text, const std::string& caption, UINT flags);
  using MessageBoxHook =
      std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT flags)>;
  static void SetMessageBoxHook(MessageBoxHook hook);

  // The hint of the control under the mouse, for status bars.
  const std::string& Hint() const noexcept { return m_hint; }
  void SetHint(const std::string& hint);
  // Besides OnHint, whatever shows the hint (a status bar with AutoHint)
  // listens here and is called on every change; the token removes it again.
  using HintListener = std::function<void(const std::string& hint)>;
  int AddHintListener(HintListener listener);
  void RemoveHintListener(int token);

  // Components that need to see the application window's messages (the
  // task-bar button's menu) hook them; a hook returns true when it handled
  // the message (and then sets result). The token removes the hook again.
  using WindowHook = std::function<bool(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)>;
  int HookMainWindow(WindowHook hook);
  void UnhookMainWindow(int token);
  int HookCount() const noexcept { return static_cast<int>(m_windowHooks.size()); }
  // Runs the hooks for a message of the application window; true when one handled it.
  bool RunWindowHooks(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

  // Help by context number (menu items' help contexts): OnHelp shows it;
  // false when nobody handles help.
  bool HelpContext(int context);
  std::function<void(int context, bool& handled)> OnHelp;

  void Minimize();
  void Restore();
  void DoMinimize();

  TNotifyEvent OnHint;
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;
  std::function<void(Object* sender, bool& done)> OnIdle;

 protected:
  void Notification(Component* component, Operation operation) override;

 private:
  bool ProcessMessage(MSG& msg);
  void Idle();
  void UpdateHint(const MSG& msg);
  bool IsShortCut(const MSG& msg);
  bool IsDialogKey(MSG& msg);

  HWND m_handle = nullptr;
  std::string m_title;
  Form* m_mainForm = nullptr;
  std::vector<Form*> m_forms;
  bool m_terminated = false;
  bool m_initialized = false;
  std::string m_hint;
  HWND m_lastHintWnd = nullptr;
  std::vector<std::pair<int, HintListener>> m_hintListeners;
  int m_nextHintToken = 1;
  std::vector<std::pair<int, WindowHook>> m_windowHooks;
  int m_nextHookToken = 1;
};

// The one application object of the process.
TApplication& Application();

// Reports an error that reached a boundary (window procedure, thread entry).
void HandleException(const std::exception& e);

}  // namespace fw
