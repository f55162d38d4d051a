// The command line on a plain form, with real child processes: the console
// test program and the interpreter of this system.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "framework/ui/Application.h"
#include "framework/ui/ComCtrls.h"
#include "framework/ui/Form.h"
#include "framework/ui/StdCtrls.h"
#include "tests/common/MessagePump.h"
#include "tests/common/SharedForm.h"
#include "tests/common/TempDir.h"
#include "tests/tools/CommandTestSupport.h"
#include "tools/CommandLine.h"

namespace {

using cmdtest::ChildCommand;
using cmdtest::Later;
using cmdtest::SplitLines;

constexpr char kPrompt[] = "C:\\shown\\folder";

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fw::Form* form = testsupport::SharedTestForm(20, 20, 700, 500);
    m_box = fw::Make<fw::Edit>(form);
    m_box->SetParent(form);
    m_box->SetBounds(0, 470, 700, 20);
    m_results = fw::Make<fw::RichEdit>(form);
    m_results->SetPlainText(true);
    m_results->SetReadOnly(true);
    m_results->SetParent(form);
    m_results->SetBounds(0, 0, 700, 460);
    m_cmd = fw::Make<orvane::TCommandLine>(form, m_box, m_results, m_history);
    m_cmd->PromptPath = [] { return std::string(kPrompt); };
    m_box->OnKeyDown = [this](fw::Object*, WORD& key, fw::TShiftState) {
      if (m_cmd) m_cmd->KeyDown(key);
    };
    m_box->Handle();
    m_results->Handle();
    // Whatever a test does, a command still running after this long is stopped.
    m_guard = ::SetTimer(nullptr, 0, 60000, Guard);
    s_current = this;
  }
  void TearDown() override {
    ::KillTimer(nullptr, m_guard);
    s_current = nullptr;
    if (m_cmd) fw::Free(m_cmd);
    fw::Free(m_box);
    fw::Free(m_results);
    testsupport::PumpFor(20);
  }

  static void CALLBACK Guard(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    if (s_current && s_current->m_cmd && s_current->m_cmd->Busy()) {
      ADD_FAILURE() << "the command was still running after a minute";
      s_current->m_cmd->Stop();
    }
  }

  // Types a line and presses Enter; returns when the run is over.
  void Type(const std::string& line) {
    m_box->SetText(line);
    m_cmd->KeyDown(VK_RETURN);
  }
  // From inside a run: types a line and presses Enter through the message loop.
  void TypeLater(const std::string& line) {
    m_box->SetText(line);
    cmdtest::PostKeyDown(m_box->Handle(), VK_RETURN);
  }
  std::string Text() const { return m_results->GetText(); }
  std::vector<std::string> Lines() const { return SplitLines(Text()); }
  std::size_t LineIndex(const std::string& line) const {
    auto lines = Lines();
    return static_cast<std::size_t>(std::find(lines.begin(), lines.end(), line) - lines.begin());
  }

  static inline CommandLineTest* s_current = nullptr;
  std::vector<std::string> m_history;
  fw::Edit* m_box = nullptr;
  fw::RichEdit* m_results = nullptr;
  orvane::TCommandLine* m_cmd = nullptr;
  UINT_PTR m_guard = 0;
};

TEST_F(CommandLineTest, DirectProgramShowsThePromptLineThenItsOutputAndRunsInTheCurrentDirectory) {
  testsupport::TempDir dir;
  cmdtest::ScopedCurrentDir cwd(dir.Path());
  const std::string line = ChildCommand() + " echo hello world";
  Type(line);
  EXPECT_EQ(Text(), std::string(kPrompt) + ">" + line + "\r\nhello world\r\n\r\n")
      << "the output chunk ends in a line break, so an empty line follows it";
  EXPECT_FALSE(m_cmd->Busy());
  EXPECT_EQ(m_box->GetText(), "");
  EXPECT_EQ(m_history, std::vector<std::string>{line});

  Type(ChildCommand() + " cwd");
  EXPECT_NE(Text().find("cwd=" + dir.Path() + "\r\n"), std::string::npos) << Text();
}

TEST_F(CommandLineTest, OutputComesBeforeErrorWhenOnePassFindsBoth) {
  cmdtest::NamedEvent start("start"), written("written");
  // Runs in the first pass, which found nothing yet: the child writes error,
  // then output, and the next pass finds both pipes filled.
  Later([&] {
    start.Set();
    written.Wait(20000);
  });
  Type(ChildCommand() + " both " + start.Name() + " " + written.Name());
  auto lines = Lines();
  ASSERT_GE(lines.size(), 3u) << Text();
  EXPECT_EQ(lines[1], "OUT-LINE");
  EXPECT_EQ(lines[2], "ERR-LINE");
}

