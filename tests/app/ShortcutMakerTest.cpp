// The shortcut maker against the real shell link object: shortcuts written
// into temporary folders that stand in for the user's special folders (the
// folder lookup is a seam), then read back through IShellLinkA. Also the
// lookup itself against the real "Shell Folders" key, with the value taken
// away and put back.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <map>
#include <vector>

#include "app/Option.h"
#include "framework/base/ComPtr.h"
#include "framework/base/Handle.h"
#include "framework/ui/Application.h"
#include "shortcut/ShortcutMaker.h"
#include "tests/common/TempDir.h"

namespace {

using orvane::ShellFolderSource;
using orvane::TShortcutMaker;

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

int CountFiles(const std::string& folder) {
  int n = 0;
  WIN32_FIND_DATAA fd;
  fw::FindHandle find(::FindFirstFileA((folder + "\\*").c_str(), &fd));
  if (!find.valid()) return 0;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
  } while (::FindNextFileA(find.get(), &fd));
  return n;
}

struct LinkContents {
  std::string target, arguments, workFolder, iconPath;
  int iconIndex = -1;
};

// Reads a shortcut file back; ok is false when it cannot be loaded.
LinkContents ReadLink(const std::string& file, bool& ok) {
  LinkContents c;
  ok = false;
  fw::ComPtr<IShellLinkA> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.PutVoid())))
    return c;
  auto persist = link.As<IPersistFile>(IID_IPersistFile);
  wchar_t wide[MAX_PATH] = {};
  ::MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
  if (!persist || FAILED(persist->Load(wide, STGM_READ))) return c;
  char buffer[MAX_PATH] = {};
  link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH);
  c.target = buffer;
  buffer[0] = '\0';
  link->GetArguments(buffer, MAX_PATH);
  c.arguments = buffer;
  buffer[0] = '\0';
  link->GetWorkingDirectory(buffer, MAX_PATH);
  c.workFolder = buffer;
  buffer[0] = '\0';
  link->GetIconLocation(buffer, MAX_PATH, &c.iconIndex);
  c.iconPath = buffer;
  ok = true;
  return c;
}

class ShortcutMakerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fw::Application().Initialize();
    fw::TApplication::SetMessageBoxHook([this](HWND, const std::string& text, const std::string&, UINT flags) {
      m_boxes.push_back(text);
      m_boxFlags.push_back(flags);
      return IDOK;
    });
    ::CreateDirectoryA((m_dir / "prog").c_str(), nullptr);
    m_exe = m_dir / "prog\\ソフト.exe";  // a 0x5C second byte in the folder part's neighbour
    testsupport::WriteFile(m_exe, "MZ");
    for (const char* f : {"Programs", "Startup", "SendTo", "Desktop"}) ::CreateDirectoryA((m_dir / f).c_str(), nullptr);
  }
  void TearDown() override { fw::TApplication::SetMessageBoxHook(nullptr); }

  // A source that knows the registry values in m_registry and the shell
  // folders in m_special, and records what was asked.
  ShellFolderSource FakeSource() {
    ShellFolderSource s;
    s.ReadRegistry = [this](const std::string& name, std::string& path) {
      m_registryAsked.push_back(name);
      auto it = m_registry.find(name);
      if (it == m_registry.end()) return false;
      path = it->second;
      return true;
    };
    s.QuerySpecialFolder = [this](int csidl, std::string& path) {
      m_specialAsked.push_back(csidl);
      auto it = m_special.find(csidl);
      if (it == m_special.end()) return false;
      path = it->second;
      return true;
    };
    return s;
  }

  testsupport::TempDir m_dir;
  std::string m_exe;
  std::map<std::string, std::string> m_registry;
  std::map<int, std::string> m_special;
  std::vector<std::string> m_registryAsked;
  std::vector<int> m_specialAsked;
  std::vector<std::string> m_boxes;
  std::vector<UINT> m_boxFlags;
};

TEST_F(ShortcutMakerTest, NewMakerStartsOnTheDesktopWithEmptyStrings) {
  fw::ComponentPtr<TShortcutMaker> holder(fw::Make<TShortcutMaker>(nullptr));
  TShortcutMaker& maker = *holder;
  EXPECT_EQ(maker.Destination(), orvane::sdDeskTop);
  EXPECT_TRUE(maker.FullExePath.empty());
  EXPECT_TRUE(maker.ShortcutFolder.empty());
  EXPECT_TRUE(maker.ExeParameters.empty());
  EXPECT_TRUE(maker.ShortcutCaption.empty());
}

