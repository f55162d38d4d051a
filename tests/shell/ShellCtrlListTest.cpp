// The control registry and its device-change window.
//
// A drive whose label the test controls: Wine's mount manager defines drive
// letters on request (its own IOCTL_MOUNTMGR_DEFINE_UNIX_DRIVE, which the
// drive configuration tool uses), and for a drive that is a folder it reads
// the volume label from a ".windows-label" file in that folder when the
// drive is defined. DefineDosDeviceA and SetVolumeLabelA do not help there:
// Wine 8 does not resolve such a drive's root, and keeps the label read at
// definition time. The broadcast itself is simulated (Wine's mount manager
// announces no drive it defines): the test sends the window the
// WM_DEVICECHANGE that Windows sends when a disc arrives or leaves.
#include <gtest/gtest.h>
#include <windows.h>
#include <dbt.h>
#include <winioctl.h>

#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "framework/ui/Application.h"
#include "shell/Shellctrls.h"
#include "shell/Shellnotify.h"
#include "tests/common/MessagePump.h"
#include "tests/common/TempDir.h"

namespace {

// ---------------------------------------------------------------------------
// A drive letter mapped to a folder, through Wine's mount manager.

struct WineDriveRequest {  // the mount manager's record (Wine 8)
  ULONG size;
  ULONG type;
  ULONG fsType;
  DWORD serial;
  ULONGLONG unixDev;
  WCHAR letter;
  USHORT mountPointOffset;
  USHORT deviceOffset;
  USHORT labelOffset;
};
constexpr DWORD kDefineUnixDrive = CTL_CODE(0x6D, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

bool DefineWineDrive(char letter, const char* unixPath, ULONG type) {
  fw::FileHandle manager(CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!manager) return false;
  std::vector<char> buffer(sizeof(WineDriveRequest) + (unixPath ? std::strlen(unixPath) + 1 : 0));
  auto* request = reinterpret_cast<WineDriveRequest*>(buffer.data());
  request->size = static_cast<ULONG>(buffer.size());
  request->type = type;
  request->letter = static_cast<WCHAR>(letter);
  if (unixPath) {
    std::strcpy(buffer.data() + sizeof(WineDriveRequest), unixPath);
    request->mountPointOffset = sizeof(WineDriveRequest);
  }
  DWORD done = 0;
  return DeviceIoControl(manager.get(), kDefineUnixDrive, buffer.data(), request->size, nullptr, 0, &done, nullptr);
}

class LabelledDrive {
 public:
  // Maps the first free letter from E: on to a fresh folder labelled label.
  explicit LabelledDrive(const std::string& label) {
    using UnixName = char*(CDECL*)(LPCWSTR);
    auto unixName = reinterpret_cast<UnixName>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name"));
    if (!unixName) return;  // not Wine
    testsupport::WriteFile(m_folder / ".windows-label", label + "\n");
    DWORD used = GetLogicalDrives();
    for (char c = 'E'; c <= 'Y' && !m_letter; ++c)
      if (!(used & (1u << (c - 'A')))) m_letter = c;
    if (!m_letter) return;
    std::wstring wide(m_folder.Path().begin(), m_folder.Path().end());  // ASCII path
    char* path = unixName(wide.c_str());
    if (!path) return;
    bool ok = DefineWineDrive(static_cast<char>(m_letter - 'A' + 'a'), path, DRIVE_REMOVABLE);
    HeapFree(GetProcessHeap(), 0, path);
    if (!ok) m_letter = 0;
  }
  ~LabelledDrive() {
    if (m_letter) DefineWineDrive(static_cast<char>(m_letter - 'A' + 'a'), nullptr, DRIVE_NO_ROOT_DIR);
  }
  LabelledDrive(const LabelledDrive&) = delete;
  LabelledDrive& operator=(const LabelledDrive&) = delete;

  char Letter() const { return m_letter; }
  std::string Name() const { return std::string{m_letter, ':'}; }
  DWORD UnitMask() const { return 1u << (m_letter - 'A'); }

 private:
  testsupport::TempDir m_folder;
  char m_letter = 0;
};

// ---------------------------------------------------------------------------

struct Call {
  std::string caption;
  DWORD event;
  WORD kind;
  UniqueIDList list;  // a copy of what was passed
};

class RecordingControl : public TShellDeviceChangeClient {
 public:
  void DeviceChange(const std::string& caption, DWORD event, LPCITEMIDLIST itemIDList, WORD kind) override {
    calls.push_back(Call{caption, event, kind, UniqueIDList::CopyOf(itemIDList)});
    if (onCall) onCall();
  }
  std::vector<Call> calls;
  std::function<void()> onCall;
};

LRESULT SendVolumeChange(HWND wnd, WPARAM event, DWORD unitMask, WORD flags) {
  DEV_BROADCAST_VOLUME volume{};
  volume.dbcv_size = sizeof volume;
  volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
  volume.dbcv_unitmask = unitMask;
  volume.dbcv_flags = flags;
  return SendMessageA(wnd, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&volume));
}

// Registers controls for a scope. Declared after a LabelledDrive, it takes
// the window away before the drive goes, so that the mount manager's own
// notice of the drive leaving finds no window of ours.
class Registered {
 public:
  Registered(std::initializer_list<TShellDeviceChangeClient*> controls) : m_controls(controls) {
    for (auto* c : m_controls) ShellCtrlList().Add(c);
  }
  ~Registered() {
    for (auto* c : m_controls) ShellCtrlList().Remove(c);
  }

