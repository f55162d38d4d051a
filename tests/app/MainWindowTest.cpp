// The main window in-process, with its settings file in a temporary folder.
#include <gtest/gtest.h>

#include "app/Globals.h"
#include "app/Unitl01.h"
#include "app/WindowBounds.h"
#include "framework/base/Handle.h"
#include "framework/ui/Application.h"
#include "tests/common/MessagePump.h"
#include "tests/common/IniOutline.h"
#include "tests/common/TempDir.h"

namespace {

using orvane::TForm1;

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fw::Application().Initialize();
    orvane::UseProgramLocation(m_dir / "Orvane.exe");
    orvane::ProgramArgs().clear();
  }
  void TearDown() override {
    Destroy();
    orvane::ProgramArgs().clear();
  }

  std::string IniPath() const { return m_dir / "Orvane.INI"; }
  void WriteIni(const std::string& text) { testsupport::WriteFile(IniPath(), text); }
  std::string ReadIni() const { return testsupport::ReadFile(IniPath()); }

  TForm1* Create(bool show = true) {
    m_form = fw::Application().CreateForm<TForm1>();
    if (show) {
      m_form->Show();
      testsupport::PumpFor(50);
    }
    return m_form;
  }
  void Destroy() {
    if (m_form) {
      fw::Application().DestroyForms();
      m_form = nullptr;
    }
  }

  testsupport::TempDir m_dir;
  TForm1* m_form = nullptr;
};