TEST_F(ShortcutMakerTest, FolderDestinationWithoutAFolderWarnsAndFallsBackToTheDesktop) {
  fw::ComponentPtr<TShortcutMaker> holder(fw::Make<TShortcutMaker>(nullptr));
  TShortcutMaker& maker = *holder;
  maker.SetDestination(orvane::sdAll);
  EXPECT_EQ(maker.Destination(), orvane::sdDeskTop);
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_EQ(m_boxes[0], "You must specify a folder for the shortcut !");
  EXPECT_EQ(m_boxFlags[0] & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));

  maker.SetDestination(orvane::sdStartMenu);
  EXPECT_EQ(maker.Destination(), orvane::sdStartMenu);
  maker.ShortcutFolder = "x";
  maker.SetDestination(orvane::sdFolder);
  EXPECT_EQ(maker.Destination(), orvane::sdFolder);
  EXPECT_EQ(m_boxes.size(), 1u);
}

TEST_F(ShortcutMakerTest, AllDestinationsWriteResolvableShortcutsAndMakeTheStartMenu) {
  const std::string startMenu = m_dir / "Start Menu\\sub";
  m_registry = {{"Desktop", m_dir / "Desktop"}, {"Start Menu", startMenu}};
  fw::ComponentPtr<TShortcutMaker> holder(fw::Make<TShortcutMaker>(nullptr));
  TShortcutMaker& maker = *holder;
  maker.Folders = FakeSource();
  maker.ShortcutFolder = m_dir / "SendTo";
  maker.SetDestination(orvane::sdAll);
  maker.FullExePath = m_exe;
  maker.ExeParameters = "/x 1";
  maker.ShortcutCaption = "Orvane Desk";
  maker.Execute();

  for (const std::string& folder : {m_dir / "Desktop", startMenu, m_dir / "SendTo"}) {
    bool ok = false;
    LinkContents c = ReadLink(folder + "\\Orvane Desk.lnk", ok);
    ASSERT_TRUE(ok) << folder;
    EXPECT_EQ(c.target, m_exe);
    EXPECT_EQ(c.arguments, "/x 1");
    EXPECT_EQ(c.workFolder, m_dir / "prog\\");
    EXPECT_EQ(c.iconPath, m_exe);
    EXPECT_EQ(c.iconIndex, 0);
  }
  EXPECT_TRUE(m_boxes.empty());
}

TEST_F(ShortcutMakerTest, FailedSaveIntoTheFolderIsReportedWithTheErrorText) {
  fw::ComponentPtr<TShortcutMaker> holder(fw::Make<TShortcutMaker>(nullptr));
  TShortcutMaker& maker = *holder;
  maker.Folders = FakeSource();
  maker.ShortcutFolder = m_dir / "missing\\deeper";
  maker.SetDestination(orvane::sdFolder);
  maker.CreateShortcut(m_exe, maker.ShortcutFolder, "", "Orvane Desk");
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_FALSE(m_boxes[0].empty());
  EXPECT_FALSE(Exists(m_dir / "missing"));
}

// The dialog's three registration buttons, with the registry values there.
TEST_F(ShortcutMakerTest, RegistrationButtonsWriteOneShortcutEachIntoTheirFolder) {
  m_registry = {{"Programs", m_dir / "Programs"}, {"Startup", m_dir / "Startup"}, {"SendTo", m_dir / "SendTo"}};
  fw::ComponentPtr<orvane::TOptionF> holder(fw::Make<orvane::TOptionF>(nullptr));
  orvane::TOptionF& form = *holder;
  form.ShortcutMaker1->Folders = FakeSource();
  form.ProgramPath = [this] { return m_exe; };

  form.StartMButtonClick(nullptr);
  form.StartUpButtonClick(nullptr);
  form.SendButtonClick(nullptr);
  form.SendButtonClick(nullptr);  // a second press replaces the file

  for (const char* f : {"Programs", "Startup", "SendTo"}) {
    EXPECT_EQ(CountFiles(m_dir / f), 1) << f;
    bool ok = false;
    LinkContents c = ReadLink(m_dir / (std::string(f) + "\\Orvane Desk.lnk"), ok);
    ASSERT_TRUE(ok) << f;
    EXPECT_EQ(c.target, m_exe);
    EXPECT_EQ(c.arguments, "");
  }
  // Only the chosen folder gets one: not the desktop.
  EXPECT_EQ(CountFiles(m_dir / "Desktop"), 0);
  EXPECT_EQ(form.ShortcutMaker1->ShortcutFolder, m_dir / "SendTo");
  EXPECT_EQ(m_registryAsked, (std::vector<std::string>{"Programs", "Startup", "SendTo", "SendTo"}));
  EXPECT_TRUE(m_specialAsked.empty());
  EXPECT_TRUE(m_boxes.empty());
}

