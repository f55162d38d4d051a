// The main window's file commands in-process against the real shell: new
// folder and new file through the name dialog (answered through the modal
// seam), rename in place, permanent delete through the real purger.dll (the
// platform's confirmation answered from a watcher thread), and the status
// bar's texts.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>

#include "app/FileCommands.h"
#include "app/Folder.h"
#include "app/Globals.h"
#include "app/Unitl01.h"
#include "framework/base/Handle.h"
#include "framework/base/Mbcs.h"
#include "framework/ui/Application.h"
#include "shell/Shellidfunc.h"
#include "tests/common/DialogAnswerer.h"
#include "tests/common/MessagePump.h"
#include "tests/common/TempDir.h"

namespace {

using orvane::TForm1;
using orvane::TForm3;

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
bool IsDir(const std::string& path) {
  DWORD a = ::GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// What the name dialog showed when it came up.
struct DialogSeen {
  std::string caption, prompt, name;
};

// Sets the user's "hide extensions of known types" for the test's lifetime
// and puts back what was there (or nothing) afterwards.
class HiddenExtensions {
 public:
  HiddenExtensions() {
    HKEY key = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    m_key.reset(key);
    DWORD size = sizeof m_old;
    m_had = ::RegQueryValueExA(m_key.get(), "HideFileExt", nullptr, nullptr, reinterpret_cast<BYTE*>(&m_old), &size) ==
            ERROR_SUCCESS;
    DWORD one = 1;
    ::RegSetValueExA(m_key.get(), "HideFileExt", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
  }
  ~HiddenExtensions() {
    if (m_had)
      ::RegSetValueExA(m_key.get(), "HideFileExt", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&m_old), sizeof m_old);
    else
      ::RegDeleteValueA(m_key.get(), "HideFileExt");
  }
  HiddenExtensions(const HiddenExtensions&) = delete;
  HiddenExtensions& operator=(const HiddenExtensions&) = delete;

 private:
  static constexpr const char* kKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
  fw::RegKey m_key;
  DWORD m_old = 0;
  bool m_had = false;
};

class FileCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fw::Application().Initialize();
    orvane::UseProgramLocation(m_dir / "Orvane.exe");
    orvane::ProgramArgs().clear();
    ::CreateDirectoryA(Work().c_str(), nullptr);
  }
  void TearDown() override {
    fw::Form::SetModalHook(nullptr);
    if (m_form) fw::Application().DestroyForms();
    orvane::ProgramArgs().clear();
  }
  std::string Work(const std::string& sub = {}) const {
    return sub.empty() ? m_dir / "work" : m_dir / ("work\\" + sub);
  }
  TForm1* Create() {
    orvane::ProgramArgs() = {Work()};
    m_form = fw::Application().CreateForm<TForm1>();
    m_form->Show();
    testsupport::PumpFor(30);
    return m_form;
  }
  // The next showing of the name dialog: records what it shows, types name
  // (unless null) and presses OK, or cancels when name is null.
  void AnswerNameDialog(const char* name) {
    fw::Form::SetModalHook([this, name](fw::Form& f) {
      auto& form = dynamic_cast<TForm3&>(f);
      m_seen.push_back({form.Caption(), form.Label1->GetText(), form.Edit1->GetText()});
      if (!name) {
        form.CANCELClick(nullptr);
        return form.ModalResult();
      }
      form.Edit1->SetText(name);
      form.Button1Click(nullptr);
      return form.ModalResult();
    });
  }
  std::vector<std::string> Captions() {
    std::vector<std::string> names;
    TShellFileList* list = m_form->ShellListView1->FileList();
    for (int i = 0; i < list->Count(); ++i) names.push_back(list->GetFileItem(i)->GetCaption());
    return names;
  }
  int RowOfPath(const std::string& path) {
    TShellFileList* list = m_form->ShellListView1->FileList();
    for (int i = 0; i < list->Count(); ++i)
      if (fw::SameText(list->GetFileItem(i)->GetPath(), path)) return i;
    return -1;
  }

  testsupport::TempDir m_dir;
  TForm1* m_form = nullptr;
  std::vector<DialogSeen> m_seen;
};

