// The real purger.dll, loaded as the program loads it, deleting real files.
// The shell asks for confirmation in a modal dialog; a watcher thread answers it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/base/Handle.h"
#include "framework/base/Mbcs.h"
#include "tests/common/DialogAnswerer.h"
#include "tests/common/TempDir.h"

namespace {

using AddFileFn = void(__cdecl*)(const char*);
using ShOpFn = int(__cdecl*)(HWND);

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ExeFolder() {
  char buf[MAX_PATH];
  DWORD n = ::GetModuleFileNameA(nullptr, buf, MAX_PATH);
  std::string path(buf, n);
  std::size_t slash = fw::FindLastChar(path, '\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

using testsupport::DialogAnswerer;
using testsupport::InTrash;

class PurgerDll : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dll.reset(::LoadLibraryA((ExeFolder() + "\\purger.dll").c_str()));
    ASSERT_TRUE(m_dll.valid()) << "purger.dll not found beside the test";
    m_addFile = reinterpret_cast<AddFileFn>(::GetProcAddress(m_dll.get(), MAKEINTRESOURCEA(1)));
    m_shOp = reinterpret_cast<ShOpFn>(::GetProcAddress(m_dll.get(), MAKEINTRESOURCEA(2)));
    ASSERT_NE(m_addFile, nullptr);
    ASSERT_NE(m_shOp, nullptr);
  }

  // A file with a name of its own, so a copy in the recycle bin would be recognisable.
  std::string MakeFile(const std::string& stem) {
    char name[128];
    std::snprintf(name, sizeof name, "%s-%lu-%lu.txt", stem.c_str(), ::GetCurrentProcessId(), ::GetTickCount());
    std::string path = m_dir / name;
    testsupport::WriteFile(path, "purge me");
    return path;
  }

  testsupport::TempDir m_dir;
  fw::Module m_dll;
  AddFileFn m_addFile = nullptr;
  ShOpFn m_shOp = nullptr;
};

TEST_F(PurgerDll, ExportsByOrdinalAndByName) {
  EXPECT_EQ(reinterpret_cast<FARPROC>(m_addFile), ::GetProcAddress(m_dll.get(), "_add_file"));
  EXPECT_EQ(reinterpret_cast<FARPROC>(m_shOp), ::GetProcAddress(m_dll.get(), "_sh_op"));
}

TEST_F(PurgerDll, ConfirmedDeletionIsPermanent) {
  const std::string a = MakeFile("a");
  const std::string b = MakeFile("表ソ");  // Japanese name with 0x5C trail bytes
  const std::string kept = MakeFile("kept");
  m_addFile(a.c_str());
  m_addFile(b.c_str());
  int result = -1;
  {
    DialogAnswerer yes(IDYES, 30000);
    result = m_shOp(nullptr);
    EXPECT_EQ(yes.Answered(), 1) << yes.Captions();
  }
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(Exists(a));
  EXPECT_FALSE(Exists(b));
  EXPECT_TRUE(Exists(kept));
  // Deleted, not moved to the recycle bin.
  EXPECT_FALSE(InTrash(a));
  EXPECT_FALSE(InTrash(b));
}

TEST_F(PurgerDll, DeclinedDeletionKeepsFilesAndEmptiesTheList) {
  const std::string a = MakeFile("a");
  const std::string b = MakeFile("b");
  m_addFile(a.c_str());
  m_addFile(b.c_str());
  {
    DialogAnswerer no(IDNO, 30000);
    m_shOp(nullptr);
    EXPECT_EQ(no.Answered(), 1) << no.Captions();
  }
  EXPECT_TRUE(Exists(a));
  EXPECT_TRUE(Exists(b));
  // The declined paths are gone from the list: the next operation deletes
  // only what was added since.
  const std::string c = MakeFile("c");
  m_addFile(c.c_str());
  {
    DialogAnswerer yes(IDYES, 30000);
    EXPECT_EQ(m_shOp(nullptr), 0);
  }
  EXPECT_FALSE(Exists(c));
  EXPECT_TRUE(Exists(a));
  EXPECT_TRUE(Exists(b));
}

TEST_F(PurgerDll, EmptyListDeletesNothing) {
  const std::string a = MakeFile("a");
  {
    // Should a confirmation come up anyway, it is declined.
    DialogAnswerer no(IDNO, 30000);
    m_shOp(nullptr);
    EXPECT_EQ(no.Answered(), 0) << no.Captions();
  }
  EXPECT_TRUE(Exists(a));
}

}  // namespace