TEST_F(MainWindowTest, NoSettingsFileEndsWithKeysInShutdownOrder) {
  Create();
  // The tree's first folder (the desktop's folder) has already named the window.
  const std::string start = m_form->TreePath();
  EXPECT_EQ(m_form->Caption(), start.substr(start.rfind('\\') + 1));
  EXPECT_EQ(m_form->Width(), 728);
  EXPECT_EQ(m_form->Height(), 571);
  Destroy();
  const std::vector<std::string> expected = {
      "[Tabs]",        "Tabs/multi",      "[column]",       "column/name",   "column/size",  "column/type",
      "column/update", "column/zoku",     "[window]",       "window/left",   "window/top",   "window/height",
      "window/width",  "window/state",    "[cool]",         "cool/toolLeft", "cool/toolTop", "cool/jumpLeft",
      "cool/jumpTop",  "cool/SComboLeft", "cool/SComboTop", "cool/item0",    "cool/item1",   "cool/item2",
      "cool/itemw0",   "cool/itemw1",     "cool/itemw2",    "cool/itemb0",   "cool/itemb1",  "cool/itemb2"};
  std::string ini = ReadIni();
  EXPECT_EQ(testsupport::IniOutline(ini), expected) << ini;
  // Without "kioku" the columns keep their default widths and the designed bounds are written.
  EXPECT_NE(ini.find("name=140\r\nsize=80\r\ntype=100\r\nupdate=104\r\nzoku=38\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("left=251\r\ntop=144\r\nheight=571\r\nwidth=728\r\nstate=0\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("item0=ToolBar1\r\nitem1=Panel1\r\nitem2=ShellComboBox1\r\n"), std::string::npos) << ini;
  // Keys only the options dialog writes are left alone.
  EXPECT_EQ(ini.find("kioku"), std::string::npos);
  EXPECT_EQ(ini.find("saveSiori"), std::string::npos);
}

TEST_F(MainWindowTest, KiokuRestoresLayoutAndMaximisesAfterNormalBounds) {
  WriteIni(
      "[column]\r\nkioku=1\r\nname=200\r\nsize=61\r\ntype=62\r\nupdate=63\r\nzoku=64\r\n"
      "[window]\r\ntop=40\r\nwidth=640\r\nleft=30\r\nheight=480\r\nstate=1\r\n"
      "[cool]\r\nitem0=ShellComboBox1\r\nitemw0=300\r\nitemb0=0\r\n"
      "item1=abcdef\r\nitemw1=250\r\nitemb1=1\r\n"
      "item2=XX\r\nitemw2=999\r\nitemb2=1\r\n");
  Create();
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(m_form->ShellListView1->ColumnWidth(i), (i == 0 ? 200 : 60 + i)) << "column " << i;
  RECT normal = m_form->NormalBounds();
  EXPECT_EQ(normal.left, 30);
  EXPECT_EQ(normal.top, 40);
  EXPECT_EQ(normal.right - normal.left, 640);
  EXPECT_EQ(normal.bottom - normal.top, 480);
  EXPECT_EQ(m_form->WindowState(), fw::TWindowState::wsMaximized);

  // A 14-character name gives the path box, a 6-character one Panel1; a name
  // of another length leaves band 2 as designed (it lost its control to band 0).
  EXPECT_EQ(m_form->CoolBar1->Bands(0)->Control(), m_form->ShellComboBox1);
  EXPECT_EQ(m_form->CoolBar1->Bands(1)->Control(), m_form->Panel1);
  EXPECT_TRUE(m_form->CoolBar1->Bands(1)->Break());
  EXPECT_FALSE(m_form->CoolBar1->Bands(2)->Break());
  EXPECT_NE(m_form->CoolBar1->Bands(2)->Width(), 999);

  // Maximised at exit: only "state" is written; the normal bounds stay.
  Destroy();
  std::string ini = ReadIni();
  EXPECT_NE(ini.find("top=40\r\nwidth=640\r\nleft=30\r\nheight=480\r\nstate=1\r\n"), std::string::npos) << ini;
}

TEST_F(MainWindowTest, KiokuWithoutBandNamesPutsToolBarInLastBand) {
  WriteIni("[column]\r\nkioku=1\r\n");
  Create();
  EXPECT_EQ(m_form->CoolBar1->Bands(0)->Control(), nullptr);
  EXPECT_EQ(m_form->CoolBar1->Bands(1)->Control(), nullptr);
  EXPECT_EQ(m_form->CoolBar1->Bands(2)->Control(), m_form->ToolBar1);
  Destroy();
  std::string ini = ReadIni();
  EXPECT_NE(ini.find("item0=\r\nitem1=\r\nitem2=ToolBar1\r\n"), std::string::npos) << ini;
}

TEST_F(MainWindowTest, FileArgumentOpensItsFolderAndKeepsHomeDisabled) {
  std::string home = m_dir / "home";
  std::string start = m_dir / "ソフト";  // second byte of "ソ" is a backslash
  ::CreateDirectoryA(home.c_str(), nullptr);
  ::CreateDirectoryA(start.c_str(), nullptr);
  testsupport::WriteFile(start + "\\a.txt", "x");
  WriteIni("[Home]\r\nホーム=" + home + "\r\n");
  orvane::ProgramArgs() = {start + "\\a.txt"};
  Create(false);
  EXPECT_EQ(m_form->TreePath(), start);
  EXPECT_FALSE(m_form->HomeButton->Enabled());
  EXPECT_EQ(m_form->HomeFolder(), home);
  Destroy();

  // Without an argument the home folder is visited and the button enabled.
  orvane::ProgramArgs().clear();
  Create(false);
  EXPECT_EQ(m_form->TreePath(), home);
  EXPECT_TRUE(m_form->HomeButton->Enabled());
}

TEST_F(MainWindowTest, SaveSioriLoadsTabsAndAppendsStartFolder) {
  std::string start = m_dir.Path();
  testsupport::WriteFile(m_dir / "siori.dat", "C:\\a\nC:\\b\r\nC:\\c");
  WriteIni("[window]\r\nsaveSiori=1\r\n");
  orvane::ProgramArgs() = {start};
  Create(false);
  EXPECT_EQ(m_form->TabTexts(), (std::vector<std::string>{"C:\\a", "C:\\b", "C:\\c", start}));
  EXPECT_EQ(m_form->TabControl1->TabIndex(), 3);
  Destroy();
  EXPECT_EQ(testsupport::ReadFile(m_dir / "siori.dat"), "C:\\a\r\nC:\\b\r\nC:\\c\r\n" + start + "\r\n");
}

TEST_F(MainWindowTest, MissingBookmarkFileIsReportedAndTheWindowStillOpens) {
  WriteIni("[window]\r\nsaveSiori=1\r\n");
  std::vector<std::string> boxes;
  fw::TApplication::SetMessageBoxHook([&](HWND, const std::string& text, const std::string&, UINT) {
    boxes.push_back(text);
    return IDOK;
  });
  Create();
  fw::TApplication::SetMessageBoxHook(nullptr);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("siori.dat"), std::string::npos) << boxes[0];
  EXPECT_TRUE(::IsWindowVisible(m_form->Handle()));
}

