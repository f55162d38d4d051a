#pragma once
// The process-wide registry of live folder trees and contents lists, and the
// way a disc or removable drive arriving or leaving reaches them.
//
// The system announces volume arrival and removal with a WM_DEVICECHANGE
// broadcast to top-level windows. TShellCtrlList owns one hidden top-level
// window for it while at least one control is registered, turns each volume
// message into (caption, event, drive list, kind) and calls DeviceChange on
// every registered control. The folder tree does not act at once: it wraps the
// values in a TDeviceChangeData and hands it to its directory watcher's delay
// (InvokeDeviceChangeDelay), which gives it back on the UI thread a second
// later, when the drive has settled. Everything here runs on the UI thread.
#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/base/Handle.h"
#include "framework/base/Object.h"
#include "shell/Shellidfunc.h"

class TShDirWatcher;

// Kinds of device change.
inline constexpr WORD kDeviceChangeMedia = 1;    // medium in a drive (drive list given)
inline constexpr WORD kDeviceChangeNetwork = 2;  // network volume (no list)

// What TShellCtrlList calls on a registered control. The folder tree and the
// contents list implement it; the registry only borrows them.
class TShellDeviceChangeClient {
 public:
  // event: DBT_DEVICEARRIVAL or DBT_DEVICEREMOVECOMPLETE. itemIDList: the
  // drive's absolute list for kind 1 (borrowed for the call; copy it to keep
  // it), null for kind 2. caption: for kind 1 the drive's new caption, e.g.
  // "Data (E:)" on arrival and " (E:)" on removal; empty for kind 2.
  virtual void DeviceChange(const std::string& caption, DWORD event, LPCITEMIDLIST itemIDList, WORD kind) = 0;

 protected:
  ~TShellDeviceChangeClient() = default;
};

// One device change on its way to a tree's watcher and back.
class TDeviceChangeData : public fw::Object {
 public:
  // Copies the list (which may be null).
  TDeviceChangeData(std::string caption, DWORD event, LPCITEMIDLIST itemIDList, WORD kind);

  std::string Caption;
  DWORD Event;
  WORD Kind;
  UniqueIDList ItemIDList;  // owned copy; null for kind 2
};

// Wraps a device change in a TDeviceChangeData and queues it on the watcher's
// delayed event (its OnDelay receives it on the UI thread after the delay and
// owns it from then on). False, with nothing queued, without a watcher or
// when the watcher has no OnDelay handler.
bool InvokeDeviceChangeDelay(TShDirWatcher* watcher, const std::string& caption, DWORD event, LPCITEMIDLIST itemIDList,
                             WORD kind);

class TShellCtrlList {
 public:
  TShellCtrlList();
  ~TShellCtrlList();
  TShellCtrlList(const TShellCtrlList&) = delete;
  TShellCtrlList& operator=(const TShellCtrlList&) = delete;

  // Registers a control (once); the first registration creates the window.
  void Add(TShellDeviceChangeClient* control);
  // Unregisters a control; removing the last destroys the window.
  void Remove(TShellDeviceChangeClient* control);
  int Count() const noexcept { return static_cast<int>(m_items.size()); }
  TShellDeviceChangeClient* Items(int index) const;
  int IndexOf(TShellDeviceChangeClient* control) const noexcept;

  // The hidden window, or null while no control is registered.
  HWND Handle() const noexcept { return m_window.get(); }

  // Handles one WM_DEVICECHANGE (wParam event, lParam broadcast record) as
  // the window does; other events and device types are ignored.
  void DeviceChanged(WPARAM event, LPARAM record);

 private:
  static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  void CreateWindowIfNeeded();
  void Notify(const std::string& caption, DWORD event, LPCITEMIDLIST itemIDList, WORD kind);

  std::vector<TShellDeviceChangeClient*> m_items;  // not owned
  fw::WindowHandle m_window;
};

// The one registry of the process; created on first use (by unit start-up
// or by the first control), freed when the process ends.
TShellCtrlList& ShellCtrlList();

// Unit start-up of the shell controls, on the UI thread: registers the shell
// clipboard formats and creates the control registry. Safe to call again.
void ShellctrlsInitialize();
