#include "purger/PurgeList.h"

#include <cstring>

namespace purger {

bool PurgeList::Add(const char* path) noexcept {
  if (!path) return false;
  // Bounded length scan: a path longer than the area can never fit anyway.
  std::size_t len = ::strnlen(path, kCapacity);
  // The path, its zero and the list's final zero must all fit.
  if (len == 0 || m_pos + len + 2 > kCapacity) return false;
  std::memcpy(m_buffer + m_pos, path, len + 1);
  m_pos += len + 1;
  m_buffer[m_pos] = '\0';
  return true;
}

void PurgeList::Clear() noexcept {
  m_pos = 0;
  m_buffer[0] = '\0';
  m_buffer[1] = '\0';
}

}  // namespace purger
