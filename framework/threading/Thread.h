#pragma once
// Worker threads and the hand-over of work to the user-interface thread.
//
// The user-interface (UI) thread is the thread that first calls InitThreadSync
// (Thread::Start calls it too, so the thread starting the first worker becomes
// the UI thread when nobody called it before). It owns a hidden message-only
// window; Synchronize sends that window a message, so the call runs wherever
// the UI thread retrieves messages: in the program's own loop, in a modal
// dialog box, in a MessageBox or in a menu's tracking loop alike.
//
// Rules that keep this deadlock-free:
// - A worker never touches a control; it hands the work to Synchronize.
// - The UI thread never blocks on a worker without serving Synchronize
//   requests. Thread::WaitFor does serve them when it is called on the UI
//   thread; a plain WaitForSingleObject on a worker's handle does not.
#include <windows.h>

#include <atomic>
#include <exception>
#include <functional>
#include <string>

#include "framework/base/Handle.h"
#include "framework/base/Object.h"

namespace fw {

// Creates the hidden window that serves Synchronize on the calling thread,
// which becomes the UI thread. Later calls (from any thread) do nothing.
// Throws EOSError when the window cannot be made.
void InitThreadSync();

// True on the UI thread (false before InitThreadSync ran).
bool IsMainThread() noexcept;
DWORD MainThreadId() noexcept;

// Runs fn on the UI thread and returns when it has run. On the UI thread
// itself fn runs at once. An exception that fn throws is rethrown here.
// When the UI thread can no longer take requests (its window is gone, for
// example while the program shuts down) fn does not run and EOSError is
// thrown, so a worker ends as it does after any platform failure.
void Synchronize(const std::function<void()>& fn);

// Where exceptions that a worker cannot handle itself end up. The application
// routes this to its error box. The handler always runs on the UI thread.
using ThreadExceptionHandler = std::function<void(const std::exception&)>;
void SetThreadExceptionHandler(ThreadExceptionHandler handler);

// Reports e through the handler, on the UI thread. Never throws; without a
// handler (or when the UI thread is gone) the text goes to the debugger output.
void HandleThreadException(const std::exception& e) noexcept;

enum class ThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class Thread : public Object {
 public:
  using TerminateEvent = std::function<void(Object* sender)>;

  // The thread is created suspended: a derived class starts it with Start(),
  // usually at the end of its own constructor (a base constructor cannot start
  // it because the derived part and its Execute do not exist yet).
  Thread();
  // A thread that is still running and not free-on-terminate is terminated and
  // waited for (serving Synchronize requests when this is the UI thread).
  // Derived classes whose Execute uses their own members must do the same in
  // their destructor, before those members go away.
  ~Thread() override;

  // Starts the thread. Throws EInvalidOperation when it was started before, EOSError
  // when the system cannot create it.
  void Start();

  // Asks the thread to end: sets Terminated() and calls TerminatedSet() so a
  // thread blocked in a wait can be woken. Execute decides when to return.
  void Terminate();
  bool Terminated() const noexcept { return m_terminated.load(); }

  // Waits until Execute has returned and the termination notice ran; returns
  // the exit code. Not for free-on-terminate threads (the object may be gone),
  // not from the thread itself and not from inside a Synchronize call made by
  // this thread: those throw EInvalidOperation instead of deadlocking. On the UI thread
  // the wait serves other threads' Synchronize requests.
  DWORD WaitFor();

  // A free-on-terminate thread deletes itself after Execute and the
  // termination notice; its owner must not touch it once it may have ended.
  // Set before Start.
  void SetFreeOnTerminate(bool value) noexcept { m_freeOnTerminate = value; }
  bool GetFreeOnTerminate() const noexcept { return m_freeOnTerminate; }

  void SetPriority(ThreadPriority value);
  ThreadPriority GetPriority() const noexcept { return m_priority; }

  bool Started() const noexcept { return m_started; }
  // True once Execute has returned (the termination notice may still be due).
  bool Finished() const noexcept { return m_finished.load(); }
  DWORD ThreadID() const noexcept { return m_threadId; }
  HANDLE GetHandle() const noexcept { return m_handle.get(); }

  // The exception that escaped Execute, if any (it was also reported through
  // the thread exception handler).
  std::exception_ptr FatalException() const noexcept { return m_fatal; }

  // Runs on the UI thread after Execute returned, sender = this thread. It is
  // only ever read and called on the UI thread, so the owner may assign or
  // clear it there at any time. The notice is delivered whether or not it is
  // assigned, which means a free-on-terminate thread still exists until the
  // UI thread has seen its end.
  TerminateEvent OnTerminate;

 protected:
  virtual void Execute() = 0;
  // Called by Terminate (on the caller's thread) after the flag is set.
  virtual void TerminatedSet() {}

  // Runs fn on the UI thread and blocks this thread until it has run.
  void Synchronize(const std::function<void()>& fn);

  void SetReturnValue(DWORD value) noexcept { m_returnValue = value; }

 private:
  static unsigned __stdcall ThreadProc(void* param);
  void DoTerminate();
  void WaitForEnd();

  Handle m_handle;
  DWORD m_threadId = 0;
  bool m_started = false;
  bool m_freeOnTerminate = false;
  ThreadPriority m_priority = ThreadPriority::tpNormal;
  std::atomic<bool> m_terminated{false};
  std::atomic<bool> m_finished{false};
  DWORD m_returnValue = 0;
  std::exception_ptr m_fatal;
};

}  // namespace fw
