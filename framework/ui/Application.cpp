#include "framework/ui/Application.h"

#include <commctrl.h>
#include <ole2.h>

#include <algorithm>

#include "framework/ui/Actions.h"
#include "framework/ui/Form.h"
#include "framework/ui/Menus.h"

namespace fw {
namespace {
TApplication::MessageBoxHook& MessageBoxHookRef() {
  static TApplication::MessageBoxHook hook;
  return hook;
}

LRESULT CALLBACK AppWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ENDSESSION && wp) {
    // Windows is ending: write the state back as a normal exit would.
    try {
      Application().DestroyForms();
    } catch (const std::exception&) {
    }
    return 0;
  }
  LRESULT result = 0;
  try {
    if (Application().RunWindowHooks(msg, wp, lp, result)) return result;
  } catch (const std::exception& e) {
    Application().HandleException(e);
  }
  return ::DefWindowProcA(wnd, msg, wp, lp);
}
}  // namespace

TApplication& Application() {
  static TApplication app;
  return app;
}

void HandleException(const std::exception& e) { Application().HandleException(e); }

TApplication::TApplication() : Component(nullptr) { SetName("Application"); }

TApplication::~TApplication() {
  DestroyForms();
  if (m_handle) ::DestroyWindow(m_handle);
}

void TApplication::Initialize() {
  if (m_initialized) return;
  m_initialized = true;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_COOL_CLASSES | ICC_BAR_CLASSES | ICC_USEREX_CLASSES |
                                           ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES |
                                           ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&icc);
  // Drag and drop and the clipboard need OLE on the user-interface thread.
  ::OleInitialize(nullptr);
  Handle();
}

HWND TApplication::Handle() {
  if (!m_handle) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = AppWndProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hIcon = Icon();
    wc.lpszClassName = "OrvaneApplication";
    ::RegisterClassExA(&wc);
    m_handle = ::CreateWindowExA(0, "OrvaneApplication", m_title.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0,
                                 0, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  }
  return m_handle;
}

void TApplication::SetTitle(const std::string& title) {
  m_title = title;
  if (m_handle) ::SetWindowTextA(m_handle, title.c_str());
}

HICON TApplication::Icon() {
  // Shared icons from resources are not destroyed by anyone.
  HICON icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
  return icon ? icon : ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
}

std::string TApplication::ExeName() const {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

void TApplication::Notification(Component* component, Operation operation) {
  Component::Notification(component, operation);
  if (operation != Operation::opRemove) return;
  m_forms.erase(std::remove(m_forms.begin(), m_forms.end(), component), m_forms.end());
  if (component == m_mainForm) m_mainForm = nullptr;
}

void TApplication::Run() {
  Initialize();
  if (m_mainForm) m_mainForm->Show();
  while (!m_terminated) HandleMessage();
  DestroyForms();
}

void TApplication::Terminate() {
  if (!m_terminated) ::PostQuitMessage(0);
}

void TApplication::DestroyForms() {
  while (!m_forms.empty()) {
    Form* f = m_forms.back();
    m_forms.pop_back();
    if (f == m_mainForm) m_mainForm = nullptr;
    Free(f);
  }
  m_mainForm = nullptr;
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) Idle();
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    m_terminated = true;
    return true;
  }
  RouteMessage(msg);
  return true;
}

