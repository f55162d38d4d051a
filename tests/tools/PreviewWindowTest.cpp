// The preview page inside the main window, driven by real selections in the
// contents list: text, pictures through the fixture plug-in, the cases that
// leave the picture alone, the error box, and the cases that preview nothing.
#include <gtest/gtest.h>

#include "app/Globals.h"
#include "app/Unitl01.h"
#include "framework/ui/Application.h"
#include "framework/ui/Image.h"
#include "tests/common/MessagePump.h"
#include "tests/common/TempDir.h"
#include "tests/tools/PreviewTestSupport.h"

namespace {

using orvane::TForm1;
using previewtest::InstallPlugin;
using previewtest::WriteOvpx;

class PreviewWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fw::Application().Initialize();
    orvane::UseProgramLocation(m_dir / "Orvane.exe");
    orvane::ProgramArgs().clear();
    ::CreateDirectoryA(Files().c_str(), nullptr);
    ::CreateDirectoryA(Plugins().c_str(), nullptr);
    ::CreateDirectoryA((Files() + "\\sub.txt").c_str(), nullptr);
    testsupport::WriteFile(Files() + "\\readme.txt", "first line\nsecond line\n");
    testsupport::WriteFile(Files() + "\\SHOUT.TXT", "capitals");
    testsupport::WriteFile(Files() + "\\notes.log", "a log");
    WriteOvpx(Files() + "\\wide.ovpx", 200, 100, RGB(255, 0, 0), RGB(0, 0, 255));
    WriteOvpx(Files() + "\\square.zero", 50, 50, RGB(1, 1, 1), RGB(2, 2, 2));
    previewtest::WriteBmp(Files() + "\\green.bmp", 40, 40, RGB(0, 255, 0));
    InstallPlugin("fixture", Plugins(), "fixture.SPI");
    orvane::Settings().WriteString("spi", "path", Plugins());
    m_form = fw::Application().CreateForm<TForm1>();
    m_form->Show();
    m_form->TreeSetPath(Files());
    testsupport::PumpFor(50);
    m_form->PageControl1->SetActivePageIndex(3);
    testsupport::PumpFor(30);
    ASSERT_EQ(m_form->ShellListView1->GetPath(), Files());
  }
  void TearDown() override { fw::Application().DestroyForms(); }

  std::string Files() const { return m_dir / "files"; }
  std::string Plugins() const { return m_dir / "spi"; }

  int RowOf(const std::string& caption) {
    TShellListView* lv = m_form->ShellListView1;
    for (int i = 0; i < lv->ItemCount(); ++i)
      if (lv->ItemCaption(i) == caption) return i;
    return -1;
  }
  // Selects the rows with these captions, and only them, as a click would.
  void Select(std::initializer_list<const char*> captions) {
    TShellListView* lv = m_form->ShellListView1;
    lv->ClearSelection();
    for (const char* c : captions) {
      int row = RowOf(c);
      ASSERT_GE(row, 0) << c;
      lv->SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
  }
  // Makes Image1 exactly this tall by resizing the tool-tab panel.
  void SetImageHeight(int height) {
    m_form->PageControl1->SetHeight(m_form->PageControl1->Height() + height - m_form->Image1->Height());
    testsupport::PumpFor(20);
    ASSERT_EQ(m_form->Image1->Height(), height);
  }

  testsupport::TempDir m_dir;
  TForm1* m_form = nullptr;
};

TEST_F(PreviewWindowTest, TheControlsOfThePage) {
  EXPECT_EQ(m_form->Image1->Parent(), m_form->TabSheet4);
  EXPECT_EQ(m_form->Image1->Align(), fw::TAlign::alLeft);
  EXPECT_EQ(m_form->Image1->Width(), 153);
  EXPECT_EQ(m_form->Splitter4->Parent(), m_form->TabSheet4);
  EXPECT_EQ(m_form->PreMemo->Align(), fw::TAlign::alClient);
  EXPECT_EQ(m_form->FindComponent("PreMemo"), m_form->PreMemo);
}

TEST_F(PreviewWindowTest, TextFilesByTheirLowerCasedExtension) {
  Select({"readme.txt"});
  EXPECT_EQ(m_form->PreMemo->GetText(), "first line\r\nsecond line\r\n");
  Select({"SHOUT.TXT"});
  EXPECT_EQ(m_form->PreMemo->GetText(), "capitals");
  // Not in the list: the box is cleared and the file goes to the pictures.
  Select({"notes.log"});
  EXPECT_EQ(m_form->PreMemo->GetText(), "");
  orvane::Settings().WriteString("text", "ext", ".txt;.log");
  Select({"notes.log"});
  EXPECT_EQ(m_form->PreMemo->GetText(), "");
  orvane::Settings().WriteString("text", "ext", ".log;");
  Select({"notes.log"});
  EXPECT_EQ(m_form->PreMemo->GetText(), "a log");
}