TEST_F(CommandLineTest, PipesFullWhenTheChildEndsAreReadToTheirEnd) {
  // The loop is held up while the child fills both pipes to their size and
  // ends: more than one read's worth waits in each when the end is seen.
  const std::size_t bytes = 8192;
  cmdtest::NamedEvent start("start");
  bool endedFirst = false;
  Later([&] {
    fw::Handle child(::OpenProcess(SYNCHRONIZE, FALSE, m_cmd->ChildProcessId()));
    start.Set();
    endedFirst = ::WaitForSingleObject(child.get(), 5000) == WAIT_OBJECT_0;
  });
  Type(ChildCommand() + " fill " + start.Name() + " " + std::to_string(bytes));
  EXPECT_TRUE(endedFirst) << "the pipes took less than their size: the case is not set up";
  std::string text = Text();
  std::string shown = cmdtest::Joined(text.substr(text.find("\r\n")));
  EXPECT_EQ(shown.size(), 2 * (bytes - 2 * (bytes / 80)));
}

TEST_F(CommandLineTest, DoubleByteTextAcrossChunkBoundariesIsNeverGarbled) {
  Type(ChildCommand() + " sjis 1500");
  std::string text = Text();
  std::string shown = cmdtest::Joined(text.substr(text.find("\r\n")));
  std::string expected = "x";
  for (int i = 0; i < 1500; ++i) expected += "亜日本語の表示ソフト亜日本語の表示ソフト" + std::to_string(i % 10);
  EXPECT_EQ(shown.size(), expected.size());
  EXPECT_TRUE(shown == expected) << "a character was cut in two between chunks";
}

TEST_F(CommandLineTest, InterpreterRunsWhatIsNoProgramAndEnds) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir / "marker-file.txt", "x");
  cmdtest::ScopedCurrentDir cwd(dir.Path());
  Type("dir");
  std::string text = Text();
  EXPECT_FALSE(m_cmd->Busy());
  EXPECT_EQ(text.find(kPrompt), std::string::npos) << "no prompt line of our own for the interpreter";
  EXPECT_NE(text.find("marker-file.txt"), std::string::npos) << text;
  // The interpreter's own prompt, before the listing and again before "exit".
  std::size_t prompt = text.find(dir.Path() + ">");
  EXPECT_NE(prompt, std::string::npos) << text;
  EXPECT_NE(text.rfind(dir.Path() + ">"), prompt) << text;

  // An empty line: recorded, handed to the interpreter, which shows its prompt and ends.
  std::size_t before = Text().size();
  Type("");
  EXPECT_EQ(m_history, (std::vector<std::string>{"dir", ""}));
  EXPECT_NE(Text().find(dir.Path() + ">", before), std::string::npos);

  // A change of directory stays the interpreter's own.
  Type("cd ..");
  char now[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, now);
  EXPECT_STREQ(now, dir.Path().c_str());
  EXPECT_FALSE(m_cmd->Busy());
}

TEST_F(CommandLineTest, LinesTypedDuringARunGoToTheChildAndNotIntoTheHistory) {
  Later([&] {
    TypeLater("abc");
    Later([&] { TypeLater("def"); });
  });
  const std::string line = ChildCommand() + " read2";
  Type(line);
  EXPECT_EQ(m_history, std::vector<std::string>{line});
  std::size_t abc = LineIndex("abc"), gotAbc = LineIndex("got:abc"), def = LineIndex("def"),
              gotDef = LineIndex("got:def");
  std::size_t count = Lines().size();
  ASSERT_LT(gotAbc, count) << Text();
  ASSERT_LT(gotDef, count) << Text();
  EXPECT_LT(abc, gotAbc);
  EXPECT_LT(def, gotDef);
  EXPECT_LT(abc, def);
  EXPECT_EQ(m_box->GetText(), "");
}

TEST_F(CommandLineTest, ExitGoesAloneAndBeforeLinesTypedMeanwhile) {
  cmdtest::NamedEvent go("go");
  // The stand-in interpreter reads nothing until "go": the command line is
  // still in the pipe when "late" is typed.
  cmdtest::ScopedEnv comSpec("ComSpec", ChildCommand() + " fakeshell " + go.Name());
  Later([&] {
    TypeLater("late");
    Later([&] { go.Set(); });
  });
  Type("no-such-program-here");
  auto lines = Lines();
  std::size_t cmd = LineIndex("[no-such-program-here\\n]"), exit = LineIndex("[exit\\r\\n]"),
              late = LineIndex("[late\\n]");
  ASSERT_LT(late, lines.size()) << Text();
  EXPECT_LT(cmd, exit) << Text();
  EXPECT_LT(exit, late) << Text();
  EXPECT_EQ(m_history, std::vector<std::string>{"no-such-program-here"});
}

