// The main window's navigation in-process: back, forward and up with their
// button states, home, the caption, the jump list, and the bookmark tabs.
#include <gtest/gtest.h>

#include "app/Globals.h"
#include "app/Unitl01.h"
#include "framework/settings/IniFile.h"
#include "framework/ui/Application.h"
#include "tests/common/MessagePump.h"
#include "tests/common/TempDir.h"

namespace {

using orvane::TForm1;

class NavigationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fw::Application().Initialize();
    orvane::UseProgramLocation(m_dir / "Orvane.exe");
    orvane::ProgramArgs().clear();
    for (const char* sub : {"f", "f\\a", "f\\a\\b", "f\\d", "f\\Work"})
      ::CreateDirectoryA((m_dir / sub).c_str(), nullptr);
  }
  void TearDown() override {
    if (m_form) fw::Application().DestroyForms();
    orvane::ProgramArgs().clear();
  }
  TForm1* Create(const std::string& start) {
    orvane::ProgramArgs() = {start};
    m_form = fw::Application().CreateForm<TForm1>();
    m_form->Show();
    testsupport::PumpFor(30);
    return m_form;
  }
  std::string F(const std::string& sub) const { return m_dir / ("f\\" + sub); }

  testsupport::TempDir m_dir;
  TForm1* m_form = nullptr;
};

TEST_F(NavigationTest, BackForwardAndUpFollowTheHistory) {
  for (int i = 0; i < 10; ++i) ::CreateDirectoryA(F("n" + std::to_string(i)).c_str(), nullptr);
  TForm1* w = Create(F(""));
  TShellTreeView* tree = w->ShellTreeView1;
  // Ten folder changes leave nine steps back.
  for (int i = 0; i < 10; ++i) w->TreeSetPath(F("n" + std::to_string(i)));
  EXPECT_TRUE(w->ToolButton1->Enabled());
  EXPECT_FALSE(w->ToolButton2->Enabled());
  int steps = 0;
  while (w->ToolButton1->Enabled() && steps < 20) {
    w->UndoClick(nullptr);
    ++steps;
    if (steps == 1) {
      EXPECT_TRUE(w->ToolButton2->Enabled());  // one step back enables forward
    }
  }
  EXPECT_EQ(steps, 9);
  EXPECT_EQ(tree->UndoCount(), 0);
  EXPECT_EQ(w->TreePath(), F("n0"));
  // Forward once, then a new navigation: forward is disabled again.
  w->RedoClick(nullptr);
  EXPECT_EQ(w->TreePath(), F("n1"));
  EXPECT_TRUE(w->ToolButton1->Enabled());
  EXPECT_TRUE(w->ToolButton2->Enabled());
  w->TreeSetPath(F("a"));
  EXPECT_FALSE(w->ToolButton2->Enabled());
  EXPECT_EQ(tree->RedoCount(), 0);
  // Back and forward on empty lists do nothing.
  w->RedoClick(nullptr);
  EXPECT_EQ(w->TreePath(), F("a"));

  // Up selects the parent (a recorded navigation); at the desktop it is off.
  w->ParentButtonClick(nullptr);
  EXPECT_EQ(w->TreePath(), m_dir / "f");
  EXPECT_TRUE(w->ToolButton5->Enabled());
  tree->SelectNode(tree->RootNode());
  EXPECT_FALSE(w->ToolButton5->Enabled());
  w->ParentButtonClick(nullptr);
  EXPECT_EQ(tree->Selected(), tree->RootNode());
}

TEST_F(NavigationTest, CaptionTitleAndTabFollowTheFolder) {
  TForm1* w = Create(F("Work"));
  EXPECT_EQ(w->Caption(), "Work");
  EXPECT_EQ(fw::Application().Title(), "Work");
  EXPECT_EQ(w->TabTexts(), std::vector<std::string>{F("Work")});
  // A drive root is shown whole.
  const std::string root = m_dir.Path().substr(0, 3);
  w->TreeSetPath(root);
  EXPECT_EQ(w->Caption(), root);
  EXPECT_EQ(fw::Application().Title(), root);
  EXPECT_EQ(w->TabTexts(), std::vector<std::string>{root});
  // A folder outside the file system shows its name, never an empty caption.
  w->ShellTreeView1->SelectNode(w->ShellTreeView1->RootNode()->GetFirstChild());
  EXPECT_FALSE(w->Caption().empty());
}

TEST_F(NavigationTest, DriveLetterCaptionIsTheRootPath) {
  // D: mapped to a test folder, as a user's data drive.
  if (!::DefineDosDeviceA(0, "D:", F("").c_str())) GTEST_SKIP() << "no D: drive could be mapped";
  struct Unmap {
    std::string target;
    ~Unmap() { ::DefineDosDeviceA(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, "D:", target.c_str()); }
  } unmap{F("")};
  TForm1* w = Create(F(""));
  w->TreeSetPath("D:\\");
  if (w->TreePath() != "D:\\") GTEST_SKIP() << "the shell does not list the mapped drive";
  EXPECT_EQ(w->Caption(), "D:\\");
  EXPECT_EQ(fw::Application().Title(), "D:\\");
}

