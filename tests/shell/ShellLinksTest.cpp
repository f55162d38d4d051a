// Shortcut names and shortcut files, resolved back through the shell's own
// link object.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "framework/base/ComPtr.h"
#include "framework/base/Handle.h"
#include "shell/Shellutils.h"
#include "tests/common/TempDir.h"

namespace {

using testsupport::TempDir;
using testsupport::WriteFile;

struct Resolved {
  std::string target;
  std::string workFolder;
};

// Loads a saved link and reads its target path and working folder.
Resolved ResolveLink(const std::string& linkFile) {
  Resolved r;
  fw::ComPtr<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.PutVoid())))
    return r;
  auto file = link.As<IPersistFile>(IID_IPersistFile);
  std::wstring wide(MAX_PATH, L'\0');
  wide.resize(MultiByteToWideChar(CP_ACP, 0, linkFile.c_str(), -1, wide.data(), MAX_PATH));
  if (!file || FAILED(file->Load(wide.c_str(), STGM_READ))) return r;
  char buffer[MAX_PATH] = {};
  if (SUCCEEDED(link->GetPath(buffer, MAX_PATH, nullptr, 0))) r.target = buffer;
  char work[MAX_PATH] = {};
  if (SUCCEEDED(link->GetWorkingDirectory(work, MAX_PATH))) r.workFolder = work;
  return r;
}

// Every ".lnk" in a folder, by file name, resolved.
std::map<std::string, Resolved> LinksIn(const std::string& folder) {
  std::map<std::string, Resolved> links;
  WIN32_FIND_DATAA found;
  fw::FindHandle search(FindFirstFileA((folder + "\\*.lnk").c_str(), &found));
  if (!search) return links;
  do {
    links[found.cFileName] = ResolveLink(folder + "\\" + found.cFileName);
  } while (FindNextFileA(search.get(), &found));
  return links;
}

std::vector<std::string> Targets(const std::map<std::string, Resolved>& links) {
  std::vector<std::string> targets;
  for (const auto& [name, link] : links) targets.push_back(link.target);
  std::sort(targets.begin(), targets.end());
  return targets;
}

TEST(ShortCutNames, LastComponentWithoutColonsOrBackslash) {
  EXPECT_EQ(GetShortCutName("C:\\"), "Cへのショートカット.lnk");
  EXPECT_EQ(GetShortCutName("d:"), "dへのショートカット.lnk");
  EXPECT_EQ(GetShortCutName("C:\\文書\\表"), "表へのショートカット.lnk");  // "表" ends in 0x5C
  EXPECT_EQ(GetShortCutName("C:\\文書\\ソ\\"), "ソへのショートカット.lnk");
  EXPECT_EQ(GetShortCutName("C:\\表\\a.txt"), "a.txtへのショートカット.lnk");
  EXPECT_EQ(GetShortCutName("メモ"), "メモへのショートカット.lnk");
}

TEST(ShortCuts, LinkFilesMakesWorkingShortcutsAndReportsTheLastPath) {
  TempDir temp;
  std::string file = temp / "資料表.txt";
  std::string folder = temp / "フォルダソ";
  std::string links = temp / "リンク";
  WriteFile(file, "x");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(links.c_str(), nullptr));

  // The missing path comes last: the result is false although two links exist.
  EXPECT_FALSE(SHLinkFiles({file, folder, temp / "ない.txt"}, links + "\\", temp.Path()));
  auto made = LinksIn(links);
  ASSERT_EQ(made.size(), 2u);
  std::vector<std::string> expected{file, folder};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Targets(made), expected);
  for (const auto& [name, link] : made) {
    EXPECT_EQ(link.workFolder, temp.Path()) << name;
    EXPECT_NE(name.find("へのショートカット.lnk"), std::string::npos) << name;
  }
  EXPECT_EQ(made.count("フォルダソへのショートカット.lnk"), 1u);

  // The same with the missing path first: the last, a real file, decides.
  EXPECT_TRUE(SHLinkFiles({temp / "ない.txt", folder}, links, ""));
  EXPECT_EQ(LinksIn(links).size(), 2u);  // the folder's link was saved over
  EXPECT_FALSE(SHLinkFiles({}, links, ""));
}

