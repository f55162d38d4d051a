#include "shell/Shellutils.h"

#include <shellapi.h>

#include <cmath>

#include "framework/base/Mbcs.h"

// ---------------------------------------------------------------------------
// Path texts

std::string AddPathDelimiter(const std::string& path) {
  if (fw::EndsWithChar(path, '\\')) return path;
  return path + '\\';
}

std::string RemoveLastDelimiter(const std::string& path) {
  if (!fw::EndsWithChar(path, '\\')) return path;
  return path.substr(0, path.size() - 1);
}

std::string MakeFullPath(const std::string& folder, const std::string& name) { return AddPathDelimiter(folder) + name; }

// ---------------------------------------------------------------------------
// Folders and programs of the system

std::string GetWinDir() {
  char buffer[MAX_PATH] = {};
  UINT n = ::GetWindowsDirectoryA(buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  return std::string(buffer, n);
}

std::string GetTempDir() {
  char buffer[MAX_PATH] = {};
  DWORD n = ::GetTempPathA(MAX_PATH, buffer);
  if (n == 0 || n >= MAX_PATH) return {};
  return std::string(buffer, n);
}

std::string FindAssociatedProgram(const std::string& fileName) {
  char buffer[MAX_PATH + 1] = {};
  auto result = reinterpret_cast<INT_PTR>(::FindExecutableA(fileName.c_str(), nullptr, buffer));
  if (result <= 32) return {};
  return std::string(buffer, strnlen(buffer, sizeof buffer));
}

std::string GetShortPathNameEx(const std::string& path) {
  if (path.empty()) return {};
  char buffer[MAX_PATH] = {};
  DWORD n = ::GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  return std::string(buffer, n);
}

// ---------------------------------------------------------------------------
// Volumes

namespace {

// Restores the previous error mode on scope exit.
class ErrorModeScope {
 public:
  explicit ErrorModeScope(UINT mode) noexcept : m_previous(::SetErrorMode(mode)) {}
  ~ErrorModeScope() { ::SetErrorMode(m_previous); }
  ErrorModeScope(const ErrorModeScope&) = delete;
  ErrorModeScope& operator=(const ErrorModeScope&) = delete;

 private:
  UINT m_previous;
};

// Lower case as file names fold in a multi-byte code page: only single-byte
// letters change; both bytes of a double-byte character are left alone (its
// trail byte may fall in 'A'..'Z').
void LowerFileName(std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    if (fw::IsLeadByte(c) && i + 1 < text.size()) {
      ++i;
    } else if (c >= 'A' && c <= 'Z') {
      text[i] = static_cast<char>(c - 'A' + 'a');
    }
  }
}

}  // namespace

std::string GetVolumeName(const std::string& rootPath) {
  char label[65] = {};
  BOOL ok;
  {
    // An empty floppy or CD drive must not make the system ask for a disk.
    ErrorModeScope quiet(SEM_FAILCRITICALERRORS);
    ok = ::GetVolumeInformationA(rootPath.c_str(), label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0);
  }
  if (!ok) return {};
  return FormatVolumeLabel(std::string(label, strnlen(label, sizeof label)));
}

std::string FormatVolumeLabel(std::string label) {
  LowerFileName(label);
  if (!label.empty() && label[0] >= 'a' && label[0] <= 'z') label[0] = static_cast<char>(label[0] - 'a' + 'A');
  return label;
}

// ---------------------------------------------------------------------------
// File times

fw::TDateTime FileTimeToDateTime(const FILETIME& fileTime) noexcept {
  if (fileTime.dwLowDateTime == 0 || fileTime.dwHighDateTime == 0) return 0;
  FILETIME local;
  SYSTEMTIME time;
  if (!::FileTimeToLocalFileTime(&fileTime, &local) || !::FileTimeToSystemTime(&local, &time)) return 0;
  return fw::SystemTimeToDateTime(time);
}

FILETIME DateTimeToFileTime(fw::TDateTime dateTime) noexcept {
  FILETIME none{};
  if (dateTime == 0) return none;
  SYSTEMTIME t = fw::DateTimeToSystemTime(dateTime);
  if (t.wYear < 1980 || t.wYear > 2107) return none;
  // A DOS date and time: the year from 1980 in 7 bits, and seconds halved, so
  // an odd second is rounded down to the even one.
  auto dosDate = static_cast<WORD>(((t.wYear - 1980) << 9) | (t.wMonth << 5) | t.wDay);
  auto dosTime = static_cast<WORD>((t.wHour << 11) | (t.wMinute << 5) | (t.wSecond >> 1));
  FILETIME local, utc;
  if (!::DosDateTimeToFileTime(dosDate, dosTime, &local) || !::LocalFileTimeToFileTime(&local, &utc)) return none;
  return utc;
}

std::uint16_t FileTimeToElapsedTime(const FILETIME& fileTime) noexcept {
  FILETIME local;
  SYSTEMTIME time;
  if (!::FileTimeToLocalFileTime(&fileTime, &local) || !::FileTimeToSystemTime(&local, &time)) return 0;
  return time.wMinute;
}
