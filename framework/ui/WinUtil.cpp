#include "framework/ui/WinUtil.h"

#include <algorithm>
#include <cstring>

#include "framework/base/Handle.h"

namespace fw {

void ChangeWindowStyle(HWND wnd, int index, DWORD mask, bool on) {
  if (!wnd) return;
  DWORD style = static_cast<DWORD>(::GetWindowLongA(wnd, index));
  DWORD next = on ? (style | mask) : (style & ~mask);
  if (next == style) return;
  ::SetWindowLongA(wnd, index, static_cast<LONG>(next));
  ::SetWindowPos(wnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  ::InvalidateRect(wnd, nullptr, TRUE);
}

SIZE MeasureText(HFONT font, const std::string& text, int maxWidth, UINT extraFormat) {
  WindowDC dc(nullptr);
  SelectGuard sel(dc.get(), font);
  RECT r{0, 0, maxWidth > 0 ? maxWidth : 0, 0};
  UINT format = DT_CALCRECT | DT_NOCLIP | extraFormat | (maxWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE);
  // An empty text still takes a line.
  std::string measured = text.empty() ? std::string(" ") : text;
  ::DrawTextA(dc.get(), measured.c_str(), static_cast<int>(measured.size()), &r, format);
  SIZE s{r.right - r.left, r.bottom - r.top};
  if (text.empty()) s.cx = 0;
  return s;
}

int FontLineHeight(HFONT font) {
  WindowDC dc(nullptr);
  SelectGuard sel(dc.get(), font);
  TEXTMETRICA tm{};
  ::GetTextMetricsA(dc.get(), &tm);
  return tm.tmHeight;
}

std::wstring AnsiToWide(const std::string& s) {
  if (s.empty()) return {};
  int n = ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(std::max(n, 0)), L'\0');
  if (n > 0) ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string WideToAnsi(const wchar_t* s, int length) {
  if (!s) return {};
  if (length < 0) length = static_cast<int>(std::wcslen(s));
  if (length == 0) return {};
  int n = ::WideCharToMultiByte(CP_ACP, 0, s, length, nullptr, 0, nullptr, nullptr);
  std::string a(static_cast<size_t>(std::max(n, 0)), '\0');
  if (n > 0) ::WideCharToMultiByte(CP_ACP, 0, s, length, a.data(), n, nullptr, nullptr);
  return a;
}

void CopyToBuffer(const std::string& s, char* buffer, int capacity) {
  if (!buffer || capacity <= 0) return;
  size_t n = std::min(s.size(), static_cast<size_t>(capacity - 1));
  // Never cut a two-byte character in half.
  if (n < s.size() && n > 0) {
    size_t i = 0;
    while (i < n) {
      size_t step = ::IsDBCSLeadByte(static_cast<BYTE>(s[i])) ? 2 : 1;
      if (i + step > n) break;
      i += step;
    }
    n = i;
  }
  std::memcpy(buffer, s.data(), n);
  buffer[n] = '\0';
}

void CopyToBuffer(const std::string& s, wchar_t* buffer, int capacity) {
  if (!buffer || capacity <= 0) return;
  std::wstring w = AnsiToWide(s);
  size_t n = std::min(w.size(), static_cast<size_t>(capacity - 1));
  std::memcpy(buffer, w.data(), n * sizeof(wchar_t));
  buffer[n] = L'\0';
}

}  // namespace fw
