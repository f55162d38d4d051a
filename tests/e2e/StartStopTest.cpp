// End to end: the real Orvane.exe, started as its own process under Wine.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/common/IniOutline.h"
#include "tests/common/TempDir.h"
#include "tests/e2e/Driver.h"

namespace {

TEST(EndToEnd, StartsShowsMainWindowAndWritesSettingsOnClose) {
  testsupport::TempDir dir;
  ASSERT_TRUE(e2e::InstallCopy(dir.Path()));
  e2e::OrvaneProcess orvane;
  ASSERT_TRUE(orvane.Start(dir / "Orvane.exe"));

  HWND main = orvane.WaitForWindow("OrvaneForm", "", 30000);
  ASSERT_NE(main, nullptr) << "the main window did not appear";
  EXPECT_TRUE(::IsWindowVisible(main));

  // The command line sits at the bottom: its label and the tool tabs exist.
  EXPECT_NE(e2e::FindChild(main, "Static", "コマンド："), nullptr);
  HWND tabs = e2e::FindChild(main, "SysTabControl32");
  EXPECT_NE(tabs, nullptr);

  // The start folder (the desktop's folder) names the window, and the
  // application title in the hidden application window says the same.
  const std::string caption = e2e::ReadText(main);
  EXPECT_FALSE(caption.empty());
  EXPECT_NE(caption, "Orvane");
  bool titled = false;
  for (const auto& w : orvane.TopLevelWindows()) titled |= (w.text == caption && w.hwnd != main);
  EXPECT_TRUE(titled) << caption;

  DWORD code = 1;
  ASSERT_TRUE(orvane.CloseAndWait(main, 30000, &code)) << "Orvane did not end after WM_CLOSE";
  EXPECT_EQ(code, 0u);

  std::string ini = testsupport::ReadFile(dir / "Orvane.INI");
  ASSERT_FALSE(ini.empty()) << "Orvane.INI was not written beside the executable";
  std::vector<std::string> outline = testsupport::IniOutline(ini);
  const std::vector<std::string> expected = {
      "[Tabs]",        "Tabs/multi",      "[column]",       "column/name",   "column/size",  "column/type",
      "column/update", "column/zoku",     "[window]",       "window/left",   "window/top",   "window/height",
      "window/width",  "window/state",    "[cool]",         "cool/toolLeft", "cool/toolTop", "cool/jumpLeft",
      "cool/jumpTop",  "cool/SComboLeft", "cool/SComboTop", "cool/item0",    "cool/item1",   "cool/item2",
      "cool/itemw0",   "cool/itemw1",     "cool/itemw2",    "cool/itemb0",   "cool/itemb1",  "cool/itemb2"};
  EXPECT_EQ(outline, expected) << ini;
  EXPECT_NE(ini.find("item0=ToolBar1"), std::string::npos) << ini;
  EXPECT_NE(ini.find("item1=Panel1"), std::string::npos) << ini;
  EXPECT_NE(ini.find("item2=ShellComboBox1"), std::string::npos) << ini;
}

}  // namespace
