// The file search inside the main window: the location follows the tree,
// rows lead the tree where they point, and closing the window while a
// search runs ends its worker.
#include <gtest/gtest.h>

#include "app/Globals.h"
#include "app/Unitl01.h"
#include "framework/base/Mbcs.h"
#include "framework/ui/Application.h"
#include "framework/ui/ListView.h"
#include "framework/ui/Menus.h"
#include "framework/ui/StdCtrls.h"
#include "tests/common/MessagePump.h"
#include "tests/common/TempDir.h"

namespace {

using orvane::TForm1;

class SearchWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fw::Application().Initialize();
    orvane::UseProgramLocation(m_dir / "Orvane.exe");
    orvane::ProgramArgs().clear();
    ::CreateDirectoryA((m_dir / "data").c_str(), nullptr);
    ::CreateDirectoryA((m_dir / "data\\sub").c_str(), nullptr);
    testsupport::WriteFile(m_dir / "data\\sub\\c.txt", "");
    m_form = fw::Application().CreateForm<TForm1>();
    m_form->Show();
    testsupport::PumpFor(50);
  }
  void TearDown() override { fw::Application().DestroyForms(); }

  int RowOf(const std::string& folder, const std::string& name) {
    fw::ListView* list = m_form->SearchTab1->ListView1;
    for (int i = 0; i < list->ItemCount(); ++i)
      if (list->ItemCaption(i) == name && list->SubItem(i, 0) == folder) return i;
    return -1;
  }

  testsupport::TempDir m_dir;
  TForm1* m_form = nullptr;
};

TEST_F(SearchWindowTest, LocationFollowsTheTreeAndRowsLeadTheTreeBack) {
  const std::string data = m_dir / "data";
  m_form->TreeSetPath(data);
  EXPECT_EQ(m_form->SearchTab1->DirSEdit->GetText(), data);

  m_form->SearchTab1->SearchEdit->SetText("*.*");
  m_form->SearchBClick(m_form);
  ASSERT_TRUE(testsupport::PumpUntil([this] { return !m_form->SearchTab1->Running(); }, 30000));
  EXPECT_EQ(m_form->ShellStatusBar1->Panels(0)->Text(),
            std::to_string(m_form->ShellListView1->ItemCount()) + "個のオブジェクト");

  // A folder row shows the folder; "フォルダを開く" shows the row's location.
  const int sub = RowOf(data + "\\", "sub");
  ASSERT_GE(sub, 0);
  m_form->SearchTab1->ListView1->SetItemIndex(sub);
  m_form->ListView1DblClick(m_form);
  EXPECT_TRUE(fw::SameText(m_form->TreePath(), data + "\\sub")) << m_form->TreePath();
  EXPECT_TRUE(fw::SameText(m_form->SearchTab1->DirSEdit->GetText(), data + "\\sub"));
  const int file = RowOf(data + "\\sub\\", "c.txt");
  ASSERT_GE(file, 0);
  m_form->TreeSetPath(m_dir.Path());
  m_form->SearchTab1->ListView1->SetItemIndex(file);
  m_form->SearchTab1->N22->Click();
  EXPECT_TRUE(fw::SameText(m_form->TreePath(), data + "\\sub")) << m_form->TreePath();
}

TEST_F(SearchWindowTest, ClosingTheWindowWhileSearchingEndsTheWorker) {
  const std::string data = m_dir / "data";
  for (int i = 0; i < 20; ++i) {
    const std::string folder = data + "\\f" + std::to_string(i);
    ::CreateDirectoryA(folder.c_str(), nullptr);
    for (int j = 0; j < 100; ++j) testsupport::WriteFile(folder + "\\" + std::to_string(j) + ".txt", "");
  }
  const int threadsBefore = testsupport::CountProcessThreads();
  m_form->SearchTab1->DirSEdit->SetText(data);
  m_form->SearchTab1->SearchB->Click();
  ASSERT_TRUE(m_form->SearchTab1->Running());
  fw::Application().DestroyForms();
  testsupport::PumpFor(50);
  EXPECT_LE(testsupport::CountProcessThreads(), threadsBefore);
}

}  // namespace
