// The release packages as a user gets them: the setup program installed,
// started, installed again and removed; the zip unpacked and started.
// run.sh unpacks the zip and names both through the environment.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/base/ComPtr.h"
#include "framework/base/Handle.h"
#include "orvane_version.h"
#include "tests/common/TempDir.h"
#include "tests/e2e/Driver.h"

namespace {

constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvane";
constexpr DWORD kProcessTimeoutMs = 120000;

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

// Runs a command line and waits for it; the exit code, or -1 when it did not start or end.
long RunAndWait(const std::string& commandLine) {
  std::string cmd = commandLine;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  fw::Handle process(pi.hProcess);
  fw::Handle thread(pi.hThread);
  if (::WaitForSingleObject(process.get(), kProcessTimeoutMs) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.get(), 99);
    return -1;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process.get(), &code);
  return static_cast<long>(code);
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool KeyExists() {
  fw::RegKey key;
  return ::RegOpenKeyExA(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

std::string RegString(const char* value) {
  char buf[1024] = {};
  DWORD size = sizeof buf;
  if (::RegGetValueA(HKEY_CURRENT_USER, kUninstallKey, value, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
    return "<missing>";
  return buf;
}

DWORD RegDword(const char* value) {
  DWORD v = 0xFFFFFFFF;
  DWORD size = sizeof v;
  ::RegGetValueA(HKEY_CURRENT_USER, kUninstallKey, value, RRF_RT_REG_DWORD, nullptr, &v, &size);
  return v;
}

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
}

std::string StartMenuShortcut() { return ShellFolder(CSIDL_PROGRAMS) + "\\Orvane.lnk"; }

std::string LinkTarget(const std::string& lnk) {
  fw::ComPtr<IShellLinkA> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.PutVoid())))
    return {};
  auto file = link.As<IPersistFile>(IID_IPersistFile);
  wchar_t wide[MAX_PATH];
  ::MultiByteToWideChar(CP_ACP, 0, lnk.c_str(), -1, wide, MAX_PATH);
  if (!file || FAILED(file->Load(wide, STGM_READ))) return {};
  char target[MAX_PATH] = {};
  if (FAILED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH))) return {};
  return target;
}

bool SameFileContents(const std::string& a, const std::string& b) {
  std::string x = testsupport::ReadFile(a);
  return !x.empty() && x == testsupport::ReadFile(b);
}

// Starts the program, waits for its main window and closes it.
void StartsAndCloses(const std::string& exe) {
  e2e::OrvaneProcess orvane;
  ASSERT_TRUE(orvane.Start(exe)) << exe;
  HWND main = orvane.WaitForWindow("OrvaneForm", "", 30000);
  ASSERT_NE(main, nullptr) << "the main window of " << exe << " did not appear";
  DWORD code = 1;
  ASSERT_TRUE(orvane.CloseAndWait(main, 30000, &code)) << "Orvane did not end after WM_CLOSE";
  EXPECT_EQ(code, 0u);
}

class PackageTest : public testing::Test {
 protected:
  void SetUp() override {
    m_setup = Env("ORVANE_PACKAGE_SETUP");
    ASSERT_TRUE(Exists(m_setup)) << "ORVANE_PACKAGE_SETUP names no setup program: '" << m_setup << "'";
    // A run that failed half-way must not decide this one.
    RunAndWait("reg delete \"HKCU\\" + std::string(kUninstallKey) + "\" /f");
    ::DeleteFileA(StartMenuShortcut().c_str());
  }
  long Install(const std::string& dir) {
    // /D must come last and unquoted: it takes the rest of the line, spaces and all.
    return RunAndWait("\"" + m_setup + "\" /S" + (dir.empty() ? "" : " /D=" + dir));
  }
  // The uninstaller normally copies itself away and returns at once; _?= runs it in place, so it can be waited for.
  static long UninstallInPlace(const std::string& dir) {
    return RunAndWait("\"" + dir + "\\Uninstall.exe\" /S _?=" + dir);
  }
  fw::OleScope m_ole{false};
  std::string m_setup;
};

