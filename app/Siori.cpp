#include "app/Siori.h"

#include <windows.h>

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

std::vector<std::string> LoadSioriFile(const std::string& path) {
  // Another instance may be writing it at this moment (instances closing at
  // once): wait a little for it rather than report the file as unreadable.
  fw::FileHandle f = fw::OpenFileWaiting(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
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
  fw::FileHandle f = fw::OpenFileWaiting(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
  if (!f) throw fw::Exception(fw::Format("ファイル %s を作成できません", path.c_str()));
  DWORD done = 0;
  if (!::WriteFile(f.get(), text.data(), static_cast<DWORD>(text.size()), &done, nullptr) || done != text.size())
    throw fw::Exception(fw::Format("ファイル %s に書き込めません", path.c_str()));
}

}  // namespace orvane
