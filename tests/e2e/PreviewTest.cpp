// End to end: with the preview page in front, selecting a text file in the
// contents list of the running program shows the file in the preview box.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "tests/common/TempDir.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/RemoteControls.h"

namespace {

using e2e::WaitFor;

// The tool-tab strip: the tab control whose last tab is the preview.
HWND ToolTabs(HWND main) {
  for (const auto& w : e2e::ChildWindows(main)) {
    if (w.className != "SysTabControl32") continue;
    std::vector<std::string> tabs = e2e::TabTexts(w.hwnd);
    if (tabs.size() == 4 && tabs[3] == "プレビュー") return w.hwnd;
  }
  return nullptr;
}

// The multi-line edit boxes of the window (the preview box is one).
std::vector<HWND> MultiLineEdits(HWND main) {
  std::vector<HWND> edits;
  for (const auto& w : e2e::ChildWindows(main))
    if (w.className == "Edit" && (::GetWindowLongA(w.hwnd, GWL_STYLE) & ES_MULTILINE)) edits.push_back(w.hwnd);
  return edits;
}

bool AnyEditShows(HWND main, const std::string& text) {
  for (HWND e : MultiLineEdits(main))
    if (e2e::ReadText(e) == text) return true;
  return false;
}

TEST(EndToEnd, PreviewsTheSelectedTextFileOnThePreviewPage) {
  testsupport::TempDir dir;
  ASSERT_TRUE(e2e::InstallCopy(dir.Path()));
  const std::string start = dir / "見る";
  ASSERT_TRUE(::CreateDirectoryA(start.c_str(), nullptr));
  const std::string text = "プレビューの一行目\r\nsecond line";
  testsupport::WriteFile(start + "\\note.txt", "プレビューの一行目\nsecond line");
  testsupport::WriteFile(start + "\\a.dat", "data");

  e2e::OrvaneProcess orvane;
  ASSERT_TRUE(orvane.Start(dir / "Orvane.exe", "\"" + start + "\""));
  HWND main = orvane.WaitForWindow("OrvaneForm", "", 30000);
  ASSERT_NE(main, nullptr);
  HWND list = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (list = e2e::ListWithRow(main, "note.txt")) != nullptr; }, 15000));
  HWND tabs = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (tabs = ToolTabs(main)) != nullptr; }, 5000)) << "no tool tabs";
  ASSERT_FALSE(MultiLineEdits(main).empty());

  // Another page in front: selecting the file previews nothing.
  ASSERT_NE(e2e::SelectedTab(tabs), 3);
  e2e::PostText(list, "note");
  ASSERT_TRUE(WaitFor([&] { return e2e::ListSelectedRows(list) == std::vector<int>{1}; }, 5000));
  ::Sleep(300);
  EXPECT_FALSE(AnyEditShows(main, text));

  // A click on the preview tab brings it to the front; that alone previews nothing.
  RECT tab{};
  ASSERT_TRUE(e2e::TabRect(tabs, 3, tab));
  e2e::PostClick(tabs, POINT{(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2});
  ASSERT_TRUE(WaitFor([&] { return e2e::SelectedTab(tabs) == 3; }, 5000)) << "the click did not select the page";
  ::Sleep(300);
  EXPECT_FALSE(AnyEditShows(main, text));

  // The next selection does.
  e2e::PostKey(list, VK_HOME);
  ASSERT_TRUE(WaitFor([&] { return e2e::ListSelectedRows(list) == std::vector<int>{0}; }, 5000));
  e2e::PostText(list, "note");
  EXPECT_TRUE(WaitFor([&] { return AnyEditShows(main, text); }, 10000)) << "the preview box does not show the file";

  EXPECT_TRUE(orvane.CloseAndWait(main, 20000));
}

}  // namespace
