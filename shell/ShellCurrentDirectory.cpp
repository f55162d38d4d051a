#include "shell/ShellCurrentDirectory.h"

#include <windows.h>

#include "framework/base/Mbcs.h"

namespace shellcwd {

std::string CurrentDirectory() {
  char buf[MAX_PATH * 2] = {};
  DWORD n = ::GetCurrentDirectoryA(sizeof buf, buf);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

// Whether path is folder itself or lies inside it (compared as the system
// compares names: without regard to case).
bool IsSameOrInside(const std::string& path, const std::string& folder) {
  if (folder.empty() || path.size() < folder.size()) return false;
  if (::CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, path.c_str(), static_cast<int>(folder.size()),
                       folder.c_str(), static_cast<int>(folder.size())) != CSTR_EQUAL)
    return false;
  return path.size() == folder.size() || path[folder.size()] == '\\';
}

// "C:\a\b" -> "C:\a"; "C:\a" -> "C:\".
std::string ParentOfPath(const std::string& path) {
  std::size_t slash = fw::FindLastChar(path, '\\');
  if (slash == std::string::npos) return path;
  std::string parent = path.substr(0, slash);
  if (parent.size() == 2 && parent[1] == ':') parent += '\\';
  return parent;
}

}  // namespace shellcwd
