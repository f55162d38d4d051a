// End to end: a user opens the options dialog from the File menu, picks the
// list view and a home folder with a Japanese name, presses OK, and at the
// next start finds Orvane opening at home with the list view; a change
// taken back with Cancel leaves the settings file as it was.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "tests/common/TempDir.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/RemoteControls.h"

namespace {

using e2e::WaitFor;

DWORD StyleOf(HWND list) { return static_cast<DWORD>(::GetWindowLongA(list, GWL_STYLE)) & LVS_TYPEMASK; }

POINT Center(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// A push button, check box or radio button of the dialog by its caption.
HWND ButtonNamed(HWND dialog, const std::string& caption) {
  for (const auto& w : e2e::ChildWindows(dialog))
    if (::lstrcmpiA(w.className.c_str(), "Button") == 0 && w.text == caption) return w.hwnd;
  return nullptr;
}

bool IsChecked(HWND button) { return ::SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// File > Options (Alt+F, O).
HWND OpenOptions(e2e::OrvaneProcess& orvane, HWND main) {
  e2e::MenuKeys(main, 'F', {'O'});
  return orvane.WaitForWindow("OrvaneForm", "設定", 10000);
}

// Shows a page of the dialog by clicking its tab, as a user would: the
// controls of the other pages are hidden until then.
bool ShowPage(HWND dialog, const std::string& caption) {
  HWND tabs = e2e::FindChild(dialog, "SysTabControl32");
  if (!tabs) return false;
  const auto texts = e2e::TabTexts(tabs);
  for (int i = 0; i < static_cast<int>(texts.size()); ++i) {
    if (texts[static_cast<size_t>(i)] != caption) continue;
    RECT r{};
    if (!e2e::TabRect(tabs, i, r)) return false;
    e2e::PostClick(tabs, Center(r));
    return WaitFor([&] { return e2e::SelectedTab(tabs) == i; }, 5000);
  }
  return false;
}

// The home folder's edit box: the only edit on the start-up page, found as
// the visible edit once that page is shown.
HWND VisibleEdit(HWND dialog) {
  for (const auto& w : e2e::ChildWindows(dialog))
    if (::lstrcmpiA(w.className.c_str(), "Edit") == 0 && ::IsWindowVisible(w.hwnd)) return w.hwnd;
  return nullptr;
}

// Tool bar positions: back, forward, up, home.
constexpr int kUp = 2;
constexpr int kHome = 3;

TEST(EndToEnd, OptionsChosenInTheDialogAreWrittenAndAppliedAtTheNextStart) {
  testsupport::TempDir dir;
  ASSERT_TRUE(e2e::InstallCopy(dir.Path()));
  const std::string start = dir / "開始";
  // "ソ" and "表" both end in a backslash byte: a path cut or joined byte-wise breaks here.
  const std::string homeName = "ホーム表ソ";
  const std::string home = dir / homeName;
  ASSERT_TRUE(::CreateDirectoryA(start.c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryA(home.c_str(), nullptr));
  testsupport::WriteFile(start + "\\a.txt", "a");
  testsupport::WriteFile(home + "\\家.txt", "home");
  const std::string iniPath = dir / "Orvane.INI";
  // A first run: no settings file yet, so every value shown is a default.
  ASSERT_EQ(::GetFileAttributesA(iniPath.c_str()), INVALID_FILE_ATTRIBUTES);

  {
    e2e::OrvaneProcess orvane;
    ASSERT_TRUE(orvane.Start(dir / "Orvane.exe", "\"" + start + "\""));
    HWND main = orvane.WaitForWindow("OrvaneForm", "開始", 30000);
    ASSERT_NE(main, nullptr);
    HWND list = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (list = e2e::ListWithRow(main, "a.txt")) != nullptr; }));
    ASSERT_EQ(StyleOf(list), static_cast<DWORD>(LVS_REPORT));

    HWND dialog = OpenOptions(orvane, main);
    ASSERT_NE(dialog, nullptr) << "File > Options showed no dialog";
    HWND details = ButtonNamed(dialog, "詳細");
    HWND listView = ButtonNamed(dialog, "一覧");
    HWND ok = ButtonNamed(dialog, "OK");
    ASSERT_NE(details, nullptr);
    ASSERT_NE(listView, nullptr);
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(IsChecked(details)) << "the default view is details";

    ::PostMessageA(listView, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return IsChecked(listView) && !IsChecked(details); }, 5000));

    ASSERT_TRUE(ShowPage(dialog, "初期設定"));
    HWND homeEdit = VisibleEdit(dialog);
    ASSERT_NE(homeEdit, nullptr);
    EXPECT_EQ(e2e::ReadText(homeEdit), "") << "no home folder yet";
    // Typed double-byte characters arrive garbled under Wine (each byte on
    // its own); the text is set whole instead, as a paste would.
    ASSERT_TRUE(e2e::SetText(homeEdit, home));
    ASSERT_EQ(e2e::ReadText(homeEdit), home);

