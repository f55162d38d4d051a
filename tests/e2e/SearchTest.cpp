// End to end: the file search tab of a running Orvane, driven from outside:
// the page brought to the front by a click, the location and pattern typed,
// the search started, the result rows read from the list.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <set>
#include <utility>

#include "tests/common/TempDir.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/RemoteControls.h"

namespace {

bool WaitFor(const std::function<bool()>& done, DWORD ms = 30000) { return e2e::WaitFor(done, ms); }

POINT Center(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// The tool-tab strip and the index of its tab captioned text.
std::pair<HWND, int> ToolTab(HWND main, const std::string& text) {
  for (const auto& w : e2e::ChildWindows(main)) {
    if (w.className != "SysTabControl32") continue;
    const auto texts = e2e::TabTexts(w.hwnd);
    for (std::size_t i = 0; i < texts.size(); ++i)
      if (texts[i] == text) return {w.hwnd, static_cast<int>(i)};
  }
  return {nullptr, -1};
}

void SetText(HWND wnd, const std::string& text) {
  ::SendMessageA(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

using Row = std::pair<std::string, std::string>;  // location, name

std::set<Row> ReadRows(HWND list) {
  std::set<Row> rows;
  const int n = e2e::ListRowCount(list);
  for (int i = 0; i < n; ++i) rows.insert({e2e::ListCellText(list, i, 1), e2e::ListCellText(list, i, 0)});
  return rows;
}

TEST(SearchEndToEnd, TextFilesBelowAPreparedFolderAreListed) {
  testsupport::TempDir dir;
  ASSERT_TRUE(e2e::InstallCopy(dir.Path()));
  const std::string data = dir / "data";
  ASSERT_TRUE(::CreateDirectoryA(data.c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryA((data + "\\sub").c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryA((data + "\\sub\\deep").c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryA((data + "\\hid").c_str(), nullptr));
  for (const char* f :
       {"\\a.txt", "\\b.dat", "\\sub\\c.txt", "\\sub\\deep\\d.txt", "\\sub\\deep\\e.log", "\\hid\\x.txt"})
    testsupport::WriteFile(data + f, "text");
  ::SetFileAttributesA((data + "\\hid").c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);

  e2e::OrvaneProcess orvane;
  ASSERT_TRUE(orvane.Start(dir / "Orvane.exe", "\"" + dir.Path() + "\""));
  HWND main = orvane.WaitForWindow("OrvaneForm", "", 30000);
  ASSERT_NE(main, nullptr);

  auto [pages, index] = ToolTab(main, "ファイル検索");
  ASSERT_NE(pages, nullptr);
  RECT r{};
  ASSERT_TRUE(e2e::TabRect(pages, index, r));
  e2e::PostClick(pages, Center(r));
  ASSERT_TRUE(WaitFor([&] { return e2e::SelectedTab(pages) == index; }));

  HWND label = e2e::FindChild(main, "Static", "検索場所");
  ASSERT_NE(label, nullptr);
  HWND form = ::GetParent(label);
  ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(form) != FALSE; }));
  // The form's edits in order: location, then pattern.
  std::vector<HWND> edits;
  for (const auto& w : e2e::ChildWindows(form))
    if (w.className == "Edit") edits.push_back(w.hwnd);
  ASSERT_EQ(edits.size(), 2u);
  HWND list = e2e::FindChild(::GetParent(form), "SysListView32");
  HWND search = e2e::FindChild(form, "Button", "検索");
  ASSERT_NE(list, nullptr);
  ASSERT_NE(search, nullptr);
  // The location follows the folder the window shows.
  EXPECT_EQ(e2e::ReadText(edits[1]), "*.*");
  EXPECT_TRUE(WaitFor([&] { return e2e::ReadText(edits[0]) == dir.Path(); })) << e2e::ReadText(edits[0]);

  SetText(edits[0], data);
  SetText(edits[1], "*.txt");
  ::PostMessageA(search, BM_CLICK, 0, 0);
  const std::set<Row> expected = {
      {data + "\\", "a.txt"}, {data + "\\sub\\", "c.txt"}, {data + "\\sub\\deep\\", "d.txt"}};
  std::set<Row> rows;
  EXPECT_TRUE(WaitFor([&] { return (rows = ReadRows(list)) == expected; }));
  EXPECT_EQ(rows, expected);
  EXPECT_EQ(e2e::ListCellText(list, 0, 2), "4B");

  // Enter in the pattern box searches again, now for everything below "sub".
  SetText(edits[0], data + "\\sub\\");
  SetText(edits[1], "*.*");
  e2e::PostKey(edits[1], VK_RETURN);
  const std::set<Row> all = {{data + "\\sub\\", "c.txt"},
                             {data + "\\sub\\", "deep"},
                             {data + "\\sub\\deep\\", "d.txt"},
                             {data + "\\sub\\deep\\", "e.log"}};
  EXPECT_TRUE(WaitFor([&] { return (rows = ReadRows(list)) == all; }));
  EXPECT_EQ(rows, all);

  DWORD code = 1;
  ASSERT_TRUE(orvane.CloseAndWait(main, 30000, &code));
  EXPECT_EQ(code, 0u);
}

}  // namespace
