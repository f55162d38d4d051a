#include "framework/base/FileOpen.h"

namespace fw {

bool IsFileBusyError(DWORD error) noexcept { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

FileHandle OpenFileWaiting(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD waitMs) {
  const ULONGLONG deadline = ::GetTickCount64() + waitMs;
  DWORD pause = 1;
  for (;;) {
    FileHandle file(::CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) return file;
    DWORD err = ::GetLastError();
    if (!IsFileBusyError(err) || ::GetTickCount64() >= deadline) {
      ::SetLastError(err);
      return file;
    }
    // A holder usually lets go within a few milliseconds: start with short
    // pauses, then back off so a long holder does not cost us the processor.
    ::Sleep(pause);
    if (pause < 16) pause *= 2;
  }
}

}  // namespace fw
