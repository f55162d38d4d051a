// Long names, disk queries and file operations of the shell library's
// utilities (the path and time helpers are in Shellutils.cpp).
#include "shell/Shellutils.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <limits>
#include <utility>

#include "framework/base/Handle.h"
#include "framework/base/Mbcs.h"
#include "framework/ui/Application.h"
#include "framework/ui/Form.h"

namespace {

// Restores the previous error mode on scope exit. With it an empty floppy or
// CD drive does not make the system ask the user to insert a disk.
class QuietDriveErrors {
 public:
  QuietDriveErrors() noexcept : m_previous(::SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  ~QuietDriveErrors() { ::SetErrorMode(m_previous); }
  QuietDriveErrors(const QuietDriveErrors&) = delete;
  QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

 private:
  UINT m_previous;
};

DiskFreeSpaceQuery g_diskFreeSpace = nullptr;
DriveTypeQuery g_driveType = nullptr;
FormatDriveCall g_formatDrive = nullptr;

BOOL DiskFreeSpace(LPCSTR root, LPDWORD spc, LPDWORD bps, LPDWORD freeClusters, LPDWORD totalClusters) {
  return g_diskFreeSpace ? g_diskFreeSpace(root, spc, bps, freeClusters, totalClusters)
                         : ::GetDiskFreeSpaceA(root, spc, bps, freeClusters, totalClusters);
}

UINT DriveType(LPCSTR root) { return g_driveType ? g_driveType(root) : ::GetDriveTypeA(root); }

// Upper case for single-byte letters only; both bytes of a double-byte
// character stay as they are (a trail byte may fall in 'a'..'z').
std::string UpperText(std::string text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    if (fw::IsLeadByte(c) && i + 1 < text.size())
      ++i;
    else if (c >= 'a' && c <= 'z')
      text[i] = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// Number of whole characters in a Shift-JIS text.
std::size_t CharCount(const std::string& text) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < text.size(); ++i, ++n)
    if (fw::IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ++i;
  return n;
}

// Offset of the last whole ':' or '\', or npos.
std::size_t LastDriveOrPathDelimiter(const std::string& text) {
  std::size_t colon = fw::FindLastChar(text, ':');
  std::size_t slash = fw::FindLastChar(text, '\\');
  if (colon == std::string::npos) return slash;
  if (slash == std::string::npos) return colon;
  return std::max(colon, slash);
}

// The owner of the engine's windows: the main form when it has a window.
HWND FileOperationOwner() {
  fw::Form* form = fw::Application().MainForm();
  return form && form->HandleAllocated() ? form->Handle() : nullptr;
}

// The engine takes its lists as texts each ended by a zero byte, the whole
// ended by one more. An empty entry would end the list early and silently
// drop everything after it, so empty entries are left out.
std::string JoinFileList(const std::vector<std::string>& files) {
  std::string joined;
  for (const std::string& file : files) {
    if (file.empty()) continue;
    joined += file;
    joined += '\0';
  }
  return joined;
}

bool ShellFileOperation(UINT operation, const std::string& source, const std::string* destination, FILEOP_FLAGS flags) {
  if (source.empty()) return false;
  std::string from = source;
  from.append(2, '\0');
  std::string to;
  if (destination) {
    to = *destination;
    to.append(2, '\0');
  }
  SHFILEOPSTRUCTA op{};
  op.hwnd = FileOperationOwner();
  op.wFunc = operation;
  op.pFrom = from.c_str();
  op.pTo = destination ? to.c_str() : nullptr;
  op.fFlags = flags;
  op.fAnyOperationsAborted = FALSE;
  op.hNameMappings = nullptr;
  op.lpszProgressTitle = nullptr;
  return ::SHFileOperationA(&op) == 0;
}

bool IsFolder(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

// ---------------------------------------------------------------------------
// Long names

std::string GetLongFileNameEx(const std::string& path) {
  if (path.empty()) return {};
  UniqueIDList list;
  std::string longName;
  if (!GetIDListFromPath(path, list) || !GetPathFromItemIDList(list.get(), longName)) return {};
  return longName;
}

std::string GetLongPathName(const std::string& path) {
  if (path.empty()) return {};
  std::string rest = UpperText(path);
  const bool trailing = fw::EndsWithChar(rest, '\\');
  if (trailing) rest.pop_back();
  // A wildcard would look up whatever happens to match first and give a
  // name that was never asked for.
  if (fw::FindFirstChar(rest, '*') != std::string::npos || fw::FindFirstChar(rest, '?') != std::string::npos) return {};
  std::string result;
  if (CharCount(rest) != 2) {
    // From the last component to the first: each lookup gives that
    // component's name as the disk stores it.
    do {
      WIN32_FIND_DATAA found;
      fw::FindHandle search(::FindFirstFileA(rest.c_str(), &found));
      if (!search) return {};
      result = std::string(found.cFileName, strnlen(found.cFileName, sizeof found.cFileName)) + "\\" + result;
      std::size_t cut = fw::FindLastChar(rest, '\\');
      rest.resize(cut == std::string::npos ? 0 : cut);
    } while (!rest.empty() && LastDriveOrPathDelimiter(rest) != 1);
    if (rest.empty()) return {};  // no drive to stand on: a relative path
    result.pop_back();
    result = rest + "\\" + result;
  } else {
    result = rest;
  }
  if (trailing) result += '\\';
  return result;
}

// ---------------------------------------------------------------------------
// Disks

std::int32_t CheckDiskSize(const std::string& rootPath) {
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  BOOL ok;
  {
    QuietDriveErrors quiet;
    ok = DiskFreeSpace(rootPath.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters);
  }
  if (!ok) return -1;
  // In 64 bits: a 32-bit product wraps as soon as more than 4 GiB are free.
  std::uint64_t freeBytes = std::uint64_t{sectorsPerCluster} * bytesPerSector * freeClusters;
  std::uint64_t mebibytes = freeBytes >> 20;
  constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
  return static_cast<std::int32_t>(std::min(mebibytes, kMax));
}

bool CheckDiskInDrive(char drive) {
  std::string letter = UpperText(std::string(1, drive));
  std::string root = letter + ":\\";
  QuietDriveErrors quiet;
  ULARGE_INTEGER available, total, free;
  if (!::GetDiskFreeSpaceExA(root.c_str(), &available, &total, &free)) return false;
  if (DriveType(root.c_str()) != DRIVE_REMOTE) return true;
  // A disconnected network drive may still answer the space query from a
  // cache; only an entry in its root shows that it is really there.
  WIN32_FIND_DATAA found;
  fw::FindHandle search(::FindFirstFileA((letter + ":\\*.*").c_str(), &found));
  return search.valid();
}

void FormatFDD(HWND wnd, char drive, int options) {
  auto letter = static_cast<char>(std::tolower(static_cast<unsigned char>(drive)));
  if (letter < 'a' || letter > 'z') return;
  std::string root = std::string(1, letter) + ":\\";
  if (DriveType(root.c_str()) != DRIVE_REMOVABLE) return;
  auto number = static_cast<UINT>(letter - 'a');
  if (g_formatDrive)
    g_formatDrive(wnd, number, 0, static_cast<UINT>(options));
  else
    ::SHFormatDrive(wnd, number, 0, static_cast<UINT>(options));
}

bool FolderEmpty(const std::string& folder) {
  WIN32_FIND_DATAA found;
  fw::FindHandle search(::FindFirstFileA(MakeFullPath(folder, "*.*").c_str(), &found));
  if (!search) return true;
  do {
    if (found.cFileName[0] != '.') return false;
  } while (::FindNextFileA(search.get(), &found));
  return true;
}

// ---------------------------------------------------------------------------
// File operations

bool SHCopyFiles(const std::vector<std::string>& files, const std::string& destination, FILEOP_FLAGS flags) {
  std::string to = RemoveLastDelimiter(destination);
  return ShellFileOperation(FO_COPY, JoinFileList(files), &to, flags);
}

bool SHMoveFiles(const std::vector<std::string>& files, const std::string& destination, FILEOP_FLAGS flags) {
  std::string to = RemoveLastDelimiter(destination);
  return ShellFileOperation(FO_MOVE, JoinFileList(files), &to, flags);
}

bool SHDeleteFiles(const std::vector<std::string>& files, FILEOP_FLAGS flags) {
  return ShellFileOperation(FO_DELETE, JoinFileList(files), nullptr, flags);
}

bool SHDeleteFile(const std::string& path, FILEOP_FLAGS flags) {
  if (IsFolder(path)) return ShellFileOperation(FO_DELETE, RemoveLastDelimiter(path), nullptr, flags);
  if (IsFile(path)) return ShellFileOperation(FO_DELETE, path, nullptr, flags);
  return false;
}

bool SHRenameFile(const std::string& oldPath, const std::string& newPath, bool noConfirmMkDir) {
  FILEOP_FLAGS flags = noConfirmMkDir ? FOF_NOCONFIRMMKDIR : 0;
  return ShellFileOperation(FO_RENAME, oldPath, &newPath, flags);
}

bool GetSpecialFolderPath(std::string& path, TShSpecialFolderID id, HWND /*wnd*/) {
  UniqueIDList list;
  std::string found;
  if (!GetSpecialFolderID(id, list) || !GetPathFromItemIDList(list.get(), found)) return false;
  path = std::move(found);
  return true;
}

// ---------------------------------------------------------------------------
// Test seams

DiskFreeSpaceQuery SetDiskFreeSpaceQuery(DiskFreeSpaceQuery query) noexcept {
  return std::exchange(g_diskFreeSpace, query);
}

DriveTypeQuery SetDriveTypeQuery(DriveTypeQuery query) noexcept { return std::exchange(g_driveType, query); }

FormatDriveCall SetFormatDriveCall(FormatDriveCall call) noexcept { return std::exchange(g_formatDrive, call); }
