#pragma once
// Support for the command line's tests: the console test program, work to
// run later from inside the command's own message loop, named events.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/base/Handle.h"

namespace cmdtest {

// The console test program built beside the test, quoted for a command line.
std::string ChildCommand();

// Runs fn when this thread's message loop next dispatches (inside a running
// command's loop, that is one pass later).
void Later(std::function<void()> fn);

// Posts a key press to a window (down only: the command box reacts to key-down).
void PostKeyDown(HWND wnd, WORD vk);

// The lines of a text, split at CR LF.
std::vector<std::string> SplitLines(const std::string& text);
// The text without any CR and LF.
std::string Joined(const std::string& text);

// True when the process has ended (or is gone) within ms.
bool ProcessEnds(DWORD pid, DWORD ms);

// A manual-reset event with a name unique to this process.
class NamedEvent {
 public:
  explicit NamedEvent(const std::string& tag);
  const std::string& Name() const noexcept { return m_name; }
  void Set() { ::SetEvent(m_event.get()); }
  bool Wait(DWORD ms) { return ::WaitForSingleObject(m_event.get(), ms) == WAIT_OBJECT_0; }

 private:
  std::string m_name;
  fw::Handle m_event;
};

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value);
  ~ScopedEnv();

 private:
  std::string m_name;
  std::string m_old;
  bool m_had;
};

// Makes folder the process's current directory for the life of the object.
class ScopedCurrentDir {
 public:
  explicit ScopedCurrentDir(const std::string& folder);
  ~ScopedCurrentDir();

 private:
  std::string m_old;
};

}  // namespace cmdtest
