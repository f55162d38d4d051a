// End to end: a user who keeps bookmarks and the window layout between runs
// starts Orvane on a folder and finds everything where it was.
#include <gtest/gtest.h>

#include "tests/common/TempDir.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/RemoteControls.h"

namespace {

HWND BookmarkTabs(HWND main, const std::string& firstText) {
  for (const auto& w : e2e::ChildWindows(main)) {
    if (w.className != "SysTabControl32") continue;
    std::vector<std::string> texts = e2e::TabTexts(w.hwnd);
    if (!texts.empty() && texts[0] == firstText) return w.hwnd;
  }
  return nullptr;
}

TEST(EndToEnd, StartsFromSavedSettingsAndBookmarksWithAFolderArgument) {
  testsupport::TempDir dir;
  ASSERT_TRUE(e2e::InstallCopy(dir.Path()));
  const std::string start = dir / "開始ソフト";  // "ソ" ends in a backslash byte
  ASSERT_TRUE(::CreateDirectoryA(start.c_str(), nullptr));
  testsupport::WriteFile(dir / "Orvane.INI",
                         "[window]\r\nsaveSiori=1\r\ntop=80\r\nwidth=700\r\nleft=120\r\nheight=500\r\n"
                         "[column]\r\nkioku=1\r\nname=210\r\n");
  testsupport::WriteFile(dir / "siori.dat", "C:\\一\r\nC:\\ソフト\r\n");

  e2e::OrvaneProcess orvane;
  ASSERT_TRUE(orvane.Start(dir / "Orvane.exe", "\"" + start + "\""));
  HWND main = orvane.WaitForWindow("OrvaneForm", "", 30000);
  ASSERT_NE(main, nullptr);

  RECT r{};
  ASSERT_TRUE(::GetWindowRect(main, &r));
  EXPECT_EQ(r.left, 120);
  EXPECT_EQ(r.top, 80);
  EXPECT_EQ(r.right - r.left, 700);
  EXPECT_EQ(r.bottom - r.top, 500);

  HWND tabs = BookmarkTabs(main, "C:\\一");
  ASSERT_NE(tabs, nullptr) << "no tab strip shows the saved bookmarks";
  EXPECT_EQ(e2e::TabTexts(tabs), (std::vector<std::string>{"C:\\一", "C:\\ソフト", start}));
  EXPECT_EQ(e2e::SelectedTab(tabs), 2);

  ASSERT_TRUE(orvane.CloseAndWait(main, 30000));
  EXPECT_EQ(testsupport::ReadFile(dir / "siori.dat"), "C:\\一\r\nC:\\ソフト\r\n" + start + "\r\n");
  std::string ini = testsupport::ReadFile(dir / "Orvane.INI");
  EXPECT_NE(ini.find("top=80\r\nwidth=700\r\nleft=120\r\nheight=500\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("name=210\r\n"), std::string::npos) << ini;
}

}  // namespace