TEST_F(PackageTest, InstallsRunsKeepsUserFilesAcrossReinstallAndUninstallsOnlyItsOwn) {
  testsupport::TempDir tmp;
  // A space and "ソ" (whose second byte is a backslash) in the folder's name.
  const std::string dir = tmp / "Orvane ソフト";
  ASSERT_EQ(Install(dir), 0);

  const std::vector<std::string> installed = {"Orvane.exe", "Uninstall.exe", "index.html", "purger.dll"};
  ASSERT_EQ(testsupport::FolderNames(dir), installed) << "no settings or bookmark file is shipped";
  const std::string bin = e2e::BuildBinDir();
  for (const char* f : {"Orvane.exe", "purger.dll", "index.html"})
    EXPECT_TRUE(SameFileContents(bin + "\\" + f, dir + "\\" + f)) << f << " is not this build's";

  // Registered in the user's own list of installed programs.
  EXPECT_EQ(RegString("DisplayName"), "Orvane");
  EXPECT_EQ(RegString("DisplayVersion"), ORVANE_VERSION_TEXT);
  EXPECT_EQ(RegString("InstallLocation"), dir);
  EXPECT_EQ(RegString("UninstallString"), "\"" + dir + "\\Uninstall.exe\"");
  EXPECT_EQ(RegString("QuietUninstallString"), "\"" + dir + "\\Uninstall.exe\" /S");
  EXPECT_EQ(RegString("DisplayIcon"), dir + "\\Orvane.exe,0");
  EXPECT_NE(RegString("Publisher"), "<missing>");
  EXPECT_EQ(RegDword("NoModify"), 1u);
  EXPECT_EQ(RegDword("NoRepair"), 1u);
  EXPECT_EQ(LinkTarget(StartMenuShortcut()), dir + "\\Orvane.exe");

  ASSERT_NO_FATAL_FAILURE(StartsAndCloses(dir + "\\Orvane.exe"));
  ASSERT_TRUE(Exists(dir + "\\Orvane.INI")) << "the installed program writes its settings beside itself";

  // The user's settings and bookmarks survive installing again.
  const std::string ini = "[window]\r\nleft=12\r\n";
  const std::string bookmarks = "C:\\しおり\r\n";
  testsupport::WriteFile(dir + "\\Orvane.INI", ini);
  testsupport::WriteFile(dir + "\\siori.dat", bookmarks);
  ASSERT_EQ(Install(dir), 0);
  EXPECT_EQ(testsupport::ReadFile(dir + "\\Orvane.INI"), ini);
  EXPECT_EQ(testsupport::ReadFile(dir + "\\siori.dat"), bookmarks);
  EXPECT_TRUE(Exists(dir + "\\Orvane.exe"));

  // The uninstaller tells, in Japanese, that it keeps them: a wrong input
  // encoding for makensis would show mojibake here. Cancel leaves all as it is.
  {
    e2e::OrvaneProcess uninstaller;
    ASSERT_TRUE(uninstaller.Start(dir + "\\Uninstall.exe", "_?=" + dir));
    HWND page = uninstaller.WaitForWindow("#32770", "", 30000);
    ASSERT_NE(page, nullptr) << "the uninstaller showed no window";
    const std::string text =
        "Orvane "
        "を次のフォルダから削除します。設定ファイル「Orvane.INI」としおりファイル「siori.dat」は削除せずに残します。";
    EXPECT_NE(e2e::FindChild(page, "Static", text), nullptr) << "the confirmation page does not say so";
    ::PostMessageA(page, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(uninstaller.WaitForExit(30000));
    EXPECT_TRUE(Exists(dir + "\\Orvane.exe"));
  }

  // Uninstalling leaves the user's files (and, run in place, the uninstaller itself).
  ASSERT_EQ(UninstallInPlace(dir), 0);
  const std::vector<std::string> left = {"Orvane.INI", "Uninstall.exe", "siori.dat"};
  EXPECT_EQ(testsupport::FolderNames(dir), left);
  EXPECT_EQ(testsupport::ReadFile(dir + "\\Orvane.INI"), ini);
  EXPECT_EQ(testsupport::ReadFile(dir + "\\siori.dat"), bookmarks);
  EXPECT_TRUE(::DeleteFileA((dir + "\\Uninstall.exe").c_str()));
  EXPECT_FALSE(KeyExists()) << "the registration outlived the uninstall";
  EXPECT_FALSE(Exists(StartMenuShortcut())) << "the Start menu shortcut outlived the uninstall";
}

TEST_F(PackageTest, InstallsIntoTheUsersProgramsFolderAndItsQuietUninstallRemovesTheEmptyFolder) {
  const std::string local = ShellFolder(CSIDL_LOCAL_APPDATA);
  ASSERT_FALSE(local.empty());
  const std::string dir = local + "\\Programs\\Orvane";
  testsupport::RemoveTree(dir);
  ASSERT_EQ(Install(""), 0);
  EXPECT_TRUE(Exists(dir + "\\Orvane.exe")) << dir;
  EXPECT_EQ(RegString("InstallLocation"), dir);

  // The command a settings page runs: the uninstaller copies itself away and
  // returns before it is done, so wait for what it does.
  const std::string quiet = RegString("QuietUninstallString");
  ASSERT_EQ(RunAndWait(quiet), 0) << quiet;
  for (int i = 0; i < 600 && Exists(dir); ++i) ::Sleep(100);
  EXPECT_FALSE(Exists(dir)) << "the emptied folder was not removed";
  EXPECT_FALSE(KeyExists());
}

TEST_F(PackageTest, SetupAndUninstallRefuseWhileTheProgramRunsAndLeaveTheInstallWhole) {
  testsupport::TempDir tmp;
  const std::string dir = tmp / "Orvane";
  ASSERT_EQ(Install(dir), 0);
  {
    e2e::OrvaneProcess orvane;
    ASSERT_TRUE(orvane.Start(dir + "\\Orvane.exe"));
    HWND main = orvane.WaitForWindow("OrvaneForm", "", 30000);
    ASSERT_NE(main, nullptr);
    // Installing over it would skip the held executable and still report success.
    EXPECT_NE(Install(dir), 0);
    EXPECT_NE(UninstallInPlace(dir), 0);
    EXPECT_TRUE(Exists(dir + "\\Orvane.exe"));
    EXPECT_TRUE(Exists(dir + "\\purger.dll"));
    EXPECT_TRUE(KeyExists()) << "a half-removed program lost its uninstaller's registration";
    ASSERT_TRUE(orvane.CloseAndWait(main, 30000));
  }
  ASSERT_EQ(UninstallInPlace(dir), 0);
  EXPECT_FALSE(Exists(dir + "\\Orvane.exe"));
  EXPECT_FALSE(KeyExists());
}

TEST(PortableZip, UnpacksToAProgramThatRunsWhereItIs) {
  const std::string dir = Env("ORVANE_PACKAGE_UNPACKED");
  ASSERT_FALSE(dir.empty()) << "ORVANE_PACKAGE_UNPACKED is not set";
  const std::vector<std::string> files = {"Orvane.exe", "index.html", "purger.dll"};
  ASSERT_EQ(testsupport::FolderNames(dir), files);
  ASSERT_NO_FATAL_FAILURE(StartsAndCloses(dir + "\\Orvane.exe"));
  EXPECT_TRUE(Exists(dir + "\\Orvane.INI")) << "the unpacked program keeps its settings beside itself";
}

}  // namespace
