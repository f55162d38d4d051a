#pragma once
// A tab control with direct access to the focused and the selected tab and
// with hit-testing that tells the parts of a tab apart.
#include <windows.h>

#include <cstdint>

#include "framework/base/Set.h"
#include "framework/ui/ComCtrls.h"

enum TShTabHitTest : unsigned char { thNoWhere, thOnItem, thOnItemIcon, thOnItemLavel };
using TShTabHitTests = fw::Set<TShTabHitTest, std::uint8_t>;

// The hit flags of the platform's tab hit-test as a set: nowhere; on the
// tab as a whole (icon and label together); or on its icon and/or its label.
TShTabHitTests TabHitTestsFromFlags(UINT flags) noexcept;

class TShellTabControl : public fw::TabControl {
 public:
  explicit TShellTabControl(fw::Component* owner);

  // The selected tab (-1: none). Setting it runs the change processing (OnChange).
  int GetSelectIndex() const;
  void SetSelectIndex(int index);
  // The tab with the focus rectangle (-1: none).
  int GetFocusIndex() const;
  void SetFocusIndex(int index);
  // The tab at a client point, or -1.
  int GetTabAt(int x, int y) const;
  // The tab at a client point (or -1) and which part of it is hit.
  int GetHitTestInfoAt(int x, int y, TShTabHitTests& hitTests) const;

  // Once the owner is built: the window exists and measures its tabs with the
  // font it has now.
  void Loaded();
};
