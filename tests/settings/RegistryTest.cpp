#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/base/Handle.h"
#include "framework/settings/Registry.h"

namespace {

// A key of its own under HKEY_CURRENT_USER, removed with its subkeys at the end.
class TestKey {
 public:
  TestKey() {
    char name[64];
    std::snprintf(name, sizeof name, "Software\\OrvaneTest-%lu", ::GetCurrentProcessId());
    m_path = name;
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
        ERROR_SUCCESS)
      m_key.reset(key);
  }
  ~TestKey() {
    m_key.reset();
    ::RegDeleteTreeA(HKEY_CURRENT_USER, m_path.c_str());
  }
  TestKey(const TestKey&) = delete;
  TestKey& operator=(const TestKey&) = delete;

  HKEY Key() const { return m_key.get(); }
  const std::string& Path() const { return m_path; }
  void SetString(const char* name, const std::string& value, DWORD type = REG_SZ) {
    ::RegSetValueExA(Key(), name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
  }
  void SetDWord(const char* name, DWORD value) {
    ::RegSetValueExA(Key(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  }
  void AddSubKey(const char* name) {
    HKEY sub = nullptr;
    if (::RegCreateKeyExA(Key(), name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr) == ERROR_SUCCESS)
      ::RegCloseKey(sub);
  }

 private:
  std::string m_path;
  fw::RegKey m_key;
};

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

TEST(Registry, ReadsValuesAndNames) {
  TestKey test;
  ASSERT_NE(test.Key(), nullptr);
  ::SetEnvironmentVariableA("ORVANE_TEST_DIR", "C:\\テスト");
  test.SetString("", "既定");
  test.SetString("path", "C:\\ソフト\\a.exe");
  test.SetString("expand", "%ORVANE_TEST_DIR%\\b.exe", REG_EXPAND_SZ);
  test.SetDWord("count", 42);
  const BYTE bytes[] = {1, 2, 3};
  ::RegSetValueExA(test.Key(), "binary", 0, REG_BINARY, bytes, sizeof bytes);
  // A string stored without its terminating zero still reads whole.
  ::RegSetValueExA(test.Key(), "unterminated", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3);
  test.AddSubKey("shell");
  test.AddSubKey("ソフト");

  fw::Registry reg(HKEY_CURRENT_USER, test.Path());
  ASSERT_TRUE(reg.IsOpen());
  EXPECT_EQ(reg.ReadString(""), "既定");
  EXPECT_EQ(reg.ReadString("PATH"), "C:\\ソフト\\a.exe");
  EXPECT_EQ(reg.ReadString("expand"), "%ORVANE_TEST_DIR%\\b.exe");
  EXPECT_EQ(reg.ReadString("expand", true), "C:\\テスト\\b.exe");
  EXPECT_EQ(reg.ReadString("path", true), "C:\\ソフト\\a.exe");  // only REG_EXPAND_SZ is expanded
  EXPECT_EQ(reg.ReadString("unterminated"), "abc");
  DWORD n = 0;
  EXPECT_TRUE(reg.ReadDWord("count", n));
  EXPECT_EQ(n, 42u);
  EXPECT_TRUE(reg.ValueExists("binary"));

  // Wrong types and missing values read as nothing.
  std::string s = "left over";
  EXPECT_FALSE(reg.ReadString("count", s));
  EXPECT_EQ(s, "");
  EXPECT_FALSE(reg.ReadString("binary", s));
  EXPECT_FALSE(reg.ReadString("missing", s));
  EXPECT_FALSE(reg.ReadDWord("path", n));
  EXPECT_EQ(reg.ReadDWordDef("missing", 7), 7u);
  EXPECT_FALSE(reg.ValueExists("missing"));

  EXPECT_EQ(Sorted(reg.GetKeyNames()), Sorted({"shell", "ソフト"}));
  EXPECT_EQ(Sorted(reg.GetValueNames()), Sorted({"", "path", "expand", "count", "binary", "unterminated"}));

  // A subkey opened by its path; the object can be reopened.
  ASSERT_TRUE(reg.OpenKeyReadOnly(HKEY_CURRENT_USER, test.Path() + "\\ソフト"));
  EXPECT_TRUE(reg.GetKeyNames().empty());
  EXPECT_TRUE(reg.GetValueNames().empty());
}

TEST(Registry, MissingKeyReadsAsEmpty) {
  TestKey test;
  fw::Registry reg(HKEY_CURRENT_USER, test.Path());
  ASSERT_TRUE(reg.IsOpen());
  EXPECT_FALSE(reg.OpenKeyReadOnly(HKEY_CURRENT_USER, test.Path() + "\\missing"));
  EXPECT_FALSE(reg.IsOpen());  // the failed open closed the key held before
  std::string s;
  DWORD n = 0;
  EXPECT_FALSE(reg.ReadString("", s));
  EXPECT_FALSE(reg.ReadDWord("x", n));
  EXPECT_TRUE(reg.GetKeyNames().empty());
  EXPECT_TRUE(reg.GetValueNames().empty());
  // Opened for reading only: writing through it must fail.
  ASSERT_TRUE(reg.OpenKeyReadOnly(HKEY_CURRENT_USER, test.Path()));
  DWORD v = 1;
  EXPECT_NE(::RegSetValueExA(reg.Key(), "w", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v), ERROR_SUCCESS);
}

TEST(Registry, CreatesWritesAndDeletesKeyTrees) {
  TestKey test;
  const std::string base = test.Path() + "\\作成表";
  fw::Registry reg;
  EXPECT_FALSE(reg.OpenKey(HKEY_CURRENT_USER, base + "\\a\\b", false));
  ASSERT_TRUE(reg.OpenKey(HKEY_CURRENT_USER, base + "\\a\\b", true));  // every key on the way
  EXPECT_TRUE(reg.WriteString("", "既定値ソ"));
  EXPECT_TRUE(reg.WriteString("name", ""));
  reg.CloseKey();
  EXPECT_FALSE(reg.WriteString("x", "y"));  // nothing open

  fw::Registry read(HKEY_CURRENT_USER, base + "\\a\\b");
  EXPECT_EQ(read.ReadString(""), "既定値ソ");
  EXPECT_TRUE(read.ValueExists("name"));
  read.CloseKey();

  EXPECT_TRUE(fw::Registry::KeyExists(HKEY_CURRENT_USER, base + "\\a"));
  EXPECT_TRUE(fw::Registry::DeleteKey(HKEY_CURRENT_USER, base));  // with its subkeys
  EXPECT_FALSE(fw::Registry::KeyExists(HKEY_CURRENT_USER, base));
  EXPECT_FALSE(fw::Registry::DeleteKey(HKEY_CURRENT_USER, base));
  EXPECT_FALSE(fw::Registry::DeleteKey(HKEY_CURRENT_USER, ""));  // never the root itself
  EXPECT_TRUE(fw::Registry::KeyExists(HKEY_CURRENT_USER, test.Path()));
}

}  // namespace
