#include "tests/e2e/Driver.h"

#include "framework/base/Mbcs.h"

namespace e2e {
namespace {
struct EnumState {
  DWORD pid;
  std::vector<WindowInfo>* out;
};

BOOL CALLBACK CollectTop(HWND w, LPARAM lp) {
  auto* st = reinterpret_cast<EnumState*>(lp);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(w, &pid);
  if (pid == st->pid) st->out->push_back({w, ClassOf(w), ReadText(w)});
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND w, LPARAM lp) {
  auto* out = reinterpret_cast<std::vector<WindowInfo>*>(lp);
  out->push_back({w, ClassOf(w), ReadText(w)});
  return TRUE;
}
}  // namespace

OrvaneProcess::~OrvaneProcess() {
  if (Running()) {
    // A hung program under test must not outlive the test run.
    ::TerminateProcess(m_process.get(), 99);
    ::WaitForSingleObject(m_process.get(), 5000);
  }
}

bool OrvaneProcess::Start(const std::string& exe, const std::string& args) {
  std::string cmd = "\"" + exe + "\"";
  if (!args.empty()) cmd += " " + args;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  ::CloseHandle(pi.hThread);
  m_process.reset(pi.hProcess);
  m_pid = pi.dwProcessId;
  ::WaitForInputIdle(pi.hProcess, 10000);
  return true;
}

bool OrvaneProcess::Running() const { return m_process && ::WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT; }

std::vector<WindowInfo> OrvaneProcess::TopLevelWindows() const {
  std::vector<WindowInfo> out;
  EnumState st{m_pid, &out};
  ::EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&st));
  return out;
}

HWND OrvaneProcess::WaitForWindow(const std::string& className, const std::string& title, DWORD timeoutMs) {
  DWORD start = ::GetTickCount();
  do {
    for (const auto& w : TopLevelWindows()) {
      if (!::IsWindowVisible(w.hwnd)) continue;
      if (!className.empty() && w.className != className) continue;
      if (!title.empty() && w.text != title) continue;
      return w.hwnd;
    }
    if (!Running()) return nullptr;
    ::Sleep(100);
  } while (::GetTickCount() - start < timeoutMs);
  return nullptr;
}

bool OrvaneProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
  if (!m_process) return false;
  if (::WaitForSingleObject(m_process.get(), timeoutMs) != WAIT_OBJECT_0) return false;
  if (exitCode) ::GetExitCodeProcess(m_process.get(), exitCode);
  return true;
}

bool OrvaneProcess::CloseAndWait(HWND wnd, DWORD timeoutMs, DWORD* exitCode) {
  ::PostMessageA(wnd, WM_CLOSE, 0, 0);
  return WaitForExit(timeoutMs, exitCode);
}

std::vector<WindowInfo> ChildWindows(HWND parent) {
  std::vector<WindowInfo> out;
  ::EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&out));
  return out;
}

HWND FindChild(HWND parent, const std::string& className, const std::string& text) {
  for (const auto& w : ChildWindows(parent))
    if (w.className == className && (text.empty() || w.text == text)) return w.hwnd;
  return nullptr;
}

std::string ReadText(HWND wnd) {
  DWORD_PTR len = 0;
  if (!::SendMessageTimeoutA(wnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &len)) return {};
  std::string s(len + 1, '\0');
  DWORD_PTR got = 0;
  if (!::SendMessageTimeoutA(wnd, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()), SMTO_ABORTIFHUNG, 2000,
                             &got))
    return {};
  s.resize(got);
  return s;
}

std::string ClassOf(HWND wnd) {
  char name[256] = {};
  ::GetClassNameA(wnd, name, sizeof name);
  return name;
}

void PostKey(HWND wnd, WORD vk) {
  UINT scan = ::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
  LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
  LPARAM up = down | (1 << 30) | (1u << 31);
  ::PostMessageA(wnd, WM_KEYDOWN, vk, down);
  if (vk == VK_RETURN) ::PostMessageA(wnd, WM_CHAR, '\r', down);
  ::PostMessageA(wnd, WM_KEYUP, vk, up);
}

void PostAltKey(HWND wnd, char letter) {
  UINT scan = ::MapVirtualKeyA(static_cast<UINT>(letter), MAPVK_VK_TO_VSC);
  LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16) | (1 << 29);
  ::PostMessageA(wnd, WM_SYSKEYDOWN, static_cast<WPARAM>(letter), down);
  ::PostMessageA(wnd, WM_SYSKEYUP, static_cast<WPARAM>(letter), down | (1 << 30) | (1u << 31));
}

void MenuKeys(HWND wnd, char barLetter, const std::vector<WORD>& keys) {
  PostAltKey(wnd, barLetter);
  // The menu loop must be running before the next key arrives, or the key
  // goes to the window instead.
  for (WORD k : keys) {
    ::Sleep(300);
    PostKey(wnd, k);
  }
}

void PostText(HWND wnd, const std::string& text) {
  for (unsigned char c : text) ::PostMessageA(wnd, WM_CHAR, c, 1);
}

bool SetText(HWND wnd, const std::string& text) {
  DWORD_PTR result = 0;
  return ::SendMessageTimeoutA(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                               &result) &&
         result == TRUE;
}

std::string BuildBinDir() {
  char path[MAX_PATH];
  DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path, n);
  return s.substr(0, fw::FindLastChar(s, '\\'));
}

bool InstallCopy(const std::string& folder) {
  std::string bin = BuildBinDir();
  return ::CopyFileA((bin + "\\Orvane.exe").c_str(), (folder + "\\Orvane.exe").c_str(), FALSE) &&
         ::CopyFileA((bin + "\\purger.dll").c_str(), (folder + "\\purger.dll").c_str(), FALSE);
}

}  // namespace e2e
