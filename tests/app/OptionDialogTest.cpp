// The options dialog driven through the main window's command: the dialog
// filled from the settings file, the settings written back on OK (compared
// key by key and in their order), nothing written on cancel, and the effects
// applied at once. The modal loop is answered through the form's seam.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>

#include "app/Globals.h"
#include "app/Option.h"
#include "app/Unitl01.h"
#include "framework/settings/IniFile.h"
#include "framework/ui/Application.h"
#include "tests/common/IniOutline.h"
#include "tests/common/MessagePump.h"
#include "tests/common/TempDir.h"

namespace {

using orvane::TForm1;
using orvane::TOptionF;

// What the dialog showed when it came up.
struct Shown {
  int view = -9, sort = -9, tabActive = -9;
  bool multi = false, kioku = false, minTray = false, tabHide = false, siori = false;
  std::string home, spi, ext;
};

class OptionDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fw::Application().Initialize();
    orvane::UseProgramLocation(m_dir / "Orvane.exe");
    orvane::ProgramArgs().clear();
    ::CreateDirectoryA(Work().c_str(), nullptr);
    ::CreateDirectoryA((m_dir / "home").c_str(), nullptr);
    // An unexpected error box would block the test: record it instead.
    fw::TApplication::SetMessageBoxHook([this](HWND, const std::string& text, const std::string&, UINT) {
      m_boxes.push_back(text);
      return IDOK;
    });
  }
  void TearDown() override {
    fw::Form::SetModalHook(nullptr);
    fw::TApplication::SetMessageBoxHook(nullptr);
    EXPECT_TRUE(m_boxes.empty()) << m_boxes.front();
    fw::Application().OnMinimize = nullptr;
    if (m_form) fw::Application().DestroyForms();
    orvane::ProgramArgs().clear();
  }
  std::string Work() const { return m_dir / "work"; }
  std::string IniPath() const { return m_dir / "Orvane.INI"; }
  TForm1* Create() {
    orvane::ProgramArgs() = {Work()};
    m_form = fw::Application().CreateForm<TForm1>();
    m_form->Show();
    testsupport::PumpFor(30);
    return m_form;
  }
  // The next showing: records the controls, lets change() act as the user,
  // then presses OK or Cancel.
  void Answer(bool ok, std::function<void(TOptionF&)> change = {}) {
    fw::Form::SetModalHook([this, ok, change](fw::Form& f) {
      auto& d = dynamic_cast<TOptionF&>(f);
      m_shown.view = d.RadioGroup1->ItemIndex();
      m_shown.sort = d.SortRadioG->ItemIndex();
      m_shown.tabActive = d.RadioTabs->ItemIndex();
      m_shown.multi = d.TabMultiCheck->Checked();
      m_shown.kioku = d.CheckBox1->Checked();
      m_shown.minTray = d.CheckMin->Checked();
      m_shown.tabHide = d.CheckTab->Checked();
      m_shown.siori = d.SioriCheck->Checked();
      m_shown.home = d.Home->GetText();
      m_shown.spi = d.SPIEdit->GetText();
      m_shown.ext = d.PreExEdit->GetText();
      if (change) change(d);
      if (ok)
        d.OKClick(nullptr);
      else
        d.CancelClick(nullptr);
      return d.ModalResult();
    });
  }

  testsupport::TempDir m_dir;
  TForm1* m_form = nullptr;
  Shown m_shown;
  std::vector<std::string> m_boxes;
};

