#pragma once
// Timing helpers shared by the benchmark files.
#include <windows.h>

namespace benchsupport {

inline double Seconds() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(freq.QuadPart);
}

}  // namespace benchsupport
