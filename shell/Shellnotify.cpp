#include "shell/Shellnotify.h"

#include <algorithm>
#include <mutex>

#include "framework/base/Exception.h"
#include "framework/base/Mbcs.h"

namespace {

using Lock = std::lock_guard<fw::CriticalSection>;

fw::Handle MakeEvent(bool manualReset) {
  fw::Handle h(::CreateEventA(nullptr, manualReset ? TRUE : FALSE, FALSE, nullptr));
  if (!h) throw fw::EOSError(::GetLastError(), "CreateEventA");
  return h;
}

bool IsDirectory(const std::string& path) {
  if (path.empty()) return false;
  DWORD attr = ::GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Trailing delimiter by whole characters: the last byte of "ソ" is 0x5C too.
std::string WithDelimiter(const std::string& path) { return fw::EndsWithChar(path, '\\') ? path : path + '\\'; }

// Folder order and identity are those of a sorted system string list:
// case-insensitive comparison in the user's locale.
int CompareFolders(const std::string& a, const std::string& b) {
  int r = ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                           static_cast<int>(b.size()));
  return r - CSTR_EQUAL;
}

// Inserts folder into the sorted list unless an equal entry is there already.
// Returns whether it was inserted.
bool InsertSorted(std::vector<std::string>& list, const std::string& folder) {
  auto pos = std::lower_bound(list.begin(), list.end(), folder,
                              [](const std::string& a, const std::string& b) { return CompareFolders(a, b) < 0; });
  if (pos != list.end() && CompareFolders(*pos, folder) == 0) return false;
  list.insert(pos, folder);
  return true;
}

std::vector<std::string> ExistingFoldersSorted(const std::vector<std::string>& folders) {
  std::vector<std::string> out;
  for (const std::string& f : folders) {
    std::string d = WithDelimiter(f);
    if (IsDirectory(d)) InsertSorted(out, d);
  }
  return out;
}

DWORD Wait(const std::vector<HANDLE>& handles, DWORD timeout) {
  DWORD r = ::WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, timeout);
  if (r == WAIT_FAILED) throw fw::EOSError(::GetLastError(), "WaitForMultipleObjects");
  return r;
}

}  // namespace

// ===========================================================================
// TShDirWatcher

TShDirWatcher::TShDirWatcher(const std::vector<std::string>* folders, TShChangeNotifyEvent onChangeNotify,
                             TShDelayEvent onDelay, DWORD filter)
    : OnDelay(std::move(onDelay)),
      OnChangeNotify(std::move(onChangeNotify)),
      m_filter(filter),
      m_stopEvent(MakeEvent(true)),
      m_delayEvent(MakeEvent(false)),
      m_foldersEvent(MakeEvent(false)) {
  if (folders) m_folders = ExistingFoldersSorted(*folders);
  SetFreeOnTerminate(true);
  Start();
}

TShDirWatcher::~TShDirWatcher() = default;

void TShDirWatcher::Add(const std::string& path) {
  std::string d = WithDelimiter(path);
  if (!IsDirectory(d)) return;
  Lock guard(m_lock);
  if (InsertSorted(m_folders, d)) ::SetEvent(m_foldersEvent.get());
}

void TShDirWatcher::SetFolders(const std::vector<std::string>* folders) {
  // Checking the directories may touch the disk: do it before taking the lock
  // the thread needs.
  std::vector<std::string> next;
  if (folders) next = ExistingFoldersSorted(*folders);
  Lock guard(m_lock);
  if (folders && next == m_folders) return;  // same strings in the same order: keep the wait set
  m_folders = std::move(next);
  ::SetEvent(m_foldersEvent.get());
}

std::vector<std::string> TShDirWatcher::GetFolders() const {
  Lock guard(m_lock);
  return m_folders;
}

bool TShDirWatcher::GetChangeing() const {
  Lock guard(m_lock);
  return m_changing;
}

void TShDirWatcher::SetChangeing(bool value) {
  Lock guard(m_lock);
  m_changing = value;
}