TEST_F(NavigationTest, HomeAndJumpList) {
  ::WritePrivateProfileStringA("Home", "ホーム", F("d").c_str(), (m_dir / "Orvane.INI").c_str());
  orvane::ProgramArgs().clear();
  m_form = fw::Application().CreateForm<TForm1>();
  TForm1* w = m_form;
  EXPECT_TRUE(w->HomeButton->Enabled());
  EXPECT_EQ(w->TreePath(), F("d"));
  w->TreeSetPath(F("a"));
  w->HomeButtonClick(nullptr);
  EXPECT_EQ(w->TreePath(), F("d"));

  // Adding the same folder twice, once in other letter case, keeps one entry.
  w->TreeSetPath(F("Work"));
  w->JumpAddClick(nullptr);
  w->TreeSetPath(F("work"));
  w->JumpAddClick(nullptr);
  w->TreeSetPath(F("a"));
  w->JumpAddClick(nullptr);
  ASSERT_EQ(w->ComboBox2->ItemCount(), 2);
  std::vector<std::string> keys;
  orvane::Settings().ReadSection("jump", keys);
  EXPECT_EQ(keys.size(), 2u);
  // Deleting a text that names no entry leaves the list as it is.
  w->ComboBox2->SetText("C:\\nothing");
  w->JumpDeleteClick(nullptr);
  EXPECT_EQ(w->ComboBox2->ItemCount(), 2);
  // Jumping: a directory is visited, anything else does nothing; Enter jumps too.
  w->ComboBox2->SetText(F("Work"));
  w->JumpButtonClick(nullptr);
  EXPECT_EQ(w->TreePath(), F("Work"));
  w->ComboBox2->SetText(F("missing"));
  WORD enter = VK_RETURN;
  w->ComboBox2KeyDown(nullptr, enter, fw::TShiftState{});
  EXPECT_EQ(w->TreePath(), F("Work"));
  w->ComboBox2->SetText(F("a"));
  w->ComboBox2KeyDown(nullptr, enter, fw::TShiftState{});
  EXPECT_EQ(w->TreePath(), F("a"));
  w->ComboBox2->SetText(F("a"));
  w->JumpDeleteClick(nullptr);
  EXPECT_EQ(w->ComboBox2->ItemCount(), 1);
}

TEST_F(NavigationTest, BookmarkTabsAddCloseSwitchAndFollow) {
  TForm1* w = Create(F("a"));
  fw::TabControl* tabs = w->TabControl1;
  // With one tab, close does nothing.
  w->Close1Click(nullptr);
  EXPECT_EQ(tabs->TabCount(), 1);
  w->SioriButtonClick(nullptr);
  w->SioriButtonClick(nullptr);  // the same folder twice: two equal tabs
  EXPECT_EQ(w->TabTexts(), (std::vector<std::string>{F("a"), F("a"), F("a")}));
  EXPECT_EQ(tabs->TabIndex(), 0);  // adding does not switch
  // The selected tab follows navigation, the others keep their folders.
  w->TreeSetPath(F("d"));
  EXPECT_EQ(w->TabTexts(), (std::vector<std::string>{F("d"), F("a"), F("a")}));
  tabs->SetTabIndex(2);
  w->TabControl1Change(nullptr);
  w->TreeSetPath(F("Work"));
  EXPECT_EQ(w->TabTexts(), (std::vector<std::string>{F("d"), F("a"), F("Work")}));

  // Closing tab 2 of three selects tab 1 and shows its folder.
  w->Close1Click(nullptr);
  EXPECT_EQ(w->TabTexts(), (std::vector<std::string>{F("d"), F("a")}));
  EXPECT_EQ(tabs->TabIndex(), 1);
  EXPECT_EQ(w->TreePath(), F("a"));
  // Closing the first selects the new first.
  w->SioriButtonClick(nullptr);
  tabs->SetTabIndex(0);
  w->TabControl1Change(nullptr);
  EXPECT_EQ(w->TreePath(), F("d"));
  w->Close1Click(nullptr);
  EXPECT_EQ(tabs->TabIndex(), 0);
  EXPECT_EQ(w->TabTexts(), (std::vector<std::string>{F("a"), F("a")}));
  EXPECT_EQ(w->TreePath(), F("a"));

  // A tab whose folder is gone: selecting it changes nothing, its text stays.
  w->TreeSetPath(F("d"));
  w->SioriButtonClick(nullptr);
  tabs->SetTabIndex(2);
  w->TabControl1Change(nullptr);
  ASSERT_EQ(w->TreePath(), F("d"));
  EXPECT_EQ(w->TabTexts(), (std::vector<std::string>{F("d"), F("a"), F("d")}));
  tabs->SetTabIndex(1);
  w->TabControl1Change(nullptr);
  ASSERT_EQ(w->TreePath(), F("a"));
  // The contents list's watchers may still hold the folder for a moment.
  ASSERT_TRUE(testsupport::PumpUntil([&] { return ::RemoveDirectoryA(F("d").c_str()) != FALSE; }, 10000));
  tabs->SetTabIndex(2);
  w->TabControl1Change(nullptr);
  EXPECT_EQ(w->TreePath(), F("a"));
  EXPECT_EQ(tabs->Tab(2), F("d"));
}

}  // namespace
