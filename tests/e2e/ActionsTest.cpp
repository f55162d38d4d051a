// End to end: a user switches the contents list's view style and sort from
// the View menu and selects everything from the Edit menu, all by keyboard
// (menus belong to their process under Wine, so only keys reach them).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "tests/common/TempDir.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/RemoteControls.h"

namespace {

using e2e::MenuKeys;
using e2e::WaitFor;

std::vector<std::string> Names(HWND list) {
  std::vector<std::string> texts;
  int rows = e2e::ListRowCount(list);
  for (int i = 0; i < rows; ++i) texts.push_back(e2e::ListCellText(list, i, 0));
  return texts;
}

DWORD StyleOf(HWND list) { return static_cast<DWORD>(::GetWindowLongA(list, GWL_STYLE)) & LVS_TYPEMASK; }

void ClickNameHeader(HWND list) {
  HWND header = reinterpret_cast<HWND>(::SendMessageA(list, LVM_GETHEADER, 0, 0));
  RECT r{};
  ASSERT_TRUE(e2e::ListHeaderItemRect(list, 0, r));
  POINT p{r.left + 20, (r.top + r.bottom) / 2};
  ::ScreenToClient(header, &p);
  LPARAM at = MAKELPARAM(p.x, p.y);
  ::PostMessageA(header, WM_MOUSEMOVE, 0, at);
  ::PostMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageA(header, WM_LBUTTONUP, 0, at);
}

TEST(EndToEnd, ViewStylesSortsAndSelectAllFromTheMenus) {
  testsupport::TempDir dir;
  ASSERT_TRUE(e2e::InstallCopy(dir.Path()));
  const std::string start = dir / "表示ソ";
  ASSERT_TRUE(::CreateDirectoryA(start.c_str(), nullptr));
  // Names and sizes in the same order: by name and by size agree, whether
  // the shell compares sizes (Windows) or names for every column (Wine).
  testsupport::WriteFile(start + "\\a.txt", std::string(1, 'x'));
  testsupport::WriteFile(start + "\\b.txt", std::string(2000, 'x'));
  testsupport::WriteFile(start + "\\c.txt", std::string(4000, 'x'));
  const std::vector<std::string> ascending = {"a.txt", "b.txt", "c.txt"};
  const std::vector<std::string> descending = {"c.txt", "b.txt", "a.txt"};

  e2e::OrvaneProcess orvane;
  ASSERT_TRUE(orvane.Start(dir / "Orvane.exe", "\"" + start + "\""));
  HWND main = orvane.WaitForWindow("OrvaneForm", "", 30000);
  ASSERT_NE(main, nullptr);
  HWND list = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (list = e2e::ListWithRow(main, "a.txt")) != nullptr; }, 15000));
  ASSERT_EQ(StyleOf(list), static_cast<DWORD>(LVS_REPORT));

  // View menu: list, large icons, small icons, details.
  MenuKeys(main, 'V', {'L'});
  EXPECT_TRUE(WaitFor([&] { return StyleOf(list) == LVS_LIST; }, 5000)) << "View > List";
  MenuKeys(main, 'V', {'G'});
  EXPECT_TRUE(WaitFor([&] { return StyleOf(list) == LVS_ICON; }, 5000)) << "View > Large icons";
  MenuKeys(main, 'V', {'M'});
  EXPECT_TRUE(WaitFor([&] { return StyleOf(list) == LVS_SMALLICON; }, 5000)) << "View > Small icons";
  MenuKeys(main, 'V', {'D'});
  ASSERT_TRUE(WaitFor([&] { return StyleOf(list) == LVS_REPORT; }, 5000)) << "View > Details";

  // Sort: a click on the name header reverses the names; the sort menu's
  // "by name" (N is shared with "by type": it selects, Enter runs) and "by
  // size" sort ascending again.
  ClickNameHeader(list);
  ASSERT_TRUE(WaitFor([&] { return Names(list) == descending; }, 5000));
  MenuKeys(main, 'V', {'S', 'N', VK_RETURN});
  EXPECT_TRUE(WaitFor([&] { return Names(list) == ascending; }, 5000)) << "Sort > By name";
  ClickNameHeader(list);
  ASSERT_TRUE(WaitFor([&] { return Names(list) == descending; }, 5000));
  MenuKeys(main, 'V', {'S', 'Z'});
  EXPECT_TRUE(WaitFor([&] { return Names(list) == ascending; }, 5000)) << "Sort > By size";

  // Edit > Select all, whatever has the focus.
  ASSERT_TRUE(e2e::ListSelectedRows(list).empty());
  MenuKeys(main, 'E', {'A'});
  EXPECT_TRUE(WaitFor(
      [&] {
        return e2e::ListSelectedRows(list) == std::vector<int>{0, 1, 2};
      },
      5000))
      << "Edit > Select all";

  ASSERT_TRUE(orvane.CloseAndWait(main, 30000));
}

}  // namespace
