// The main window's status bar: the application's hints take the whole bar
// and give the object-count and free-space panels back unchanged.
#include <gtest/gtest.h>

#include "app/Globals.h"
#include "app/Unitl01.h"
#include "framework/ui/Application.h"
#include "tests/common/MessagePump.h"
#include "tests/common/TempDir.h"

namespace {

TEST(MainWindowStatusBar, HintsCoverThePanelsAndLeaveThemAsTheyWere) {
  testsupport::TempDir dir;
  fw::Application().Initialize();
  orvane::UseProgramLocation(dir / "Orvane.exe");
  orvane::ProgramArgs().clear();
  auto* form = fw::Application().CreateForm<orvane::TForm1>();
  form->Show();
  testsupport::PumpFor(50);
  TShellStatusBar* bar = form->ShellStatusBar1;
  // The window's 9-point font gives the bar its fixed height.
  EXPECT_EQ(bar->Height(), 23);
  bar->Panels(0)->SetText("12 個のオブジェクト");

  fw::Application().SetHint("戻る|前のフォルダへ戻ります");
  EXPECT_TRUE(bar->HintMode());
  EXPECT_EQ(bar->PanelCount(), 3);
  EXPECT_EQ(bar->Panels(2)->Text(), "前のフォルダへ戻ります");
  fw::Application().SetHint("");
  ASSERT_EQ(bar->PanelCount(), 2);
  EXPECT_EQ(bar->Panels(0)->Width(), 500);
  EXPECT_EQ(bar->Panels(1)->Width(), 50);
  EXPECT_EQ(bar->Panels(0)->Text(), "12 個のオブジェクト");
  fw::Application().DestroyForms();
}

}  // namespace