bool TShDirWatcher::InvokeDeleyEvent(std::unique_ptr<fw::Object>&& data) {
  if (!OnDelay || !data) return false;
  {
    Lock guard(m_lock);
    m_delayData.push_back(std::move(data));
  }
  ::SetEvent(m_delayEvent.get());
  return true;
}

void TShDirWatcher::Stop() {
  // Callbacks first: whatever the thread still hands over from now on finds
  // nobody to call, so the owner may go away right after this.
  OnChangeNotify = nullptr;
  OnDelay = nullptr;
  Terminate();
}

void TShDirWatcher::TerminatedSet() { ::SetEvent(m_stopEvent.get()); }

void TShDirWatcher::DoChangeNotify() {
  if (OnChangeNotify) OnChangeNotify(this, m_path);
}

void TShDirWatcher::DoDelay() {
  std::vector<std::unique_ptr<fw::Object>> batch;
  {
    Lock guard(m_lock);
    batch.swap(m_delayData);
  }
  // Each object goes to the receiver, who owns it from then on; without a
  // receiver (stopped meanwhile), or if the receiver throws, the rest are freed
  // with the batch.
  for (auto& data : batch) {
    if (!OnDelay) break;
    OnDelay(this, std::move(data));
  }
}

void TShDirWatcher::Execute() {
  struct Cleanup {
    TShDirWatcher* self;
    ~Cleanup() {
      self->SetChangeing(false);
      self->m_changeHandles.clear();  // closes what is still open
      self->m_waitSet.clear();
    }
  } cleanup{this};
  try {
    Run();
  } catch (const fw::EOSError&) {
    // A failed wait, re-arm or close ends the watcher quietly; the owner learns
    // of it through OnTerminate. Anything else reaches the thread's entry point,
    // which reports it.
  }
}

void TShDirWatcher::CloseChangeHandles() {
  DWORD err = 0;
  for (fw::ChangeNotifyHandle& h : m_changeHandles) {
    // Released first: a handle that fails to close counts as closed.
    if (!::FindCloseChangeNotification(h.release()) && !err) err = ::GetLastError();
  }
  m_changeHandles.clear();
  m_waitSet.resize(3);
  if (err) throw fw::EOSError(err, "FindCloseChangeNotification");
}

