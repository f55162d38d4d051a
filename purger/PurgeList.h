#pragma once
// The list of paths handed to the shell's delete operation in one go: a
// fixed 4096-byte area in the platform's multi-string form (each path and its
// zero byte, the list ended by one more zero byte).
#include <cstddef>

namespace purger {

class PurgeList {
 public:
  static constexpr std::size_t kCapacity = 4096;

  PurgeList() noexcept { Clear(); }

  // Appends a path. A path that does not fit in what remains of the area
  // (its bytes, its zero and the final zero) is refused whole, so the area is
  // never written beyond and the list never holds a truncated path, which
  // could name some other file. Returns false when refused.
  bool Add(const char* path) noexcept;

  // Empties the list: it reads as empty (two zero bytes at the start).
  void Clear() noexcept;

  // The multi-string, always ended by two zero bytes (one when empty plus one).
  const char* Data() const noexcept { return m_buffer; }
  // Bytes used by the paths and their zeros, without the final zero.
  std::size_t Used() const noexcept { return m_pos; }
  bool Empty() const noexcept { return m_pos == 0; }

 private:
  char m_buffer[kCapacity];
  std::size_t m_pos = 0;
};

}  // namespace purger
