#pragma once
// A picture box: shows one bitmap stretched to fill the control (so with the
// control sized to the picture's proportions it shows it undistorted). The
// control owns its bitmap; callers hand it over or have it copied.
#include <windows.h>

#include "framework/base/Handle.h"
#include "framework/ui/Control.h"

namespace fw {

class Image : public Control {
 public:
  explicit Image(Component* owner);

  // Takes the bitmap over (an empty handle clears the picture).
  void SetBitmap(BitmapHandle bitmap);
  // Shows a copy of bitmap; the caller keeps its own. False when the copy
  // could not be made (the picture is then unchanged).
  bool Assign(HBITMAP bitmap);
  // The bitmap shown, or null; owned by the control.
  HBITMAP Bitmap() const noexcept { return m_bitmap.get(); }
  bool Empty() const noexcept { return !m_bitmap; }
  // Size of the picture in pixels (0 x 0 when empty).
  SIZE PictureSize() const noexcept { return m_size; }

 protected:
  void CreateParams(fw::CreateParams& params) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  virtual void Paint(HDC dc);

 private:
  BitmapHandle m_bitmap;
  SIZE m_size{0, 0};
};

}  // namespace fw
