#pragma once
// Directory watchers: worker threads that turn the kernel's directory change
// notifications into calls on the UI thread, after a quiet period, so that a
// burst of changes (copying a thousand files) produces one call.
//
// - TShDirWatcher watches a set of folders with their subtrees (the folder tree
//   watches its drives' roots for folder-name changes) and doubles as a timer
//   that hands delayed data (device changes) back to the UI thread.
// - TShFilesWatcher watches one folder without its subtree (the contents list
//   runs two: one for names, one for attributes, size and time).
//
// Neither thread touches a control: every callback runs on the UI thread
// through fw::Thread's Synchronize, and the worker waits while it runs.
//
// Ownership: both are created running and free themselves when they end. The
// owner keeps a plain (non-owning) pointer, stops the watcher with Stop() and
// never touches it afterwards. Before Stop it clears OnTerminate; if the thread
// ends on its own (a failed wait), OnTerminate tells the owner on the UI thread
// before the object goes away. Every public member is for the UI thread,
// except the getters, which lock.
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/base/Handle.h"
#include "framework/base/Object.h"
#include "framework/threading/Thread.h"

// Sender = the watcher; Path = the watched folder (TShFilesWatcher) or empty
// (TShDirWatcher, which does not say which of its folders changed).
using TShChangeNotifyEvent = std::function<void(fw::Object* sender, const std::string& path)>;
// Delayed data handed back to the UI thread; the receiver owns it from here on.
using TShDelayEvent = std::function<void(fw::Object* sender, std::unique_ptr<fw::Object> data)>;

class TShDirWatcher : public fw::Thread {
 public:
  static constexpr DWORD kQuietPeriod = 1500;  // ms without change before the call
  static constexpr DWORD kDelayPeriod = 1000;  // ms between InvokeDeleyEvent and OnDelay

  // folders may be null (nothing to watch yet). Entries that are not existing
  // directories are left out; the others get a trailing delimiter and are kept
  // sorted without duplicates (case-insensitive, as the system compares).
  TShDirWatcher(const std::vector<std::string>* folders, TShChangeNotifyEvent onChangeNotify, TShDelayEvent onDelay,
                DWORD filter);

  // Adds one folder if it exists and is not watched yet.
  void Add(const std::string& path);
  // Null: watch nothing (suspends the watcher). Otherwise watch the existing
  // directories of the list; the watch is rebuilt only when the resulting
  // sorted list differs from the current one.
  void SetFolders(const std::vector<std::string>* folders);
  void SetFolders(const std::vector<std::string>& folders) { SetFolders(&folders); }
  // A copy of the watched folders, each ending with a delimiter.
  std::vector<std::string> GetFolders() const;

  // True while a burst of changes is being waited out.
  bool GetChangeing() const;
  void SetChangeing(bool value);

  // Hands data to OnDelay on the UI thread after kDelayPeriod. Takes the data
  // (moving from the argument) and returns true only when OnDelay is assigned;
  // otherwise the caller keeps it. Data that can no longer be delivered
  // (the watcher stopped first) is freed by the watcher.
  bool InvokeDeleyEvent(std::unique_ptr<fw::Object>&& data);

  // Clears both callbacks, then asks the thread to end. The thread frees
  // itself; the caller must not use the watcher after this.
  void Stop();

  DWORD GetFilter() const noexcept { return m_filter; }
  // How often the thread has (re)built its set of change handles. Lets tests
  // see whether a folder-list change reached the thread.
  unsigned WaitSetBuilds() const noexcept { return m_waitSetBuilds.load(); }

  TShDelayEvent OnDelay;
  TShChangeNotifyEvent OnChangeNotify;

 protected:
  // Free-on-terminate: only the thread itself deletes the watcher.
  ~TShDirWatcher() override;

  void Execute() override;
  void TerminatedSet() override;
  // Run on the UI thread.
  void DoChangeNotify();
  void DoDelay();

 private:
  void Run();
  void BuildWaitSet();
  void CloseChangeHandles();
  bool WaitOutDelay();

  // Pending delay data in arrival order (see WaitOutDelay for why more than one).
  std::vector<std::unique_ptr<fw::Object>> m_delayData;
  DWORD m_filter;
  std::string m_path;  // always empty
  std::vector<std::string> m_folders;
  bool m_changing = false;
  fw::Handle m_stopEvent;     // manual reset
  fw::Handle m_delayEvent;    // auto reset
  fw::Handle m_foldersEvent;  // auto reset
  mutable fw::CriticalSection m_lock;
  // Worker thread only: the change handles and the wait set built from them.
  std::vector<fw::ChangeNotifyHandle> m_changeHandles;
  std::vector<HANDLE> m_waitSet;
  std::atomic<unsigned> m_waitSetBuilds{0};
};

class TShFilesWatcher : public fw::Thread {
 public:
  static constexpr DWORD kQuietPeriod = 2000;  // ms without change before the call

  // An empty path starts the watcher idle.
  TShFilesWatcher(const std::string& path, TShChangeNotifyEvent onChangeNotify, DWORD filter);

  // The same path again is ignored; an existing directory becomes the watched
  // path, anything else makes the watcher idle (empty path).
  void SetPath(const std::string& path);
  std::string GetPath() const;

  // Clears the callback, then asks the thread to end (it frees itself).
  void Stop();

  DWORD GetFilter() const noexcept { return m_filter; }

  TShChangeNotifyEvent OnChangeNotify;

 protected:
  ~TShFilesWatcher() override;

  void Execute() override;
  void TerminatedSet() override;
  // A change notification for the current path (no subtree), or an invalid
  // handle when the path is not an existing directory.
  fw::ChangeNotifyHandle GetChangeHandle();
  // Runs on the UI thread.
  void DoChangeNotify();

 private:
  void Run();

  std::string m_path;
  DWORD m_filter;
  fw::Handle m_pathEvent;  // auto reset
  fw::Handle m_stopEvent;  // manual reset
  mutable fw::CriticalSection m_lock;
};
