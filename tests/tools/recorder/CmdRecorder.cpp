// A program that records how it was started: its command line, exactly as
// the system handed it over, goes into "<its own path>.log". The launcher's
// tests start it (or a copy of it under another name) and read the file.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char self[MAX_PATH * 2] = {};
  DWORD n = ::GetModuleFileNameA(nullptr, self, sizeof self);
  if (n == 0 || n >= sizeof self) return 2;
  const std::string log = std::string(self) + ".log";
  const std::string part = log + ".part";
  const char* line = ::GetCommandLineA();
  HANDLE f = ::CreateFileA(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 3;
  DWORD done = 0;
  ::WriteFile(f, line, static_cast<DWORD>(lstrlenA(line)), &done, nullptr);
  ::CloseHandle(f);
  // The whole record appears at once: a reader never sees half of it.
  return ::MoveFileExA(part.c_str(), log.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}
