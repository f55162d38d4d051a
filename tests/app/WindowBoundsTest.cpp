// Saved window bounds made usable: off every screen, too small, overflowing.
#include <gtest/gtest.h>

#include <climits>

#include "app/WindowBounds.h"

namespace {

using orvane::UsableWindowBounds;
using orvane::WindowBounds;

const std::vector<RECT> kTwoMonitors = {{0, 0, 1280, 994}, {1280, 0, 2560, 1024}};

bool Same(const WindowBounds& a, const WindowBounds& b) {
  return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}

TEST(WindowBounds, OffEveryScreenMovesOntoTheNearestWorkArea) {
  // Far to the right: the right-hand monitor, as far right as the window fits.
  WindowBounds b = UsableWindowBounds({INT_MAX, 100, 640, 480}, kTwoMonitors, 19);
  EXPECT_TRUE(Same(b, {2560 - 640, 100, 640, 480}));
  // Above the screens: only the caption strip counts, so a window whose body
  // would still reach down into the screen is moved too.
  b = UsableWindowBounds({100, -400, 640, 480}, kTwoMonitors, 19);
  EXPECT_TRUE(Same(b, {100, 0, 640, 480}));
  // Far out on both axes, and larger than any work area: top left corner.
  b = UsableWindowBounds({INT_MIN, INT_MIN, 5000, 4000}, kTwoMonitors, 19);
  EXPECT_TRUE(Same(b, {0, 0, 5000, 4000}));
}

TEST(WindowBounds, PartlyVisibleBoundsStayAndSizesHaveAFloor) {
  // Half off the left edge, caption still reachable: kept as saved.
  WindowBounds b = UsableWindowBounds({-300, 50, 640, 480}, kTwoMonitors, 19);
  EXPECT_TRUE(Same(b, {-300, 50, 640, 480}));
  // Straddling the two monitors.
  b = UsableWindowBounds({1000, 900, 640, 480}, kTwoMonitors, 19);
  EXPECT_TRUE(Same(b, {1000, 900, 640, 480}));
  // Negative and tiny sizes grow to the minimum.
  b = UsableWindowBounds({10, 10, 5, -100}, kTwoMonitors, 19);
  EXPECT_TRUE(Same(b, {10, 10, orvane::kMinWindowWidth, orvane::kMinWindowHeight}));
  // The caption strip of the grown window is what is tested: a window left
  // of the screen by less than its minimum width is reachable once grown.
  b = UsableWindowBounds({-150, 10, 0, 0}, kTwoMonitors, 19);
  EXPECT_TRUE(Same(b, {-150, 10, orvane::kMinWindowWidth, orvane::kMinWindowHeight}));
}

}  // namespace