// A profile without the "Shell Folders" values: the shell's own query names
// the folder; when it does not know it either, nothing is written anywhere
// (in particular not "\Orvane Desk.lnk" at the root of the current drive).
TEST_F(ShortcutMakerTest, MissingRegistryValueFallsBackOnTheShellThenWritesNothing) {
  m_special = {{CSIDL_SENDTO, m_dir / "SendTo"}};
  fw::ComponentPtr<orvane::TOptionF> holder(fw::Make<orvane::TOptionF>(nullptr));
  orvane::TOptionF& form = *holder;
  form.ShortcutMaker1->Folders = FakeSource();
  form.ProgramPath = [this] { return m_exe; };

  form.SendButtonClick(nullptr);
  EXPECT_TRUE(Exists(m_dir / "SendTo\\Orvane Desk.lnk"));

  char cwd[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, cwd);
  const std::string rootLink = std::string(cwd, 2) + "\\Orvane Desk.lnk";
  const bool rootLinkBefore = Exists(rootLink);
  form.StartMButtonClick(nullptr);
  form.StartUpButtonClick(nullptr);
  EXPECT_EQ(CountFiles(m_dir / "Programs"), 0);
  EXPECT_EQ(CountFiles(m_dir / "Startup"), 0);
  EXPECT_EQ(Exists(rootLink), rootLinkBefore);
  EXPECT_TRUE(form.ShortcutMaker1->ShortcutFolder.empty());
  EXPECT_EQ(m_specialAsked, (std::vector<int>{CSIDL_SENDTO, CSIDL_PROGRAMS, CSIDL_STARTUP}));
  EXPECT_TRUE(m_boxes.empty());
}

// Takes a "Shell Folders" value away (or sets it) for the test's lifetime
// and puts back what was there.
class ShellFoldersValue {
 public:
  explicit ShellFoldersValue(const char* name) : m_name(name) {
    HKEY key = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    m_key.reset(key);
    char buffer[MAX_PATH] = {};
    DWORD size = sizeof buffer;
    m_had = ::RegQueryValueExA(m_key.get(), name, nullptr, &m_type, reinterpret_cast<BYTE*>(buffer), &size) ==
            ERROR_SUCCESS;
    if (m_had) m_old.assign(buffer, size);
    ::RegDeleteValueA(m_key.get(), name);
  }
  void Set(const std::string& value) {
    ::RegSetValueExA(m_key.get(), m_name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
  }
  ~ShellFoldersValue() {
    if (m_had)
      ::RegSetValueExA(m_key.get(), m_name, 0, m_type, reinterpret_cast<const BYTE*>(m_old.data()),
                       static_cast<DWORD>(m_old.size()));
    else
      ::RegDeleteValueA(m_key.get(), m_name);
  }
  ShellFoldersValue(const ShellFoldersValue&) = delete;
  ShellFoldersValue& operator=(const ShellFoldersValue&) = delete;

 private:
  static constexpr const char* kKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  const char* m_name;
  fw::RegKey m_key;
  std::string m_old;
  DWORD m_type = REG_SZ;
  bool m_had = false;
};

TEST_F(ShortcutMakerTest, SystemSourceReadsTheRegistryValueAndFallsBackOnTheShell) {
  char shellPath[MAX_PATH] = {};
  ASSERT_TRUE(SUCCEEDED(::SHGetFolderPathA(nullptr, CSIDL_SENDTO, nullptr, SHGFP_TYPE_CURRENT, shellPath)));
  ShellFolderSource system = ShellFolderSource::System();
  {
    ShellFoldersValue value("SendTo");
    EXPECT_EQ(system.Resolve("SendTo"), std::string(shellPath));
    value.Set(m_dir / "SendTo");
    EXPECT_EQ(system.Resolve("SendTo"), m_dir / "SendTo");
  }
  EXPECT_EQ(orvane::CsidlForShellFolder("Programs"), CSIDL_PROGRAMS);
  EXPECT_EQ(orvane::CsidlForShellFolder("Startup"), CSIDL_STARTUP);
  EXPECT_EQ(orvane::CsidlForShellFolder("Start Menu"), CSIDL_STARTMENU);
  EXPECT_EQ(orvane::CsidlForShellFolder("Desktop"), CSIDL_DESKTOPDIRECTORY);
  EXPECT_EQ(orvane::CsidlForShellFolder("nothing"), -1);
}

}  // namespace
