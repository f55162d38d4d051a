#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "framework/base/Exception.h"
#include "framework/base/Handle.h"
#include "framework/settings/IniFile.h"
#include "tests/common/TempDir.h"

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

std::vector<std::string> Section(const fw::IniFile& ini, const std::string& name) {
  std::vector<std::string> list{"left over"};
  ini.ReadSection(name, list);
  return list;
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(IniFile, KeysAndSectionsIgnoreLetterCase) {
  TempDir dir;
  const std::string path = dir / "Orvane.INI";
  // Written by hand in lower case: the reader's spelling must still find it.
  WriteFile(path, "[cool]\r\nscomboleft=30\r\n");
  fw::IniFile ini(path);
  EXPECT_EQ(ini.ReadInteger("cool", "ScomboLeft", 9), 30);
  // Written as "SComboLeft", read as "ScomboLeft": one key, replaced where it stands.
  ini.WriteInteger("COOL", "SComboLeft", 12);
  EXPECT_EQ(ini.ReadInteger("cool", "ScomboLeft", 9), 12);
  EXPECT_EQ(ReadFile(path), "[cool]\r\nscomboleft=12\r\n");
  // Japanese names are compared whole, not byte by byte: "評" ends in 0x5D (']').
  ini.WriteString("評価", "ホーム", "C:\\ソフト");
  ini.WriteString("Home", "ホーム", "D:\\");
  EXPECT_EQ(ini.ReadString("評価", "ホーム", ""), "C:\\ソフト");
  EXPECT_EQ(ini.ReadString("home", "ホーム", ""), "D:\\");
  EXPECT_EQ(Section(ini, "評価"), std::vector<std::string>{"ホーム"});
}

TEST(IniFile, OrderOfFirstWriteAndReplaceInPlace) {
  TempDir dir;
  const std::string path = dir / "Orvane.INI";
  fw::IniFile ini(path);
  EXPECT_FALSE(Exists(path));
  EXPECT_EQ(ini.ReadString("window", "top", "none"), "none");  // a missing file reads as empty
  EXPECT_FALSE(Exists(path));
  ini.WriteInteger("window", "left", 266);
  ini.WriteInteger("window", "top", 155);
  ini.WriteInteger("cool", "toolLeft", 9);
  ini.WriteInteger("window", "Left", -3);     // replaced in place
  ini.WriteInteger("window", "height", 539);  // appended to its section, before "cool"
  ini.WriteBool("Tabs", "multi", true);
  ini.WriteBool("tabs", "MULTI", false);
  EXPECT_EQ(ReadFile(path),
            "[window]\r\nleft=-3\r\ntop=155\r\nheight=539\r\n"
            "[cool]\r\ntoolLeft=9\r\n"
            "[Tabs]\r\nmulti=0\r\n");
  EXPECT_EQ(ini.FileName(), path);
}

TEST(IniFile, HandWrittenFileKeepsWhatWasNotChanged) {
  TempDir dir;
  const std::string path = dir / "Orvane.INI";
  // Entries before any section, a line without "=", notes, odd spacing, a
  // blank line ending a section, LF line breaks and no final line break.
  const std::string original =
      "orphan=1\n"
      "[lancher]\n"
      "garbage without equals sign\n"
      "  Editor  =  C:\\e.exe \n"
      "; note=kept\n"
      "\n"
      "[lancher1]\n"
      "Stype=3";
  WriteFile(path, original);
  fw::IniFile ini(path);
  EXPECT_EQ(ini.ReadString("", "orphan", "-"), "-");
  EXPECT_EQ(ini.ReadString("lancher", "garbage without equals sign", "-"), "-");
  EXPECT_EQ(ini.ReadString("lancher", "editor", "-"), "  C:\\e.exe ");  // value unchanged, key trimmed
  EXPECT_EQ(Section(ini, "lancher"), (std::vector<std::string>{"Editor", "; note"}));

  ini.WriteString("lancher", "Viewer", "C:\\v.exe");
  ini.WriteString("lancher1", "Viewer", "-x");
  EXPECT_EQ(ReadFile(path),
            "orphan=1\n"
            "[lancher]\n"
            "garbage without equals sign\n"
            "  Editor  =  C:\\e.exe \n"
            "; note=kept\n"
            "Viewer=C:\\v.exe\n"
            "\n"
            "[lancher1]\n"
            "Stype=3\n"
            "Viewer=-x\n");
  // A launcher entry named "Stype" is the view style's key.
  ini.WriteString("lancher1", "stype", "1");
  EXPECT_EQ(ini.ReadInteger("lancher1", "Stype", 0), 1);

  // Garbage and a very long line give sound answers.
  std::string junk =
      "\x01\xFF[[]]==\r\r\n[\x81\n[long]\n" + std::string(100000, 'k') + "=" + std::string(5000, 'v') + "\n";
  WriteFile(path, junk + "[s]\nk=1\n");
  EXPECT_EQ(ini.ReadInteger("s", "k", 0), 1);
  EXPECT_EQ(ini.ReadString("long", std::string(100000, 'k'), ""), std::string(2047, 'v'));
}

TEST(IniFile, Integers) {
  struct Case {
    const char* text;
    bool valid;
    int value;
  };
  const Case cases[] = {
      {"0x1F", true, 31},
      {"0X10", true, 16},
      {"0xffffffff", true, -1},
      {"0x7FFFFFFF", true, 2147483647},
      {"0x000000001", true, 1},
      {"0x", false, 0},
      {"0x100000000", false, 0},
      {"0x1G", false, 0},
      {"-5", true, -5},
      {"+7", true, 7},
      {" 42 ", true, 42},
      {"2147483647", true, 2147483647},
      {"-2147483648", true, -2147483647 - 1},
      {"2147483648", false, 0},
      {"12abc", false, 0},
      {"", false, 0},
      {"-", false, 0},
      {"true", false, 0},
      {"1.5", false, 0},
      {"4 2", false, 0},
      {"-0x10", false, 0},
  };
  for (const Case& c : cases) {
    int v = 12345;
    EXPECT_EQ(fw::ParseIniInteger(c.text, v), c.valid) << c.text;
    if (c.valid) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
  TempDir dir;
  fw::IniFile ini(dir / "Orvane.INI");
  WriteFile(ini.FileName(), "[Tabs]\r\nTabActive=0x2\r\nbad=two\r\n");
  EXPECT_EQ(ini.ReadInteger("Tabs", "TabActive", 0), 2);
  EXPECT_EQ(ini.ReadInteger("Tabs", "bad", 0), 0);
  EXPECT_EQ(ini.ReadInteger("Tabs", "missing", 7), 7);
  ini.WriteInteger("Tabs", "TabActive", -2147483647 - 1);
  EXPECT_EQ(ini.ReadString("Tabs", "TabActive", ""), "-2147483648");
}

TEST(IniFile, BooleansAreIntegers) {
  TempDir dir;
  fw::IniFile ini(dir / "Orvane.INI");
  ini.WriteBool("window", "saveSiori", true);
  ini.WriteBool("window", "state", false);
  EXPECT_EQ(ReadFile(ini.FileName()), "[window]\r\nsaveSiori=1\r\nstate=0\r\n");
  EXPECT_TRUE(ini.ReadBool("window", "saveSiori", false));
  EXPECT_FALSE(ini.ReadBool("window", "state", true));
  EXPECT_TRUE(ini.ReadBool("window", "missing", true));
  ini.WriteString("window", "two", "2");
  ini.WriteString("window", "hex", "0x0");
  ini.WriteString("window", "word", "true");
  EXPECT_TRUE(ini.ReadBool("window", "two", false));
  EXPECT_FALSE(ini.ReadBool("window", "hex", true));
  EXPECT_FALSE(ini.ReadBool("window", "word", false));  // not an integer: the default
  EXPECT_TRUE(ini.ReadBool("window", "word", true));
}

TEST(IniFile, StringsAreKeptAndCutAt2047) {
  TempDir dir;
  fw::IniFile ini(dir / "Orvane.INI");
  ini.WriteString("s", "long", std::string(3000, 'a'));
  EXPECT_EQ(ini.ReadString("s", "long", ""), std::string(2047, 'a'));
  // The cut never leaves half of a double-byte character behind.
  ini.WriteString("s", "kanji", std::string(2046, 'a') + "表示");
  EXPECT_EQ(ini.ReadString("s", "kanji", ""), std::string(2046, 'a'));
  ini.WriteString("s", "exact", std::string(2045, 'a') + "表");
  EXPECT_EQ(ini.ReadString("s", "exact", ""), std::string(2045, 'a') + "表");
  // Quotes, blanks and "=" inside a value come back as written.
  ini.WriteString("s", "quoted", "\"C:\\a b\\x.txt\"");
  ini.WriteString("s", "blanks", "  x = y  ");
  ini.WriteString("s", "empty", "");
  EXPECT_EQ(ini.ReadString("s", "quoted", ""), "\"C:\\a b\\x.txt\"");
  EXPECT_EQ(ini.ReadString("s", "blanks", ""), "  x = y  ");
  EXPECT_EQ(ini.ReadString("s", "empty", "default"), "");
}

TEST(IniFile, KeyWithEqualsSignEndsBeforeIt) {
  TempDir dir;
  fw::IniFile ini(dir / "Orvane.INI");
  const std::string folder = "C:\\a=b";
  ini.WriteString("jump", folder, folder);
  ini.WriteString("jump", folder, folder);  // the same key again, not a second entry
  EXPECT_EQ(ReadFile(ini.FileName()), "[jump]\r\nC:\\a=C:\\a=b\r\n");
  EXPECT_EQ(Section(ini, "jump"), std::vector<std::string>{"C:\\a"});
  EXPECT_EQ(ini.ReadString("jump", "C:\\a", ""), folder);
  EXPECT_EQ(ini.ReadString("jump", folder, ""), folder);
  ini.DeleteKey("jump", folder);
  EXPECT_TRUE(Section(ini, "jump").empty());
}

TEST(IniFile, LineBreaksCannotInjectEntries) {
  TempDir dir;
  fw::IniFile ini(dir / "Orvane.INI");
  ini.WriteString("s", "k", "x\r\n[evil]\r\nk=1");
  ini.WriteString("s", "multi\nline", "v");
  // A launcher entry may be called "[Tool]": its line must stay an entry.
  ini.WriteString("lancher", "[Tool]", "C:\\t.exe");
  ini.WriteString("lancher", "after", "C:\\a.exe");
  EXPECT_EQ(ReadFile(ini.FileName()), "[s]\r\nk=x\r\nmulti=v\r\n[lancher]\r\n[Tool]=C:\\t.exe\r\nafter=C:\\a.exe\r\n");
  EXPECT_EQ(Section(ini, "lancher"), (std::vector<std::string>{"[Tool]", "after"}));
  EXPECT_TRUE(Section(ini, "evil").empty());
}

TEST(IniFile, ReadSectionListsWholeNamesWithin16384Bytes) {
  TempDir dir;
  fw::IniFile ini(dir / "Orvane.INI");
  // 128 names of 127 bytes fill 16384 bytes exactly with their zeros.
  std::string text = "[jump]\r\n";
  std::vector<std::string> expected;
  for (int i = 0; i < 129; ++i) {
    char head[8];
    std::snprintf(head, sizeof head, "%03d", i);
    std::string name = head + std::string(124, 'n');
    text += name + "=v\r\n";
    if (i < 128) expected.push_back(name);
    // Duplicates (by letter case too) are listed once, at their first place,
    // and an empty name not at all.
    if (i == 0) text += "000" + std::string(124, 'N') + "=again\r\n=nameless\r\n";
  }
  WriteFile(ini.FileName(), "[other]\r\nx=1\r\n" + text + "[after]\r\ny=1\r\n");
  std::vector<std::string> list = Section(ini, "JUMP");
  EXPECT_EQ(list, expected);
  // A missing section (and a missing file) clear the list.
  EXPECT_TRUE(Section(ini, "missing").empty());
  fw::IniFile none(dir / "none.ini");
  EXPECT_TRUE(Section(none, "jump").empty());
}

TEST(IniFile, DeleteKey) {
  TempDir dir;
  fw::IniFile ini(dir / "Orvane.INI");
  // Nothing to delete: no error, and no file is made.
  ini.DeleteKey("jump", "C:\\");
  EXPECT_FALSE(Exists(ini.FileName()));
  WriteFile(ini.FileName(), "[jump]\r\nC:\\=C:\\\r\nD:\\=D:\\\r\nc:\\=dup\r\n[x]\r\nC:\\=other\r\n");
  ini.DeleteKey("jump", "missing");
  ini.DeleteKey("missing", "C:\\");
  ini.DeleteKey("Jump", "C:\\");
  EXPECT_EQ(ReadFile(ini.FileName()), "[jump]\r\nD:\\=D:\\\r\n[x]\r\nC:\\=other\r\n");
  EXPECT_EQ(ini.ReadString("jump", "C:\\", "gone"), "gone");
}

TEST(IniFile, SecondObjectSeesWritesAtOnce) {
  TempDir dir;
  fw::IniFile main(dir / "Orvane.INI");
  fw::IniFile launcher(dir / "Orvane.INI");
  main.WriteString("lancher", "Editor", "C:\\e.exe");
  EXPECT_EQ(launcher.ReadString("lancher", "Editor", ""), "C:\\e.exe");
  launcher.WriteString("lancher", "Viewer", "C:\\v.exe");
  main.WriteString("lancher", "Editor", "C:\\e2.exe");  // must not lose the other object's entry
  EXPECT_EQ(Section(main, "lancher"), (std::vector<std::string>{"Editor", "Viewer"}));
  EXPECT_EQ(launcher.ReadString("lancher", "Editor", ""), "C:\\e2.exe");
  launcher.DeleteKey("lancher", "Editor");
  EXPECT_EQ(main.ReadString("lancher", "Editor", "gone"), "gone");
}

TEST(IniFile, FailedWriteRaisesWithThePath) {
  TempDir dir;
  const std::string inMissingFolder = dir / "no such folder\\Orvane.INI";
  fw::IniFile lost(inMissingFolder);
  try {
    lost.WriteInteger("window", "top", 1);
    FAIL() << "no error raised";
  } catch (const fw::Exception& e) {
    EXPECT_EQ(e.Message(), inMissingFolder + " に書き込めません");
  }

  // A file that another program holds open without sharing.
  const std::string path = dir / "Orvane.INI";
  fw::IniFile ini(path);
  ini.WriteString("jump", "C:\\", "C:\\");
  {
    fw::FileHandle held(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held.valid());
    EXPECT_THROW(ini.WriteString("jump", "D:\\", "D:\\"), fw::Exception);
    try {
      ini.DeleteKey("jump", "C:\\");
      ADD_FAILURE() << "no error raised";
    } catch (const fw::Exception& e) {
      EXPECT_EQ(e.Message(), path + " に書き込めません");
    }
  }
  EXPECT_EQ(ReadFile(path), "[jump]\r\nC:\\=C:\\\r\n");
}

}  // namespace
