// End to end: a user browses a folder in the contents list of the running
// program: reads the rows, enters a folder, sorts by a column, widens it.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>

#include "tests/common/TempDir.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/RemoteControls.h"

namespace {

HWND ContentsList(HWND main, const std::string& name) { return e2e::ListWithRow(main, name); }

std::vector<std::string> Column(HWND list, int column) {
  std::vector<std::string> texts;
  int rows = e2e::ListRowCount(list);
  for (int i = 0; i < rows; ++i) texts.push_back(e2e::ListCellText(list, i, column));
  return texts;
}

using e2e::WaitFor;

HWND HeaderOf(HWND list) { return reinterpret_cast<HWND>(::SendMessageA(list, LVM_GETHEADER, 0, 0)); }

// A click on a point of the header, as the mouse gives it.
void ClickHeader(HWND header, POINT client) {
  LPARAM at = MAKELPARAM(client.x, client.y);
  ::PostMessageA(header, WM_MOUSEMOVE, 0, at);
  ::PostMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageA(header, WM_LBUTTONUP, 0, at);
}

POINT HeaderClientPoint(HWND header, const RECT& screen, int dx) {
  POINT p{dx >= 0 ? screen.left + dx : screen.right + dx, (screen.top + screen.bottom) / 2};
  ::ScreenToClient(header, &p);
  return p;
}

TEST(EndToEnd, BrowsesAFolderInTheContentsList) {
  testsupport::TempDir dir;
  ASSERT_TRUE(e2e::InstallCopy(dir.Path()));
  const std::string start = dir / "見るフォルダ";
  ASSERT_TRUE(::CreateDirectoryA(start.c_str(), nullptr));
  testsupport::WriteFile(start + "\\a.txt", std::string(1025, 'x'));
  testsupport::WriteFile(start + "\\b.txt", "");
  testsupport::WriteFile(start + "\\ソフト.txt", std::string(4096, 'y'));
  ASSERT_TRUE(::CreateDirectoryA((start + "\\sub").c_str(), nullptr));
  for (const char* n : {"one.txt", "three.txt", "two.txt"}) testsupport::WriteFile(start + "\\sub\\" + n, n);

  e2e::OrvaneProcess orvane;
  ASSERT_TRUE(orvane.Start(dir / "Orvane.exe", "\"" + start + "\""));
  HWND main = orvane.WaitForWindow("OrvaneForm", "", 30000);
  ASSERT_NE(main, nullptr);

  HWND list = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (list = ContentsList(main, "a.txt")) != nullptr; }, 15000))
      << "no list shows the start folder's files";
  // Folders first, then files by name; sizes in kilobytes rounded up.
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"sub", "a.txt", "b.txt", "ソフト.txt"}));
  EXPECT_EQ(Column(list, 1), (std::vector<std::string>{"", "2KB", "0KB", "4KB"}));

  // Enter the folder: type its name to select it, then Enter.
  e2e::PostText(list, "sub");
  ASSERT_TRUE(WaitFor([&] { return e2e::ListSelectedRows(list) == std::vector<int>{0}; }, 5000))
      << "typing the name did not select the folder";
  e2e::PostKey(list, VK_RETURN);
  ASSERT_TRUE(WaitFor([&] { return e2e::ListCellText(list, 0, 0) == "one.txt"; }, 10000))
      << "Enter did not open the folder";
  const std::vector<std::string> ascending = {"one.txt", "three.txt", "two.txt"};
  EXPECT_EQ(Column(list, 0), ascending);

  // Two clicks on the name header: reversed, then back.
  HWND header = HeaderOf(list);
  RECT nameHeader{};
  ASSERT_TRUE(e2e::ListHeaderItemRect(list, 0, nameHeader));
  ClickHeader(header, HeaderClientPoint(header, nameHeader, 20));
  std::vector<std::string> descending(ascending.rbegin(), ascending.rend());
  EXPECT_TRUE(WaitFor([&] { return Column(list, 0) == descending; }, 5000)) << "first click did not reverse";
  ClickHeader(header, HeaderClientPoint(header, nameHeader, 20));
  EXPECT_TRUE(WaitFor([&] { return Column(list, 0) == ascending; }, 5000)) << "second click did not reverse";

  // Widen the name column by dragging its divider 60 pixels to the right.
  const int before = e2e::ListColumnWidth(list, 0);
  POINT grip = HeaderClientPoint(header, nameHeader, -1);
  ::PostMessageA(header, WM_MOUSEMOVE, 0, MAKELPARAM(grip.x, grip.y));
  ::PostMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(grip.x, grip.y));
  for (int dx = 10; dx <= 60; dx += 10)
    ::PostMessageA(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(grip.x + dx, grip.y));
  ::PostMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(grip.x + 60, grip.y));
  int after = before;
  EXPECT_TRUE(WaitFor([&] { return (after = e2e::ListColumnWidth(list, 0)) >= before + 50; }, 5000))
      << "width " << before << " -> " << after;
  // The posted drag may still be running when the width first passes the
  // mark: wait until it settles, so the width read is the one saved.
  for (int last = -1; last != after;) {
    last = after;
    ::Sleep(200);
    after = e2e::ListColumnWidth(list, 0);
  }

  ASSERT_TRUE(orvane.CloseAndWait(main, 30000));
  std::string ini = testsupport::ReadFile(dir / "Orvane.INI");
  EXPECT_NE(ini.find("name=" + std::to_string(after) + "\r\n"), std::string::npos) << ini;
}

}  // namespace