TEST_F(FileCommandsTest, NewFolderAndFileWithTheDialogsTextSets) {
  TForm1* w = Create();
  ASSERT_EQ(w->TreePath(), Work());

  // A nested name creates every folder on the way; the list shows the first.
  AnswerNameDialog("a\\b\\ソ\\c");
  w->Folder1Click(nullptr);
  EXPECT_TRUE(IsDir(Work("a\\b\\ソ\\c")));
  EXPECT_EQ(Captions(), std::vector<std::string>{"a"});

  // The next folder dialog shows what was typed last.
  AnswerNameDialog("work2");
  w->Folder1Click(nullptr);
  EXPECT_TRUE(IsDir(Work("work2")));

  // New file: the file texts, then back to the folder texts with "新規".
  AnswerNameDialog("新規.txt");
  w->File2Click(nullptr);
  EXPECT_TRUE(Exists(Work("新規.txt")));
  AnswerNameDialog(nullptr);
  w->Folder1Click(nullptr);

  ASSERT_EQ(m_seen.size(), 4u);
  EXPECT_EQ(m_seen[0].caption, "フォルダ作成");
  EXPECT_EQ(m_seen[0].prompt, "フォルダ名入力");
  EXPECT_EQ(m_seen[0].name, "新規");
  EXPECT_EQ(m_seen[1].name, "a\\b\\ソ\\c");
  EXPECT_EQ(m_seen[2].caption, "ファイル作成");
  EXPECT_EQ(m_seen[2].prompt, "ファイル名入力");
  EXPECT_EQ(m_seen[2].name, "新規.txt");
  EXPECT_EQ(m_seen[3].caption, "フォルダ作成");
  EXPECT_EQ(m_seen[3].prompt, "フォルダ名入力");
  EXPECT_EQ(m_seen[3].name, "新規");
  // The cancelled dialog created nothing; the list shows the folder as it is.
  EXPECT_EQ(testsupport::FolderNames(Work()), (std::vector<std::string>{"a", "work2", "新規.txt"}));
  EXPECT_EQ(Captions().size(), 3u);
}

TEST_F(FileCommandsTest, ExistingFileAndInvalidNamesAreLeftAlone) {
  testsupport::WriteFile(Work("新規.txt"), "keep me");
  TForm1* w = Create();
  AnswerNameDialog("新規.txt");
  w->File2Click(nullptr);
  EXPECT_EQ(testsupport::ReadFile(Work("新規.txt")), "keep me");

  // Names that cannot be created leave nothing behind, not even the part of
  // a nested name before the bad one; a step out of the folder is refused.
  for (const char* bad : {"x\\y:z", "p\\q|r", "..\\outside", "s\\..\\t"}) {
    AnswerNameDialog(bad);
    w->Folder1Click(nullptr);
  }
  AnswerNameDialog("bad?.txt");
  w->File2Click(nullptr);
  EXPECT_EQ(testsupport::FolderNames(Work()), std::vector<std::string>{"新規.txt"});
  EXPECT_FALSE(Exists(m_dir / "outside"));
}

