// File-type associations round trip under HKEY_CLASSES_ROOT with extensions
// of the test's own; every key made is deleted again, pass or fail.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "shell/Shellutils.h"

namespace {

// Counts the change notices instead of sending them to every shell window.
class CountingRegistry : public TShellRegistry {
 public:
  int notices = 0;

 protected:
  void NotifyShell() override { ++notices; }
};

// Deletes the listed keys under HKEY_CLASSES_ROOT on scope exit. Refuses to
// start when one of them is already there: the test must never touch an
// association it did not make.
class ClassesKeysGuard {
 public:
  explicit ClassesKeysGuard(std::vector<std::string> keys) : m_keys(std::move(keys)) {
    for (const std::string& key : m_keys) m_clean = m_clean && !fw::Registry::KeyExists(HKEY_CLASSES_ROOT, key);
  }
  ~ClassesKeysGuard() {
    if (!m_clean) return;
    for (const std::string& key : m_keys) fw::Registry::DeleteKey(HKEY_CLASSES_ROOT, key);
  }
  bool Clean() const noexcept { return m_clean; }

 private:
  std::vector<std::string> m_keys;
  bool m_clean = true;
};

std::string DefaultValue(const std::string& key) { return fw::Registry(HKEY_CLASSES_ROOT, key).ReadString(""); }

std::string ThisProgram() {
  char buffer[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  return buffer;
}

TEST(ShellRegistry, AssociationRoundTrip) {
  ClassesKeysGuard guard(
      {".orvtsta", "orvtsta_auto_file", ".orvtstb", "orvtstb_auto_file", ".orvtstc", "orvtstc.type", ".orvtstd"});
  ASSERT_TRUE(guard.Clean()) << "a test key is already there";
  const std::string program = ThisProgram();
  CountingRegistry reg;

  // Without the dot: the key gets one, the made-up type name has none.
  reg.MakeAssociation("OrvTstA", "オーヴァン文書表", 3);
  EXPECT_EQ(DefaultValue(".orvtsta"), "orvtsta_auto_file");
  EXPECT_EQ(DefaultValue("orvtsta_auto_file"), "オーヴァン文書表");
  EXPECT_EQ(DefaultValue("orvtsta_auto_file\\DefaultIcon"), program + ",3");  // new key: the full path
  EXPECT_EQ(DefaultValue("orvtsta_auto_file\\Shell\\Open\\Command"), "\"" + program + "\" \"%1\"");
  EXPECT_TRUE(reg.IsAssociated("orvtsta"));
  EXPECT_TRUE(reg.IsAssociated(".ORVTSTA"));

  // With the dot and no icon: neither icon nor command, so not associated.
  reg.MakeAssociation(".orvtstb", "B", -1);
  EXPECT_EQ(DefaultValue(".orvtstb"), "orvtstb_auto_file");
  EXPECT_EQ(DefaultValue("orvtstb_auto_file"), "B");
  EXPECT_FALSE(fw::Registry::KeyExists(HKEY_CLASSES_ROOT, "orvtstb_auto_file\\DefaultIcon"));
  EXPECT_FALSE(reg.IsAssociated("orvtstb"));

  // An extension that already names its type keeps it; the icon then names
  // the program by its short path.
  {
    fw::Registry ext;
    ASSERT_TRUE(ext.OpenKey(HKEY_CLASSES_ROOT, ".orvtstc", true));
    ASSERT_TRUE(ext.WriteString("", "orvtstc.type"));
  }
  reg.MakeAssociation("orvtstc", "C", 0);
  EXPECT_EQ(DefaultValue(".orvtstc"), "orvtstc.type");
  EXPECT_EQ(DefaultValue("orvtstc.type"), "C");
  EXPECT_EQ(DefaultValue("orvtstc.type\\DefaultIcon"), GetShortPathNameEx(program) + ",0");
  EXPECT_TRUE(reg.IsAssociated("orvtstc"));

  // Three changes, one notice; a second Update sends none.
  EXPECT_EQ(reg.ChangeCount(), 3);
  reg.Update();
  EXPECT_EQ(reg.notices, 1);
  EXPECT_EQ(reg.ChangeCount(), 0);
  reg.Update();
  EXPECT_EQ(reg.notices, 1);

  // Deleting keeps the extension key with an empty type, and drops the type.
  reg.DeleteAssociation("orvtsta");
  EXPECT_TRUE(fw::Registry::KeyExists(HKEY_CLASSES_ROOT, ".orvtsta"));
  EXPECT_EQ(DefaultValue(".orvtsta"), "");
  EXPECT_FALSE(fw::Registry::KeyExists(HKEY_CLASSES_ROOT, "orvtsta_auto_file"));
  EXPECT_FALSE(reg.IsAssociated("orvtsta"));
  EXPECT_TRUE(reg.IsAssociated("orvtstc")) << "another association went with it";
  // An unknown extension changes nothing in the registry but still counts.
  reg.DeleteAssociation("orvtstd");
  EXPECT_FALSE(fw::Registry::KeyExists(HKEY_CLASSES_ROOT, ".orvtstd"));
  EXPECT_EQ(reg.ChangeCount(), 2);
  reg.Update();
  EXPECT_EQ(reg.notices, 2);

  // Associating again after a delete fills the empty type name in.
  reg.MakeAssociation("orvtsta", "A again", 1);
  EXPECT_EQ(DefaultValue(".orvtsta"), "orvtsta_auto_file");
  EXPECT_TRUE(reg.IsAssociated("orvtsta"));
}

TEST(ShellRegistry, AnotherProgramsCommandIsNotOurs) {
  ClassesKeysGuard guard({".orvtste", "orvtste_auto_file"});
  ASSERT_TRUE(guard.Clean());
  CountingRegistry reg;
  reg.MakeAssociation("orvtste", "E", 0);
  {
    fw::Registry command;
    ASSERT_TRUE(command.OpenKey(HKEY_CLASSES_ROOT, "orvtste_auto_file\\Shell\\Open\\Command", false));
    ASSERT_TRUE(command.WriteString("", "\"C:\\other.exe\" \"%1\""));
  }
  EXPECT_FALSE(reg.IsAssociated("orvtste"));
  // The same command in other letter case is still ours.
  {
    fw::Registry command;
    ASSERT_TRUE(command.OpenKey(HKEY_CLASSES_ROOT, "orvtste_auto_file\\Shell\\Open\\Command", false));
    std::string upper = TShellRegistry::OpenCommand(ThisProgram());
    for (char& c : upper)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    ASSERT_TRUE(command.WriteString("", upper));
  }
  EXPECT_TRUE(reg.IsAssociated("orvtste"));
}

}  // namespace
