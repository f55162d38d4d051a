// The command line inside the main window: its key handler, the stop item,
// the tool-tab toggle, and closing the window while a command runs.
#include <gtest/gtest.h>

#include <functional>

#include "app/Globals.h"
#include "app/Unitl01.h"
#include "framework/ui/Application.h"
#include "tests/common/MessagePump.h"
#include "tests/common/TempDir.h"
#include "tests/tools/CommandTestSupport.h"

namespace {

using orvane::TForm1;

class CommandWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fw::Application().Initialize();
    orvane::UseProgramLocation(m_dir / "Orvane.exe");
    orvane::ProgramArgs().clear();
    m_form = fw::Application().CreateForm<TForm1>();
    m_form->Show();
    testsupport::PumpFor(50);
    ASSERT_TRUE(::IsWindowVisible(m_form->Handle()));
  }
  void TearDown() override { fw::Application().DestroyForms(); }

  // Types a line and presses Enter; during runs inside the command's loop.
  void Type(const std::string& line, std::function<void()> during) {
    m_form->Edit1->SetText(line);
    cmdtest::PostKeyDown(m_form->Edit1->Handle(), VK_RETURN);
    cmdtest::Later(std::move(during));
    // Messages are handled until the run is over, all but a quit, which
    // belongs to the program's own loop.
    MSG msg;
    for (int i = 0; i < 3; ++i) {
      while (::PeekMessageA(&msg, nullptr, 0, WM_QUIT - 1, PM_REMOVE) ||
             ::PeekMessageA(&msg, nullptr, WM_QUIT + 1, 0xFFFFFFFF, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
      }
      ::Sleep(10);
    }
  }

  testsupport::TempDir m_dir;
  TForm1* m_form = nullptr;
};

TEST_F(CommandWindowTest, ToolTabToggleKeepsTheSplitterDirectlyAboveThePanel) {
  ASSERT_TRUE(m_form->PageControl1->Visible());
  m_form->ToolsButtonClick(m_form);
  EXPECT_FALSE(m_form->PageControl1->Visible());
  EXPECT_FALSE(m_form->Splitter3->Visible());
  m_form->ToolsOC->Execute();  // F1 and the menu item run the same action
  EXPECT_TRUE(m_form->PageControl1->Visible());
  EXPECT_TRUE(m_form->Splitter3->Visible());
  testsupport::PumpFor(30);
  EXPECT_EQ(m_form->Splitter3->Top() + m_form->Splitter3->Height(), m_form->PageControl1->Top());
  EXPECT_LT(m_form->ShellListView1->Top(), m_form->Splitter3->Top());
}

TEST_F(CommandWindowTest, CommandBoxRunsIntoTheResultAreaWithTheStopItemEnabledMeanwhile) {
  // The result area is plain, read-only text that Tab passes by.
  EXPECT_TRUE(m_form->RichEdit1->PlainText());
  EXPECT_FALSE(m_form->RichEdit1->TabStop());
  EXPECT_FALSE(m_form->RichStop->Enabled());
  cmdtest::NamedEvent release("release");
  bool enabledDuringRun = false;
  const std::string line = cmdtest::ChildCommand() + " wait " + release.Name();
  Type(line, [&] {
    enabledDuringRun = m_form->RichStop->Enabled();
    release.Set();
  });
  EXPECT_TRUE(enabledDuringRun);
  EXPECT_FALSE(m_form->RichStop->Enabled());
  EXPECT_NE(m_form->RichEdit1->GetText().find(m_form->TreePath() + ">" + line + "\r\nreleased\r\n"), std::string::npos)
      << m_form->RichEdit1->GetText();
  EXPECT_EQ(orvane::CommandHistory().back(), line);
  // Up recalls it through the box's own key handler.
  cmdtest::PostKeyDown(m_form->Edit1->Handle(), VK_UP);
  testsupport::PumpFor(30);
  EXPECT_EQ(m_form->Edit1->GetText(), line);

  m_form->RichSelectAllClick(m_form);
  EXPECT_EQ(m_form->RichEdit1->SelStart(), 0);
  EXPECT_GE(m_form->RichEdit1->SelLength(), static_cast<int>(cmdtest::Joined(m_form->RichEdit1->GetText()).size()));
}

TEST_F(CommandWindowTest, StopItemEndsARunawayCommand) {
  DWORD child = 0;
  Type(cmdtest::ChildCommand() + " forever", [&] {
    child = m_form->CommandLine1->ChildProcessId();
    m_form->RichStopClick(m_form);
  });
  EXPECT_FALSE(m_form->CommandLine1->Busy());
  ASSERT_NE(child, 0u);
  EXPECT_TRUE(cmdtest::ProcessEnds(child, 5000));
}

TEST_F(CommandWindowTest, ClosingTheWindowDuringARunEndsTheLoopThenCloses) {
  DWORD child = 0;
  bool quitSeenByTheLoop = false;
  cmdtest::Later([&] {
    child = m_form->CommandLine1->ChildProcessId();
    m_form->Close();
    // Nothing else may take the quit before the loop does.
    quitSeenByTheLoop = true;
  });
  // Enter as the box's key handler gets it; the run's loop handles the close.
  m_form->Edit1->SetText(cmdtest::ChildCommand() + " forever");
  WORD key = VK_RETURN;
  m_form->Edit1KeyDown(m_form->Edit1, key, {});
  ASSERT_TRUE(quitSeenByTheLoop);
  ASSERT_NE(child, 0u);
  EXPECT_FALSE(m_form->CommandLine1->Busy());
  // The window is still whole; the quit waits for the program's own loop.
  EXPECT_TRUE(::IsWindow(m_form->RichEdit1->Handle()));
  MSG msg;
  EXPECT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  fw::Handle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, child));
  ASSERT_TRUE(process);
  EXPECT_EQ(::WaitForSingleObject(process.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the child keeps running";
  ::TerminateProcess(process.get(), 0);
}

}  // namespace
