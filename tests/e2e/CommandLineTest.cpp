// End to end: the command box of a running Orvane, driven from outside.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "tests/common/TempDir.h"
#include "tests/e2e/Driver.h"

namespace {

// The command box: the edit beside the label "コマンド：" (the combo boxes have edits of their own).
HWND CommandBox(HWND main) {
  HWND label = e2e::FindChild(main, "Static", "コマンド：");
  return label ? e2e::FindChild(::GetParent(label), "Edit") : nullptr;
}

// The whole text of a rich edit of another process. Its length cannot be
// asked for first: across processes the rich edit answers WM_GETTEXTLENGTH
// with 0 (Wine), so the buffer is generous and the text ends at its zero.
std::string RichText(HWND wnd) {
  std::string s(1 << 20, '\0');
  DWORD_PTR got = 0;
  if (!::SendMessageTimeoutA(wnd, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()), SMTO_ABORTIFHUNG, 2000,
                             &got))
    return {};
  s.resize(std::strlen(s.c_str()));
  return s;
}

bool WaitForText(HWND wnd, const std::function<bool(const std::string&)>& done, std::string& text, DWORD ms) {
  DWORD start = ::GetTickCount();
  do {
    text = RichText(wnd);
    if (done(text)) return true;
    ::Sleep(100);
  } while (::GetTickCount() - start < ms);
  return false;
}

void Type(HWND box, const std::string& line) {
  e2e::PostText(box, line);
  e2e::PostKey(box, VK_RETURN);
}

class CommandLineEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(e2e::InstallCopy(m_dir.Path()));
    // The program shows the test folder: its commands run there (the
    // contents list makes the folder it shows the current directory).
    ASSERT_TRUE(m_orvane.Start(m_dir / "Orvane.exe", "\"" + m_dir.Path() + "\""));
    m_main = m_orvane.WaitForWindow("OrvaneForm", "", 30000);
    ASSERT_NE(m_main, nullptr);
    m_box = CommandBox(m_main);
    m_results = e2e::FindChild(m_main, "RichEdit20A");
    ASSERT_NE(m_box, nullptr);
    ASSERT_NE(m_results, nullptr);
  }

  testsupport::TempDir m_dir;
  e2e::OrvaneProcess m_orvane;
  HWND m_main = nullptr;
  HWND m_box = nullptr;
  HWND m_results = nullptr;
};

TEST_F(CommandLineEndToEnd, DirRunsInTheInterpreterAndUpRecallsIt) {
  Type(m_box, "dir");
  const std::string prompt = m_dir.Path() + ">";
  std::string text;
  // The listing, then the interpreter's prompt once more before it reads "exit".
  bool done = WaitForText(
      m_results,
      [&](const std::string& t) {
        std::size_t listed = t.find("purger.dll");
        return listed != std::string::npos && t.find(prompt, listed) != std::string::npos;
      },
      text, 30000);
  EXPECT_TRUE(done) << text;
  EXPECT_NE(text.find("Orvane.exe"), std::string::npos) << text;
  EXPECT_EQ(e2e::ReadText(m_box), "");

  e2e::PostKey(m_box, VK_UP);
  std::string recalled;
  for (int i = 0; i < 50 && (recalled = e2e::ReadText(m_box)) != "dir"; ++i) ::Sleep(100);
  EXPECT_EQ(recalled, "dir");

  DWORD code = 1;
  ASSERT_TRUE(m_orvane.CloseAndWait(m_main, 30000, &code));
  EXPECT_EQ(code, 0u);
}

TEST_F(CommandLineEndToEnd, ClosingWhileACommandRunsEndsTheProgramCleanly) {
  // A child that waits for the test, so it does not outlive it.
  const std::string event = "orvane-e2e-release-" + std::to_string(::GetCurrentProcessId());
  fw::Handle release(::CreateEventA(nullptr, TRUE, FALSE, event.c_str()));
  const std::string line = "\"" + e2e::BuildBinDir() + "\\cmdchild.exe\" wait " + event;
  Type(m_box, line);
  std::string text;
  EXPECT_TRUE(WaitForText(
      m_results, [&](const std::string& t) { return t.find(">" + line) != std::string::npos; }, text, 30000))
      << text;
  DWORD code = 1;
  EXPECT_TRUE(m_orvane.CloseAndWait(m_main, 30000, &code)) << "Orvane did not end while its command ran";
  EXPECT_EQ(code, 0u);
  ::SetEvent(release.get());
  // The settings were written on the way out, as on any close.
  EXPECT_FALSE(testsupport::ReadFile(m_dir / "Orvane.INI").empty());
}

}  // namespace
