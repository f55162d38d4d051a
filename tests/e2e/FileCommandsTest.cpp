// End to end: in a running Orvane a user creates a folder from the contents
// list's pop-up menu, creates a file inside it, renames the file with F2 and
// deletes it permanently with Shift+Del, answering the platform's
// confirmation. The disk is checked after each step.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "tests/common/DialogAnswerer.h"
#include "tests/common/TempDir.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/RemoteControls.h"

namespace {

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

using e2e::WaitFor;

HWND ContentsList(HWND main, const std::string& name) { return e2e::ListWithRow(main, name); }

// The list's pop-up menu from the keyboard (the context-menu key), then
// "新規作成" and the entry at position item of its submenu. Menus belong to
// the program's thread: the keys reach its menu loop through its queue.
void NewFromPopup(HWND list, int item) {
  ::PostMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(-1, -1));
  ::Sleep(300);
  e2e::PostKey(list, VK_DOWN);   // "新規作成"
  e2e::PostKey(list, VK_RIGHT);  // its submenu, first entry ("フォルダ")
  for (int i = 0; i < item; ++i) e2e::PostKey(list, VK_DOWN);
  e2e::PostKey(list, VK_RETURN);
}

// Types name into the name dialog with that caption and presses OK.
bool AnswerNameDialog(e2e::OrvaneProcess& orvane, const std::string& caption, const std::string& name) {
  HWND dlg = orvane.WaitForWindow("", caption, 10000);
  if (!dlg) return false;
  HWND edit = e2e::FindChild(dlg, "Edit");
  HWND ok = e2e::FindChild(dlg, "Button", "OK");
  if (!edit || !ok) return false;
  ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
  ::PostMessageA(ok, BM_CLICK, 0, 0);
  return true;
}

// Holds Shift while Delete goes down and up, as the keyboard gives it, to
// whatever has the focus in the foreground window.
void PressShiftDelete(HWND main) {
  ::SetForegroundWindow(main);
  ::Sleep(200);
  INPUT keys[4] = {};
  const WORD vks[4] = {VK_SHIFT, VK_DELETE, VK_DELETE, VK_SHIFT};
  for (int i = 0; i < 4; ++i) {
    keys[i].type = INPUT_KEYBOARD;
    keys[i].ki.wVk = vks[i];
    keys[i].ki.wScan = static_cast<WORD>(::MapVirtualKeyA(vks[i], MAPVK_VK_TO_VSC));
    keys[i].ki.dwFlags = (i >= 2 ? KEYEVENTF_KEYUP : 0) | (vks[i] == VK_DELETE ? KEYEVENTF_EXTENDEDKEY : 0);
  }
  ::SendInput(4, keys, sizeof(INPUT));
}

TEST(EndToEnd, CreatesRenamesAndPermanentlyDeletesFromTheContentsList) {
  testsupport::TempDir dir;
  ASSERT_TRUE(e2e::InstallCopy(dir.Path()));
  const std::string start = dir / "作業";
  ASSERT_TRUE(::CreateDirectoryA(start.c_str(), nullptr));
  testsupport::WriteFile(start + "\\marker.txt", "m");

  e2e::OrvaneProcess orvane;
  ASSERT_TRUE(orvane.Start(dir / "Orvane.exe", "\"" + start + "\""));
  HWND main = orvane.WaitForWindow("OrvaneForm", "", 30000);
  ASSERT_NE(main, nullptr);
  HWND list = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (list = ContentsList(main, "marker.txt")) != nullptr; }, 15000));

  // 1. New folder from the pop-up menu.
  NewFromPopup(list, 0);
  ASSERT_TRUE(AnswerNameDialog(orvane, "フォルダ作成", "フォルダxyz")) << "no folder dialog";
  const std::string folder = start + "\\フォルダxyz";
  ASSERT_TRUE(WaitFor([&] { return Exists(folder); }, 10000));
  EXPECT_TRUE(WaitFor([&] { return e2e::ListRowCount(list) == 2; }, 5000));

  // Into the new folder: type part of its name, Enter.
  e2e::PostText(list, "xyz");
  ASSERT_TRUE(WaitFor([&] { return e2e::ListSelectedRows(list) == std::vector<int>{0}; }, 5000));
  e2e::PostKey(list, VK_RETURN);
  ASSERT_TRUE(WaitFor([&] { return e2e::ListRowCount(list) == 0; }, 10000)) << "did not enter the new folder";

  // 2. New file inside it.
  NewFromPopup(list, 1);
  ASSERT_TRUE(AnswerNameDialog(orvane, "ファイル作成", "メモqq.txt")) << "no file dialog";
  ASSERT_TRUE(WaitFor([&] { return Exists(folder + "\\メモqq.txt"); }, 10000));
  ASSERT_TRUE(WaitFor([&] { return e2e::ListCellText(list, 0, 0) == "メモqq.txt"; }, 5000));

  // 3. Rename with F2: type the new name into the in-place edit, Enter.
  e2e::PostText(list, "qq");
  ASSERT_TRUE(WaitFor([&] { return e2e::ListSelectedRows(list) == std::vector<int>{0}; }, 5000));
  e2e::PostKey(list, VK_F2);
  HWND edit = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (edit = e2e::FindChild(list, "Edit")) != nullptr; }, 5000)) << "F2 did not edit";
  ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("改名zz.txt"));
  e2e::PostKey(edit, VK_RETURN);
  const std::string renamed = folder + "\\改名zz.txt";
  ASSERT_TRUE(WaitFor([&] { return Exists(renamed); }, 10000));
  EXPECT_FALSE(Exists(folder + "\\メモqq.txt"));
  ASSERT_TRUE(WaitFor([&] { return e2e::ListCellText(list, 0, 0) == "改名zz.txt"; }, 5000));

  // 4. Shift+Del on the selected file, confirmed: gone, not in the recycle bin.
  RECT row{};
  ASSERT_TRUE(e2e::ListItemRect(list, 0, row));
  e2e::PostClick(list, POINT{row.left + 20, (row.top + row.bottom) / 2});
  ASSERT_TRUE(WaitFor([&] { return e2e::ListSelectedRows(list) == std::vector<int>{0}; }, 5000));
  PressShiftDelete(main);
  HWND confirm = orvane.WaitForWindow("#32770", "", 15000);
  ASSERT_NE(confirm, nullptr) << "no confirmation";
  HWND yes = ::GetDlgItem(confirm, IDYES);
  ASSERT_NE(yes, nullptr);
  ::PostMessageA(confirm, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), reinterpret_cast<LPARAM>(yes));
  ASSERT_TRUE(WaitFor([&] { return !Exists(renamed); }, 10000));
  EXPECT_FALSE(testsupport::InTrash(renamed));
  EXPECT_TRUE(Exists(folder));
  EXPECT_TRUE(Exists(start + "\\marker.txt"));
  EXPECT_TRUE(WaitFor([&] { return e2e::ListRowCount(list) == 0; }, 5000));

  ASSERT_TRUE(orvane.CloseAndWait(main, 30000));
}

}  // namespace
