#pragma once
// A small driver for end-to-end tests: starts Orvane.exe as a separate
// process, finds its windows, reads their texts, sends keys and commands,
// closes it and waits for it to end.
#include <windows.h>

#include <string>
#include <vector>

#include "framework/base/Handle.h"

namespace e2e {

struct WindowInfo {
  HWND hwnd;
  std::string className;
  std::string text;
};

class OrvaneProcess {
 public:
  OrvaneProcess() = default;
  ~OrvaneProcess();  // ends a process still running (tests must not leave one behind)
  OrvaneProcess(const OrvaneProcess&) = delete;
  OrvaneProcess& operator=(const OrvaneProcess&) = delete;

  // Starts exe with the given command-line arguments (already quoted as needed).
  bool Start(const std::string& exe, const std::string& args = {});
  DWORD ProcessId() const noexcept { return m_pid; }

  // Waits for a visible top-level window of the process whose class is
  // className (any when empty) and whose text is exactly title (any when empty).
  HWND WaitForWindow(const std::string& className, const std::string& title, DWORD timeoutMs);
  // Top-level windows of the process.
  std::vector<WindowInfo> TopLevelWindows() const;

  // Posts WM_CLOSE to the window and waits for the process to end.
  bool CloseAndWait(HWND wnd, DWORD timeoutMs, DWORD* exitCode = nullptr);
  bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
  bool Running() const;

 private:
  fw::Handle m_process;
  DWORD m_pid = 0;
};

// Texts and classes of every descendant window, in window order.
std::vector<WindowInfo> ChildWindows(HWND parent);
// The first descendant with that class (and text, when given).
HWND FindChild(HWND parent, const std::string& className, const std::string& text = {});
// Window text through WM_GETTEXT (works across processes, unlike GetWindowTextA for controls).
std::string ReadText(HWND wnd);
std::string ClassOf(HWND wnd);
// Posts a key press (down, char for printable keys, up) to a window of another process.
void PostKey(HWND wnd, WORD vk);
// Alt + letter: the menu bar opens the menu with that accelerator.
void PostAltKey(HWND wnd, char letter);
// Opens a menu of the bar (Alt + barLetter) and presses the keys inside it,
// one at a time: menus belong to their process under Wine, so another
// process reaches them only by keys posted to the window.
void MenuKeys(HWND wnd, char barLetter, const std::vector<WORD>& keys);
// Types text into a window as WM_CHAR messages (Shift-JIS double-byte characters as two).
// Under Wine the two bytes arrive as two garbled characters: use it for ASCII.
void PostText(HWND wnd, const std::string& text);
// Replaces a window's text through WM_SETTEXT, which the system carries
// across processes in the ANSI code page: Japanese text arrives whole.
bool SetText(HWND wnd, const std::string& text);

// The folder of the test executable (Orvane.exe and purger.dll are built beside it).
std::string BuildBinDir();
// Copies Orvane.exe and purger.dll into folder so a run writes its files there.
bool InstallCopy(const std::string& folder);

}  // namespace e2e