TEST(ShortCuts, LinkIDListMakesOneShortcutPerItem) {
  TempDir temp;
  std::string parentPath = temp / "親表";
  std::string links = temp / "リンク";
  ASSERT_TRUE(CreateDirectoryA(parentPath.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(links.c_str(), nullptr));
  WriteFile(parentPath + "\\一.txt", "1");
  ASSERT_TRUE(CreateDirectoryA((parentPath + "\\子ソ").c_str(), nullptr));

  UniqueIDList parent, first, second;
  ASSERT_TRUE(GetIDListFromPath(parentPath, parent));
  ASSERT_TRUE(GetIDListFromPath(parentPath + "\\一.txt", first));
  ASSERT_TRUE(GetIDListFromPath(parentPath + "\\子ソ", second));
  UniqueIDList firstItem(GetLastItemID(first.get())), secondItem(GetLastItemID(second.get()));
  LPCITEMIDLIST lists[] = {parent.get(), firstItem.get(), nullptr, secondItem.get()};

  EXPECT_TRUE(SHLinkIDList(lists, 3, links, parentPath));
  auto made = LinksIn(links);
  ASSERT_EQ(made.size(), 2u);
  std::vector<std::string> expected{parentPath + "\\一.txt", parentPath + "\\子ソ"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Targets(made), expected);
  EXPECT_EQ(made.count("子ソへのショートカット.lnk"), 1u);
  for (const auto& [name, link] : made) EXPECT_EQ(link.workFolder, parentPath) << name;

  // Without a parent list there is nothing to join the items to.
  LPCITEMIDLIST orphans[] = {nullptr, firstItem.get()};
  EXPECT_FALSE(SHLinkIDList(orphans, 1, temp / "リンク2", ""));
  EXPECT_FALSE(SHLinkIDList(lists, 0, links, ""));
}

// Deletes a file on scope exit, so that a failing test leaves no shortcut in
// the special folder behind.
class RemoveOnExit {
 public:
  explicit RemoveOnExit(std::string path) : m_path(std::move(path)) {}
  ~RemoveOnExit() { DeleteFileA(m_path.c_str()); }

 private:
  std::string m_path;
};

TEST(ShortCuts, ShortcutIntoASpecialFolder) {
  // The templates folder of the test prefix stands in for the desktop: the
  // desktop folder of a Wine prefix may be the user's own.
  std::string special;
  ASSERT_TRUE(GetSpecialFolderPath(special, sfidTemplates, nullptr));
  TempDir temp;
  std::string file = temp / "特別表.txt";
  WriteFile(file, "x");
  std::string linkFile = AddPathDelimiter(special) + "特別表.txtへのショートカット.lnk";
  std::string linkFileHidden = AddPathDelimiter(special) + "特別表へのショートカット.lnk";
  ASSERT_EQ(GetFileAttributesA(linkFile.c_str()), INVALID_FILE_ATTRIBUTES);
  ASSERT_EQ(GetFileAttributesA(linkFileHidden.c_str()), INVALID_FILE_ATTRIBUTES);
  RemoveOnExit cleanup(linkFile), cleanupHidden(linkFileHidden);

  ASSERT_TRUE(ShortCutToSpecialFolder(file, sfidTemplates));
  // The name follows the shell's display name, which may hide the extension.
  std::string made = GetFileAttributesA(linkFile.c_str()) != INVALID_FILE_ATTRIBUTES ? linkFile : linkFileHidden;
  EXPECT_EQ(ResolveLink(made).target, file);

  // The computer folder lies directly on the desktop: no parent list.
  EXPECT_FALSE(ShortCutToSpecialFolder("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", sfidTemplates));
  // A special folder outside the file system cannot hold a file.
  EXPECT_FALSE(ShortCutToSpecialFolder(file, sfidDrives));
}

}  // namespace