void TShDirWatcher::BuildWaitSet() {
  Lock guard(m_lock);
  std::vector<fw::ChangeNotifyHandle> handles;
  handles.reserve(m_folders.size());
  // From the last folder to the first, so that a folder that cannot be watched
  // can be dropped from the list on the way.
  for (std::size_t i = m_folders.size(); i-- > 0;) {
    fw::ChangeNotifyHandle h(::FindFirstChangeNotificationA(m_folders[i].c_str(), TRUE, m_filter));
    if (!h) {
      m_folders.erase(m_folders.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    handles.push_back(std::move(h));
  }
  m_changeHandles = std::move(handles);
  m_waitSet.assign({m_stopEvent.get(), m_delayEvent.get(), m_foldersEvent.get()});
  for (const fw::ChangeNotifyHandle& h : m_changeHandles) m_waitSet.push_back(h.get());
  ++m_waitSetBuilds;
}

// Waits out the delay period after InvokeDeleyEvent and then hands every
// pending object to OnDelay. Newer data arriving during the wait is queued
// behind the older and restarts the wait, so a quick series of device changes
// comes out as one delivery, in order, after the last of them has settled;
// nothing is dropped and nothing stays behind (what is not delivered is freed
// with the watcher). Returns false when the stop event ended the wait.
bool TShDirWatcher::WaitOutDelay() {
  const std::vector<HANDLE> handles{m_stopEvent.get(), m_delayEvent.get()};
  for (;;) {
    DWORD r = Wait(handles, kDelayPeriod);
    if (r == WAIT_TIMEOUT) break;
    if (r == WAIT_OBJECT_0) return false;
  }
  Synchronize([this] { DoDelay(); });
  return true;
}

void TShDirWatcher::Run() {
  BuildWaitSet();
  // A change seen and not reported yet. The call goes out once the whole set
  // has been quiet for kQuietPeriod; every further change restarts the period.
  bool pending = false;
  while (!Terminated()) {
    SetChangeing(pending);
    DWORD r = Wait(m_waitSet, pending ? kQuietPeriod : INFINITE);
    if (r == WAIT_TIMEOUT) {
      Synchronize([this] { DoChangeNotify(); });
      pending = false;
      continue;
    }
    DWORD index = r - WAIT_OBJECT_0;
    if (index >= m_waitSet.size()) throw fw::EOSError(ERROR_INVALID_HANDLE, "WaitForMultipleObjects");
    if (index == 0) break;  // stop
    if (index == 1) {
      // Delay data: a change being waited out stays pending and is still
      // reported after the delivery, instead of being forgotten.
      if (!WaitOutDelay()) break;
      continue;
    }
    if (index == 2) {
      // New folder set: what was pending belonged to the old set, and the owner
      // changing its folders refreshes itself.
      CloseChangeHandles();
      BuildWaitSet();
      pending = false;
      continue;
    }
    if (!::FindNextChangeNotification(m_waitSet[index]))
      throw fw::EOSError(::GetLastError(), "FindNextChangeNotification");
    pending = true;
  }
}

// ===========================================================================
// TShFilesWatcher

TShFilesWatcher::TShFilesWatcher(const std::string& path, TShChangeNotifyEvent onChangeNotify, DWORD filter)
    : OnChangeNotify(std::move(onChangeNotify)),
      m_path(path),
      m_filter(filter),
      m_pathEvent(MakeEvent(false)),
      m_stopEvent(MakeEvent(true)) {
  SetFreeOnTerminate(true);
  Start();
}

TShFilesWatcher::~TShFilesWatcher() = default;

void TShFilesWatcher::SetPath(const std::string& path) {
  const bool exists = IsDirectory(path);
  {
    Lock guard(m_lock);
    if (path == m_path) return;
    m_path = exists ? path : std::string();
  }
  ::SetEvent(m_pathEvent.get());
}

std::string TShFilesWatcher::GetPath() const {
  Lock guard(m_lock);
  return m_path;
}

void TShFilesWatcher::Stop() {
  OnChangeNotify = nullptr;
  Terminate();
}

void TShFilesWatcher::TerminatedSet() { ::SetEvent(m_stopEvent.get()); }

fw::ChangeNotifyHandle TShFilesWatcher::GetChangeHandle() {
  Lock guard(m_lock);
  if (!IsDirectory(m_path)) return fw::ChangeNotifyHandle();
  return fw::ChangeNotifyHandle(::FindFirstChangeNotificationA(m_path.c_str(), FALSE, m_filter));
}

void TShFilesWatcher::DoChangeNotify() {
  if (OnChangeNotify) OnChangeNotify(this, GetPath());
}

void TShFilesWatcher::Execute() {
  try {
    Run();
  } catch (const fw::EOSError&) {
    // As for the folder watcher: platform failures end the thread quietly.
  }
}

void TShFilesWatcher::Run() {
  fw::ChangeNotifyHandle change = GetChangeHandle();
  bool pending = false;  // a change seen, its call not made yet
  while (!Terminated()) {
    std::vector<HANDLE> handles{m_stopEvent.get(), m_pathEvent.get()};
    if (change) handles.push_back(change.get());
    DWORD r = Wait(handles, pending ? kQuietPeriod : INFINITE);
    if (r == WAIT_TIMEOUT) {
      Synchronize([this] { DoChangeNotify(); });
      pending = false;
      // A fresh handle on the current path: the folder may have gone or been
      // replaced while the receiver looked at it.
      change.reset();
      change = GetChangeHandle();
      continue;
    }
    if (r == WAIT_OBJECT_0) break;  // stop
    if (r == WAIT_OBJECT_0 + 1 || (r == WAIT_OBJECT_0 + 2 && !::FindNextChangeNotification(change.get()))) {
      // New path, or the handle cannot be re-armed (its folder is gone): what
      // was pending concerned the old folder, whose receiver re-reads anyway.
      change.reset();
      change = GetChangeHandle();
      pending = false;
      continue;
    }
    if (r != WAIT_OBJECT_0 + 2) throw fw::EOSError(ERROR_INVALID_HANDLE, "WaitForMultipleObjects");
    pending = true;
  }
}
