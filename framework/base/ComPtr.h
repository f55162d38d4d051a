#pragma once
// Owning COM interface pointer (AddRef on copy, Release on destruction).
#include <objbase.h>
#include <unknwn.h>
#include <utility>

namespace fw {

template <typename T>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  ComPtr(std::nullptr_t) noexcept {}
  // Takes a reference that the caller already holds (no AddRef).
  static ComPtr Attach(T* p) noexcept {
    ComPtr c;
    c.m_p = p;
    return c;
  }
  // Shares a borrowed pointer (AddRef).
  static ComPtr Share(T* p) noexcept {
    if (p) p->AddRef();
    return Attach(p);
  }
  ComPtr(const ComPtr& o) noexcept : m_p(o.m_p) {
    if (m_p) m_p->AddRef();
  }
  ComPtr(ComPtr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
  ComPtr& operator=(const ComPtr& o) noexcept {
    if (this != &o) *this = Share(o.m_p);
    return *this;
  }
  ComPtr& operator=(ComPtr&& o) noexcept {
    if (this != &o) {
      Reset();
      m_p = std::exchange(o.m_p, nullptr);
    }
    return *this;
  }
  ComPtr& operator=(std::nullptr_t) noexcept {
    Reset();
    return *this;
  }
  ~ComPtr() { Reset(); }

  T* Get() const noexcept { return m_p; }
  T* operator->() const noexcept { return m_p; }
  explicit operator bool() const noexcept { return m_p != nullptr; }
  void Reset() noexcept {
    if (m_p) std::exchange(m_p, nullptr)->Release();
  }
  T* Detach() noexcept { return std::exchange(m_p, nullptr); }
  // For out-parameters: releases the current pointer first.
  T** Put() noexcept {
    Reset();
    return &m_p;
  }
  void** PutVoid() noexcept { return reinterpret_cast<void**>(Put()); }

  template <typename U>
  ComPtr<U> As(REFIID iid) const noexcept {
    ComPtr<U> r;
    if (m_p) m_p->QueryInterface(iid, r.PutVoid());
    return r;
  }
  template <typename U>
  ComPtr<U> As() const noexcept {
    return As<U>(__uuidof(U));
  }

 private:
  T* m_p = nullptr;
};

// CoInitialize/CoUninitialize pair (OleInitialize for threads that use drag and drop).
class OleScope {
 public:
  explicit OleScope(bool ole = true) noexcept : m_ole(ole) {
    m_ok = SUCCEEDED(ole ? ::OleInitialize(nullptr) : ::CoInitialize(nullptr));
  }
  ~OleScope() {
    if (m_ok) {
      if (m_ole)
        ::OleUninitialize();
      else
        ::CoUninitialize();
    }
  }
  OleScope(const OleScope&) = delete;
  OleScope& operator=(const OleScope&) = delete;

 private:
  bool m_ole;
  bool m_ok;
};

}  // namespace fw