TEST_F(PreviewWindowTest, APictureThroughThePluginKeepsItsProportionsAtTheBoxHeight) {
  SetImageHeight(83);
  Select({"wide.ovpx"});
  EXPECT_EQ(m_form->Image1->Width(), 166);
  ASSERT_NE(m_form->Image1->Bitmap(), nullptr);
  EXPECT_EQ(m_form->Image1->PictureSize().cx, 200);
  EXPECT_EQ(m_form->Image1->PictureSize().cy, 100);
  EXPECT_EQ(previewtest::PixelOf(m_form->Image1->Bitmap(), 0, 0), RGB(255, 0, 0));
  // A bitmap needs no plug-in (and the square makes the box square).
  Select({"green.bmp"});
  EXPECT_EQ(m_form->Image1->Width(), 83);
  EXPECT_EQ(previewtest::PixelOf(m_form->Image1->Bitmap(), 1, 1), RGB(0, 255, 0));
  // A picture thousands of times wider than high stops at the widest a window can be.
  WriteOvpx(Files() + "\\strip.ovpx", 40000, 2, RGB(1, 1, 1), RGB(2, 2, 2));
  m_form->ShellListView1->RefreshFiles();
  Select({"strip.ovpx"});
  EXPECT_EQ(m_form->Image1->Width(), 32767);
}

TEST_F(PreviewWindowTest, WithoutAnExistingPluginFolderNoPictureAtAll) {
  for (const std::string& path : {std::string(), m_dir / "missing"}) {
    orvane::Settings().WriteString("spi", "path", path);
    Select({"green.bmp"});
    EXPECT_TRUE(m_form->Image1->Empty()) << path;
    EXPECT_EQ(m_form->Image1->Width(), 153);
  }
  // A bitmap with a plug-in folder that holds no plug-in is shown.
  orvane::Settings().WriteString("spi", "path", m_dir.Path());
  Select({"green.bmp"});
  EXPECT_FALSE(m_form->Image1->Empty());
}

TEST_F(PreviewWindowTest, PluginsThatFailLeaveThePictureAsItWas) {
  Select({"wide.ovpx"});
  HBITMAP shown = m_form->Image1->Bitmap();
  const int width = m_form->Image1->Width();
  ASSERT_NE(shown, nullptr);
  for (const char* variant : {"zerowidth", "failing", "noblocks"}) {
    SCOPED_TRACE(variant);
    testsupport::TempDir other;
    InstallPlugin(variant, other.Path(), "p.SPI");
    orvane::Settings().WriteString("spi", "path", other.Path());
    Select({"square.zero"});
    EXPECT_EQ(m_form->Image1->Bitmap(), shown);
    EXPECT_EQ(m_form->Image1->Width(), width);
  }
  // No plug-in accepts it: the same.
  orvane::Settings().WriteString("spi", "path", Plugins());
  testsupport::WriteFile(Files() + "\\plain.dat", "not a picture");
  m_form->ShellListView1->RefreshFiles();
  Select({"plain.dat"});
  EXPECT_EQ(m_form->Image1->Bitmap(), shown);
}

TEST_F(PreviewWindowTest, ATextFileHeldByAnotherShowsTheFileOpenErrorWithItsCaption) {
  fw::FileHandle held(::CreateFileA((Files() + "\\readme.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);
  Select({"SHOUT.TXT"});
  ASSERT_EQ(m_form->PreMemo->GetText(), "capitals");
  std::vector<std::string> boxes;
  fw::TApplication::SetMessageBoxHook([&](HWND, const std::string& text, const std::string&, UINT) {
    boxes.push_back(text);
    return IDOK;
  });
  Select({"readme.txt"});
  fw::TApplication::SetMessageBoxHook(nullptr);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "ファイル readme.txt は開けません");
  EXPECT_EQ(m_form->PreMemo->GetText(), "");
}

TEST_F(PreviewWindowTest, AFolderClearsTheTextAndKeepsThePicture) {
  Select({"wide.ovpx"});
  HBITMAP shown = m_form->Image1->Bitmap();
  Select({"readme.txt"});
  ASSERT_FALSE(m_form->PreMemo->GetText().empty());
  EXPECT_EQ(m_form->Image1->Bitmap(), shown);  // text leaves the picture too
  Select({"sub.txt"});                         // a folder, although named like text
  EXPECT_EQ(m_form->PreMemo->GetText(), "");
  EXPECT_EQ(m_form->Image1->Bitmap(), shown);
}

TEST_F(PreviewWindowTest, NothingChangesUnlessExactlyOneItemIsSelectedOnAVisiblePreviewPage) {
  Select({"readme.txt"});
  const std::string text = m_form->PreMemo->GetText();
  ASSERT_FALSE(text.empty());
  // A second item joins the selection (a control-click): two selected, nothing previewed.
  m_form->ShellListView1->SetItemState(RowOf("wide.ovpx"), LVIS_SELECTED, LVIS_SELECTED);
  ASSERT_EQ(m_form->ShellListView1->SelCount(), 2);
  EXPECT_EQ(m_form->PreMemo->GetText(), text);
  EXPECT_TRUE(m_form->Image1->Empty());

  m_form->PageControl1->SetActivePageIndex(1);
  Select({"wide.ovpx"});
  Select({"SHOUT.TXT"});
  EXPECT_EQ(m_form->PreMemo->GetText(), text);
  EXPECT_TRUE(m_form->Image1->Empty());

  // Bringing the page to the front previews nothing by itself; the panel
  // hidden, nothing either.
  m_form->PageControl1->SetActivePageIndex(3);
  EXPECT_EQ(m_form->PreMemo->GetText(), text);
  m_form->ToolsButtonClick(m_form);
  ASSERT_FALSE(m_form->PageControl1->Visible());
  Select({"wide.ovpx"});
  EXPECT_TRUE(m_form->Image1->Empty());
  m_form->ToolsButtonClick(m_form);
  Select({"wide.ovpx"});
  EXPECT_FALSE(m_form->Image1->Empty());
}

}  // namespace
