#include "shell/ShellCtrlList.h"

#include <dbt.h>

#include <algorithm>
#include <cstddef>
#include <exception>

#include "framework/base/Exception.h"
#include "framework/ui/Application.h"
#include "shell/Shellcst.h"
#include "shell/Shellnotify.h"
#include "shell/Shellutils.h"

namespace {

constexpr char kWindowClass[] = "OrvaneShellCtrlList";

// The part of a volume record that must be there before its flags are read.
constexpr std::size_t kVolumeRecordSize = offsetof(DEV_BROADCAST_VOLUME, dbcv_flags) + sizeof(WORD);

void ReportException(const std::exception& e) noexcept {
  try {
    fw::HandleException(e);
  } catch (...) {
  }
}

}  // namespace

// ===========================================================================
// TDeviceChangeData

TDeviceChangeData::TDeviceChangeData(std::string caption, DWORD event, LPCITEMIDLIST itemIDList, WORD kind)
    : Caption(std::move(caption)), Event(event), Kind(kind), ItemIDList(UniqueIDList::CopyOf(itemIDList)) {}

bool InvokeDeviceChangeDelay(TShDirWatcher* watcher, const std::string& caption, DWORD event, LPCITEMIDLIST itemIDList,
                             WORD kind) {
  if (!watcher) return false;
  std::unique_ptr<fw::Object> data = std::make_unique<TDeviceChangeData>(caption, event, itemIDList, kind);
  return watcher->InvokeDeleyEvent(std::move(data));  // if refused, data is still ours and freed here
}

// ===========================================================================
// TShellCtrlList

TShellCtrlList::TShellCtrlList() = default;

TShellCtrlList::~TShellCtrlList() = default;  // the window goes with m_window

TShellDeviceChangeClient* TShellCtrlList::Items(int index) const {
  return index >= 0 && index < Count() ? m_items[static_cast<std::size_t>(index)] : nullptr;
}

int TShellCtrlList::IndexOf(TShellDeviceChangeClient* control) const noexcept {
  auto it = std::find(m_items.begin(), m_items.end(), control);
  return it == m_items.end() ? -1 : static_cast<int>(it - m_items.begin());
}

void TShellCtrlList::Add(TShellDeviceChangeClient* control) {
  if (!control || IndexOf(control) >= 0) return;
  m_items.push_back(control);
  CreateWindowIfNeeded();
}

void TShellCtrlList::Remove(TShellDeviceChangeClient* control) {
  int index = IndexOf(control);
  if (index < 0) return;
  m_items.erase(m_items.begin() + index);
  if (m_items.empty()) m_window.reset();
}

void TShellCtrlList::CreateWindowIfNeeded() {
  if (m_window) return;
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (!::GetClassInfoExA(instance, kWindowClass, &wc)) {
    wc = WNDCLASSEXA{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TShellCtrlList::WndProc;
    wc.hInstance = instance;
    wc.lpszClassName = kWindowClass;
    ::RegisterClassExA(&wc);
  }
  // A top-level window, never shown: device-change broadcasts reach top-level
  // windows only (a message-only window would never hear of a new disc).
  HWND wnd =
      ::CreateWindowExA(WS_EX_TOOLWINDOW, kWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  if (!wnd) return;  // no window, no device changes: the controls work on without them
  ::SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  m_window.reset(wnd);
}

LRESULT CALLBACK TShellCtrlList::WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DEVICECHANGE && (wp == DBT_DEVICEARRIVAL || wp == DBT_DEVICEREMOVECOMPLETE)) {
    auto* self = reinterpret_cast<TShellCtrlList*>(::GetWindowLongPtrA(wnd, GWLP_USERDATA));
    try {
      if (self) self->DeviceChanged(wp, lp);
    } catch (const std::exception& e) {
      ReportException(e);
    } catch (...) {
      ReportException(fw::Exception("device change"));
    }
  }
  return ::DefWindowProcA(wnd, msg, wp, lp);
}

void TShellCtrlList::DeviceChanged(WPARAM event, LPARAM record) {
  if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) return;
  const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(record);
  if (!header || header->dbch_devicetype != DBT_DEVTYP_VOLUME || header->dbch_size < kVolumeRecordSize) return;
  const auto* volume = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(record);
  DWORD code = static_cast<DWORD>(event);

  if ((volume->dbcv_flags & DBTF_MEDIA) && volume->dbcv_unitmask != 0) {
    // The lowest drive of the mask: bit 0 is A:.
    int drive = 0;
    while (!(volume->dbcv_unitmask & (1u << drive))) ++drive;
    const std::string name{static_cast<char>('A' + drive), ':'};
    const std::string path = name + '\\';
    UniqueIDList list;
    if (GetIDListFromPath(path, list)) {
      std::string caption = fw::Format(sDriveCaptionFormat, name.c_str());
      if (code == DBT_DEVICEARRIVAL) caption = GetVolumeName(path) + caption;
      Notify(caption, code, list.get(), kDeviceChangeMedia);
    }
  }
  if (volume->dbcv_flags & DBTF_NET) Notify(std::string(), code, nullptr, kDeviceChangeNetwork);
}

void TShellCtrlList::Notify(const std::string& caption, DWORD event, LPCITEMIDLIST itemIDList, WORD kind) {
  // A control may unregister (be destroyed) while another one handles the
  // change: walk a copy and skip whoever has left.
  const std::vector<TShellDeviceChangeClient*> controls = m_items;
  for (TShellDeviceChangeClient* control : controls) {
    if (IndexOf(control) < 0) continue;
    try {
      control->DeviceChange(caption, event, itemIDList, kind);
    } catch (const std::exception& e) {
      ReportException(e);
    }
  }
}

TShellCtrlList& ShellCtrlList() {
  static TShellCtrlList list;
  return list;
}

void ShellctrlsInitialize() {
  RegisterShellClipboardFormats();
  ShellCtrlList();
}
