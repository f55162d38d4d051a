#include "tests/tools/CommandTestSupport.h"

#include <deque>

namespace cmdtest {
namespace {

constexpr UINT kRunLater = WM_APP + 77;

std::deque<std::function<void()>>& Queue() {
  static std::deque<std::function<void()>> queue;
  return queue;
}

LRESULT CALLBACK LaterProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kRunLater && !Queue().empty()) {
    std::function<void()> fn = std::move(Queue().front());
    Queue().pop_front();
    fn();
    return 0;
  }
  return ::DefWindowProcA(wnd, msg, wp, lp);
}

HWND LaterWindow() {
  static HWND wnd = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = LaterProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "CmdTestLater";
    ::RegisterClassA(&wc);
    return ::CreateWindowExA(0, "CmdTestLater", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  }();
  return wnd;
}

}  // namespace

std::string ChildCommand() {
  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path = self;
  path = path.substr(0, path.find_last_of('\\') + 1) + "cmdchild.exe";
  return "\"" + path + "\"";
}

void Later(std::function<void()> fn) {
  Queue().push_back(std::move(fn));
  ::PostMessageA(LaterWindow(), kRunLater, 0, 0);
}

void PostKeyDown(HWND wnd, WORD vk) {
  UINT scan = ::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
  ::PostMessageA(wnd, WM_KEYDOWN, vk, 1 | (static_cast<LPARAM>(scan) << 16));
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  for (std::size_t br; (br = text.find("\r\n", at)) != std::string::npos; at = br + 2)
    lines.push_back(text.substr(at, br - at));
  lines.push_back(text.substr(at));
  return lines;
}

std::string Joined(const std::string& text) {
  std::string r;
  for (char c : text)
    if (c != '\r' && c != '\n') r += c;
  return r;
}

bool ProcessEnds(DWORD pid, DWORD ms) {
  fw::Handle p(::OpenProcess(SYNCHRONIZE, FALSE, pid));
  if (!p) return true;
  return ::WaitForSingleObject(p.get(), ms) == WAIT_OBJECT_0;
}

NamedEvent::NamedEvent(const std::string& tag) {
  static int serial = 0;
  m_name = "orvane-cmdtest-" + std::to_string(::GetCurrentProcessId()) + "-" + tag + "-" + std::to_string(++serial);
  m_event.reset(::CreateEventA(nullptr, TRUE, FALSE, m_name.c_str()));
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : m_name(name) {
  char buf[4096];
  DWORD n = ::GetEnvironmentVariableA(name, buf, sizeof buf);
  m_had = n > 0 && n < sizeof buf;
  if (m_had) m_old.assign(buf, n);
  ::SetEnvironmentVariableA(name, value.c_str());
}

ScopedEnv::~ScopedEnv() { ::SetEnvironmentVariableA(m_name.c_str(), m_had ? m_old.c_str() : nullptr); }

ScopedCurrentDir::ScopedCurrentDir(const std::string& folder) {
  char buf[MAX_PATH * 2] = {};
  ::GetCurrentDirectoryA(sizeof buf, buf);
  m_old = buf;
  ::SetCurrentDirectoryA(folder.c_str());
}

ScopedCurrentDir::~ScopedCurrentDir() { ::SetCurrentDirectoryA(m_old.c_str()); }

}  // namespace cmdtest
