#include "framework/base/Exception.h"

#include <cstdarg>
#include <cstdio>

namespace fw {

std::string SysErrorMessage(DWORD code) {
  char* buf = nullptr;
  DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<char*>(&buf), 0, nullptr);
  std::string text;
  if (n && buf) text.assign(buf, n);
  if (buf) ::LocalFree(buf);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  if (text.empty()) text = Format("error %lu", static_cast<unsigned long>(code));
  return text;
}

EOSError::EOSError(DWORD code, const std::string& context)
    : Exception(context.empty() ? SysErrorMessage(code) : context + ": " + SysErrorMessage(code)), m_code(code) {}

std::string Format(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  va_list ap2;
  va_copy(ap2, ap);
  int n = std::vsnprintf(nullptr, 0, fmt, ap);
  va_end(ap);
  std::string out;
  if (n > 0) {
    out.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(out.data(), out.size(), fmt, ap2);
    out.resize(static_cast<size_t>(n));
  }
  va_end(ap2);
  return out;
}

}  // namespace fw
