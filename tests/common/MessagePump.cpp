#include "tests/common/MessagePump.h"

#include <tlhelp32.h>

#include "framework/base/Handle.h"

namespace testsupport {

namespace {

void DispatchPending() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

}  // namespace

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
  for (;;) {
    DispatchPending();
    if (done()) return true;
    const ULONGLONG now = ::GetTickCount64();
    if (now >= deadline) return done();
    DWORD slice = static_cast<DWORD>(deadline - now);
    if (slice > 20) slice = 20;  // re-check the condition now and then: workers may change it without a message
    ::MsgWaitForMultipleObjectsEx(0, nullptr, slice, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

int CountProcessThreads() {
  // INVALID_HANDLE_VALUE on failure, like a file handle.
  fw::FileHandle snap(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snap) return -1;
  const DWORD pid = ::GetCurrentProcessId();
  int count = 0;
  THREADENTRY32 te{};
  te.dwSize = sizeof te;
  if (::Thread32First(snap.get(), &te)) {
    do {
      if (te.th32OwnerProcessID == pid) ++count;
      te.dwSize = sizeof te;
    } while (::Thread32Next(snap.get(), &te));
  }
  return count;
}

int CountProcessHandles() {
  DWORD n = 0;
  if (!::GetProcessHandleCount(::GetCurrentProcess(), &n)) return -1;
  return static_cast<int>(n);
}

}  // namespace testsupport
