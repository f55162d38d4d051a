#include "framework/base/Mbcs.h"

#include <windows.h>

namespace fw {

bool IsLeadByte(unsigned char c) noexcept { return ::IsDBCSLeadByte(c) != FALSE; }

std::size_t LastCharPos(std::string_view s) noexcept {
  std::size_t last = std::string_view::npos;
  for (std::size_t i = 0; i < s.size();) {
    last = i;
    i += (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
  }
  return last;
}

bool EndsWithChar(std::string_view s, char ch) noexcept {
  std::size_t p = LastCharPos(s);
  return p != std::string_view::npos && p == s.size() - 1 && s[p] == ch;
}

std::size_t FindLastChar(std::string_view s, char ch) noexcept {
  std::size_t found = std::string_view::npos;
  for (std::size_t i = 0; i < s.size();) {
    if (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) {
      i += 2;
      continue;
    }
    if (s[i] == ch) found = i;
    ++i;
  }
  return found;
}

std::size_t FindFirstChar(std::string_view s, char ch) noexcept {
  for (std::size_t i = 0; i < s.size();) {
    if (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) {
      i += 2;
      continue;
    }
    if (s[i] == ch) return i;
    ++i;
  }
  return std::string_view::npos;
}

std::string_view CutToBytes(std::string_view s, std::size_t maxBytes) noexcept {
  std::size_t end = 0;
  while (end < s.size()) {
    std::size_t len = (IsLeadByte(static_cast<unsigned char>(s[end])) && end + 1 < s.size()) ? 2 : 1;
    if (end + len > maxBytes) break;
    end += len;
  }
  return s.substr(0, end);
}

bool SameText(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  if (a.empty()) return true;
  return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

}  // namespace fw