TEST_F(MainWindowTest, StartupAppliesViewStylesToolTabsAndLauncher) {
  WriteIni(
      "[SType]\r\nStype=3\r\n[Tabs]\r\nTabHide=1\r\nTabActive=0x2\r\nmulti=0\r\n"
      "[lancher]\r\nメモ帳=C:\\windows\\notepad.exe\r\ncalc=C:\\windows\\calc.exe\r\n"
      "[lancher1]\r\nメモ帳=a.txt\r\nStype=3\r\n[sort]\r\nsort=3\r\n");
  Create();
  EXPECT_EQ(m_form->ViewStyle(), orvane::TViewStyle::vsList);
  EXPECT_FALSE(m_form->PageControl1->Visible());
  EXPECT_FALSE(m_form->Splitter3->Visible());
  EXPECT_EQ(m_form->PageControl1->ActivePageIndex(), 2);
  EXPECT_FALSE(m_form->TabControl1->MultiLine());
  ASSERT_EQ(m_form->ListView2->ItemCount(), 2);
  EXPECT_EQ(m_form->ListView2->ItemCaption(0), "メモ帳");
  EXPECT_EQ(m_form->ListView2->SubItem(0, 0), "C:\\windows\\notepad.exe");
  EXPECT_EQ(m_form->ListView2->SubItem(0, 1), "a.txt");
  EXPECT_EQ(m_form->ListView2->SubItem(1, 1), "");
  EXPECT_EQ(m_form->ListView2->ViewStyle(), fw::TViewStyle::vsReport);
  EXPECT_EQ(m_form->SortOrder(), 3);
  EXPECT_FALSE(m_form->FirstShow());
}

// What a user sees of a restored layout, to compare two starts.
struct LayoutSeen {
  RECT normal;
  std::vector<int> columns;
  std::vector<std::string> bandControls;
  std::vector<int> bandWidths;
  std::vector<bool> bandBreaks;
  bool toolTabsVisible;
  int toolTab;
  bool operator==(const LayoutSeen& o) const {
    return ::EqualRect(&normal, &o.normal) && columns == o.columns && bandControls == o.bandControls &&
           bandWidths == o.bandWidths && bandBreaks == o.bandBreaks && toolTabsVisible == o.toolTabsVisible &&
           toolTab == o.toolTab;
  }
};

LayoutSeen Seen(TForm1* f) {
  LayoutSeen s{};
  s.normal = f->NormalBounds();
  for (int i = 0; i < 5; ++i) s.columns.push_back(f->ShellListView1->ColumnWidth(i));
  for (int i = 0; i < 3; ++i) {
    fw::CoolBand* band = f->CoolBar1->Bands(i);
    s.bandControls.push_back(band->Control() ? band->Control()->Name() : std::string());
    s.bandWidths.push_back(band->Width());
    s.bandBreaks.push_back(band->Break());
  }
  s.toolTabsVisible = f->PageControl1->Visible();
  s.toolTab = f->PageControl1->ActivePageIndex();
  return s;
}

const char kSavedLayout[] =
    "[window]\r\nsaveSiori=1\r\ntop=70\r\nwidth=650\r\nleft=90\r\nheight=470\r\n"
    "[column]\r\nkioku=1\r\nname=222\r\nsize=71\r\ntype=72\r\nupdate=73\r\nzoku=74\r\n"
    "[cool]\r\nitem0=Panel1\r\nitemw0=300\r\nitem1=ShellComboBox1\r\nitemb1=1\r\nitem2=ToolBar1\r\n"
    "[Tabs]\r\nTabActive=1\r\n";