TEST_F(FileCommandsTest, PermanentDeleteOfTheSelectionWithOneConfirmation) {
  for (const char* f : {"one.txt", "two.txt", "three.txt", "stay.txt"}) testsupport::WriteFile(Work(f), f);
  ::CreateDirectoryA(Work("dir").c_str(), nullptr);
  testsupport::WriteFile(Work("dir\\inner.txt"), "inner");
  TForm1* w = Create();
  TShellListView* list = w->ShellListView1;
  ASSERT_EQ(list->FileList()->Count(), 5);

  // Declined: everything stays, and nothing is left in the library's list
  // for the next command.
  for (const char* f : {"one.txt", "two.txt", "three.txt", "dir"}) list->Item(RowOfPath(Work(f)))->SetSelected(true);
  ASSERT_EQ(list->SelCount(), 4);
  {
    testsupport::DialogAnswerer no(IDNO, 30000);
    w->Delete1Execute(nullptr);
    EXPECT_EQ(no.Answered(), 1) << no.Captions();
  }
  EXPECT_EQ(testsupport::FolderNames(Work()),
            (std::vector<std::string>{"dir", "one.txt", "stay.txt", "three.txt", "two.txt"}));

  for (const char* f : {"one.txt", "two.txt", "three.txt", "dir"}) list->Item(RowOfPath(Work(f)))->SetSelected(true);
  {
    testsupport::DialogAnswerer yes(IDYES, 30000);
    w->Delete1Execute(nullptr);
    EXPECT_EQ(yes.Answered(), 1) << yes.Captions();
  }
  EXPECT_EQ(testsupport::FolderNames(Work()), std::vector<std::string>{"stay.txt"});
  for (const char* f : {"one.txt", "two.txt", "three.txt", "dir"}) EXPECT_FALSE(testsupport::InTrash(Work(f))) << f;
  EXPECT_EQ(list->SelCount(), 0);
  EXPECT_EQ(Captions(), std::vector<std::string>{"stay.txt"});

  // Nothing selected: no confirmation, nothing deleted.
  {
    testsupport::DialogAnswerer yes(IDYES, 1000);
    w->Delete1Execute(nullptr);
    EXPECT_EQ(yes.Answered(), 0);
  }
  EXPECT_TRUE(Exists(Work("stay.txt")));
}

TEST_F(FileCommandsTest, PermanentDeleteWithHiddenExtensionsDeletesTheFileNotTheFolder) {
  HiddenExtensions hidden;
  ::CreateDirectoryA(Work("a").c_str(), nullptr);
  testsupport::WriteFile(Work("a\\inside.txt"), "inside");
  testsupport::WriteFile(Work("a.txt"), "file");
  TForm1* w = Create();
  TShellListView* list = w->ShellListView1;
  const int fileRow = RowOfPath(Work("a.txt"));
  ASSERT_GE(fileRow, 0);
  // Both rows read "a": the caption cannot tell the file from the folder.
  EXPECT_EQ(Captions(), (std::vector<std::string>{"a", "a"}));
  list->Item(fileRow)->SetSelected(true);
  {
    testsupport::DialogAnswerer yes(IDYES, 30000);
    w->Delete1Execute(nullptr);
    EXPECT_EQ(yes.Answered(), 1) << yes.Captions();
  }
  EXPECT_FALSE(Exists(Work("a.txt")));
  EXPECT_TRUE(Exists(Work("a\\inside.txt")));
}

TEST_F(FileCommandsTest, RenameStartsOnlyWithASelectionAndRefreshesAfterTheRename) {
  testsupport::WriteFile(Work("b.txt"), "b");
  testsupport::WriteFile(Work("c.txt"), "c");
  TForm1* w = Create();
  TShellListView* list = w->ShellListView1;
  auto editBox = [list] { return ListView_GetEditControl(list->Handle()); };

  w->editselExecute(nullptr);
  EXPECT_EQ(editBox(), nullptr);

  list->Item(1)->SetSelected(true);  // c.txt
  w->editselExecute(nullptr);
  HWND edit = editBox();
  ASSERT_NE(edit, nullptr);
  ::SetWindowTextA(edit, "a.txt");
  ::SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
  // The refresh after the rename re-reads the folder in its sort order.
  EXPECT_TRUE(testsupport::PumpUntil(
      [&] {
        return Captions() == std::vector<std::string>{"a.txt", "b.txt"};
      },
      5000))
      << testing::PrintToString(Captions());
  EXPECT_EQ(testsupport::ReadFile(Work("a.txt")), "c");
  EXPECT_EQ(testsupport::ReadFile(Work("b.txt")), "b");
}

