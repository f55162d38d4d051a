#include "tests/common/MessagePump.h"

#include <tlhelp32.h>

#include <vector>

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

namespace {

// One row of the system's handle table (SystemHandleInformation, class 16).
struct SystemHandleEntry {
  ULONG ownerPid;
  UCHAR objectType;
  UCHAR flags;
  USHORT handle;
  PVOID object;
  ACCESS_MASK access;
};
struct SystemHandleTable {
  ULONG count;
  SystemHandleEntry entries[1];
};

int CountFromSystemHandleTable() {
  using QueryFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");  // always loaded; not ours to free
  auto query = ntdll ? reinterpret_cast<QueryFn>(::GetProcAddress(ntdll, "NtQuerySystemInformation")) : nullptr;
  if (!query) return -1;
  constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
  std::vector<char> buf(1 << 16);
  LONG status;
  ULONG needed = 0;
  while ((status = query(16, buf.data(), static_cast<ULONG>(buf.size()), &needed)) == kInfoLengthMismatch)
    buf.resize(buf.size() * 2);
  if (status != 0) return -1;
  const auto* table = reinterpret_cast<const SystemHandleTable*>(buf.data());
  const DWORD pid = ::GetCurrentProcessId();
  int count = 0;
  for (ULONG i = 0; i < table->count; ++i)
    if (table->entries[i].ownerPid == pid) ++count;
  return count;
}

}  // namespace

int CountProcessHandles() {
  DWORD n = 0;
  if (::GetProcessHandleCount(::GetCurrentProcess(), &n) && n > 0) return static_cast<int>(n);
  // Wine answers 0 here; its system handle table is accurate.
  return CountFromSystemHandleTable();
}

}  // namespace testsupport
