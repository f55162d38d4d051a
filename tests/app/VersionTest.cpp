// The built program and its library carry the build's one version, and the
// help file lies beside the program.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/common/TempDir.h"

namespace {

std::string ExeFolder() {
  char buf[MAX_PATH] = {};
  DWORD n = ::GetModuleFileNameA(nullptr, buf, MAX_PATH);
  std::string path(buf, n);
  return path.substr(0, path.rfind('\\'));
}

struct Version {
  bool found = false;
  DWORD fileMs = 0, fileLs = 0, productMs = 0, productLs = 0;
  std::string fileText, productText;
};

std::string StringValue(std::vector<char>& block, const char* name) {
  char* value = nullptr;
  UINT length = 0;
  const std::string key = std::string("\\StringFileInfo\\041103a4\\") + name;
  if (!::VerQueryValueA(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) || !value) return {};
  return std::string(value);
}

Version ReadVersion(const std::string& path) {
  Version v;
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return v;
  std::vector<char> block(size);
  if (!::GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return v;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &length) || !info) return v;
  v.found = true;
  v.fileMs = info->dwFileVersionMS;
  v.fileLs = info->dwFileVersionLS;
  v.productMs = info->dwProductVersionMS;
  v.productLs = info->dwProductVersionLS;
  v.fileText = StringValue(block, "FileVersion");
  v.productText = StringValue(block, "ProductVersion");
  return v;
}

TEST(VersionTest, ProgramAndLibraryReadOnePointTen) {
  for (const char* name : {"Orvane.exe", "purger.dll"}) {
    SCOPED_TRACE(name);
    const Version v = ReadVersion(ExeFolder() + "\\" + name);
    ASSERT_TRUE(v.found);
    EXPECT_EQ(v.fileMs, MAKELONG(10, 1));
    EXPECT_EQ(v.fileLs, 0u);
    EXPECT_EQ(v.productMs, MAKELONG(10, 1));
    EXPECT_EQ(v.productLs, 0u);
    EXPECT_EQ(v.fileText, "1.10.0.0");
    EXPECT_EQ(v.productText, "1.10.0.0");
  }
}

TEST(VersionTest, ManifestCarriesTheSameVersion) {
  HMODULE exe = ::LoadLibraryExA((ExeFolder() + "\\Orvane.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr);
  HRSRC res = ::FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(res, nullptr);
  const char* data = static_cast<const char*>(::LockResource(::LoadResource(exe, res)));
  const std::string manifest(data, ::SizeofResource(exe, res));
  ::FreeLibrary(exe);
  EXPECT_NE(manifest.find("<assemblyIdentity version=\"1.10.0.0\""), std::string::npos) << manifest;
}

TEST(VersionTest, HelpFileLiesBesideTheProgramAsUtf8) {
  const std::string help = testsupport::ReadFile(ExeFolder() + "\\index.html");
  ASSERT_FALSE(help.empty());
  EXPECT_NE(help.find("<meta charset=\"UTF-8\">"), std::string::npos);
  // Japanese text in UTF-8: "ヘルプ" is E3 83 98 E3 83 AB E3 83 97.
  EXPECT_NE(help.find("\xE3\x83\x98\xE3\x83\xAB\xE3\x83\x97"), std::string::npos);
  // Every keyboard shortcut of the menus is in the table.
  for (const char* key : {"Ctrl+I", "Ctrl+S", "Shift+Del", "F5", "F1"})
    EXPECT_NE(help.find(key), std::string::npos) << key;
}

}  // namespace
