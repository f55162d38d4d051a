#pragma once
// The hourglass for the length of a scope: long shell work (enumerating a
// large folder, sorting it) shows it, and the previous cursor comes back
// however the work ends.
#include <windows.h>

namespace fw {

class WaitCursor {
 public:
  WaitCursor() : m_old(::SetCursor(::LoadCursor(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { ::SetCursor(m_old); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR m_old;
};

}  // namespace fw