TEST_F(OptionDialogTest, FilledFromTheSettingsAndWrittenBackKeyByKeyOnOk) {
  const std::string home = m_dir / "home";
  testsupport::WriteFile(IniPath(), "[SType]\r\nStype=3\r\n[Home]\r\nホーム=" + home +
                                        "\r\n[column]\r\nkioku=1\r\nMinTray=1\r\nname=200\r\nsize=61\r\ntype=62\r\n"
                                        "update=63\r\nzoku=64\r\n[Tabs]\r\nmulti=0\r\nTabHide=1\r\nTabActive=2\r\n"
                                        "[sort]\r\nsort=3\r\n[window]\r\nsaveSiori=1\r\n[spi]\r\npath=C:\\spi\r\n"
                                        "[text]\r\next=.c;\r\n");
  testsupport::WriteFile(m_dir / "siori.dat", "");  // the kept bookmarks: none
  TForm1* w = Create();
  ASSERT_EQ(w->HomeFolder(), home);

  Answer(true, [](TOptionF& d) {
    d.RadioGroup1->SetItemIndex(0);
    d.SortRadioG->SetItemIndex(1);
    d.RadioTabs->SetItemIndex(3);
    d.TabMultiCheck->SetChecked(true);
    d.CheckBox1->SetChecked(false);
    d.CheckMin->SetChecked(false);
    d.CheckTab->SetChecked(false);
    d.SioriCheck->SetChecked(false);
    d.Home->SetText("");
    d.SPIEdit->SetText("D:\\プラグイン");
    d.PreExEdit->SetText(".txt;.md;");
  });
  w->OptionClick(nullptr);

  EXPECT_EQ(m_shown.view, 3);
  EXPECT_EQ(m_shown.sort, 3);
  EXPECT_EQ(m_shown.tabActive, 2);
  EXPECT_FALSE(m_shown.multi);  // the tab strip's state, from "multi"=0 at start
  EXPECT_TRUE(m_shown.kioku);
  EXPECT_TRUE(m_shown.minTray);
  EXPECT_TRUE(m_shown.tabHide);
  EXPECT_TRUE(m_shown.siori);
  EXPECT_EQ(m_shown.home, home);
  EXPECT_EQ(m_shown.spi, "C:\\spi");
  EXPECT_EQ(m_shown.ext, ".c;");

  fw::IniFile ini(IniPath());
  EXPECT_EQ(ini.ReadString("SType", "Stype", "?"), "0");
  EXPECT_EQ(ini.ReadString("Home", "ホーム", "?"), "");
  EXPECT_EQ(ini.ReadString("column", "kioku", "?"), "0");
  EXPECT_EQ(ini.ReadString("column", "MinTray", "?"), "0");
  EXPECT_EQ(ini.ReadString("Tabs", "TabHide", "?"), "0");
  EXPECT_EQ(ini.ReadString("Tabs", "multi", "?"), "1");
  EXPECT_EQ(ini.ReadString("Tabs", "TabActive", "?"), "3");
  EXPECT_EQ(ini.ReadString("sort", "sort", "?"), "1");
  EXPECT_EQ(ini.ReadString("spi", "path", "?"), "D:\\プラグイン");
  EXPECT_EQ(ini.ReadString("window", "saveSiori", "?"), "0");
  EXPECT_EQ(ini.ReadString("text", "ext", "?"), ".txt;.md;");
  // The stored widths are left alone.
  EXPECT_EQ(ini.ReadString("column", "name", "?"), "200");

  // Effects at once.
  EXPECT_EQ(w->ViewStyle(), orvane::TViewStyle::vsIcon);
  EXPECT_EQ(w->HomeFolder(), "");
  EXPECT_FALSE(w->HomeButton->Enabled());
  EXPECT_TRUE(w->TabControl1->MultiLine());
  EXPECT_FALSE(static_cast<bool>(fw::Application().OnMinimize));
  EXPECT_EQ(w->SortOrder(), 1);
  // "kioku" now off: the default widths, not the stored ones.
  EXPECT_EQ(w->ShellListView1->ColumnWidth(0), 140);
  EXPECT_EQ(w->ShellListView1->ColumnWidth(4), 38);
}

TEST_F(OptionDialogTest, OkOnAnEmptyFileWritesEveryKeyInItsOrderWithTheDefaults) {
  TForm1* w = Create();
  Answer(true);
  w->OptionClick(nullptr);

  EXPECT_EQ(m_shown.view, 2);
  EXPECT_EQ(m_shown.sort, 0);
  EXPECT_EQ(m_shown.tabActive, 0);
  EXPECT_TRUE(m_shown.multi);
  EXPECT_EQ(m_shown.ext, ".txt;.htm;.html;.ini;");
  EXPECT_EQ(m_shown.spi, "");

  const std::string text = testsupport::ReadFile(IniPath());
  EXPECT_EQ(testsupport::IniOutline(text),
            (std::vector<std::string>{"[SType]", "SType/Stype", "[Home]", "Home/ホーム", "[column]", "column/kioku",
                                      "column/MinTray", "[Tabs]", "Tabs/TabHide", "Tabs/multi", "Tabs/TabActive",
                                      "[sort]", "sort/sort", "[spi]", "spi/path", "[window]", "window/saveSiori",
                                      "[text]", "text/ext"}));
  fw::IniFile ini(IniPath());
  EXPECT_EQ(ini.ReadString("SType", "Stype", "?"), "2");
  EXPECT_EQ(ini.ReadString("Tabs", "multi", "?"), "1");
  EXPECT_EQ(ini.ReadString("text", "ext", "?"), ".txt;.htm;.html;.ini;");
  EXPECT_EQ(w->ViewStyle(), orvane::TViewStyle::vsReport);
}

