#pragma once
// Small helpers shared by the control implementations: painting, window
// styles, text measurement and conversions between the ANSI code page and
// UTF-16 for notifications that the system sends in their wide form.
#include <windows.h>

#include <string>

namespace fw {

// BeginPaint/EndPaint pair.
class PaintDC {
 public:
  explicit PaintDC(HWND wnd) noexcept : m_wnd(wnd) { m_dc = ::BeginPaint(wnd, &m_ps); }
  ~PaintDC() { ::EndPaint(m_wnd, &m_ps); }
  PaintDC(const PaintDC&) = delete;
  PaintDC& operator=(const PaintDC&) = delete;
  HDC get() const noexcept { return m_dc; }
  const RECT& PaintRect() const noexcept { return m_ps.rcPaint; }

 private:
  HWND m_wnd;
  HDC m_dc = nullptr;
  PAINTSTRUCT m_ps{};
};

// Sets or clears style bits of a live window (GWL_STYLE or GWL_EXSTYLE) and
// makes the window take the new frame.
void ChangeWindowStyle(HWND wnd, int index, DWORD mask, bool on);

// Size of text drawn in font (single line, or wrapped at maxWidth when > 0).
SIZE MeasureText(HFONT font, const std::string& text, int maxWidth = 0, UINT extraFormat = 0);
// Height of a line of text in font.
int FontLineHeight(HFONT font);

// Conversions between the ANSI code page and UTF-16.
std::wstring AnsiToWide(const std::string& s);
std::string WideToAnsi(const wchar_t* s, int length = -1);
// Copies s into a caller's buffer of capacity characters (always terminated).
void CopyToBuffer(const std::string& s, char* buffer, int capacity);
void CopyToBuffer(const std::string& s, wchar_t* buffer, int capacity);

}  // namespace fw
