#pragma once
// Saved window bounds made usable again: a settings file edited by hand, or
// written on a machine with another monitor layout, must not put the main
// window where the user cannot reach it.
#include <windows.h>

#include <vector>

namespace orvane {

struct WindowBounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

inline constexpr int kMinWindowWidth = 200;
inline constexpr int kMinWindowHeight = 150;

// The bounds with a width of at least 200 and a height of at least 150, moved
// onto the nearest work area when the strip along the window's top edge
// (captionHeight high, where the user grabs the window) touches none of
// them. Bounds that are merely unusual (partly off the screen) are kept.
WindowBounds UsableWindowBounds(WindowBounds b, const std::vector<RECT>& workAreas, int captionHeight);

// The work areas of all monitors.
std::vector<RECT> MonitorWorkAreas();

}  // namespace orvane