TEST_F(OptionDialogTest, CancelWritesNothingAndChangesNothing) {
  testsupport::WriteFile(IniPath(), "[SType]\r\nStype=1\r\n[column]\r\nMinTray=0\r\n");
  TForm1* w = Create();
  const std::string before = testsupport::ReadFile(IniPath());
  Answer(false, [](TOptionF& d) {
    d.RadioGroup1->SetItemIndex(3);
    d.CheckMin->SetChecked(true);
    d.Home->SetText("C:\\");
  });
  w->OptionClick(nullptr);
  EXPECT_EQ(m_shown.view, 1);
  EXPECT_EQ(testsupport::ReadFile(IniPath()), before);
  EXPECT_EQ(w->ViewStyle(), orvane::TViewStyle::vsSmallIcon);
  EXPECT_FALSE(static_cast<bool>(fw::Application().OnMinimize));
  EXPECT_EQ(w->HomeFolder(), "");
}

TEST_F(OptionDialogTest, MinTrayKiokuWidthsSortAndHomeApplyAtOnce) {
  testsupport::WriteFile(IniPath(), "[column]\r\nname=210\r\nsize=71\r\ntype=72\r\nupdate=73\r\nzoku=74\r\n");
  TForm1* w = Create();
  EXPECT_FALSE(w->HomeButton->Enabled());
  const std::string home = m_dir / "home";
  Answer(true, [&](TOptionF& d) {
    d.CheckMin->SetChecked(true);
    d.CheckBox1->SetChecked(true);
    d.SortRadioG->SetItemIndex(4);
    d.RadioGroup1->SetItemIndex(3);
    d.TabMultiCheck->SetChecked(false);
    d.Home->SetText(home);
  });
  w->OptionClick(nullptr);
  EXPECT_TRUE(static_cast<bool>(fw::Application().OnMinimize));
  EXPECT_EQ(w->ShellListView1->ColumnWidth(0), 210);
  EXPECT_EQ(w->ShellListView1->ColumnWidth(1), 71);
  EXPECT_EQ(w->ShellListView1->ColumnWidth(4), 74);
  EXPECT_EQ(w->SortOrder(), 4);
  EXPECT_EQ(w->ViewStyle(), orvane::TViewStyle::vsList);
  EXPECT_FALSE(w->TabControl1->MultiLine());
  EXPECT_TRUE(w->HomeButton->Enabled());
  EXPECT_EQ(w->HomeFolder(), home);

  // Turning it off again gives minimising back its normal behaviour.
  Answer(true, [](TOptionF& d) { d.CheckMin->SetChecked(false); });
  w->OptionClick(nullptr);
  EXPECT_FALSE(static_cast<bool>(fw::Application().OnMinimize));
  EXPECT_TRUE(m_shown.minTray);
  EXPECT_EQ(m_shown.sort, 4);
}

TEST_F(OptionDialogTest, BrowseButtonsPutTheChosenFolderInTheirFieldAndCancelKeepsIt) {
  fw::ComponentPtr<TOptionF> holder(fw::Make<TOptionF>(nullptr));
  TOptionF& d = *holder;
  std::vector<std::string> captions;
  std::string answer = "C:\\選んだ";
  bool accept = true;
  d.BrowseFolder = [&](const std::string& caption, std::string& folder) {
    captions.push_back(caption);
    if (accept) folder = answer;
    return accept;
  };
  d.Home->SetText("old");
  d.SPIEdit->SetText("old2");
  d.ReferClick(nullptr);
  d.R1ButtonClick(nullptr);
  EXPECT_EQ(d.Home->GetText(), answer);
  EXPECT_EQ(d.SPIEdit->GetText(), answer);
  accept = false;
  answer = "C:\\other";
  d.ReferClick(nullptr);
  d.R1ButtonClick(nullptr);
  EXPECT_EQ(d.Home->GetText(), "C:\\選んだ");
  EXPECT_EQ(d.SPIEdit->GetText(), "C:\\選んだ");
  EXPECT_EQ(captions, (std::vector<std::string>(4, "フォルダ選択")));
}

}  // namespace
