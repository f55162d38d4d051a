// The settings file shared by several writers at once and by hand-made files:
// instances that close together, generated files and names.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "framework/base/Handle.h"
#include "framework/base/Mbcs.h"
#include "framework/settings/IniFile.h"
#include "tests/common/TempDir.h"

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

constexpr int kWritesPerProcess = 300;

std::string EnvValue(const char* name) {
  char buf[1024];
  DWORD n = ::GetEnvironmentVariableA(name, buf, sizeof buf);
  return (n > 0 && n < sizeof buf) ? std::string(buf, n) : std::string();
}

// Runs inside the writer processes that the test below starts (this same
// program with a filter); does nothing in an ordinary run.
TEST(IniWriterChild, WritesItsKeys) {
  const std::string path = EnvValue("ORVANE_INI_WRITER_FILE");
  const std::string prefix = EnvValue("ORVANE_INI_WRITER_PREFIX");
  if (path.empty()) GTEST_SKIP() << "only run as a writer process";
  fw::IniFile ini(path);
  // Both writers start together: wait for the signal so their writes overlap.
  fw::Handle go(::OpenEventA(SYNCHRONIZE, FALSE, EnvValue("ORVANE_INI_WRITER_EVENT").c_str()));
  if (go) ::WaitForSingleObject(go.get(), 10000);
  for (int i = 0; i < kWritesPerProcess; ++i) ini.WriteInteger("keys", prefix + std::to_string(i), i);
}

fw::Handle StartWriter(const std::string& file, const std::string& prefix, const std::string& eventName) {
  char self[MAX_PATH];
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  ::SetEnvironmentVariableA("ORVANE_INI_WRITER_FILE", file.c_str());
  ::SetEnvironmentVariableA("ORVANE_INI_WRITER_PREFIX", prefix.c_str());
  ::SetEnvironmentVariableA("ORVANE_INI_WRITER_EVENT", eventName.c_str());
  std::string cmd = "\"" + std::string(self) + "\" --gtest_filter=IniWriterChild.*";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  BOOL ok = ::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  ::SetEnvironmentVariableA("ORVANE_INI_WRITER_FILE", nullptr);
  ::SetEnvironmentVariableA("ORVANE_INI_WRITER_PREFIX", nullptr);
  ::SetEnvironmentVariableA("ORVANE_INI_WRITER_EVENT", nullptr);
  if (!ok) return fw::Handle();
  ::CloseHandle(pi.hThread);
  return fw::Handle(pi.hProcess);
}

TEST(IniFileSharing, TwoProcessesWritingAtOnceLoseNothing) {
  TempDir dir;
  const std::string path = dir / "Orvane.INI";
  const std::string eventName = "OrvaneIniWriters" + std::to_string(::GetCurrentProcessId());
  fw::Handle go(::CreateEventA(nullptr, TRUE, FALSE, eventName.c_str()));
  ASSERT_TRUE(go);
  fw::Handle a = StartWriter(path, "a", eventName);
  fw::Handle b = StartWriter(path, "b", eventName);
  ASSERT_TRUE(a && b);
  // Give both time to start up to their wait, then let them race.
  ::Sleep(1500);
  ::SetEvent(go.get());
  HANDLE both[] = {a.get(), b.get()};
  ASSERT_EQ(::WaitForMultipleObjects(2, both, TRUE, 120000), WAIT_OBJECT_0);
  for (HANDLE h : both) {
    DWORD code = 1;
    ::GetExitCodeProcess(h, &code);
    EXPECT_EQ(code, 0u) << "a writer failed (a write was reported as failed)";
  }
  fw::IniFile ini(path);
  std::vector<std::string> keys;
  ini.ReadSection("keys", keys);
  EXPECT_EQ(keys.size(), static_cast<std::size_t>(2 * kWritesPerProcess));
  for (int i = 0; i < kWritesPerProcess; ++i) {
    EXPECT_EQ(ini.ReadInteger("keys", "a" + std::to_string(i), -1), i);
    EXPECT_EQ(ini.ReadInteger("keys", "b" + std::to_string(i), -1), i);
  }
}

TEST(IniFileSharing, WriteWaitsForAHolderThatLetsGo) {
  TempDir dir;
  const std::string path = dir / "Orvane.INI";
  fw::IniFile ini(path);
  ini.WriteInteger("window", "top", 1);
  // Another program holds the file without sharing and lets go shortly.
  HANDLE held = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  struct Release {
    static DWORD WINAPI Run(LPVOID h) {
      ::Sleep(300);
      ::CloseHandle(static_cast<HANDLE>(h));
      return 0;
    }
  };
  HANDLE releaser = ::CreateThread(nullptr, 0, &Release::Run, held, 0, nullptr);
  ASSERT_NE(releaser, nullptr);
  fw::Handle releaserOwner(releaser);
  EXPECT_NO_THROW(ini.WriteInteger("window", "top", 2));
  ::WaitForSingleObject(releaser, 5000);
  EXPECT_EQ(ini.ReadInteger("window", "top", 0), 2);
}

TEST(IniFileSharing, ChangeByAnotherProgramIsSeen) {
  TempDir dir;
  const std::string path = dir / "Orvane.INI";
  fw::IniFile ini(path);
  ini.WriteInteger("Tabs", "TabActive", 1);
  EXPECT_EQ(ini.ReadInteger("Tabs", "TabActive", 0), 1);
  WriteFile(path, "[Tabs]\r\nTabActive=3\r\nTabHide=1\r\n");
  EXPECT_EQ(ini.ReadInteger("Tabs", "TabActive", 0), 3);
  EXPECT_TRUE(ini.ReadBool("Tabs", "TabHide", false));
  ::DeleteFileA(path.c_str());
  EXPECT_EQ(ini.ReadInteger("Tabs", "TabActive", 0), 0);
}

