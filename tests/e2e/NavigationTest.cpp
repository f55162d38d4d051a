// End to end: a user walks folders by the tree, goes back and forward and
// home, keeps two bookmarks, switches between them by clicking the tabs, and
// finds them again at the next start.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "tests/common/TempDir.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/RemoteControls.h"

namespace {

using e2e::WaitFor;

POINT Center(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// The bookmark strip: the tab control whose tabs hold the folder given.
HWND BookmarkTabs(HWND main, const std::string& folder) {
  for (const auto& w : e2e::ChildWindows(main)) {
    if (w.className != "SysTabControl32") continue;
    for (const auto& t : e2e::TabTexts(w.hwnd))
      if (t == folder) return w.hwnd;
  }
  return nullptr;
}

struct Window {
  HWND main = nullptr;
  HWND tree = nullptr;
  HWND toolBar = nullptr;
  std::string Caption() const { return e2e::ReadText(main); }
  std::string Selected() const { return e2e::TreeItemText(tree, e2e::TreeSelectedItem(tree)); }
  void Click(int button) const {
    RECT r{};
    if (e2e::ToolButtonRect(toolBar, button, r)) e2e::PostClick(toolBar, Center(r));
  }
  bool CaptionBecomes(const std::string& text) const {
    return WaitFor([&] { return Caption() == text; });
  }
};

Window Attach(e2e::OrvaneProcess& orvane) {
  Window w;
  w.main = orvane.WaitForWindow("OrvaneForm", "", 30000);
  if (!w.main) return w;
  w.tree = e2e::FindChild(w.main, "SysTreeView32");
  w.toolBar = e2e::FindChild(w.main, "ToolbarWindow32");
  return w;
}

// Tool bar positions: back, forward, up, home, -, view, -, add bookmark.
constexpr int kBack = 0;
constexpr int kForward = 1;
constexpr int kHome = 3;
constexpr int kAddBookmark = 7;

TEST(EndToEnd, WalksFoldersGoesBackAndHomeAndKeepsBookmarksBetweenRuns) {
  testsupport::TempDir dir;
  ASSERT_TRUE(e2e::InstallCopy(dir.Path()));
  const std::string home = dir / "ホーム";
  const std::string sub1 = home + "\\一";
  const std::string sub2 = sub1 + "\\二";
  const std::string saved = dir / "saved";
  for (const std::string& d : {home, sub1, sub2, saved}) ASSERT_TRUE(::CreateDirectoryA(d.c_str(), nullptr)) << d;
  testsupport::WriteFile(dir / "Orvane.INI", "[Home]\r\nホーム=" + home + "\r\n[window]\r\nsaveSiori=1\r\n");
  testsupport::WriteFile(dir / "siori.dat", saved + "\r\n");

  {
    e2e::OrvaneProcess orvane;
    ASSERT_TRUE(orvane.Start(dir / "Orvane.exe"));
    Window w = Attach(orvane);
    ASSERT_NE(w.main, nullptr);
    ASSERT_NE(w.tree, nullptr);
    ASSERT_NE(w.toolBar, nullptr);
    // No folder argument: home is shown and its button is enabled.
    ASSERT_TRUE(w.CaptionBecomes("ホーム")) << w.Caption();
    EXPECT_EQ(w.Selected(), "ホーム");
    EXPECT_TRUE(e2e::ToolButtonEnabled(w.toolBar, kHome));
    EXPECT_FALSE(e2e::ToolButtonEnabled(w.toolBar, kForward));
    HWND tabs = BookmarkTabs(w.main, home);
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(e2e::TabTexts(tabs), (std::vector<std::string>{saved, home}));

    // Down two folders by the tree, with the keyboard: open, step down.
    for (const char* name : {"一", "二"}) {
      e2e::PostKey(w.tree, VK_RIGHT);
      ASSERT_TRUE(WaitFor([&] { return e2e::TreeChildren(w.tree, e2e::TreeSelectedItem(w.tree)).size() == 1; }));
      e2e::PostKey(w.tree, VK_DOWN);
      ASSERT_TRUE(w.CaptionBecomes(name)) << w.Caption();
      EXPECT_EQ(w.Selected(), name);
    }
    // Back twice, forward once, home.
    w.Click(kBack);
    ASSERT_TRUE(w.CaptionBecomes("一"));
    w.Click(kBack);
    ASSERT_TRUE(w.CaptionBecomes("ホーム"));
    EXPECT_TRUE(WaitFor([&] { return e2e::ToolButtonEnabled(w.toolBar, kForward); }));
    w.Click(kForward);
    ASSERT_TRUE(w.CaptionBecomes("一"));
    EXPECT_EQ(w.Selected(), "一");
    w.Click(kHome);
    ASSERT_TRUE(w.CaptionBecomes("ホーム"));

    // Two bookmarks: home, then 一 (the selected tab follows the folder).
    w.Click(kAddBookmark);
    ASSERT_TRUE(WaitFor([&] { return e2e::TabTexts(tabs).size() == 3; }));
    e2e::PostKey(w.tree, VK_DOWN);
    ASSERT_TRUE(w.CaptionBecomes("一"));
    w.Click(kAddBookmark);
    ASSERT_TRUE(WaitFor([&] { return e2e::TabTexts(tabs).size() == 4; }));
    EXPECT_EQ(e2e::TabTexts(tabs), (std::vector<std::string>{saved, sub1, home, sub1}));

    // Switching by clicking the tabs takes the window there.
    RECT r{};
    ASSERT_TRUE(e2e::TabRect(tabs, 2, r));
    e2e::PostClick(tabs, Center(r));
    ASSERT_TRUE(w.CaptionBecomes("ホーム"));
    EXPECT_EQ(e2e::SelectedTab(tabs), 2);
    ASSERT_TRUE(e2e::TabRect(tabs, 0, r));
    e2e::PostClick(tabs, Center(r));
    ASSERT_TRUE(w.CaptionBecomes("saved"));
    EXPECT_EQ(w.Selected(), "saved");

    DWORD code = 1;
    ASSERT_TRUE(orvane.CloseAndWait(w.main, 30000, &code));
    EXPECT_EQ(code, 0u);
  }
  EXPECT_EQ(testsupport::ReadFile(dir / "siori.dat"), saved + "\r\n" + sub1 + "\r\n" + home + "\r\n" + sub1 + "\r\n");

  // The next start brings the tabs back in order, then the start folder's, selected.
  e2e::OrvaneProcess again;
  ASSERT_TRUE(again.Start(dir / "Orvane.exe"));
  Window w = Attach(again);
  ASSERT_NE(w.main, nullptr);
  ASSERT_TRUE(w.CaptionBecomes("ホーム"));
  HWND tabs = BookmarkTabs(w.main, home);
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(e2e::TabTexts(tabs), (std::vector<std::string>{saved, sub1, home, sub1, home}));
  EXPECT_EQ(e2e::SelectedTab(tabs), 4);
  ASSERT_TRUE(again.CloseAndWait(w.main, 30000));
}

}  // namespace
