// End to end: the main window hides into the tray from the File menu and,
// with "MinTray" set, when minimised; a button release on the tray icon
// (what the shell posts to the icon's hidden window) brings it back.
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/common/TempDir.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/RemoteControls.h"

namespace {

using e2e::WaitFor;

HWND TrayWindow(const e2e::OrvaneProcess& orvane) {
  for (const auto& w : orvane.TopLevelWindows())
    if (w.className == "TShellTrayIconWindow") return w.hwnd;
  return nullptr;
}

void ReleaseOnIcon(HWND tray, UINT mouseMessage) {
  // The callback message and icon id the program registered with the shell.
  ::PostMessageA(tray, WM_USER + 2, 1, mouseMessage);
}

TEST(EndToEnd, TrayHidesFromTheMenuAndOnMinimiseAndComesBackOnAClick) {
  testsupport::TempDir dir;
  ASSERT_TRUE(e2e::InstallCopy(dir.Path()));
  const std::string start = dir / "トレイソ";
  ASSERT_TRUE(::CreateDirectoryA(start.c_str(), nullptr));
  testsupport::WriteFile(dir / "Orvane.INI", "[column]\r\nMinTray=1\r\n");

  e2e::OrvaneProcess orvane;
  ASSERT_TRUE(orvane.Start(dir / "Orvane.exe", "\"" + start + "\""));
  HWND main = orvane.WaitForWindow("OrvaneForm", "トレイソ", 30000);
  ASSERT_NE(main, nullptr);
  HWND tray = TrayWindow(orvane);
  ASSERT_NE(tray, nullptr);

  // File > Iconise (Alt+F, I).
  e2e::MenuKeys(main, 'F', {'I'});
  ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(main); }, 5000)) << "File > Iconise";
  EXPECT_FALSE(::IsIconic(main));
  ReleaseOnIcon(tray, WM_RBUTTONUP);
  ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(main) != FALSE; }, 5000)) << "right button on the icon";

  // Minimising hides into the tray as well.
  ::PostMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(main); }, 5000)) << "minimise";
  ReleaseOnIcon(tray, WM_LBUTTONUP);
  ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(main) != FALSE && !::IsIconic(main); }, 5000))
      << "left button on the icon";
  EXPECT_EQ(e2e::ReadText(main), "トレイソ");

  DWORD code = 1;
  EXPECT_TRUE(orvane.CloseAndWait(main, 20000, &code));
  EXPECT_EQ(code, 0u);
}

}  // namespace
