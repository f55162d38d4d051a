// Path, volume and file-time helpers, on Shift-JIS paths whose last byte may
// look like a backslash.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "shell/Shellutils.h"
#include "tests/common/TempDir.h"

namespace {

TEST(PathDelimiters, TrailingBackslashIsJudgedOnTheLastWholeCharacter) {
  struct Case {
    const char* path;
    const char* added;
    const char* removed;
  };
  const Case cases[] = {
      {"C:\\ソ", "C:\\ソ\\", "C:\\ソ"},  // "ソ" is 0x83 0x5C
      {"C:\\ソ\\", "C:\\ソ\\", "C:\\ソ"},
      {"C:\\表", "C:\\表\\", "C:\\表"},  // "表" is 0x95 0x5C
      {"C:\\表示\\ソ\\", "C:\\表示\\ソ\\", "C:\\表示\\ソ"},
      {"C:\\", "C:\\", "C:"},
      {"C:", "C:\\", "C:"},
      {"\\", "\\", ""},
      {"", "\\", ""},
      {"\\\\server\\share", "\\\\server\\share\\", "\\\\server\\share"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AddPathDelimiter(c.path), c.added) << c.path;
    EXPECT_EQ(RemoveLastDelimiter(c.path), c.removed) << c.path;
  }
  // A lone lead byte at the end (a cut character) is not a backslash either.
  EXPECT_EQ(AddPathDelimiter("C:\\\x83"), "C:\\\x83\\");
  EXPECT_EQ(RemoveLastDelimiter("C:\\\x83"), "C:\\\x83");
}

TEST(PathDelimiters, MakeFullPathJoinsWithExactlyOneBackslash) {
  EXPECT_EQ(MakeFullPath("C:\\", "a.txt"), "C:\\a.txt");
  EXPECT_EQ(MakeFullPath("C:\\ソ", "a.txt"), "C:\\ソ\\a.txt");
  EXPECT_EQ(MakeFullPath("C:\\ソ\\", "表.txt"), "C:\\ソ\\表.txt");
  EXPECT_EQ(MakeFullPath("C:\\Temp", "*.*"), "C:\\Temp\\*.*");
}

TEST(PathDelimiters, PathsNearMaxPath) {
  // 259 bytes ending in a double-byte character with a 0x5C trail byte.
  std::string path = "C:\\";
  while (path.size() + 2 < MAX_PATH - 1) path += "ソ";
  while (path.size() < MAX_PATH - 3) path += "a";
  path += "ソ";
  ASSERT_EQ(path.size(), static_cast<std::size_t>(MAX_PATH - 1));
  std::string added = AddPathDelimiter(path);
  EXPECT_EQ(added.size(), static_cast<std::size_t>(MAX_PATH));
  EXPECT_EQ(RemoveLastDelimiter(added), path);
  EXPECT_EQ(RemoveLastDelimiter(path), path);
  EXPECT_EQ(MakeFullPath(path, "x"), added + "x");
}

TEST(SystemFolders, WindowsAndTemporaryFolders) {
  std::string win = GetWinDir();
  char expected[MAX_PATH] = {};
  GetWindowsDirectoryA(expected, MAX_PATH);
  EXPECT_EQ(win, expected);
  EXPECT_FALSE(win.empty());

  std::string temp = GetTempDir();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '\\');
  DWORD attributes = GetFileAttributesA(temp.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(SystemFolders, ShortNamesAndAssociatedPrograms) {
  testsupport::TempDir temp;
  std::string folder = temp / "長いフォルダ名ソ";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));

  std::string shortName = GetShortPathNameEx(folder);
  ASSERT_FALSE(shortName.empty());
  char longName[MAX_PATH] = {};
  ASSERT_NE(GetLongPathNameA(shortName.c_str(), longName, MAX_PATH), 0u);
  EXPECT_EQ(longName, folder);
  EXPECT_EQ(GetShortPathNameEx(folder + "\\無い"), "");
  EXPECT_EQ(GetShortPathNameEx(""), "");

  // Settings files open with a program of the system (a fresh Wine prefix
  // associates ".ini" but not ".txt"); a missing file or an extension nobody
  // claims has none.
  std::string ini = folder + "\\設定.ini";
  testsupport::WriteFile(ini, "[a]\r\n");
  std::string program = FindAssociatedProgram(ini);
  ASSERT_FALSE(program.empty());
  EXPECT_NE(GetFileAttributesA(program.c_str()), INVALID_FILE_ATTRIBUTES) << program;
  EXPECT_EQ(FindAssociatedProgram(folder + "\\無い.txt"), "");
  std::string unknown = folder + "\\data.zqxw";
  testsupport::WriteFile(unknown, "?");
  EXPECT_EQ(FindAssociatedProgram(unknown), "");
}

