// End to end: a launcher entry prepared in the settings file starts its
// program, with its arguments, when the user double-clicks it on the
// launcher tab of a running Orvane.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/common/TempDir.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/RemoteControls.h"

namespace {

POINT Center(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// The tool tabs' strip: the tab control whose first tab is the launcher.
HWND ToolTabs(HWND main) {
  for (const auto& w : e2e::ChildWindows(main)) {
    if (w.className != "SysTabControl32") continue;
    std::vector<std::string> texts = e2e::TabTexts(w.hwnd);
    if (!texts.empty() && texts[0] == "ランチャー") return w.hwnd;
  }
  return nullptr;
}

// The list view whose first row is captioned name.
HWND ListWithFirstRow(HWND main, const std::string& name) {
  for (const auto& w : e2e::ChildWindows(main))
    if (w.className == "SysListView32" && e2e::ListRowCount(w.hwnd) > 0 && e2e::ListCellText(w.hwnd, 0, 0) == name)
      return w.hwnd;
  return nullptr;
}

using e2e::WaitFor;

TEST(EndToEnd, DoubleClickOnALauncherEntryStartsItsProgramWithItsArguments) {
  testsupport::TempDir dir;
  ASSERT_TRUE(e2e::InstallCopy(dir.Path()));
  // A folder with a blank and Japanese letters, and a program an unquoted
  // path would start instead.
  const std::string folder = dir / "記録 する";
  const std::string program = folder + "\\rec.exe";
  const std::string planted = dir / "記録.exe";
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  const std::string recorder = e2e::BuildBinDir() + "\\cmdrecorder.exe";
  ASSERT_TRUE(::CopyFileA(recorder.c_str(), program.c_str(), FALSE));
  ASSERT_TRUE(::CopyFileA(recorder.c_str(), planted.c_str(), FALSE));
  // The results page is in front at start; the test brings the launcher forward.
  testsupport::WriteFile(dir / "Orvane.INI", "[Tabs]\r\nTabActive=1\r\n[lancher]\r\n記録係=" + program +
                                                 "\r\n[lancher1]\r\n記録係=one \"two three\" ソ\\\r\n");

  e2e::OrvaneProcess orvane;
  ASSERT_TRUE(orvane.Start(dir / "Orvane.exe", "\"" + dir.Path() + "\""));
  HWND main = orvane.WaitForWindow("OrvaneForm", "", 30000);
  ASSERT_NE(main, nullptr);

  HWND tabs = ToolTabs(main);
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(e2e::SelectedTab(tabs), 1);
  HWND list = ListWithFirstRow(main, "記録係");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(e2e::ListCellText(list, 0, 1), program);
  RECT r{};
  ASSERT_TRUE(e2e::TabRect(tabs, 0, r));
  e2e::PostClick(tabs, Center(r));
  ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(list) != FALSE; }, 10000)) << "the launcher page did not come up";
  EXPECT_EQ(e2e::SelectedTab(tabs), 0);

  ASSERT_TRUE(e2e::ListItemRect(list, 0, r));
  e2e::PostDoubleClick(list, Center(r));
  const std::string log = program + ".log";
  EXPECT_TRUE(WaitFor([&] { return ::GetFileAttributesA(log.c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000))
      << "the entry's program did not start";
  EXPECT_EQ(testsupport::ReadFile(log), "\"" + program + "\" one \"two three\" ソ\\");
  EXPECT_EQ(::GetFileAttributesA((planted + ".log").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(e2e::ListSelectedRows(list), (std::vector<int>{0}));

  ASSERT_TRUE(orvane.CloseAndWait(main, 30000));
}

}  // namespace