TEST(IniFileNames, TrailingLoneLeadByteIsCutTheSameWayOnBothSides) {
  TempDir dir;
  const std::string path = dir / "Orvane.INI";
  fw::IniFile ini(path);
  ini.WriteString("a\x88", "k\x88", "1");
  ini.WriteString("next", "k", "2");
  ini.WriteString("a\x88", "k\x88", "3");
  EXPECT_EQ(ReadFile(path), "[a]\r\nk=3\r\n[next]\r\nk=2\r\n");
  EXPECT_EQ(ini.ReadString("a", "k", ""), "3");
  EXPECT_EQ(ini.ReadString("a\x88", "k\x88", ""), "3");
  EXPECT_EQ(ini.ReadString("next", "k", ""), "2");
  // A whole character stays: "ー" is 0x81 0x5B.
  ini.WriteString("ー", "ー", "4");
  EXPECT_EQ(ini.ReadString("ー", "ー", ""), "4");
}

// ---------------------------------------------------------------------------
// Generated files and names

// Bytes that make names and lines interesting to a Shift-JIS reader: lead
// bytes, trail bytes that are "]", "[", "\\" or "=", brackets, blanks, line
// breaks and ordinary letters.
const std::vector<std::string> kPieces = {"a",  "B",  "z",    "0",    " ",    "\t",   "[",    "]",    "=",
                                          "\\", ";",  "\x88", "\x81", "\x83", "\x5D", "\x5B", "\x5C", "ソ",
                                          "評", "ー", "表",   "\xE0", "\xFC", "\r\n", "\n",   "\r",   "\xEF\xBB\xBF"};

std::string RandomText(std::mt19937& rng, int maxPieces, bool lineBreaks) {
  std::uniform_int_distribution<int> count(0, maxPieces);
  std::uniform_int_distribution<std::size_t> pick(0, kPieces.size() - 1);
  std::string s;
  for (int n = count(rng); n > 0; --n) {
    const std::string& p = kPieces[pick(rng)];
    if (!lineBreaks && (p.find('\r') != std::string::npos || p.find('\n') != std::string::npos)) continue;
    s += p;
  }
  return s;
}

std::string RandomFile(std::mt19937& rng) {
  std::uniform_int_distribution<int> lines(0, 12), kind(0, 3);
  std::string text;
  for (int n = lines(rng); n > 0; --n) {
    switch (kind(rng)) {
      case 0:
        text += "[" + RandomText(rng, 4, false) + "]";
        break;
      case 1:
        text += RandomText(rng, 3, false) + "=" + RandomText(rng, 4, false);
        break;
      default:
        text += RandomText(rng, 5, false);
        break;
    }
    text += (n % 3 == 0) ? "\n" : "\r\n";
  }
  return text;
}

// Every value the names read as now, section by section.
std::map<std::pair<std::string, std::string>, std::string> Snapshot(const fw::IniFile& ini,
                                                                    const std::vector<std::string>& names) {
  std::map<std::pair<std::string, std::string>, std::string> values;
  for (const auto& s : names)
    for (const auto& k : names) values[{s, k}] = ini.ReadString(s, k, "\x01missing");
  return values;
}

// The text a value reads back as: the line ends it.
std::string Stored(const std::string& value) { return value.substr(0, value.find_first_of(std::string("\r\n\0", 3))); }

TEST(IniFileGenerated, WritesReadBackWithoutGrowthOrLeaks) {
  TempDir dir;
  const std::string path = dir / "Orvane.INI";
  std::mt19937 rng(20261208);
  fw::IniFile ini(path);
  fw::IniFile other(path);  // a second object on the same file sees every write
  for (int round = 0; round < 60; ++round) {
    WriteFile(path, RandomFile(rng));
    std::vector<std::string> names;
    for (int i = 0; i < 5; ++i) names.push_back(RandomText(rng, 4, true));
    for (int w = 0; w < 4; ++w) {
      const std::string& section = names[rng() % names.size()];
      const std::string& key = names[rng() % names.size()];
      const std::string value = RandomText(rng, 5, true);
      auto before = Snapshot(ini, names);
      ini.WriteString(section, key, value);
      const std::string afterFirst = ReadFile(path);
      ASSERT_EQ(other.ReadString(section, key, "\x01missing"), Stored(value))
          << "round " << round << " section [" << section << "] key [" << key << "]";
      ini.WriteString(section, key, value);
      ASSERT_EQ(ReadFile(path), afterFirst) << "writing the same value again changed the file";
      auto after = Snapshot(other, names);
      // Exactly the pairs that name the entry written (the same names as the
      // file holds them) read the new value; nothing else changed.
      for (const auto& [pair, old] : before) {
        bool target = fw::SameText(fw::IniFile::SectionName(pair.first), fw::IniFile::SectionName(section)) &&
                      fw::SameText(fw::IniFile::KeyName(pair.second), fw::IniFile::KeyName(key));
        if (target)
          EXPECT_EQ(after[pair], Stored(value)) << "[" << pair.first << "] " << pair.second;
        else
          EXPECT_EQ(after[pair], old) << "writing [" << section << "] " << key << " changed [" << pair.first << "] "
                                      << pair.second;
      }
    }
  }
}

}  // namespace