TEST(Volumes, LabelsAreShownWithOnlyTheFirstLetterRaised) {
  EXPECT_EQ(FormatVolumeLabel("DATA"), "Data");
  EXPECT_EQ(FormatVolumeLabel("my DISK"), "My disk");
  EXPECT_EQ(FormatVolumeLabel("1ST"), "1st");
  EXPECT_EQ(FormatVolumeLabel(""), "");
  // Double-byte characters are left whole: "ア" is 0x83 0x41, whose trail
  // byte is an "A"; folding it would turn the character into another.
  EXPECT_EQ(FormatVolumeLabel("アBC"), "アbc");
  EXPECT_EQ(FormatVolumeLabel("表DATA"), "表data");

  // The real drive: whatever its stored label, the shown one follows from it.
  char label[65] = {};
  ASSERT_TRUE(GetVolumeInformationA("C:\\", label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0));
  EXPECT_EQ(GetVolumeName("C:\\"), FormatVolumeLabel(label));

  // A drive letter that names nothing gives the empty text and no prompt.
  DWORD drives = GetLogicalDrives();
  char letter = 0;
  for (char c = 'Z'; c >= 'D' && !letter; --c)
    if (!(drives & (1u << (c - 'A')))) letter = c;
  ASSERT_NE(letter, 0);
  UINT before = SetErrorMode(0);
  SetErrorMode(before);
  EXPECT_EQ(GetVolumeName(std::string(1, letter) + ":\\"), "");
  EXPECT_EQ(SetErrorMode(before), before) << "the error mode was not restored";
}

// A local calendar time as a UTC file time.
FILETIME LocalToFileTime(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s) {
  SYSTEMTIME st{};
  st.wYear = y;
  st.wMonth = mo;
  st.wDay = d;
  st.wHour = h;
  st.wMinute = mi;
  st.wSecond = s;
  FILETIME local{}, utc{};
  EXPECT_TRUE(SystemTimeToFileTime(&st, &local));
  EXPECT_TRUE(LocalFileTimeToFileTime(&local, &utc));
  return utc;
}

bool SameFileTime(const FILETIME& a, const FILETIME& b) {
  return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

TEST(FileTimes, ConversionsAreLocalAndRoundTrip) {
  // 2024-03-15 is day 45366 after 1899-12-30.
  FILETIME even = LocalToFileTime(2024, 3, 15, 12, 34, 56);
  fw::TDateTime dt = FileTimeToDateTime(even);
  EXPECT_NEAR(dt, 45366 + (12 * 3600 + 34 * 60 + 56) / 86400.0, 1e-9);
  EXPECT_TRUE(SameFileTime(DateTimeToFileTime(dt), even));
  EXPECT_EQ(FileTimeToElapsedTime(even), 34);

  // DOS time has two-second steps: an odd second is rounded down.
  FILETIME odd = LocalToFileTime(2024, 3, 15, 12, 34, 57);
  EXPECT_TRUE(SameFileTime(DateTimeToFileTime(FileTimeToDateTime(odd)), even));

  // Round trips across the DOS range, including a leap day and the ends.
  for (FILETIME ft : {LocalToFileTime(1980, 1, 1, 0, 0, 0), LocalToFileTime(2000, 2, 29, 23, 59, 58),
                      LocalToFileTime(2107, 12, 31, 23, 59, 58), LocalToFileTime(2038, 1, 19, 3, 14, 8)}) {
    EXPECT_TRUE(SameFileTime(DateTimeToFileTime(FileTimeToDateTime(ft)), ft));
  }
}

TEST(FileTimes, ZeroAndOutOfRangeValues) {
  FILETIME real = LocalToFileTime(2024, 3, 15, 12, 34, 56);
  EXPECT_EQ(FileTimeToDateTime(FILETIME{0, real.dwHighDateTime}), 0);
  EXPECT_EQ(FileTimeToDateTime(FILETIME{real.dwLowDateTime, 0}), 0);
  EXPECT_EQ(FileTimeToDateTime(FILETIME{0, 0}), 0);

  EXPECT_TRUE(SameFileTime(DateTimeToFileTime(0), FILETIME{0, 0}));
  // 1979-12-31 and 2108-01-01 do not fit a DOS date.
  EXPECT_TRUE(SameFileTime(DateTimeToFileTime(29220.5), FILETIME{0, 0}));
  EXPECT_TRUE(SameFileTime(DateTimeToFileTime(76336.5), FILETIME{0, 0}));
}

}  // namespace
