#include "framework/ui/MenuPainter.h"

#include <algorithm>
#include <string>

#include "framework/base/Handle.h"
#include "framework/ui/ImageList.h"
#include "framework/ui/Menus.h"

namespace fw {
namespace {
constexpr int kMargin = 4;
constexpr int kSeparatorHeight = 8;

// Restores everything the drawing selected or set into the device context.
class SavedDC {
 public:
  explicit SavedDC(HDC dc) noexcept : m_dc(dc), m_saved(::SaveDC(dc)) {}
  ~SavedDC() {
    if (m_saved) ::RestoreDC(m_dc, m_saved);
  }
  SavedDC(const SavedDC&) = delete;
  SavedDC& operator=(const SavedDC&) = delete;

 private:
  HDC m_dc;
  int m_saved;
};

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP bm{};
  if (!bitmap || !::GetObjectA(bitmap, sizeof bm, &bm)) return SIZE{0, 0};
  return SIZE{bm.bmWidth, bm.bmHeight};
}

// Width of the picture column: the image list's width, or the bitmap's, or a check mark's.
int GlyphWidth(const MenuItem& item, ImageList* images) {
  int w = ::GetSystemMetrics(SM_CXMENUCHECK);
  if (images) w = std::max(w, images->Width());
  w = std::max(w, static_cast<int>(BitmapSize(item.Bitmap()).cx));
  return w;
}

std::string CaptionPart(const MenuItem& item) { return item.Caption(); }

std::string ShortCutPart(const MenuItem& item) {
  std::string text = item.NativeText();
  auto tab = text.find('\t');
  return tab == std::string::npos ? std::string() : text.substr(tab + 1);
}
}  // namespace

HFONT CreateMenuFont() {
  NONCLIENTMETRICSA ncm{};
  ncm.cbSize = sizeof ncm;
  if (!::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) return nullptr;
  return ::CreateFontIndirectA(&ncm.lfMenuFont);
}

SIZE MeasureOwnerMenuItem(const MenuItem& item, HDC dc, ImageList* images) {
  if (item.IsLine()) return SIZE{kMargin * 2, kSeparatorHeight};
  // The font outlives the saved state, so it is no longer selected when it goes.
  FontHandle font(CreateMenuFont());
  SavedDC saved(dc);
  if (font) ::SelectObject(dc, font.get());
  std::string caption = CaptionPart(item);
  std::string shortcut = ShortCutPart(item);
  RECT r{0, 0, 0, 0};
  ::DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &r, DT_SINGLELINE | DT_CALCRECT);
  int width = GlyphWidth(item, images) + kMargin * 3 + (r.right - r.left);
  if (!shortcut.empty()) {
    SIZE s{};
    ::GetTextExtentPoint32A(dc, shortcut.c_str(), static_cast<int>(shortcut.size()), &s);
    width += kMargin * 4 + s.cx;
  }
  int height = std::max<int>(r.bottom - r.top, ::GetSystemMetrics(SM_CYMENUCHECK));
  if (images) height = std::max(height, images->Height());
  height = std::max<int>(height, BitmapSize(item.Bitmap()).cy);
  return SIZE{width, height + kMargin};
}

void DrawOwnerMenuItem(const MenuItem& item, HDC dc, const RECT& rect, bool selected, ImageList* images) {
  // The font outlives the saved state, so it is no longer selected when it goes.
  FontHandle font(CreateMenuFont());
  SavedDC saved(dc);
  if (font) ::SelectObject(dc, font.get());
  bool enabled = item.Enabled();
  ::FillRect(dc, &rect, ::GetSysColorBrush(selected && enabled ? COLOR_HIGHLIGHT : COLOR_MENU));
  if (item.IsLine()) {
    RECT line = rect;
    line.top += (rect.bottom - rect.top) / 2 - 1;
    line.bottom = line.top + 2;
    ::DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    return;
  }
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(!enabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));

  // The picture column: image, else bitmap, else the check mark or bullet.
  int glyph = GlyphWidth(item, images);
  RECT glyphRect{rect.left + kMargin, rect.top, rect.left + kMargin + glyph, rect.bottom};
  int midY = (rect.top + rect.bottom) / 2;
  if (images && item.ImageIndex() >= 0) {
    images->Draw(dc, glyphRect.left, midY - images->Height() / 2, item.ImageIndex(),
                 enabled ? ILD_TRANSPARENT : (ILD_TRANSPARENT | ILD_BLEND50));
  } else if (item.Bitmap()) {
    SIZE bs = BitmapSize(item.Bitmap());
    DCHandle mem(::CreateCompatibleDC(dc));
    if (mem) {
      SelectGuard sel(mem.get(), item.Bitmap());
      ::BitBlt(dc, glyphRect.left, midY - bs.cy / 2, bs.cx, bs.cy, mem.get(), 0, 0, SRCCOPY);
    }
  }
  if (item.Checked()) {
    RECT mark = glyphRect;
    ::DrawFrameControl(dc, &mark, DFC_MENU, item.RadioItem() ? DFCS_MENUBULLET : DFCS_MENUCHECK);
  }

  RECT text{glyphRect.right + kMargin * 2, rect.top, rect.right - kMargin * 2, rect.bottom};
  std::string caption = CaptionPart(item);
  if (item.Default()) {
    LOGFONTA lf{};
    if (font && ::GetObjectA(font.get(), sizeof lf, &lf)) {
      lf.lfWeight = FW_BOLD;
      HFONT bold = ::CreateFontIndirectA(&lf);
      if (bold) {
        FontHandle boldOwner(bold);
        SelectGuard sel(dc, bold);
        ::DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
      }
    }
  } else {
    ::DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  }
  std::string shortcut = ShortCutPart(item);
  if (!shortcut.empty())
    ::DrawTextA(dc, shortcut.c_str(), static_cast<int>(shortcut.size()), &text,
                DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
}

}  // namespace fw
