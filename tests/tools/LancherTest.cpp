// The launcher: its settings dialog driven through its buttons, the two
// settings sections, the list on the main window, and starting an entry with
// a program that records the command line it received.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Globals.h"
#include "app/Unitl01.h"
#include "framework/ui/Application.h"
#include "framework/ui/Form.h"
#include "framework/ui/OpenDialog.h"
#include "tests/common/IniOutline.h"
#include "tests/common/MessagePump.h"
#include "tests/common/TempDir.h"
#include "tools/Lancher.h"
#include "tools/LancherList.h"

namespace {

using orvane::LancherCommandLine;
using orvane::TForm1;
using orvane::TLancherForm;

std::string BinDir() {
  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path = self;
  return path.substr(0, path.find_last_of('\\') + 1);
}

// A copy of the recording program at path (its folder is created).
void PlaceRecorder(const std::string& path) {
  ::CreateDirectoryA(path.substr(0, path.find_last_of('\\')).c_str(), nullptr);
  ASSERT_TRUE(::CopyFileA((BinDir() + "cmdrecorder.exe").c_str(), path.c_str(), FALSE)) << path;
}

// The command line a recorder copy was started with; empty when it did not run within the wait.
std::string RecordedCommandLine(const std::string& program, DWORD waitMs = 20000) {
  const std::string log = program + ".log";
  testsupport::PumpUntil([&] { return ::GetFileAttributesA(log.c_str()) != INVALID_FILE_ATTRIBUTES; }, waitMs);
  return testsupport::ReadFile(log);
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> Rows(fw::ListView* list) {
  std::vector<std::string> rows;
  for (int i = 0; i < list->ItemCount(); ++i)
    rows.push_back(list->ItemCaption(i) + "|" + list->SubItem(i, 0) + "|" + list->SubItem(i, 1));
  return rows;
}

// ------------------------------------------------------------------ command line

TEST(LancherCommandLineTest, QuotesOnlyAnExistingProgramPathWithABlank) {
  testsupport::TempDir dir;
  const std::string spaced = dir / "with blank\\tool.exe";
  ::CreateDirectoryA((dir / "with blank").c_str(), nullptr);
  testsupport::WriteFile(spaced, "x");
  testsupport::WriteFile(dir / "plain.exe", "x");

  EXPECT_EQ(LancherCommandLine(spaced, "-a \"b c\""), "\"" + spaced + "\" -a \"b c\"");
  // Without a blank the path needs no quotes and gets none.
  EXPECT_EQ(LancherCommandLine(dir / "plain.exe", "x"), dir / "plain.exe x");
  // A command with its own arguments is no file: it goes through as typed.
  EXPECT_EQ(LancherCommandLine("notepad.exe C:\\a.txt", "b"), "notepad.exe C:\\a.txt b");
  // A path the user quoted is no file name either, and is not quoted twice.
  EXPECT_EQ(LancherCommandLine("\"" + spaced + "\"", ""), "\"" + spaced + "\" ");
  // A missing program with a blank is left to the system as typed.
  EXPECT_EQ(LancherCommandLine(dir / "gone away.exe", "x"), dir / "gone away.exe x");
  // An empty argument string still leaves the one blank.
  EXPECT_EQ(LancherCommandLine(dir / "plain.exe", ""), dir / "plain.exe ");
  // A folder with a blank is not a program file.
  EXPECT_EQ(LancherCommandLine(dir / "with blank", ""), dir / "with blank ");
}

// ------------------------------------------------------------------ the dialog

class LancherDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fw::Application().Initialize();
    m_form.reset(new TLancherForm(nullptr, m_ini));
    m_form->BrowseFolder = [this] { return m_dir.Path(); };
  }
  void TearDown() override { fw::OpenDialog::SetExecuteHook(nullptr); }

  void Store(const std::string& name, const std::string& exe, const std::string& args) {
    m_form->NameEdit->SetText(name);
    m_form->ExeEdit->SetText(exe);
    m_form->OptionEdit->SetText(args);
    m_form->Button1->Click();
  }
  std::string Ini() const { return testsupport::ReadFile(m_dir / "Orvane.INI"); }

  testsupport::TempDir m_dir;
  fw::IniFile m_ini{m_dir / "Orvane.INI"};
  fw::ComponentPtr<TLancherForm> m_form;
};

