#pragma once
// Owners for Win32 resources. A raw handle never owns; these do.
#include <windows.h>
#include <commctrl.h>
#include <utility>

namespace fw {

// Generic unique owner parameterised by a traits type giving the invalid value
// and the release function.
template <typename Traits>
class UniqueHandle {
 public:
  using handle_type = typename Traits::Type;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(handle_type h) noexcept : m_h(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& o) noexcept : m_h(o.release()) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  handle_type get() const noexcept { return m_h; }
  explicit operator bool() const noexcept { return m_h != Traits::invalid(); }
  bool valid() const noexcept { return m_h != Traits::invalid(); }

  handle_type release() noexcept { return std::exchange(m_h, Traits::invalid()); }
  void reset(handle_type h = Traits::invalid()) noexcept {
    if (m_h != Traits::invalid() && m_h != h) Traits::close(m_h);
    m_h = h;
  }
  // For APIs that return the handle through an out-parameter.
  handle_type* put() noexcept {
    reset();
    return &m_h;
  }

 private:
  handle_type m_h = Traits::invalid();
};

namespace detail {
struct KernelTraits {  // NULL-invalid kernel handles: threads, events, processes, pipes, mutexes
  using Type = HANDLE;
  static Type invalid() noexcept { return nullptr; }
  static void close(Type h) noexcept { ::CloseHandle(h); }
};
struct FileTraits {  // INVALID_HANDLE_VALUE-invalid: CreateFile
  using Type = HANDLE;
  static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(Type h) noexcept { ::CloseHandle(h); }
};
struct FindTraits {
  using Type = HANDLE;
  static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(Type h) noexcept { ::FindClose(h); }
};
struct ChangeNotifyTraits {
  using Type = HANDLE;
  static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(Type h) noexcept { ::FindCloseChangeNotification(h); }
};
struct RegKeyTraits {
  using Type = HKEY;
  static Type invalid() noexcept { return nullptr; }
  static void close(Type h) noexcept { ::RegCloseKey(h); }
};
struct ModuleTraits {
  using Type = HMODULE;
  static Type invalid() noexcept { return nullptr; }
  static void close(Type h) noexcept { ::FreeLibrary(h); }
};
struct MenuTraits {
  using Type = HMENU;
  static Type invalid() noexcept { return nullptr; }
  static void close(Type h) noexcept { ::DestroyMenu(h); }
};
struct IconTraits {
  using Type = HICON;
  static Type invalid() noexcept { return nullptr; }
  static void close(Type h) noexcept { ::DestroyIcon(h); }
};
struct CursorTraits {
  using Type = HCURSOR;
  static Type invalid() noexcept { return nullptr; }
  static void close(Type h) noexcept { ::DestroyCursor(h); }
};
struct ImageListTraits {
  using Type = HIMAGELIST;
  static Type invalid() noexcept { return nullptr; }
  static void close(Type h) noexcept { ::ImageList_Destroy(h); }
};
struct WindowTraits {
  using Type = HWND;
  static Type invalid() noexcept { return nullptr; }
  static void close(Type h) noexcept { ::DestroyWindow(h); }
};
struct DCTraits {  // CreateCompatibleDC / CreateDC
  using Type = HDC;
  static Type invalid() noexcept { return nullptr; }
  static void close(Type h) noexcept { ::DeleteDC(h); }
};
struct GlobalTraits {
  using Type = HGLOBAL;
  static Type invalid() noexcept { return nullptr; }
  static void close(Type h) noexcept { ::GlobalFree(h); }
};
struct EnhMetaFileTraits {
  using Type = HENHMETAFILE;
  static Type invalid() noexcept { return nullptr; }
  static void close(Type h) noexcept { ::DeleteEnhMetaFile(h); }
};
template <typename T>
struct GdiTraits {
  using Type = T;
  static Type invalid() noexcept { return nullptr; }
  static void close(Type h) noexcept { ::DeleteObject(h); }
};
}  // namespace detail

using Handle = UniqueHandle<detail::KernelTraits>;
using FileHandle = UniqueHandle<detail::FileTraits>;
using FindHandle = UniqueHandle<detail::FindTraits>;
using ChangeNotifyHandle = UniqueHandle<detail::ChangeNotifyTraits>;
using RegKey = UniqueHandle<detail::RegKeyTraits>;
using Module = UniqueHandle<detail::ModuleTraits>;
using MenuHandle = UniqueHandle<detail::MenuTraits>;
using IconHandle = UniqueHandle<detail::IconTraits>;
using CursorHandle = UniqueHandle<detail::CursorTraits>;
using ImageListHandle = UniqueHandle<detail::ImageListTraits>;
using WindowHandle = UniqueHandle<detail::WindowTraits>;
using DCHandle = UniqueHandle<detail::DCTraits>;
using GlobalHandle = UniqueHandle<detail::GlobalTraits>;
using EnhMetaFileHandle = UniqueHandle<detail::EnhMetaFileTraits>;
template <typename T>
using GdiObject = UniqueHandle<detail::GdiTraits<T>>;
using FontHandle = GdiObject<HFONT>;
using BitmapHandle = GdiObject<HBITMAP>;
using BrushHandle = GdiObject<HBRUSH>;
using PenHandle = GdiObject<HPEN>;
using RegionHandle = GdiObject<HRGN>;

// GetDC/ReleaseDC pair.
class WindowDC {
 public:
  explicit WindowDC(HWND wnd) noexcept : m_wnd(wnd), m_dc(::GetDC(wnd)) {}
  ~WindowDC() {
    if (m_dc) ::ReleaseDC(m_wnd, m_dc);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const noexcept { return m_dc; }

 private:
  HWND m_wnd;
  HDC m_dc;
};

// SelectObject that restores the previous object on scope exit.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ obj) noexcept : m_dc(dc), m_old(::SelectObject(dc, obj)) {}
  ~SelectGuard() {
    if (m_old) ::SelectObject(m_dc, m_old);
  }
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;

 private:
  HDC m_dc;
  HGDIOBJ m_old;
};

// GlobalLock/GlobalUnlock pair.
template <typename T = void>
class GlobalLockGuard {
 public:
  explicit GlobalLockGuard(HGLOBAL h) noexcept : m_h(h), m_p(static_cast<T*>(::GlobalLock(h))) {}
  ~GlobalLockGuard() {
    if (m_p) ::GlobalUnlock(m_h);
  }
  GlobalLockGuard(const GlobalLockGuard&) = delete;
  GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
  T* get() const noexcept { return m_p; }
  explicit operator bool() const noexcept { return m_p != nullptr; }

 private:
  HGLOBAL m_h;
  T* m_p;
};

// CRITICAL_SECTION with scoped locking.
class CriticalSection {
 public:
  CriticalSection() noexcept { ::InitializeCriticalSection(&m_cs); }
  ~CriticalSection() { ::DeleteCriticalSection(&m_cs); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;
  void lock() noexcept { ::EnterCriticalSection(&m_cs); }
  void unlock() noexcept { ::LeaveCriticalSection(&m_cs); }

 private:
  CRITICAL_SECTION m_cs;
};

}  // namespace fw