    ::PostMessageA(ok, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(dialog) || !::IsWindowVisible(dialog); }, 5000)) << "OK";
    // The view style is applied at once, not only at the next start.
    EXPECT_TRUE(WaitFor([&] { return StyleOf(list) == LVS_LIST; }, 5000));

    // Both settings are on disk before the program ends.
    std::string ini;
    EXPECT_TRUE(WaitFor(
        [&] {
          ini = testsupport::ReadFile(iniPath);
          return ini.find("[Home]\r\nホーム=" + home + "\r\n") != std::string::npos;
        },
        5000))
        << ini;
    EXPECT_NE(ini.find("[SType]\r\nStype=3\r\n"), std::string::npos) << ini;

    DWORD code = 1;
    ASSERT_TRUE(orvane.CloseAndWait(main, 30000, &code));
    EXPECT_EQ(code, 0u);
  }

  // The next start without a folder argument opens at home, in the list view.
  e2e::OrvaneProcess again;
  ASSERT_TRUE(again.Start(dir / "Orvane.exe"));
  HWND main = again.WaitForWindow("OrvaneForm", "", 30000);
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(WaitFor([&] { return e2e::ReadText(main) == homeName; })) << e2e::ReadText(main);
  HWND list = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (list = e2e::ListWithRow(main, "家.txt")) != nullptr; }))
      << "the home folder's file is not listed";
  EXPECT_EQ(StyleOf(list), static_cast<DWORD>(LVS_LIST));

  // The home button takes the user back there from elsewhere.
  HWND toolBar = e2e::FindChild(main, "ToolbarWindow32");
  ASSERT_NE(toolBar, nullptr);
  EXPECT_TRUE(e2e::ToolButtonEnabled(toolBar, kHome));
  RECT r{};
  ASSERT_TRUE(e2e::ToolButtonRect(toolBar, kUp, r));
  e2e::PostClick(toolBar, Center(r));
  ASSERT_TRUE(WaitFor([&] { return e2e::ListWithRow(main, homeName) != nullptr; })) << "up from home";
  ASSERT_TRUE(e2e::ToolButtonRect(toolBar, kHome, r));
  e2e::PostClick(toolBar, Center(r));
  EXPECT_TRUE(WaitFor([&] { return e2e::ReadText(main) == homeName; })) << e2e::ReadText(main);
  EXPECT_TRUE(WaitFor([&] { return e2e::ListWithRow(main, "家.txt") != nullptr; }));

  // Cancel: the dialog comes up with what was saved; changes to it are
  // dropped and the settings file keeps every byte.
  const std::string before = testsupport::ReadFile(iniPath);
  HWND dialog = OpenOptions(again, main);
  ASSERT_NE(dialog, nullptr);
  HWND listView = ButtonNamed(dialog, "一覧");
  HWND large = ButtonNamed(dialog, "大きなアイコン");
  HWND cancel = ButtonNamed(dialog, "キャンセル");
  ASSERT_NE(listView, nullptr);
  ASSERT_NE(large, nullptr);
  ASSERT_NE(cancel, nullptr);
  EXPECT_TRUE(IsChecked(listView));
  ::PostMessageA(large, BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return IsChecked(large); }, 5000));
  ASSERT_TRUE(ShowPage(dialog, "初期設定"));
  HWND homeEdit = VisibleEdit(dialog);
  ASSERT_NE(homeEdit, nullptr);
  EXPECT_EQ(e2e::ReadText(homeEdit), home);
  ::SendMessageA(homeEdit, EM_SETSEL, 0, -1);
  e2e::PostKey(homeEdit, VK_DELETE);
  ASSERT_TRUE(WaitFor([&] { return e2e::ReadText(homeEdit).empty(); }, 5000));

  ::PostMessageA(cancel, BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return !::IsWindow(dialog) || !::IsWindowVisible(dialog); }, 5000)) << "Cancel";
  // The command returns as the dialog goes; a message sent to the window is
  // handled only after that, so anything it wrote by mistake is on disk now.
  DWORD_PTR ignored = 0;
  ASSERT_TRUE(::SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &ignored));
  EXPECT_EQ(testsupport::ReadFile(iniPath), before);
  EXPECT_EQ(StyleOf(list), static_cast<DWORD>(LVS_LIST));
  EXPECT_TRUE(e2e::ToolButtonEnabled(toolBar, kHome));
  // Delete in the edit box edited the text, not the listed files.
  EXPECT_NE(::GetFileAttributesA((home + "\\家.txt").c_str()), INVALID_FILE_ATTRIBUTES);

  DWORD code = 1;
  ASSERT_TRUE(again.CloseAndWait(main, 30000, &code));
  EXPECT_EQ(code, 0u);
}

}  // namespace
