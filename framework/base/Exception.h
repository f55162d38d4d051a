#pragma once
// The framework's error type. Its text is in the ANSI code page, ready for the
// error box; std::exception::what() returns the same bytes.
#include <windows.h>
#include <stdexcept>
#include <string>

namespace fw {

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  const std::string Message() const { return what(); }
};

// An operating-system call failed: carries the error code and the system's text.
class EOSError : public Exception {
 public:
  explicit EOSError(DWORD code, const std::string& context = {});
  DWORD Code() const noexcept { return m_code; }

 private:
  DWORD m_code;
};

// An operation was asked of an object in a state (or with arguments) that
// cannot allow it.
class EInvalidOperation : public Exception {
 public:
  using Exception::Exception;
};

// An object was not of the class an operation needs (a component that must
// sit on a form, given another owner).
class EInvalidCast : public Exception {
 public:
  EInvalidCast() : Exception("無効なクラスキャストです。") {}
  using Exception::Exception;
};

// Text of a Win32 error code in the ANSI code page, without the trailing line break.
std::string SysErrorMessage(DWORD code);

// printf-style formatting into a std::string.
std::string Format(const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace fw