 private:
  std::vector<TShellDeviceChangeClient*> m_controls;
};

// Each test gets the registry empty and leaves it so.
class ShellCtrlListTest : public testing::Test {
 protected:
  void SetUp() override {
    ShellctrlsInitialize();
    ASSERT_EQ(ShellCtrlList().Count(), 0);
  }
  void TearDown() override {
    for (RecordingControl* c : {&a, &b}) ShellCtrlList().Remove(c);
  }
  RecordingControl a, b;
};

TEST_F(ShellCtrlListTest, TheWindowLivesWhileControlsAreRegistered) {
  TShellCtrlList& list = ShellCtrlList();
  EXPECT_EQ(list.Handle(), nullptr);
  list.Add(&a);
  list.Add(&a);
  list.Add(&b);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Items(1), &b);
  EXPECT_EQ(list.IndexOf(&b), 1);
  HWND wnd = list.Handle();
  ASSERT_NE(wnd, nullptr);
  // Broadcasts reach top-level windows only; it must be one, and hidden.
  EXPECT_EQ(GetAncestor(wnd, GA_PARENT), GetDesktopWindow());
  EXPECT_FALSE(IsWindowVisible(wnd));

  list.Remove(&a);
  EXPECT_EQ(list.Handle(), wnd);
  list.Remove(&b);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Handle(), nullptr);
  EXPECT_FALSE(IsWindow(wnd));
  list.Add(&a);
  EXPECT_NE(list.Handle(), nullptr);
}

TEST_F(ShellCtrlListTest, DiscArrivalAndRemovalGiveTheDrivesCaptions) {
  LabelledDrive drive("DATA");
  if (!drive.Letter()) GTEST_SKIP() << "no drive letter could be mapped (needs Wine's mount manager)";
  UniqueIDList driveList;
  ASSERT_TRUE(GetIDListFromPath(drive.Name() + "\\", driveList));

  Registered registered{&a, &b};
  HWND wnd = ShellCtrlList().Handle();

  SendVolumeChange(wnd, DBT_DEVICEARRIVAL, drive.UnitMask(), DBTF_MEDIA);
  ASSERT_EQ(a.calls.size(), 1u);
  ASSERT_EQ(b.calls.size(), 1u);
  EXPECT_EQ(a.calls[0].caption, "Data (" + drive.Name() + ")");
  EXPECT_EQ(a.calls[0].event, static_cast<DWORD>(DBT_DEVICEARRIVAL));
  EXPECT_EQ(a.calls[0].kind, kDeviceChangeMedia);
  fw::ComPtr<IShellFolder> desktop;
  ASSERT_EQ(SHGetDesktopFolder(desktop.Put()), S_OK);
  EXPECT_EQ(CompareIDList(desktop.Get(), a.calls[0].list.get(), driveList.get()), cvEqual);
  EXPECT_EQ(b.calls[0].caption, a.calls[0].caption);

  SendVolumeChange(wnd, DBT_DEVICEREMOVECOMPLETE, drive.UnitMask(), DBTF_MEDIA);
  ASSERT_EQ(a.calls.size(), 2u);
  EXPECT_EQ(a.calls[1].caption, " (" + drive.Name() + ")");
  EXPECT_EQ(a.calls[1].event, static_cast<DWORD>(DBT_DEVICEREMOVECOMPLETE));
  EXPECT_EQ(CompareIDList(desktop.Get(), a.calls[1].list.get(), driveList.get()), cvEqual);

  // Several drives in one message: the lowest one is meant. Drive C: is
  // lower than the mapped one.
  SendVolumeChange(wnd, DBT_DEVICEARRIVAL, drive.UnitMask() | (1u << 2), DBTF_MEDIA);
  ASSERT_EQ(a.calls.size(), 3u);
  EXPECT_NE(a.calls[2].caption.find("(C:)"), std::string::npos) << a.calls[2].caption;
}

