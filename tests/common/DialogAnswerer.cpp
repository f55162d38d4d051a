#include "tests/common/DialogAnswerer.h"

#include <vector>

#include "framework/base/Mbcs.h"

namespace testsupport {
namespace {

BOOL CALLBACK CollectDialogs(HWND wnd, LPARAM param) {
  char cls[32] = {};
  ::GetClassNameA(wnd, cls, sizeof cls);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(wnd, &pid);
  if (pid == ::GetCurrentProcessId() && std::string(cls) == "#32770" && ::IsWindowVisible(wnd))
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(wnd);
  return TRUE;
}

}  // namespace

DialogAnswerer::DialogAnswerer(int button, DWORD limitMs) : m_button(button) {
  m_thread = std::thread([this, limitMs] { Run(limitMs); });
}

DialogAnswerer::~DialogAnswerer() {
  m_stop = true;
  m_thread.join();
}

std::string DialogAnswerer::Captions() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_captions;
}

void DialogAnswerer::Run(DWORD limitMs) {
  const ULONGLONG deadline = ::GetTickCount64() + limitMs;
  std::vector<HWND> answered;
  while (!m_stop && ::GetTickCount64() < deadline) {
    std::vector<HWND> dialogs;
    ::EnumWindows(&CollectDialogs, reinterpret_cast<LPARAM>(&dialogs));
    for (HWND dlg : dialogs) {
      bool again = false;
      for (HWND a : answered) again = again || a == dlg;
      if (again) continue;  // still closing from our last press
      answered.push_back(dlg);
      char caption[256] = {};
      ::SendMessageTimeoutA(dlg, WM_GETTEXT, sizeof caption, reinterpret_cast<LPARAM>(caption), SMTO_ABORTIFHUNG, 1000,
                            nullptr);
      {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_captions += std::string(caption) + "|";
      }
      if (HWND ctrl = ::GetDlgItem(dlg, m_button)) {
        ::PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(m_button, BN_CLICKED), reinterpret_cast<LPARAM>(ctrl));
        ++m_answered;
      } else {
        // Not the dialog we expected: close it rather than hang.
        ::PostMessageA(dlg, WM_CLOSE, 0, 0);
      }
    }
    ::Sleep(50);
  }
}

std::string TrashFolder() {
  char buf[MAX_PATH];
  DWORD n = ::GetEnvironmentVariableA("XDG_DATA_HOME", buf, MAX_PATH);
  if (n == 0 || n >= MAX_PATH || buf[0] != '/') return {};
  std::string path = "Z:" + std::string(buf, n);
  for (char& c : path)
    if (c == '/') c = '\\';
  return path + "\\Trash\\files";
}

bool InTrash(const std::string& path) {
  const std::string trash = TrashFolder();
  if (trash.empty()) return false;
  std::size_t slash = fw::FindLastChar(path, '\\');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return ::GetFileAttributesA((trash + "\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace testsupport