TEST_F(FileCommandsTest, StatusBarCountsAndDriveSpace) {
  for (const char* f : {"1.txt", "2.txt"}) testsupport::WriteFile(Work(f), f);
  ::CreateDirectoryA(Work("sub").c_str(), nullptr);
  TForm1* w = Create();
  TShellStatusBar* bar = w->ShellStatusBar1;
  w->ShellListView1Change(nullptr);
  EXPECT_EQ(bar->Panels(0)->Text(), "3個のオブジェクト");
  // The total does not move while the test runs; the free space may.
  ULARGE_INTEGER freeBytes{}, total{};
  ASSERT_TRUE(::GetDiskFreeSpaceExA(Work().c_str(), &freeBytes, &total, nullptr));
  const std::string drive = Work().substr(0, 2);
  const std::string text = bar->Panels(1)->Text();
  const std::string head = drive + " 空き容量 ";
  const std::string tail = " MB 全" + std::to_string(total.QuadPart / 1048576) + " MB";
  ASSERT_EQ(text.compare(0, head.size(), head), 0) << text;
  ASSERT_GE(text.size(), head.size() + tail.size()) << text;
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << text;

  // A selection change updates the panels too.
  bar->Panels(0)->SetText("");
  w->ShellListView1->Item(0)->SetSelected(true);
  EXPECT_EQ(bar->Panels(0)->Text(), "3個のオブジェクト");

  // No real volume has 1,048,575 free bytes: through the seam. Both
  // figures round down, and past 4 GiB nothing wraps.
  w->DiskSpaceQuery = [](std::uint64_t& f, std::uint64_t& t) {
    f = 1048575;
    t = 5ull * 1024 * 1024 * 1024 * 1024 - 1;
  };
  w->ShellListView1Change(nullptr);
  EXPECT_EQ(bar->Panels(1)->Text(), drive + " 空き容量 0 MB 全5242879 MB");
  w->DiskSpaceQuery = nullptr;

  w->ShellListView1->SetColumnWidth(1, 77);
  w->ShellListView1->SetColumnWidth(4, 39);
  // The computer folder is not in the file system: no drive, 0 MB.
  UniqueIDList drives;
  ASSERT_TRUE(GetSpecialFolderID(sfidDrives, drives));
  w->ShellTreeView1->SetNameSpace(drives.get());
  testsupport::PumpFor(30);
  w->ShellListView1Change(nullptr);
  EXPECT_EQ(bar->Panels(0)->Text(), std::to_string(w->ShellListView1->FileList()->Count()) + "個のオブジェクト");
  EXPECT_GT(w->ShellListView1->FileList()->Count(), 0);
  EXPECT_EQ(bar->Panels(1)->Text(), " 空き容量 0 MB 全0 MB");
  // Closing while the computer folder (one name column) is shown saves the
  // widths of the file columns, not an error box for the missing columns.
  std::vector<std::string> boxes;
  fw::TApplication::SetMessageBoxHook([&](HWND, const std::string& text, const std::string&, UINT) {
    boxes.push_back(text);
    return IDOK;
  });
  EXPECT_EQ(w->ShellListView1->ColumnCount(), 1);
  w->FormDestroy(nullptr);
  fw::TApplication::SetMessageBoxHook(nullptr);
  EXPECT_TRUE(boxes.empty()) << testing::PrintToString(boxes);
  EXPECT_EQ(orvane::Settings().ReadInteger("column", "size", -1), 77);
  EXPECT_EQ(orvane::Settings().ReadInteger("column", "zoku", -1), 39);
}

TEST(FileCommandHelpers, DrivePartAndPurgeGroups) {
  EXPECT_EQ(orvane::DrivePart("C:\\data"), "C:");
  EXPECT_EQ(orvane::DrivePart("C:\\"), "C:");
  EXPECT_EQ(orvane::DrivePart("\\\\server\\share\\dir\\x"), "\\\\server\\share");
  EXPECT_EQ(orvane::DrivePart("\\\\サーバ\\ソ\\dir"), "\\\\サーバ\\ソ");
  EXPECT_EQ(orvane::DrivePart("\\\\server\\share"), "\\\\server\\share");
  EXPECT_EQ(orvane::DrivePart(""), "");

  // Each group's multi-string (paths, their zeros and the closing zero) fits.
  const std::string p9(9, 'p');  // 10 bytes with its zero
  auto groups = orvane::SplitForPurgeList({p9, p9, p9, std::string(40, 'x'), p9}, 31);
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].size(), 3u);                     // 3 * 10 + 1 = 31
  EXPECT_EQ(groups[1], std::vector<std::string>{p9});  // the 41-byte path can never fit
  EXPECT_TRUE(orvane::SplitForPurgeList({}, 4096).empty());
}

}  // namespace
