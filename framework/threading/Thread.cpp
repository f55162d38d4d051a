#include "framework/threading/Thread.h"

#include <process.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "framework/base/Exception.h"

namespace fw {

namespace {

const char kSyncWindowClass[] = "OrvaneThreadSync";
// Private to our own window class, so any WM_USER-range number would do.
constexpr UINT kSyncMessage = WM_USER + 0x100;

struct SyncRequest {
  const std::function<void()>* fn = nullptr;
  DWORD caller = 0;  // thread id of the worker that asked
  std::exception_ptr error;
  bool done = false;
};

// Set once the program's static objects are being destroyed. A plain atomic
// flag at namespace scope has a trivial destructor, so it stays readable to the
// very end, unlike the state below.
std::atomic<bool> g_exiting{false};

// Process-wide state of the hand-over. The window lives until the program ends;
// workers that still run then and ask for the UI thread are parked instead (see
// ParkForExit).
struct SyncState {
  CriticalSection lock;
  std::atomic<DWORD> mainThreadId{0};
  std::atomic<HWND> window{nullptr};
  WindowHandle owner;  // destroys the window at exit
  ThreadExceptionHandler handler;
  // Threads whose Synchronize call the UI thread is running at the moment
  // (nested when a synchronized call waits for another thread). UI thread only.
  std::vector<DWORD> serving;

  ~SyncState() {
    g_exiting.store(true);
    window.store(nullptr);
    // Only the owning thread can destroy a window; at exit that is normally the
    // UI thread, and otherwise the system cleans up after the process.
    if (::GetCurrentThreadId() != mainThreadId.load()) owner.release();
  }
};

SyncState& State() {
  static SyncState state;
  return state;
}

LRESULT CALLBACK SyncWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != kSyncMessage) return ::DefWindowProcA(wnd, msg, wp, lp);
  auto* req = reinterpret_cast<SyncRequest*>(lp);
  SyncState& st = State();
  // Exceptions must not cross the window procedure: they travel back to the
  // worker inside the request instead.
  try {
    st.serving.push_back(req->caller);
    try {
      (*req->fn)();
    } catch (...) {
      req->error = std::current_exception();
    }
    st.serving.pop_back();
  } catch (...) {
    req->error = std::current_exception();
  }
  req->done = true;
  return 0;
}

int ToWin32Priority(ThreadPriority p) {
  switch (p) {
    case ThreadPriority::tpIdle:
      return THREAD_PRIORITY_IDLE;
    case ThreadPriority::tpLowest:
      return THREAD_PRIORITY_LOWEST;
    case ThreadPriority::tpLower:
      return THREAD_PRIORITY_BELOW_NORMAL;
    case ThreadPriority::tpNormal:
      return THREAD_PRIORITY_NORMAL;
    case ThreadPriority::tpHigher:
      return THREAD_PRIORITY_ABOVE_NORMAL;
    case ThreadPriority::tpHighest:
      return THREAD_PRIORITY_HIGHEST;
    case ThreadPriority::tpTimeCritical:
      return THREAD_PRIORITY_TIME_CRITICAL;
  }
  return THREAD_PRIORITY_NORMAL;
}

bool IsBeingServed(DWORD threadId) {
  const auto& s = State().serving;
  return std::find(s.begin(), s.end(), threadId) != s.end();
}

}  // namespace

