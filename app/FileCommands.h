#pragma once
// The file work behind the main window's file commands, apart from the
// window: creating folders and empty files from typed names, the status bar's
// texts, and splitting a permanent delete into lists purger.dll can hold.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvane {

// Creates base\name and every missing folder on the way; name may hold
// backslashes (a\b\c). Either every missing folder is created or none is: a
// name with a character no file name may hold, a "." or ".." part (which
// would leave base), or a folder that cannot be created leaves nothing
// behind. Empty parts are skipped; an empty name or base creates nothing.
// Returns whether base\name exists as a folder afterwards.
bool CreateFolderPath(const std::string& base, const std::string& name);

// Creates an empty file with normal attributes, only when nothing of that
// name exists; a relative name is taken inside folder. An existing file is
// left untouched. Returns whether a file was created.
bool CreateEmptyFile(const std::string& folder, const std::string& name);

// The drive part of a path: "C:" for C:\data, "\\server\share" for a
// network path, empty for an empty path or one without a drive.
std::string DrivePart(const std::string& path);

// "<count>個のオブジェクト".
std::string ObjectCountText(int count);
// "<drive> 空き容量 <free> MB 全<total> MB", both figures in whole MiB
// rounded down.
std::string DriveSpaceText(const std::string& drive, std::uint64_t freeBytes, std::uint64_t totalBytes);

// Splits paths into consecutive groups whose multi-string form (each path and
// its zero byte, plus the closing zero) fits in capacity bytes. A path that
// cannot fit even alone is left out (the library would refuse it).
std::vector<std::vector<std::string>> SplitForPurgeList(const std::vector<std::string>& paths, std::size_t capacity);

// A call that runs later on the user-interface thread, when a window of ours
// handles the command posted to it; for work that must wait until the
// handler now running (and what its caller does after it) has finished.
// Owns its command identifier: a command still queued when this goes away
// finds no handler and does nothing.
class TDeferredCall {
 public:
  explicit TDeferredCall(std::function<void()> fn);
  ~TDeferredCall();
  TDeferredCall(const TDeferredCall&) = delete;
  TDeferredCall& operator=(const TDeferredCall&) = delete;
  // Queues the call to run when window handles its messages.
  void Post(HWND window) const;
  UINT Command() const noexcept { return m_command; }

 private:
  UINT m_command;
};

}  // namespace orvane
