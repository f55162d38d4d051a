// Long names, disk queries and the shell's file operations on real files
// with Shift-JIS names, some of whose second bytes are backslashes.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "shell/Shellutils.h"
#include "tests/common/TempDir.h"

namespace {

using testsupport::TempDir;
using testsupport::WriteFile;

constexpr FILEOP_FLAGS kQuiet = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string SystemLongPath(const std::string& path) {
  char buffer[MAX_PATH] = {};
  DWORD n = GetLongPathNameA(path.c_str(), buffer, MAX_PATH);
  return n == 0 || n >= MAX_PATH ? std::string() : std::string(buffer, n);
}

// A drive letter the machine does not have.
char MissingDrive() {
  DWORD drives = GetLogicalDrives();
  for (char letter = 'Z'; letter >= 'D'; --letter)
    if (!(drives & (1u << (letter - 'A')))) return letter;
  return 0;
}

// ---------------------------------------------------------------------------
// Long names

TEST(LongNames, ShortJapanesePathComesBackInLongForm) {
  TempDir temp;
  // "表" ends in 0x5C: the folder's name looks as if it ended in a backslash.
  std::string folder = temp / "長いフォルダの名前は表";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  std::string file = folder + "\\長いファイルの名前ソ.txt";
  WriteFile(file, "x");

  std::string shortFile = GetShortPathNameEx(file);
  ASSERT_FALSE(shortFile.empty());
  ASSERT_NE(shortFile, file) << "the file system made no short names";
  std::string expected = SystemLongPath(file);
  ASSERT_FALSE(expected.empty());
  expected[0] = static_cast<char>(toupper(static_cast<unsigned char>(expected[0])));

  EXPECT_EQ(GetLongPathName(shortFile), expected);
  // Lower-case input: the drive comes back in upper case, names as stored.
  std::string lowered = shortFile;
  lowered[0] = static_cast<char>(tolower(static_cast<unsigned char>(lowered[0])));
  EXPECT_EQ(GetLongPathName(lowered), expected);

  // A folder with its trailing backslash keeps it.
  std::string shortFolder = GetShortPathNameEx(folder);
  ASSERT_FALSE(shortFolder.empty());
  std::string expectedFolder = expected.substr(0, expected.size() - std::string("\\長いファイルの名前ソ.txt").size());
  EXPECT_EQ(GetLongPathName(shortFolder + "\\"), expectedFolder + "\\");
  EXPECT_EQ(GetLongPathName(folder), expectedFolder);
}

TEST(LongNames, DrivesMissingComponentsAndWildcards) {
  EXPECT_EQ(GetLongPathName("c:\\"), "C:\\");
  EXPECT_EQ(GetLongPathName("c:"), "C:");
  EXPECT_EQ(GetLongPathName(""), "");

  TempDir temp;
  EXPECT_EQ(GetLongPathName(temp / "ないファイル.txt"), "");
  EXPECT_EQ(GetLongPathName(temp / "ないフォルダ\\a.txt"), "");
  WriteFile(temp / "a.txt", "x");
  EXPECT_EQ(GetLongPathName(temp / "*.txt"), "") << "a wildcard must not stand for a name";
  EXPECT_EQ(GetLongPathName("a.txt"), "") << "a relative path has no drive to stand on";
}

TEST(LongNames, LongFileNameThroughTheShell) {
  TempDir temp;
  std::string file = temp / "長い名前表.txt";
  WriteFile(file, "x");
  EXPECT_EQ(GetLongFileNameEx(file), SystemLongPath(file));
  EXPECT_EQ(GetLongFileNameEx(""), "");
  EXPECT_EQ(GetLongFileNameEx(temp / "ない.txt"), "");
}

// ---------------------------------------------------------------------------
// Disks

struct FakeDisk {
  static inline DWORD sectorsPerCluster, bytesPerSector, freeClusters;
  static inline std::string root;
  static inline bool quiet;
  static BOOL WINAPI Query(LPCSTR r, LPDWORD spc, LPDWORD bps, LPDWORD free, LPDWORD total) {
    root = r;
    UINT mode = SetErrorMode(0);
    SetErrorMode(mode);
    quiet = (mode & SEM_FAILCRITICALERRORS) != 0;
    *spc = sectorsPerCluster;
    *bps = bytesPerSector;
    *free = freeClusters;
    *total = freeClusters;
    return TRUE;
  }
};

class DiskSeam {
 public:
  explicit DiskSeam(DiskFreeSpaceQuery q) : m_previous(SetDiskFreeSpaceQuery(q)) {}
  ~DiskSeam() { SetDiskFreeSpaceQuery(m_previous); }