TEST_F(LancherDialogTest, AddChangeAndDeleteKeepTheSectionsInFileOrder) {
  m_ini.WriteInteger("lancher1", "Stype", 1);
  m_form->FormActivate(m_form.get());
  EXPECT_EQ(m_form->ListView2->ItemCount(), 0);

  Store("editor", "C:\\tools\\ed.exe", "-n");
  Store("shell", "cmd.exe", "");
  Store("viewer", "C:\\Program Files\\v\\v.exe", "/s \"x y\"");
  EXPECT_EQ(Rows(m_form->ListView2), (std::vector<std::string>{"editor|C:\\tools\\ed.exe|-n", "shell|cmd.exe|",
                                                               "viewer|C:\\Program Files\\v\\v.exe|/s \"x y\""}));

  // A name that differs only in case is the same entry: changed in place.
  Store("SHELL", "powershell.exe", "-nop");
  EXPECT_EQ(Rows(m_form->ListView2),
            (std::vector<std::string>{"editor|C:\\tools\\ed.exe|-n", "shell|powershell.exe|-nop",
                                      "viewer|C:\\Program Files\\v\\v.exe|/s \"x y\""}));

  m_form->NameEdit->SetText("editor");
  m_form->Button2->Click();
  EXPECT_EQ(Rows(m_form->ListView2),
            (std::vector<std::string>{"shell|powershell.exe|-nop", "viewer|C:\\Program Files\\v\\v.exe|/s \"x y\""}));

  // The argument strings share their section with the view style, which stays first.
  const std::string ini = Ini();
  EXPECT_EQ(testsupport::IniOutline(ini),
            (std::vector<std::string>{"[lancher1]", "lancher1/Stype", "lancher1/shell", "lancher1/viewer", "[lancher]",
                                      "lancher/shell", "lancher/viewer"}))
      << ini;
  EXPECT_NE(ini.find("shell=powershell.exe\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("viewer=/s \"x y\"\r\n"), std::string::npos) << ini;
}

TEST_F(LancherDialogTest, ClickingARowFillsTheEditsAndCloseEmptiesTheList) {
  m_ini.WriteString("lancher", "a", "a.exe");
  m_ini.WriteString("lancher", "b", "b.exe");
  m_ini.WriteString("lancher1", "b", "--b");
  m_form->FormActivate(m_form.get());
  // Clicking with nothing selected leaves the edits alone.
  m_form->NameEdit->SetText("typed");
  m_form->ListView2Click(m_form.get());
  EXPECT_EQ(m_form->NameEdit->GetText(), "typed");

  m_form->ListView2->SetItemIndex(1);
  m_form->ListView2Click(m_form.get());
  EXPECT_EQ(m_form->NameEdit->GetText(), "b");
  EXPECT_EQ(m_form->ExeEdit->GetText(), "b.exe");
  EXPECT_EQ(m_form->OptionEdit->GetText(), "--b");

  m_form->Button3->Click();
  EXPECT_EQ(m_form->ListView2->ItemCount(), 0);
  EXPECT_EQ(m_form->ModalResult(), 1);
}

TEST_F(LancherDialogTest, BrowseStartsInTheTreeFolderAndTakesThePickedFile) {
  std::string initialDir, filter;
  fw::OpenDialog::SetExecuteHook([&](fw::OpenDialog& d) {
    initialDir = d.InitialDir();
    filter = d.Filter();
    d.SetFileName("C:\\picked\\tool.exe");
    return true;
  });
  m_form->Button4->Click();
  EXPECT_EQ(initialDir, m_dir.Path());
  EXPECT_EQ(filter, "実行ファイル(*.exe)|*.exe");
  EXPECT_EQ(m_form->ExeEdit->GetText(), "C:\\picked\\tool.exe");

  // Cancelled: the field keeps what it had.
  fw::OpenDialog::SetExecuteHook([](fw::OpenDialog& d) {
    d.SetFileName("C:\\other.exe");
    return false;
  });
  m_form->Button4->Click();
  EXPECT_EQ(m_form->ExeEdit->GetText(), "C:\\picked\\tool.exe");
}

TEST(OpenDialogFilterTest, BarsSplitOnlyWholeCharacters) {
  // "ポ" is 0x83 0x7C: its second byte is a bar and must not split the description.
  EXPECT_EQ(fw::OpenDialog::PlatformFilter("ポ(*.exe)|*.exe"), std::string("ポ(*.exe)\0*.exe\0\0", 17));
  EXPECT_EQ(fw::OpenDialog::PlatformFilter("a|*.a|b|*.b"), std::string("a\0*.a\0b\0*.b\0\0", 13));
}

// ------------------------------------------------------------------ the main window

class LancherWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fw::Application().Initialize();
    orvane::UseProgramLocation(m_dir / "Orvane.exe");
    orvane::ProgramArgs().clear();
  }
  void TearDown() override {
    fw::Form::SetModalHook(nullptr);
    if (m_form) fw::Application().DestroyForms();
  }
  TForm1* Create() {
    m_form = fw::Application().CreateForm<TForm1>();
    m_form->Show();
    testsupport::PumpFor(50);
    return m_form;
  }
  void WriteIni(const std::string& text) { testsupport::WriteFile(m_dir / "Orvane.INI", text); }

  testsupport::TempDir m_dir;
  TForm1* m_form = nullptr;
};

