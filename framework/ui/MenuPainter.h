#pragma once
// Drawing of owner-drawn menu items of ours that sit in menus the system
// owns (the shell's context menu, a window's system menu): caption,
// shortcut text, image or bitmap, check mark or radio bullet, in the
// screen's menu font.
#include <windows.h>

namespace fw {

class MenuItem;
class ImageList;

// The font the system draws menus with (created on each call; the caller owns it).
HFONT CreateMenuFont();

// Size of the item in the screen's menu font, for WM_MEASUREITEM. The device
// context's state is saved and restored.
SIZE MeasureOwnerMenuItem(const MenuItem& item, HDC dc, ImageList* images);

// Draws the item into rect for WM_DRAWITEM; selected: with the highlight
// colours. The device context's state is saved and restored.
void DrawOwnerMenuItem(const MenuItem& item, HDC dc, const RECT& rect, bool selected, ImageList* images);

}  // namespace fw