TEST_F(CommandLineTest, AmpersandLinesStartOnTheirOwnAlsoWhileACommandRuns) {
  testsupport::TempDir dir;
  // Idle: shown, recorded, started, not awaited.
  const std::string idle = ChildCommand() + " touch " + (dir / "idle.txt") + "&";
  Type(idle);
  EXPECT_FALSE(m_cmd->Busy());
  EXPECT_EQ(Lines().front(), idle);
  EXPECT_TRUE(testsupport::PumpUntil(
      [&] { return ::GetFileAttributesA((dir / "idle.txt").c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000));

  cmdtest::NamedEvent release("release");
  const std::string during = ChildCommand() + " touch " + (dir / "during.txt") + "&";
  bool startedDuringRun = false;
  Later([&] {
    TypeLater(during);
    Later([&] {
      // The captured child is still waiting: the file comes from the other one.
      for (int i = 0; i < 200 && !startedDuringRun; ++i) {
        startedDuringRun = ::GetFileAttributesA((dir / "during.txt").c_str()) != INVALID_FILE_ATTRIBUTES;
        if (!startedDuringRun) ::Sleep(50);
      }
      release.Set();
    });
  });
  const std::string waiting = ChildCommand() + " wait " + release.Name();
  Type(waiting);
  EXPECT_TRUE(startedDuringRun);
  EXPECT_LT(LineIndex(during), LineIndex("released")) << Text();
  EXPECT_EQ(m_history, (std::vector<std::string>{idle, waiting}));
}

TEST_F(CommandLineTest, RecallKeysFillTheBox) {
  for (const char* l : {"A", "B", "C"}) {
    m_history.push_back(l);  // as if run earlier
  }
  m_cmd->KeyDown(VK_UP);
  EXPECT_EQ(m_box->GetText(), "C");
  m_cmd->KeyDown(VK_UP);
  m_cmd->KeyDown(VK_UP);
  m_cmd->KeyDown(VK_UP);
  EXPECT_EQ(m_box->GetText(), "A");
  m_cmd->KeyDown(VK_DOWN);  // at the oldest: the box keeps its text
  EXPECT_EQ(m_box->GetText(), "A");
  m_cmd->KeyDown(VK_DOWN);
  EXPECT_EQ(m_box->GetText(), "B");
  m_cmd->KeyDown(VK_ESCAPE);
  EXPECT_EQ(m_box->GetText(), "");
  m_cmd->KeyDown(VK_DOWN);
  EXPECT_EQ(m_box->GetText(), "C");
  // Keys reach the handler through the box's own key-down as well.
  m_box->SetText("");
  cmdtest::PostKeyDown(m_box->Handle(), VK_UP);
  testsupport::PumpFor(30);
  EXPECT_EQ(m_box->GetText(), "B");
}

TEST_F(CommandLineTest, StopEndsTheChildAndWhatItStartedAndTheNextCommandRuns) {
  DWORD child = 0, grandchild = 0;
  std::function<void()> waitForGrandchild = [&] {
    child = m_cmd->ChildProcessId();
    std::string text = Text();
    std::size_t at = text.find("grandchild ");
    if (at == std::string::npos) {
      Later(waitForGrandchild);  // again after the next pass
      return;
    }
    grandchild = std::strtoul(text.c_str() + at + 11, nullptr, 10);
    m_cmd->Stop();
  };
  Later(waitForGrandchild);
  Type(ChildCommand() + " spawn");
  EXPECT_FALSE(m_cmd->Busy());
  ASSERT_NE(grandchild, 0u);
  EXPECT_TRUE(cmdtest::ProcessEnds(child, 5000)) << "the child runs on";
  EXPECT_TRUE(cmdtest::ProcessEnds(grandchild, 5000)) << "the grandchild runs on";
  m_cmd->Stop();  // idle: nothing to stop
  Type(ChildCommand() + " echo after");
  EXPECT_EQ(Lines()[Lines().size() - 3], "after");
}

TEST_F(CommandLineTest, QuitDuringARunEndsTheLoopFirstAndLeavesTheChildRunning) {
  DWORD child = 0;
  Later([&] {
    child = m_cmd->ChildProcessId();
    ::PostQuitMessage(7);
  });
  Type(ChildCommand() + " forever");
  EXPECT_FALSE(m_cmd->Busy());
  ASSERT_NE(child, 0u);
  // The quit is still there for the program's own loop.
  MSG msg;
  ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
  fw::Handle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, child));
  ASSERT_TRUE(process);
  EXPECT_EQ(::WaitForSingleObject(process.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the child keeps running";
  ::TerminateProcess(process.get(), 0);
  // The result area is whole and takes more output.
  Type(ChildCommand() + " echo still here");
  EXPECT_NE(Text().find("still here"), std::string::npos);
}

TEST_F(CommandLineTest, CommandLineFreedDuringItsRunLeavesTheLoopAlone) {
  DWORD child = 0;
  Later([&] {
    child = m_cmd->ChildProcessId();
    fw::Free(m_cmd);
    m_cmd = nullptr;
  });
  m_box->SetText(ChildCommand() + " forever");
  fw::Handle process;
  {
    orvane::TCommandLine* cmd = m_cmd;
    cmd->KeyDown(VK_RETURN);
  }
  EXPECT_EQ(m_cmd, nullptr);
  process.reset(::OpenProcess(PROCESS_TERMINATE, FALSE, child));
  if (process) ::TerminateProcess(process.get(), 0);
}

}  // namespace