 private:
  DiskFreeSpaceQuery m_previous;
};

TEST(Disks, FreeSpaceMatchesTheSystemsFigureInMebibytes) {
  ULARGE_INTEGER available, total, free;
  ASSERT_TRUE(GetDiskFreeSpaceExA("C:\\", &available, &total, &free));
  std::int32_t mib = CheckDiskSize("C:\\");
  ASSERT_GE(mib, 0);
  std::uint64_t expected = std::min<std::uint64_t>(free.QuadPart >> 20, 0x7FFFFFFF);
  // Other programs write to the same disk meanwhile: allow some drift.
  EXPECT_NEAR(static_cast<double>(mib), static_cast<double>(expected), 512.0);

  char missing = MissingDrive();
  ASSERT_NE(missing, 0);
  EXPECT_EQ(CheckDiskSize(std::string(1, missing) + ":\\"), -1);
  EXPECT_EQ(CheckDiskSize("C:\\ないフォルダ\\"), -1);
}

TEST(Disks, FreeSpaceAbove4GiBDoesNotWrapAndHugeFiguresClamp) {
  DiskSeam seam(&FakeDisk::Query);
  // 8 * 512 * 2,000,000 = 8,192,000,000 bytes: wraps in 32 bits.
  FakeDisk::sectorsPerCluster = 8;
  FakeDisk::bytesPerSector = 512;
  FakeDisk::freeClusters = 2000000;
  EXPECT_EQ(CheckDiskSize("X:\\"), 7812);
  EXPECT_EQ(FakeDisk::root, "X:\\");
  EXPECT_TRUE(FakeDisk::quiet) << "an empty drive could ask for a disk";
  // 1,048,575 bytes are not yet one MiB.
  FakeDisk::sectorsPerCluster = 1;
  FakeDisk::bytesPerSector = 1;
  FakeDisk::freeClusters = 1048575;
  EXPECT_EQ(CheckDiskSize("X:\\"), 0);
  // 2^20 * (2^32 - 1) bytes: more MiB than a signed 32-bit number holds.
  FakeDisk::sectorsPerCluster = 256;
  FakeDisk::bytesPerSector = 4096;
  FakeDisk::freeClusters = 0xFFFFFFFF;
  EXPECT_EQ(CheckDiskSize("X:\\"), 0x7FFFFFFF);
}

TEST(Disks, DiskInDrive) {
  EXPECT_TRUE(CheckDiskInDrive('C'));
  EXPECT_TRUE(CheckDiskInDrive('c'));
  char missing = MissingDrive();
  ASSERT_NE(missing, 0);
  EXPECT_FALSE(CheckDiskInDrive(missing));
}

struct FakeFormat {
  static inline std::vector<std::string> asked;
  static inline int calls;
  static inline UINT drive, formatId, options;
  static UINT WINAPI Type(LPCSTR root) {
    asked.push_back(root);
    return root[0] == 'a' ? DRIVE_REMOVABLE : DRIVE_FIXED;
  }
  static DWORD WINAPI Format(HWND, UINT d, UINT f, UINT o) {
    ++calls;
    drive = d;
    formatId = f;
    options = o;
    return 0;
  }
};

TEST(Disks, FormatOnlyForRemovableDrives) {
  DriveTypeQuery previousType = SetDriveTypeQuery(&FakeFormat::Type);
  FormatDriveCall previousFormat = SetFormatDriveCall(&FakeFormat::Format);
  FakeFormat::calls = 0;
  FormatFDD(nullptr, 'C', 0);
  EXPECT_EQ(FakeFormat::calls, 0);
  FormatFDD(nullptr, 'A', SHFMT_OPT_FULL);
  SetDriveTypeQuery(previousType);
  SetFormatDriveCall(previousFormat);
  ASSERT_EQ(FakeFormat::calls, 1);
  EXPECT_EQ(FakeFormat::drive, 0u);
  EXPECT_EQ(FakeFormat::formatId, 0u);
  EXPECT_EQ(FakeFormat::options, static_cast<UINT>(SHFMT_OPT_FULL));
  EXPECT_EQ(FakeFormat::asked, (std::vector<std::string>{"c:\\", "a:\\"}));
}

// ---------------------------------------------------------------------------
// Folders

TEST(Folders, OnlyDotNamesCountAsEmpty) {
  TempDir temp;
  std::string folder = temp / "中身表";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  EXPECT_TRUE(FolderEmpty(folder));
  WriteFile(folder + "\\.hidden", "x");
  ASSERT_TRUE(CreateDirectoryA((folder + "\\.config").c_str(), nullptr));
  EXPECT_TRUE(FolderEmpty(folder));
  EXPECT_TRUE(FolderEmpty(folder + "\\"));
  WriteFile(folder + "\\ソ", "x");
  EXPECT_FALSE(FolderEmpty(folder));
  EXPECT_TRUE(FolderEmpty(temp / "ないフォルダ"));
}

TEST(Folders, SpecialFolderPath) {
  std::string path = "untouched";
  ASSERT_TRUE(GetSpecialFolderPath(path, sfidAppData, nullptr));
  EXPECT_NE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  path = "untouched";
  EXPECT_FALSE(GetSpecialFolderPath(path, sfidDrives, nullptr));  // the computer is not a folder on disk
  EXPECT_EQ(path, "untouched");
}

// ---------------------------------------------------------------------------
// File operations

class FileOperations : public testing::Test {
 protected:
  void SetUp() override {
    m_source = m_temp / "元表";
    m_target = m_temp / "先ソ";
    ASSERT_TRUE(CreateDirectoryA(m_source.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(m_target.c_str(), nullptr));
    m_files = {m_source + "\\一.txt", m_source + "\\ソ.txt", m_source + "\\表"};
    WriteFile(m_files[0], "one");
    WriteFile(m_files[1], "two");
    ASSERT_TRUE(CreateDirectoryA(m_files[2].c_str(), nullptr));
    WriteFile(m_files[2] + "\\中.txt", "three");
  }

  TempDir m_temp;
  std::string m_source, m_target;
  std::vector<std::string> m_files;
};

TEST_F(FileOperations, CopyAListIntoAFolderGivenWithItsBackslash) {
  ASSERT_TRUE(SHCopyFiles(m_files, m_target + "\\", kQuiet));
  EXPECT_EQ(testsupport::ReadFile(m_target + "\\一.txt"), "one");
  EXPECT_EQ(testsupport::ReadFile(m_target + "\\ソ.txt"), "two");
  EXPECT_EQ(testsupport::ReadFile(m_target + "\\表\\中.txt"), "three");
  for (const std::string& f : m_files) EXPECT_TRUE(Exists(f)) << f;
}

TEST_F(FileOperations, AnEmptyEntryDoesNotCutTheListShort) {
  ASSERT_TRUE(SHCopyFiles({m_files[0], "", m_files[1]}, m_target, kQuiet));
  EXPECT_TRUE(Exists(m_target + "\\一.txt"));
  EXPECT_TRUE(Exists(m_target + "\\ソ.txt"));
  EXPECT_FALSE(SHCopyFiles({}, m_target, kQuiet));
  EXPECT_FALSE(SHDeleteFiles({""}, kQuiet));
}

TEST_F(FileOperations, MoveRenameAndDelete) {
  ASSERT_TRUE(SHMoveFiles(m_files, m_target + "\\", kQuiet));
  for (const std::string& f : m_files) EXPECT_FALSE(Exists(f)) << f;
  EXPECT_EQ(testsupport::ReadFile(m_target + "\\表\\中.txt"), "three");

  ASSERT_TRUE(SHRenameFile(m_target + "\\一.txt", m_target + "\\改名表.txt", false));
  EXPECT_FALSE(Exists(m_target + "\\一.txt"));
  EXPECT_EQ(testsupport::ReadFile(m_target + "\\改名表.txt"), "one");

  ASSERT_TRUE(SHDeleteFiles({m_target + "\\改名表.txt", m_target + "\\ソ.txt"}, kQuiet));
  EXPECT_FALSE(Exists(m_target + "\\改名表.txt"));
  EXPECT_FALSE(Exists(m_target + "\\ソ.txt"));

  // One folder given with its trailing backslash, then a file.
  ASSERT_TRUE(SHDeleteFile(m_target + "\\表\\", kQuiet));
  EXPECT_FALSE(Exists(m_target + "\\表"));
  WriteFile(m_target + "\\残り.txt", "x");
  ASSERT_TRUE(SHDeleteFile(m_target + "\\残り.txt", kQuiet));
  EXPECT_FALSE(Exists(m_target + "\\残り.txt"));
  EXPECT_TRUE(FolderEmpty(m_target));
}

TEST_F(FileOperations, MissingPathsFail) {
  EXPECT_FALSE(SHDeleteFile(m_source + "\\ない.txt", kQuiet));
  EXPECT_FALSE(SHDeleteFile("", kQuiet));
  EXPECT_FALSE(SHCopyFiles({m_source + "\\ない.txt"}, m_target, kQuiet));
  // Windows' engine fails a move of a missing file too; Wine's reports
  // success and moves nothing, so only the outcome on disk is checked.
  SHMoveFiles({m_source + "\\ない.txt"}, m_target, kQuiet);
  EXPECT_FALSE(SHDeleteFiles({m_source + "\\ない.txt"}, kQuiet));
  EXPECT_TRUE(FolderEmpty(m_target));
}

}  // namespace
