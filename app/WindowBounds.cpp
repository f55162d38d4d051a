#include "app/WindowBounds.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace orvane {
namespace {

// The saved numbers can be anything: work in 64 bits so that an edge far
// out does not wrap around into the visible range.
struct Rect64 {
  std::int64_t left, top, right, bottom;
};

bool Touches(const Rect64& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

std::int64_t DistanceSquared(const Rect64& a, const RECT& b) {
  auto gap = [](std::int64_t lo1, std::int64_t hi1, std::int64_t lo2, std::int64_t hi2) -> std::int64_t {
    if (hi1 <= lo2) return lo2 - hi1;
    if (hi2 <= lo1) return lo1 - hi2;
    return 0;
  };
  // Clamp before squaring: distances of 2^31 squared still fit, sums of two as well.
  std::int64_t dx = std::min<std::int64_t>(gap(a.left, a.right, b.left, b.right), INT_MAX);
  std::int64_t dy = std::min<std::int64_t>(gap(a.top, a.bottom, b.top, b.bottom), INT_MAX);
  return dx * dx + dy * dy;
}

BOOL CALLBACK CollectWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (::GetMonitorInfoA(monitor, &info)) reinterpret_cast<std::vector<RECT>*>(data)->push_back(info.rcWork);
  return TRUE;
}

}  // namespace

WindowBounds UsableWindowBounds(WindowBounds b, const std::vector<RECT>& workAreas, int captionHeight) {
  b.width = std::max(b.width, kMinWindowWidth);
  b.height = std::max(b.height, kMinWindowHeight);
  if (workAreas.empty()) return b;
  const Rect64 strip{b.left, b.top, static_cast<std::int64_t>(b.left) + b.width,
                     static_cast<std::int64_t>(b.top) + std::max(captionHeight, 1)};
  const RECT* nearest = nullptr;
  std::int64_t best = INT64_MAX;
  for (const RECT& area : workAreas) {
    if (Touches(strip, area)) return b;
    std::int64_t d = DistanceSquared(strip, area);
    if (d < best) {
      best = d;
      nearest = &area;
    }
  }
  // Inside the nearest work area as far as the window fits; a window larger
  // than the area keeps its size and starts at the area's top left corner.
  const RECT& a = *nearest;
  std::int64_t left = std::clamp<std::int64_t>(b.left, a.left, std::max<std::int64_t>(a.left, a.right - b.width));
  std::int64_t top = std::clamp<std::int64_t>(b.top, a.top, std::max<std::int64_t>(a.top, a.bottom - b.height));
  b.left = static_cast<int>(left);
  b.top = static_cast<int>(top);
  return b;
}

std::vector<RECT> MonitorWorkAreas() {
  std::vector<RECT> areas;
  ::EnumDisplayMonitors(nullptr, nullptr, CollectWorkArea, reinterpret_cast<LPARAM>(&areas));
  return areas;
}

}  // namespace orvane