void TApplication::RouteMessage(MSG& msg) {
  try {
    UpdateHint(msg);
    if (!IsShortCut(msg) && !IsDialogKey(msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  } catch (const std::exception& e) {
    HandleException(e);
  }
}

void TApplication::Idle() {
  try {
    for (Form* f : std::vector<Form*>(m_forms))
      for (ActionList* list : f->ActionLists()) list->UpdateActions();
    bool done = true;
    if (OnIdle) OnIdle(this, done);
  } catch (const std::exception& e) {
    HandleException(e);
  }
  if (!m_terminated) ::WaitMessage();
}

void TApplication::UpdateHint(const MSG& msg) {
  if (msg.message != WM_MOUSEMOVE || msg.hwnd == m_lastHintWnd) return;
  m_lastHintWnd = msg.hwnd;
  std::string hint;
  for (HWND w = msg.hwnd; w && hint.empty(); w = ::GetParent(w)) {
    if (Control* c = Control::FromHandle(w)) hint = c->Hint();
  }
  SetHint(hint);
}

void TApplication::SetHint(const std::string& hint) {
  if (m_hint == hint) return;
  m_hint = hint;
  if (OnHint) OnHint(this);
  // A listener may remove itself or others while being told: look each up afresh.
  std::vector<int> tokens;
  for (const auto& entry : m_hintListeners) tokens.push_back(entry.first);
  for (int token : tokens) {
    auto it = std::find_if(m_hintListeners.begin(), m_hintListeners.end(),
                           [token](const auto& entry) { return entry.first == token; });
    if (it == m_hintListeners.end()) continue;
    HintListener listener = it->second;
    listener(m_hint);
  }
}

int TApplication::AddHintListener(HintListener listener) {
  int token = m_nextHintToken++;
  m_hintListeners.emplace_back(token, std::move(listener));
  return token;
}

void TApplication::RemoveHintListener(int token) {
  m_hintListeners.erase(std::remove_if(m_hintListeners.begin(), m_hintListeners.end(),
                                       [token](const auto& entry) { return entry.first == token; }),
                        m_hintListeners.end());
}

static Form* FormOf(HWND wnd) {
  if (!wnd) return nullptr;
  return dynamic_cast<Form*>(Control::FromHandle(::GetAncestor(wnd, GA_ROOT)));
}

// The editing keys of an edit box (the command box, a path box, a list's name
// editor) are the box's own: as menu or action keys they would delete, copy
// or paste the files of the list beside it instead of the text being typed.
static bool IsEditingKeyOfEditBox(HWND wnd, TShortCut sc) {
  char name[16] = {};
  if (!wnd || !::GetClassNameA(wnd, name, sizeof name) || ::lstrcmpiA(name, "Edit") != 0) return false;
  const WORD key = sc & 0xFF;
  const TShortCut mods = sc & (scShift | scCtrl | scAlt);
  if (mods & scAlt) return false;
  // Shift+Del stays a key for actions (permanent delete), as it always was.
  if ((key == VK_DELETE || key == VK_BACK) && mods == 0) return true;
  if (mods == scCtrl && (key == 'A' || key == 'C' || key == 'V' || key == 'X' || key == 'Z' || key == VK_INSERT))
    return true;
  return mods == scShift && key == VK_INSERT;
}

bool TApplication::IsShortCut(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  WORD key = static_cast<WORD>(msg.wParam);
  TShiftState shift = KeyboardShiftState();
  // The pop-up menus of the focused control and its parents come first (the
  // results pane's Ctrl+C copies its text), then the form's menu and actions.
  TShortCut sc = ShortCut(key, shift);
  if (IsEditingKeyOfEditBox(msg.hwnd, sc)) return false;
  for (HWND w = msg.hwnd; w; w = (::GetWindowLongA(w, GWL_STYLE) & WS_CHILD) ? ::GetParent(w) : nullptr) {
    Control* c = Control::FromHandle(w);
    if (c && c->GetPopupMenu() && c->GetPopupMenu()->IsShortCut(sc)) return true;
  }
  Form* f = FormOf(msg.hwnd);
  if (!f) return false;
  return f->IsShortCut(key, shift);
}

bool TApplication::IsDialogKey(MSG& msg) {
  Form* f = FormOf(msg.hwnd);
  if (!f || !f->HandleAllocated()) return false;
  if (f->IsModal()) return ::IsDialogMessageA(f->Handle(), &msg) != FALSE;
  // Main windows keep Enter and the arrows for their controls (a list opens
  // the item under Enter); only Tab moves between controls.
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && ::GetKeyState(VK_CONTROL) >= 0 &&
      ::GetKeyState(VK_MENU) >= 0) {
    HWND focus = ::GetFocus();
    if (focus && (::SendMessageA(focus, WM_GETDLGCODE, VK_TAB, reinterpret_cast<LPARAM>(&msg)) & DLGC_WANTTAB))
      return false;
    HWND next = ::GetNextDlgTabItem(f->Handle(), focus, ::GetKeyState(VK_SHIFT) < 0);
    if (next) ::SetFocus(next);
    return true;
  }
  return false;
}

void TApplication::HandleException(const std::exception& e) { ShowException(e); }

void TApplication::ShowException(const std::exception& e) { MessageBox(e.what(), m_title, MB_OK | MB_ICONSTOP); }

void TApplication::SetMessageBoxHook(MessageBoxHook hook) { MessageBoxHookRef() = std::move(hook); }

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags) {
  HWND owner = ::GetActiveWindow();
  if (!owner && m_mainForm && m_mainForm->HandleAllocated()) owner = m_mainForm->Handle();
  if (MessageBoxHookRef()) return MessageBoxHookRef()(owner, text, caption, flags);
  return ::MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

int TApplication::HookMainWindow(WindowHook hook) {
  int token = m_nextHookToken++;
  m_windowHooks.emplace_back(token, std::move(hook));
  return token;
}

void TApplication::UnhookMainWindow(int token) {
  m_windowHooks.erase(std::remove_if(m_windowHooks.begin(), m_windowHooks.end(),
                                     [token](const auto& entry) { return entry.first == token; }),
                      m_windowHooks.end());
}

bool TApplication::RunWindowHooks(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  // A hook may remove itself (or others) while it runs: look each up afresh.
  std::vector<int> tokens;
  for (const auto& entry : m_windowHooks) tokens.push_back(entry.first);
  for (int token : tokens) {
    auto it = std::find_if(m_windowHooks.begin(), m_windowHooks.end(),
                           [token](const auto& entry) { return entry.first == token; });
    if (it == m_windowHooks.end()) continue;
    WindowHook hook = it->second;
    if (hook(msg, wp, lp, result)) return true;
  }
  return false;
}

bool TApplication::HelpContext(int context) {
  bool handled = false;
  if (OnHelp) OnHelp(context, handled);
  return handled;
}

void TApplication::Minimize() {
  if (m_mainForm && m_mainForm->HandleAllocated()) ::ShowWindow(m_mainForm->Handle(), SW_MINIMIZE);
}

void TApplication::Restore() {
  if (m_mainForm && m_mainForm->HandleAllocated()) ::ShowWindow(m_mainForm->Handle(), SW_RESTORE);
  if (OnRestore) OnRestore(this);
}

void TApplication::DoMinimize() {
  if (OnMinimize) OnMinimize(this);
}

}  // namespace fw
