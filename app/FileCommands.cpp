#include "app/FileCommands.h"

#include <windows.h>

#include <cstring>

#include "framework/base/Handle.h"
#include "framework/base/Mbcs.h"
#include "framework/ui/Commands.h"

namespace orvane {
namespace {

// Splits at backslashes, walking whole characters: the second byte of a
// Shift-JIS character such as "ソ" is a backslash too.
std::vector<std::string> SplitPathParts(const std::string& name) {
  std::vector<std::string> parts;
  std::string part;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (fw::IsLeadByte(c) && i + 1 < name.size()) {
      part += name[i];
      part += name[++i];
    } else if (c == '\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += name[i];
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

// A part that names one folder below its parent: no character a file name
// may not hold and no step out of the folder.
bool ValidFolderPart(const std::string& part) {
  if (part == "." || part == "..") return false;
  for (std::size_t i = 0; i < part.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(part[i]);
    if (fw::IsLeadByte(c) && i + 1 < part.size()) {
      ++i;
      continue;
    }
    if (c < 0x20 || std::strchr("<>:\"/|?*", c)) return false;
  }
  return true;
}

bool IsDirectory(const std::string& path) {
  const DWORD a = ::GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return fw::EndsWithChar(folder, '\\') ? folder + name : folder + "\\" + name;
}

bool IsAbsolute(const std::string& name) {
  return (name.size() >= 2 && name[1] == ':') || (!name.empty() && name[0] == '\\');
}

}  // namespace

bool CreateFolderPath(const std::string& base, const std::string& name) {
  if (base.empty()) return false;
  const std::vector<std::string> parts = SplitPathParts(name);
  if (parts.empty()) return false;
  for (const auto& part : parts)
    if (!ValidFolderPart(part)) return false;

  std::vector<std::string> created;
  std::string path = base;
  for (const auto& part : parts) {
    path = JoinPath(path, part);
    if (IsDirectory(path)) continue;
    if (!::CreateDirectoryA(path.c_str(), nullptr)) {
      // Half a chain of folders is worse than none: take back what this
      // call made, innermost first.
      for (auto it = created.rbegin(); it != created.rend(); ++it) ::RemoveDirectoryA(it->c_str());
      return false;
    }
    created.push_back(path);
  }
  return IsDirectory(path);
}

bool CreateEmptyFile(const std::string& folder, const std::string& name) {
  if (name.empty()) return false;
  const std::string path = IsAbsolute(name) ? name : JoinPath(folder, name);
  // CREATE_NEW: an existing file of that name is never opened for writing,
  // so it cannot be emptied.
  fw::FileHandle file(
      ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file.valid();
}

std::string DrivePart(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':' && !fw::IsLeadByte(static_cast<unsigned char>(path[0])))
    return path.substr(0, 2);
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    // \\server\share: up to the backslash after the share, if any.
    int separators = 0;
    for (std::size_t i = 2; i < path.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(path[i]);
      if (fw::IsLeadByte(c)) {
        ++i;
        continue;
      }
      if (c == '\\' && ++separators == 2) return path.substr(0, i);
    }
    return path;
  }
  return {};
}

std::string ObjectCountText(int count) { return std::to_string(count) + "個のオブジェクト"; }

std::string DriveSpaceText(const std::string& drive, std::uint64_t freeBytes, std::uint64_t totalBytes) {
  constexpr std::uint64_t kMiB = 1048576;
  return drive + " 空き容量 " + std::to_string(freeBytes / kMiB) + " MB 全" + std::to_string(totalBytes / kMiB) + " MB";
}

std::vector<std::vector<std::string>> SplitForPurgeList(const std::vector<std::string>& paths, std::size_t capacity) {
  std::vector<std::vector<std::string>> groups;
  std::size_t used = 1;  // the closing zero
  for (const auto& path : paths) {
    const std::size_t need = path.size() + 1;
    if (need + 1 > capacity) continue;
    if (groups.empty() || used + need > capacity) {
      groups.emplace_back();
      used = 1;
    }
    groups.back().push_back(path);
    used += need;
  }
  return groups;
}

TDeferredCall::TDeferredCall(std::function<void()> fn) : m_command(fw::AllocateCommandId(std::move(fn))) {}

TDeferredCall::~TDeferredCall() { fw::ReleaseCommandId(m_command); }

void TDeferredCall::Post(HWND window) const {
  if (window) ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(m_command, 0), 0);
}

}  // namespace orvane