void InitThreadSync() {
  SyncState& st = State();
  std::lock_guard<CriticalSection> guard(st.lock);
  if (st.window.load()) return;
  HINSTANCE inst = ::GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  wc.lpfnWndProc = &SyncWndProc;
  wc.hInstance = inst;
  wc.lpszClassName = kSyncWindowClass;
  if (!::RegisterClassA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw EOSError(::GetLastError(), "RegisterClassA");
  // A message-only window: never shown, never enumerated, receives only what
  // is sent to it directly.
  HWND wnd = ::CreateWindowExA(0, kSyncWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, inst, nullptr);
  if (!wnd) throw EOSError(::GetLastError(), "CreateWindowExA");
  st.owner.reset(wnd);
  st.mainThreadId.store(::GetCurrentThreadId());
  st.window.store(wnd);
}

bool IsMainThread() noexcept {
  DWORD id = State().mainThreadId.load();
  return id != 0 && id == ::GetCurrentThreadId();
}

DWORD MainThreadId() noexcept { return State().mainThreadId.load(); }

// A worker that asks for the UI thread while the program is ending waits here
// until the process takes it down. It must not throw: late in the exit the
// runtime has already dropped the unwind tables, and an exception thrown then
// cannot be caught anywhere and aborts the process (exit code 3) after every
// bit of real work has finished.
[[noreturn]] static void ParkForExit() {
  for (;;) ::Sleep(INFINITE);
}

void Synchronize(const std::function<void()>& fn) {
  if (IsMainThread()) {
    fn();
    return;
  }
  if (g_exiting.load()) ParkForExit();
  HWND wnd = State().window.load();
  if (!wnd) {
    if (g_exiting.load()) ParkForExit();
    throw EOSError(ERROR_INVALID_WINDOW_HANDLE, "Synchronize");
  }
  SyncRequest req;
  req.fn = &fn;
  req.caller = ::GetCurrentThreadId();
  // A sent message (unlike a posted one) is handled by every message retrieval
  // of the receiving thread, including the loops of modal dialogs, message
  // boxes and menus, and is never dropped by message filters.
  ::SetLastError(0);
  ::SendMessageA(wnd, kSyncMessage, 0, reinterpret_cast<LPARAM>(&req));
  if (!req.done) {
    if (g_exiting.load()) ParkForExit();
    DWORD err = ::GetLastError();
    throw EOSError(err ? err : ERROR_INVALID_WINDOW_HANDLE, "Synchronize");
  }
  if (req.error) std::rethrow_exception(req.error);
}

void SetThreadExceptionHandler(ThreadExceptionHandler handler) {
  SyncState& st = State();
  std::lock_guard<CriticalSection> guard(st.lock);
  st.handler = std::move(handler);
}

void HandleThreadException(const std::exception& e) noexcept {
  try {
    auto report = [&e] {
      ThreadExceptionHandler handler;
      {
        SyncState& st = State();
        std::lock_guard<CriticalSection> guard(st.lock);
        handler = st.handler;
      }
      if (handler) {
        handler(e);
      } else {
        ::OutputDebugStringA(e.what());
      }
    };
    Synchronize(report);
  } catch (...) {
    // The UI thread is gone or the handler itself failed; there is nobody left
    // to tell but the debugger.
    ::OutputDebugStringA(e.what());
  }
}

// ---------------------------------------------------------------------------

Thread::Thread() = default;

Thread::~Thread() {
  if (!m_started || ::GetCurrentThreadId() == m_threadId) return;
  // Still running (or about to deliver its termination notice): it uses this
  // object, so it must end first.
  m_terminated.store(true);
  try {
    WaitForEnd();
  } catch (...) {
    // Only a wait that would deadlock (deleting the thread from inside its own
    // Synchronize call) or a failing wait get here; both are the caller's error.
  }
}

void Thread::Start() {
  if (m_started) throw EInvalidOperation("スレッドは既に開始されています");
  InitThreadSync();
  unsigned id = 0;
  // Suspended first so that every field is in place before the thread can run
  // (and, free-on-terminate, delete this object).
  auto h = reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &Thread::ThreadProc, this, CREATE_SUSPENDED, &id));
  if (!h) throw EOSError(::GetLastError(), "_beginthreadex");
  m_handle.reset(h);
  m_threadId = id;
  m_started = true;
  if (m_priority != ThreadPriority::tpNormal) ::SetThreadPriority(h, ToWin32Priority(m_priority));
  if (::ResumeThread(h) == static_cast<DWORD>(-1)) throw EOSError(::GetLastError(), "ResumeThread");
}

void Thread::Terminate() {
  m_terminated.store(true);
  TerminatedSet();
}

void Thread::SetPriority(ThreadPriority value) {
  m_priority = value;
  if (m_started && !::SetThreadPriority(m_handle.get(), ToWin32Priority(value)))
    throw EOSError(::GetLastError(), "SetThreadPriority");
}

DWORD Thread::WaitFor() {
  if (m_freeOnTerminate) throw EInvalidOperation("自動解放のスレッドは待機できません");
  if (!m_started) throw EInvalidOperation("開始されていないスレッドは待機できません");
  if (::GetCurrentThreadId() == m_threadId) throw EInvalidOperation("スレッドは自分自身を待機できません");
  WaitForEnd();
  DWORD code = 0;
  if (!::GetExitCodeThread(m_handle.get(), &code)) throw EOSError(::GetLastError(), "GetExitCodeThread");
  return code;
}

void Thread::WaitForEnd() {
  HANDLE h = m_handle.get();
  if (IsMainThread()) {
    if (IsBeingServed(m_threadId)) throw EInvalidOperation("同期呼び出し中のスレッドは待機できません");
    // Serve Synchronize requests while waiting: the thread we wait for may be
    // about to hand us its termination notice or other work.
    for (;;) {
      DWORD r = ::MsgWaitForMultipleObjectsEx(1, &h, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
      if (r == WAIT_OBJECT_0) break;
      if (r != WAIT_OBJECT_0 + 1) throw EOSError(::GetLastError(), "MsgWaitForMultipleObjects");
      MSG msg;
      ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
  } else if (::WaitForSingleObject(h, INFINITE) == WAIT_FAILED) {
    throw EOSError(::GetLastError(), "WaitForSingleObject");
  }
}

void Thread::Synchronize(const std::function<void()>& fn) { fw::Synchronize(fn); }

void Thread::DoTerminate() {
  try {
    fw::Synchronize([this] {
      if (OnTerminate) OnTerminate(this);
    });
  } catch (const std::exception& e) {
    HandleThreadException(e);
  } catch (...) {
    HandleThreadException(Exception("終了通知で不明な例外が発生しました"));
  }
}

unsigned __stdcall Thread::ThreadProc(void* param) {
  auto* self = static_cast<Thread*>(param);
  // Nothing may escape the thread's entry point: what Execute lets through is
  // kept and reported, and the thread ends normally.
  try {
    if (!self->Terminated()) self->Execute();
  } catch (const std::exception& e) {
    self->m_fatal = std::current_exception();
    HandleThreadException(e);
  } catch (...) {
    self->m_fatal = std::current_exception();
    HandleThreadException(Exception("スレッドで不明な例外が発生しました"));
  }
  const bool freeOnTerminate = self->m_freeOnTerminate;
  const DWORD result = self->m_returnValue;
  self->m_finished.store(true);
  self->DoTerminate();
  if (freeOnTerminate) delete self;
  return result;
}

}  // namespace fw