TEST_F(ShellCtrlListTest, NetworkVolumesAndOtherMessages) {
  ShellCtrlList().Add(&a);
  HWND wnd = ShellCtrlList().Handle();

  SendVolumeChange(wnd, DBT_DEVICEREMOVECOMPLETE, 1u << 25, DBTF_NET);
  ASSERT_EQ(a.calls.size(), 1u);
  EXPECT_EQ(a.calls[0].caption, "");
  EXPECT_EQ(a.calls[0].kind, kDeviceChangeNetwork);
  EXPECT_EQ(a.calls[0].list.get(), nullptr);

  // Not arrival or removal, not a volume, no medium flag, no drive in the
  // mask, a record too short to hold the flags: nothing happens.
  SendVolumeChange(wnd, DBT_DEVICEQUERYREMOVE, 1u << 2, DBTF_MEDIA);
  SendVolumeChange(wnd, DBT_DEVICEARRIVAL, 1u << 2, 0);
  SendVolumeChange(wnd, DBT_DEVICEARRIVAL, 0, DBTF_MEDIA);
  DEV_BROADCAST_HDR port{sizeof(DEV_BROADCAST_HDR), DBT_DEVTYP_PORT, 0};
  SendMessageA(wnd, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&port));
  DEV_BROADCAST_HDR shortVolume{sizeof(DEV_BROADCAST_HDR), DBT_DEVTYP_VOLUME, 0};
  SendMessageA(wnd, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&shortVolume));
  SendMessageA(wnd, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
  EXPECT_EQ(a.calls.size(), 1u);
}

TEST_F(ShellCtrlListTest, ControlsLeavingOrFailingDuringAChange) {
  std::vector<std::string> reported;
  fw::TApplication::SetMessageBoxHook([&](HWND, const std::string& text, const std::string&, UINT) {
    reported.push_back(text);
    return IDOK;
  });
  ShellCtrlList().Add(&a);
  ShellCtrlList().Add(&b);
  HWND wnd = ShellCtrlList().Handle();

  // The first control's handler destroys the second: it is not called.
  a.onCall = [&] { ShellCtrlList().Remove(&b); };
  SendVolumeChange(wnd, DBT_DEVICEARRIVAL, 1u << 2, DBTF_MEDIA);
  EXPECT_EQ(a.calls.size(), 1u);
  EXPECT_EQ(b.calls.size(), 0u);

  // A failing handler is reported; the others still hear of the change and
  // the window keeps working.
  ShellCtrlList().Add(&b);
  a.onCall = [] { throw fw::Exception("handler failed"); };
  SendVolumeChange(wnd, DBT_DEVICEARRIVAL, 1u << 2, DBTF_MEDIA);
  EXPECT_EQ(b.calls.size(), 1u);
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported[0], "handler failed");
  a.onCall = nullptr;
  SendVolumeChange(wnd, DBT_DEVICEARRIVAL, 1u << 2, DBTF_MEDIA);
  EXPECT_EQ(a.calls.size(), 3u);
  fw::TApplication::SetMessageBoxHook(nullptr);
}

// The folder tree's road: the change is wrapped and handed to its watcher,
// which gives it back on this thread a second later.
TEST_F(ShellCtrlListTest, TheTreesWatcherDeliversTheChangeLater) {
  LabelledDrive drive("DATA");
  if (!drive.Letter()) GTEST_SKIP() << "no drive letter could be mapped (needs Wine's mount manager)";

  std::vector<std::unique_ptr<TDeviceChangeData>> delivered;
  auto* watcher = new TShDirWatcher(
      nullptr, nullptr,
      [&](fw::Object*, std::unique_ptr<fw::Object> data) {
        delivered.emplace_back(dynamic_cast<TDeviceChangeData*>(data.release()));
      },
      FILE_NOTIFY_CHANGE_DIR_NAME);
  struct StopOnExit {
    TShDirWatcher* watcher;
    ~StopOnExit() { watcher->Stop(); }  // the thread frees itself
  } stop{watcher};
  a.onCall = [&] {
    const Call& c = a.calls.back();
    EXPECT_TRUE(InvokeDeviceChangeDelay(watcher, c.caption, c.event, c.list.get(), c.kind));
  };
  Registered registered{&a};
  SendVolumeChange(ShellCtrlList().Handle(), DBT_DEVICEARRIVAL, drive.UnitMask(), DBTF_MEDIA);
  ASSERT_EQ(a.calls.size(), 1u);
  EXPECT_TRUE(delivered.empty()) << "delivered before the delay";
  a.calls.clear();  // the registry's own list is long gone too

  ASSERT_TRUE(testsupport::PumpUntil([&] { return !delivered.empty(); }, 10000));
  ASSERT_TRUE(delivered[0]);
  EXPECT_EQ(delivered[0]->Caption, "Data (" + drive.Name() + ")");
  EXPECT_EQ(delivered[0]->Event, static_cast<DWORD>(DBT_DEVICEARRIVAL));
  EXPECT_EQ(delivered[0]->Kind, kDeviceChangeMedia);
  std::string path;
  EXPECT_TRUE(GetPathFromItemIDList(delivered[0]->ItemIDList.get(), path));
  EXPECT_EQ(path, drive.Name() + "\\");

  // Without a receiver nothing is queued.
  watcher->OnDelay = nullptr;
  EXPECT_FALSE(InvokeDeviceChangeDelay(watcher, "x", DBT_DEVICEARRIVAL, nullptr, kDeviceChangeNetwork));
  EXPECT_FALSE(InvokeDeviceChangeDelay(nullptr, "x", DBT_DEVICEARRIVAL, nullptr, kDeviceChangeNetwork));
}

}  // namespace