TEST_F(MainWindowTest, UnreadableBookmarkFileStillRestoresTheSavedLayout) {
  const std::string start = m_dir.Path();
  orvane::ProgramArgs() = {start};
  int boxes = 0;
  fw::TApplication::SetMessageBoxHook([&](HWND, const std::string&, const std::string&, UINT) {
    ++boxes;
    return IDOK;
  });

  // With a readable bookmark file.
  WriteIni(kSavedLayout);
  testsupport::WriteFile(m_dir / "siori.dat", "C:\\a\r\n");
  Create();
  LayoutSeen withFile = Seen(m_form);
  EXPECT_EQ(m_form->TabTexts(), (std::vector<std::string>{"C:\\a", start}));
  Destroy();
  const std::string iniWithFile = ReadIni();
  EXPECT_EQ(boxes, 0);

  // Without one: the error is reported, everything else is as before.
  WriteIni(kSavedLayout);
  ::DeleteFileA((m_dir / "siori.dat").c_str());
  Create();
  EXPECT_EQ(boxes, 1);
  EXPECT_TRUE(Seen(m_form) == withFile);
  EXPECT_EQ(m_form->TabTexts(), std::vector<std::string>{start});
  EXPECT_EQ(m_form->TabControl1->TabIndex(), 0);
  EXPECT_EQ(m_form->PageControl1->ActivePageIndex(), 1);
  Destroy();
  EXPECT_EQ(ReadIni(), iniWithFile);
  // A missing file holds nothing to lose: this run's tabs are kept.
  EXPECT_EQ(testsupport::ReadFile(m_dir / "siori.dat"), start + "\r\n");

  // Held by someone else for the whole run: reported, and left as it was.
  WriteIni(kSavedLayout);
  testsupport::WriteFile(m_dir / "siori.dat", "C:\\keep\r\n");
  {
    fw::FileHandle held(
        ::CreateFileA((m_dir / "siori.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held.valid());
    Create();
    EXPECT_EQ(boxes, 2);
    EXPECT_TRUE(Seen(m_form) == withFile);
    Destroy();
    EXPECT_EQ(ReadIni(), iniWithFile);
  }
  fw::TApplication::SetMessageBoxHook(nullptr);
  EXPECT_EQ(testsupport::ReadFile(m_dir / "siori.dat"), "C:\\keep\r\n");
}

TEST_F(MainWindowTest, AbsurdSavedBoundsAreMadeUsable) {
  WriteIni(
      "[column]\r\nkioku=1\r\n[window]\r\nleft=2147483647\r\ntop=100\r\nwidth=640\r\nheight=-100\r\n"
      "[cool]\r\nitem0=ToolBar1\r\nitemw0=-5\r\nitem1=Panel1\r\nitemw1=0\r\nitem2=ShellComboBox1\r\nitemw2=400\r\n");
  Create();
  RECT normal = m_form->NormalBounds();
  EXPECT_EQ(normal.bottom - normal.top, orvane::kMinWindowHeight);
  EXPECT_EQ(normal.right - normal.left, 640);
  RECT caption{normal.left, normal.top, normal.right, normal.top + ::GetSystemMetrics(SM_CYCAPTION)};
  bool reachable = false;
  for (const RECT& area : orvane::MonitorWorkAreas()) {
    RECT overlap;
    reachable |= ::IntersectRect(&overlap, &caption, &area) != FALSE;
  }
  EXPECT_TRUE(reachable) << normal.left << "," << normal.top;
  EXPECT_EQ(m_form->CoolBar1->Bands(0)->Width(), 241);
  EXPECT_EQ(m_form->CoolBar1->Bands(1)->Width(), 241);
  EXPECT_EQ(m_form->CoolBar1->Bands(2)->Width(), 400);
  Destroy();
  // What is written back is the usable layout.
  std::string ini = ReadIni();
  EXPECT_EQ(ini.find("2147483647"), std::string::npos) << ini;
  EXPECT_NE(ini.find("height=150\r\n"), std::string::npos) << ini;

  // Merely unusual bounds (partly off the screen) are the user's choice.
  WriteIni("[column]\r\nkioku=1\r\n[window]\r\nleft=-200\r\ntop=30\r\nwidth=640\r\nheight=480\r\n");
  Create();
  normal = m_form->NormalBounds();
  EXPECT_EQ(normal.left, -200);
  EXPECT_EQ(normal.top, 30);
}

}  // namespace
