#pragma once
// Runs a step when a scope is left, however it is left (also by an
// exception): clean-ups that are no handle of their own, such as putting a
// control's drag state back or resuming change notification.
#include <utility>

namespace fw {

template <typename F>
class ScopeExit {
 public:
  explicit ScopeExit(F f) : m_f(std::move(f)) {}
  ~ScopeExit() { m_f(); }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

 private:
  F m_f;
};

}  // namespace fw
