#include "app/Siori.h"

#include <windows.h>

#include <string>

#include "framework/base/Exception.h"
#include "framework/base/FileOpen.h"
#include "framework/base/Handle.h"

namespace orvane {

std::vector<std::string> SplitSioriLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(text.substr(start, i - start));
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

namespace {

// Whether the file can be deleted at this moment (nobody holds it without
// sharing deletion).
bool CanBeReplaced(const std::string& path) {
  fw::FileHandle f(::CreateFileA(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
  return f.valid();
}

}  // namespace

std::vector<std::string> LoadSioriFile(const std::string& path) {
  // Another instance may be writing it at this moment (instances closing at
  // once): wait a little for it rather than report the file as unreadable.
  // Readers allow deletion, so a writer can replace the file under them.
  fw::FileHandle f = fw::OpenFileWaiting(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING);
  if (!f) throw fw::Exception(fw::Format("ファイル %s を開けません", path.c_str()));
  std::string text;
  char buf[8192];
  DWORD got = 0;
  for (;;) {
    if (!::ReadFile(f.get(), buf, sizeof buf, &got, nullptr))
      throw fw::Exception(fw::Format("ファイル %s を読めません", path.c_str()));
    if (got == 0) break;
    text.append(buf, got);
  }
  return SplitSioriLines(text);
}

void SaveSioriFile(const std::string& path, const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\r\n";
  // The whole file goes to a temporary file beside it first and then takes
  // the old one's place: a failed or interrupted write leaves the bookmarks
  // the user had, never a truncated file. The name carries the process id so
  // two instances closing at once do not write into the same temporary file.
  const std::string temp = path + "." + std::to_string(::GetCurrentProcessId()) + ".tmp";
  {
    fw::FileHandle f(
        ::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) throw fw::Exception(fw::Format("ファイル %s を作成できません", path.c_str()));
    DWORD done = 0;
    bool written = ::WriteFile(f.get(), text.data(), static_cast<DWORD>(text.size()), &done, nullptr) &&
                   done == text.size() && ::FlushFileBuffers(f.get());
    if (!written) {
      f.reset();
      ::DeleteFileA(temp.c_str());
      throw fw::Exception(fw::Format("ファイル %s に書き込めません", path.c_str()));
    }
  }
  // A reader (another instance starting) may hold the old file for a
  // moment; the replacement waits for it as long as the settings file's
  // writes wait for theirs.
  const DWORD start = ::GetTickCount();
  for (;;) {
    // ReplaceFile swaps the file even while a reader has it open (readers
    // share deletion); a first save has nothing to replace and just moves.
    const bool exists = ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    // Only a file that can be deleted just now is handed to ReplaceFile: a
    // failed ReplaceFile may leave a stray file of its own beside it.
    if (exists && !CanBeReplaced(path)) {
      if (::GetTickCount() - start >= fw::kFileBusyWaitMs) break;
      ::Sleep(20);
      continue;
    }
    BOOL done =
        exists ? ::ReplaceFileA(path.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
               : ::MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH);
    if (done) {
      // Some systems leave the replacement's name behind: nothing may stay.
      ::DeleteFileA(temp.c_str());
      return;
    }
    DWORD error = ::GetLastError();
    if ((!fw::IsFileBusyError(error) && error != ERROR_ACCESS_DENIED) ||
        ::GetTickCount() - start >= fw::kFileBusyWaitMs)
      break;
    ::Sleep(20);
  }
  ::DeleteFileA(temp.c_str());
  throw fw::Exception(fw::Format("ファイル %s に書き込めません", path.c_str()));
}

}  // namespace orvane