TEST_F(LancherWindowTest, StartUpFillsTheListWithIconsAndTheStoredStyle) {
  // The recorder has a second icon, which is the one asked for; a missing
  // program has none and its row shows picture 0.
  const std::string first = m_dir / "one\\rec.exe";
  const std::string second = m_dir / "two\\rec.exe";
  PlaceRecorder(first);
  PlaceRecorder(second);
  const std::string missing = m_dir / "missing.xyz";
  WriteIni("[lancher]\r\nfirst=" + first + "\r\nnothing=" + missing + "\r\nsecond=" + second +
           "\r\n[lancher1]\r\nStype=3\r\nfirst=-x\r\n");
  Create();
  fw::ListView* list = m_form->ListView2;
  EXPECT_EQ(Rows(list),
            (std::vector<std::string>{"first|" + first + "|-x", "nothing|" + missing + "|", "second|" + second + "|"}));
  EXPECT_EQ(list->ViewStyle(), fw::TViewStyle::vsReport);
  // Each row points at the icon appended for it, in both lists.
  auto images = [&] {
    std::vector<int> v;
    for (int i = 0; i < list->ItemCount(); ++i) v.push_back(list->Item(i)->ImageIndex());
    return v;
  };
  EXPECT_EQ(images(), (std::vector<int>{0, 0, 1}));
  EXPECT_EQ(m_form->LancherImage->Count(), 2);
  EXPECT_EQ(m_form->LSImage->Count(), 2);
  // Filling again does not pile up pictures.
  m_form->Lancher1->Fill();
  EXPECT_EQ(images(), (std::vector<int>{0, 0, 1}));
  EXPECT_EQ(m_form->LancherImage->Count(), 2);
}

TEST_F(LancherWindowTest, AnUnknownStoredStyleKeepsLargeIconsAndTheMenuStylesAreNotStored) {
  WriteIni("[lancher1]\r\nStype=7\r\n");
  Create();
  EXPECT_EQ(m_form->ListView2->ViewStyle(), fw::TViewStyle::vsIcon);
  m_form->Detail4->Click();
  EXPECT_EQ(m_form->ListView2->ViewStyle(), fw::TViewStyle::vsReport);
  m_form->ListIcon->Click();
  EXPECT_EQ(m_form->ListView2->ViewStyle(), fw::TViewStyle::vsList);
  m_form->SmallIcon->Click();
  EXPECT_EQ(m_form->ListView2->ViewStyle(), fw::TViewStyle::vsSmallIcon);
  EXPECT_EQ(orvane::LancherSettings().ReadInteger("lancher1", "Stype", 0), 7);
}

TEST_F(LancherWindowTest, SettingsDialogStoresTheStyleForTheNextStartAndRefillsTheList) {
  WriteIni("[lancher]\r\nold=old.exe\r\n[lancher1]\r\nStype=1\r\n");
  Create();
  ASSERT_EQ(m_form->ListView2->ViewStyle(), fw::TViewStyle::vsSmallIcon);
  int shownStyle = -2;
  fw::Form::SetModalHook([&](fw::Form& f) {
    auto& dialog = dynamic_cast<TLancherForm&>(f);
    shownStyle = dialog.RadioGroup1->ItemIndex();
    dialog.FormActivate(&dialog);
    dialog.NameEdit->SetText("new");
    dialog.ExeEdit->SetText("new.exe");
    dialog.OptionEdit->SetText("--new");
    dialog.Button1->Click();
    dialog.RadioGroup1->SetItemIndex(3);
    // Closed by the window's close box, not by the close button.
    return fw::mrCancel;
  });
  m_form->LancherSettingClick(m_form);
  EXPECT_EQ(shownStyle, 1);
  EXPECT_EQ(Rows(m_form->ListView2), (std::vector<std::string>{"old|old.exe|", "new|new.exe|--new"}));
  EXPECT_EQ(orvane::LancherSettings().ReadInteger("lancher1", "Stype", 0), 3);
  // Only the next start shows the chosen style.
  EXPECT_EQ(m_form->ListView2->ViewStyle(), fw::TViewStyle::vsSmallIcon);
}

TEST_F(LancherWindowTest, RunningAnEntryHandsTheRecorderItsArguments) {
  // The planted program is what an unquoted "...\with blank\rec.exe" would start.
  const std::string program = m_dir / "with blank\\rec.exe";
  const std::string planted = m_dir / "with.exe";
  PlaceRecorder(program);
  PlaceRecorder(planted);
  const std::string plain = m_dir / "plain\\rec.exe";
  PlaceRecorder(plain);
  ASSERT_EQ(m_dir.Path().find(' '), std::string::npos) << "the plain case needs a folder without blanks";
  WriteIni("[lancher]\r\nspaced=" + program + "\r\ncommand=" + plain + " first\r\n[lancher1]\r\nspaced=-a \"b c\"\r\n" +
           "command=second\r\n");
  Create();
  fw::ListView* list = m_form->ListView2;
  ASSERT_EQ(list->ItemCount(), 2);

  // Nothing selected: nothing starts.
  list->ClearSelection();
  m_form->LancherEXEClick(m_form);
  EXPECT_TRUE(m_form->Lancher1->LastCommandLine().empty());

  list->SetItemIndex(0);
  m_form->N25->Click();
  EXPECT_EQ(RecordedCommandLine(program), "\"" + program + "\" -a \"b c\"");
  EXPECT_FALSE(Exists(planted + ".log"));

  // A command typed with its own arguments runs as typed, the arguments after one blank.
  list->SetItemIndex(1);
  m_form->LancherEXEClick(m_form);
  EXPECT_EQ(RecordedCommandLine(plain), plain + " first second");
}

}  // namespace
