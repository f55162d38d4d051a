#include "framework/ui/Image.h"

#include "framework/ui/WinUtil.h"

namespace fw {

Image::Image(Component* owner) : Control(owner) {
  m_width = 105;
  m_height = 105;
}

void Image::CreateParams(fw::CreateParams& p) {
  Control::CreateParams(p);
  // Redrawn whole on every resize: the picture is stretched to the client area.
  p.className = RegisterOwnWindowClass("OrvaneImage", CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
}

void Image::SetBitmap(BitmapHandle bitmap) {
  m_bitmap = std::move(bitmap);
  BITMAP info{};
  if (m_bitmap && ::GetObjectA(m_bitmap.get(), sizeof info, &info) == sizeof info)
    m_size = SIZE{info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
  else
    m_size = SIZE{0, 0};
  Invalidate();
}

bool Image::Assign(HBITMAP bitmap) {
  if (!bitmap) {
    SetBitmap(BitmapHandle());
    return true;
  }
  BitmapHandle copy(static_cast<HBITMAP>(::CopyImage(bitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!copy) return false;
  SetBitmap(std::move(copy));
  return true;
}

void Image::Paint(HDC dc) {
  RECT r;
  ::GetClientRect(m_handle, &r);
  if (!m_bitmap || m_size.cx <= 0 || m_size.cy <= 0) {
    ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
    return;
  }
  DCHandle memory(::CreateCompatibleDC(dc));
  if (!memory) return;
  SelectGuard select(memory.get(), m_bitmap.get());
  // Halftone keeps shrunk pictures legible; it needs the brush origin reset.
  ::SetStretchBltMode(dc, HALFTONE);
  ::SetBrushOrgEx(dc, 0, 0, nullptr);
  ::StretchBlt(dc, 0, 0, r.right, r.bottom, memory.get(), 0, 0, m_size.cx, m_size.cy, SRCCOPY);
}

LRESULT Image::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // the paint covers the whole client area
    case WM_PAINT: {
      PaintDC pdc(m_handle);
      Paint(pdc.get());
      return 0;
    }
    case WM_PRINTCLIENT:
      // Drawn into a DC given by someone else (printing, double buffering).
      Paint(reinterpret_cast<HDC>(wp));
      return 0;
    default:
      return Control::WndProc(msg, wp, lp);
  }
}

}  // namespace fw
