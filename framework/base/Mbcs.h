#pragma once
// Helpers for byte strings in the ANSI code page (Shift-JIS on the target).
// A trail byte may be 0x5C ('\\'), as in "ソ" (0x83 0x5C): never look at the
// last byte alone; walk whole characters from the start.
#include <string>
#include <string_view>

namespace fw {

// True when the byte starts a two-byte character in the ANSI code page.
bool IsLeadByte(unsigned char c) noexcept;

// Byte offset of the last whole character of s, or npos when s is empty.
std::size_t LastCharPos(std::string_view s) noexcept;

// True when the last whole character of s is the single byte ch.
bool EndsWithChar(std::string_view s, char ch) noexcept;

// Byte offset of the last occurrence of the single-byte character ch that is
// a whole character (not a trail byte), or npos.
std::size_t FindLastChar(std::string_view s, char ch) noexcept;

// Byte offset of the first occurrence of the single-byte character ch that
// is a whole character (not a trail byte), or npos. "ポ" is 0x83 0x7C: its
// trail byte is a '|'.
std::size_t FindFirstChar(std::string_view s, char ch) noexcept;

// The longest prefix of s of at most maxBytes bytes that ends on a whole
// character (a two-byte character that does not fit is left out entirely).
std::string_view CutToBytes(std::string_view s, std::size_t maxBytes) noexcept;

// ASCII-only case folding is not enough for keys and names: compare as the
// system does (CompareStringA with NORM_IGNORECASE in the user's locale).
bool SameText(std::string_view a, std::string_view b) noexcept;

}  // namespace fw
