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

bool SameText(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  if (a.empty()) return true;
  return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

}  // namespace fw
