#pragma once
// Opening files that other programs (or another instance of ours) may hold
// open for a moment.
#include <windows.h>

#include <string>

#include "framework/base/Handle.h"

namespace fw {

// How long an open waits for another holder to let go of the file. Instances
// that close at the same moment (a logoff closes them all) each hold the
// settings file for a few milliseconds per write; two seconds is far beyond
// that and still short enough that a file held for good is reported soon.
inline constexpr DWORD kFileBusyWaitMs = 2000;

// CreateFileA, tried again while it fails with a sharing or lock violation,
// for at most waitMs. Returns an invalid handle with the last error set when
// it still fails.
FileHandle OpenFileWaiting(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                           DWORD waitMs = kFileBusyWaitMs);

// True for the errors that mean "someone else holds the file just now".
bool IsFileBusyError(DWORD error) noexcept;

}  // namespace fw
