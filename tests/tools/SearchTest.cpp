// The file search tab on a plain form, searching prepared folder trees with
// the real worker thread, the real hand-over and the real list.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "framework/ui/Application.h"
#include "framework/ui/ComCtrls.h"
#include "framework/ui/Form.h"
#include "framework/ui/ImageList.h"
#include "framework/ui/ListView.h"
#include "framework/ui/Menus.h"
#include "framework/ui/StdCtrls.h"
#include "tests/common/MessagePump.h"
#include "tests/common/SharedForm.h"
#include "tests/common/TempDir.h"
#include "tests/tools/CommandTestSupport.h"
#include "tools/SearchTab.h"

namespace {

using orvane::TSearchTab;
using testsupport::TempDir;
using testsupport::WriteFile;

void MakeDir(const std::string& path) { ASSERT_TRUE(::CreateDirectoryA(path.c_str(), nullptr)) << path; }

// A tree with thousands of entries, made once: searches of it run long
// enough to be stopped in the middle.
const std::string& BigTree() {
  static TempDir dir;
  static bool made = [] {
    for (int i = 0; i < 8; ++i) {
      const std::string a = dir / ("d" + std::to_string(i));
      ::CreateDirectoryA(a.c_str(), nullptr);
      for (int j = 0; j < 8; ++j) {
        const std::string b = a + "\\e" + std::to_string(j);
        ::CreateDirectoryA(b.c_str(), nullptr);
        for (int k = 0; k < 60; ++k) WriteFile(b + "\\f" + std::to_string(k) + ".txt", "");
      }
    }
    return true;
  }();
  (void)made;
  return dir.Path();
}

struct Found {
  std::string folder;
  std::string name;
  bool operator<(const Found& o) const { return folder != o.folder ? folder < o.folder : name < o.name; }
  bool operator==(const Found& o) const { return folder == o.folder && name == o.name; }
};
void PrintTo(const Found& f, std::ostream* os) { *os << f.folder << "|" << f.name; }

class SearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fw::Form* form = testsupport::SharedTestForm(20, 20, 700, 300);
    m_page = fw::Make<fw::Panel>(form);
    m_page->SetParent(form);
    m_page->SetAlign(fw::TAlign::alClient);
    m_status = fw::Make<fw::StatusBar>(form);
    m_status->SetParent(form);
    m_status->SetAlign(fw::TAlign::alBottom);
    m_status->AddPanel(500);
    m_status->AddPanel(50);
    m_tab = fw::Make<TSearchTab>(form, m_page, m_status);
    m_tab->ObjectCount = [this] {
      m_statusAtEnd = m_status->Panels(0)->Text();
      return 7;
    };
    m_tab->Navigate = [this](const std::string& p) { m_navigated.push_back(p); };
    m_tab->ShellOpen = [this](const std::string& p) { m_opened.push_back(p); };
    m_page->Handle();
    testsupport::PumpFor(20);
  }
  void TearDown() override {
    fw::Free(m_tab);
    fw::Free(m_status);
    fw::Free(m_page);
    testsupport::PumpFor(20);
  }

  void Start(const std::string& location, const std::string& mask) {
    m_tab->DirSEdit->SetText(location);
    m_tab->SearchEdit->SetText(mask);
    m_tab->SearchB->Click();
  }
  // Runs a search to its end and returns the rows as the list shows them.
  std::vector<Found> Search(const std::string& location, const std::string& mask) {
    Start(location, mask);
    EXPECT_TRUE(testsupport::PumpUntil([this] { return !m_tab->Running(); }, 60000)) << "search did not end";
    return Rows();
  }
  // The texts as the list control hands them out (no icon is asked for).
  std::string Cell(int row, int column) {
    char buf[MAX_PATH * 2] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buf;
    item.cchTextMax = sizeof buf;
    ::SendMessageA(m_tab->ListView1->Handle(), LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
    return buf;
  }
  std::vector<Found> Rows() {
    std::vector<Found> rows;
    for (int i = 0; i < m_tab->ListView1->ItemCount(); ++i) rows.push_back({Cell(i, 1), Cell(i, 0)});
    return rows;
  }
  int RowOf(const std::vector<Found>& rows, const std::string& folder, const std::string& name) {
    auto it = std::find(rows.begin(), rows.end(), Found{folder, name});
    return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
  }
  std::string Status() { return m_status->Panels(0)->Text(); }

  TempDir m_dir;
  fw::Panel* m_page = nullptr;
  fw::StatusBar* m_status = nullptr;
  TSearchTab* m_tab = nullptr;
  std::string m_statusAtEnd;
  std::vector<std::string> m_navigated, m_opened;
};

// root: a.txt b.dat sub1{c.txt, deep{d.txt}, h.txt hidden} sub2{e.txt}
//       hid{x.txt} (hidden folder), sys{y.txt} (system folder)
void MakeSmallTree(const TempDir& dir) {
  WriteFile(dir / "a.txt", "hello");
  WriteFile(dir / "b.dat", "");
  MakeDir(dir / "sub1");
  WriteFile(dir / "sub1\\c.txt", "");
  MakeDir(dir / "sub1\\deep");
  WriteFile(dir / "sub1\\deep\\d.txt", "");
  WriteFile(dir / "sub1\\h.txt", "");
  ::SetFileAttributesA((dir / "sub1\\h.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  MakeDir(dir / "sub2");
  WriteFile(dir / "sub2\\e.txt", "");
  MakeDir(dir / "hid");
  WriteFile(dir / "hid\\x.txt", "");
  ::SetFileAttributesA((dir / "hid").c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
  MakeDir(dir / "sys");
  WriteFile(dir / "sys\\y.txt", "");
  ::SetFileAttributesA((dir / "sys").c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM);
}

TEST_F(SearchTest, BreadthFirstBelowTheStartFolderWithoutEnteringHiddenOrSystemFolders) {
  MakeSmallTree(m_dir);
  const std::string root = m_dir.Path() + "\\";
  std::vector<Found> rows = Search(m_dir.Path(), "*.*");

  // Everything below the start folder, folders included, but not the start
  // folder itself; the hidden and system folders are listed, not entered.
  std::set<Found> expected = {{root, "a.txt"},
                              {root, "b.dat"},
                              {root, "sub1"},
                              {root, "sub2"},
                              {root, "hid"},
                              {root, "sys"},
                              {root + "sub1\\", "c.txt"},
                              {root + "sub1\\", "deep"},
                              {root + "sub1\\", "h.txt"},
                              {root + "sub2\\", "e.txt"},
                              {root + "sub1\\deep\\", "d.txt"}};
  EXPECT_EQ(std::set<Found>(rows.begin(), rows.end()), expected);
  EXPECT_EQ(rows.size(), expected.size());

  // Level by level: the start folder's entries, then each subfolder's in the
  // order the subfolders were found, then the next level.
  ASSERT_EQ(rows.size(), 11u);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(rows[i].folder, root) << i;
  const bool sub1First = RowOf(rows, root, "sub1") < RowOf(rows, root, "sub2");
  const std::string firstSub = root + (sub1First ? "sub1\\" : "sub2\\");
  const int firstCount = sub1First ? 3 : 1;
  for (int i = 6; i < 6 + firstCount; ++i) EXPECT_EQ(rows[i].folder, firstSub) << i;
  for (int i = 6 + firstCount; i < 10; ++i) EXPECT_NE(rows[i].folder, firstSub) << i;
  EXPECT_EQ(rows[10], (Found{root + "sub1\\deep\\", "d.txt"}));

  // The end shows the object count; until then the last row's folder.
  EXPECT_EQ(Status(), "7個のオブジェクト");
  EXPECT_EQ(m_statusAtEnd, root + "sub1\\deepを捜しています...");
}

TEST_F(SearchTest, PatternSelectsRowsButEveryNormalFolderIsStillEntered) {
  MakeSmallTree(m_dir);
  const std::string root = m_dir.Path() + "\\";
  SYSTEMTIME st{2001, 2, 0, 3, 12, 0, 0, 0};
  FILETIME ft;
  ASSERT_TRUE(::SystemTimeToFileTime(&st, &ft));
  HANDLE h = ::CreateFileA((root + "a.txt").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  ::SetFileTime(h, nullptr, nullptr, &ft);
  ::CloseHandle(h);
  // Typed with a trailing backslash: the same folder.
  std::vector<Found> rows = Search(root, "*.txt");
  std::set<Found> expected = {{root, "a.txt"},
                              {root + "sub1\\", "c.txt"},
                              {root + "sub1\\", "h.txt"},
                              {root + "sub2\\", "e.txt"},
                              {root + "sub1\\deep\\", "d.txt"}};
  EXPECT_EQ(std::set<Found>(rows.begin(), rows.end()), expected);
  EXPECT_EQ(rows.size(), expected.size());
  EXPECT_EQ(rows.back(), (Found{root + "sub1\\deep\\", "d.txt"}));

  // The columns of a row: size in bytes with "B", a date without a time.
  int a = RowOf(rows, root, "a.txt");
  ASSERT_GE(a, 0);
  EXPECT_EQ(Cell(a, 2), "5B");
  const std::string date = Cell(a, 3);
  EXPECT_NE(date.find("2001"), std::string::npos) << date;
  EXPECT_EQ(date.find(':'), std::string::npos) << date;
}

TEST_F(SearchTest, MissingFolderAndUnmatchedPatternGiveNoRowsAndTheObjectCount) {
  MakeSmallTree(m_dir);
  EXPECT_TRUE(Search(m_dir / "nope", "*.*").empty());
  EXPECT_EQ(Status(), "7個のオブジェクト");
  m_status->Panels(0)->SetText("");
  EXPECT_TRUE(Search(m_dir.Path(), "*.zzz").empty());
  EXPECT_EQ(Status(), "7個のオブジェクト");
}

TEST_F(SearchTest, DoubleByteFolderNameEndingInTheBackslashByteIsSearched) {
  // "ソ" is 0x83 0x5C: its second byte is a backslash and must not be cut
  // as the typed location's trailing one.
  const std::string folder = m_dir / "ソ";
  MakeDir(folder);
  WriteFile(folder + "\\in.txt", "");
  std::vector<Found> rows = Search(folder, "*.*");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0], (Found{folder + "\\", "in.txt"}));
  rows = Search(folder + "\\", "*.*");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].folder, folder + "\\");

  m_tab->FollowFolder(folder);
  EXPECT_EQ(m_tab->DirSEdit->GetText(), folder);
  m_tab->FollowFolder("C:\\");
  EXPECT_EQ(m_tab->DirSEdit->GetText(), "C:");
}

TEST_F(SearchTest, StoppedSearchAddsNoFurtherRowsAndLeavesAPrefixOfTheFullResult) {
  const std::vector<Found> full = Search(BigTree(), "*.*");
  ASSERT_GT(full.size(), 3000u);

  // The worker runs unobserved for a while, then is stopped: rows it handed
  // over before the request are shown, nothing after. Waits grow until one
  // stop lands in the middle of the walk.
  bool middle = false;
  for (DWORD wait = 1; wait <= 512 && !middle; wait *= 2) {
    Start(BigTree(), "*.*");
    ::Sleep(wait);
    m_status->Panels(0)->SetText("");
    m_tab->StopSB->Click();
    EXPECT_FALSE(m_tab->Running());
    EXPECT_EQ(Status(), "7個のオブジェクト");
    const std::vector<Found> stopped = Rows();
    testsupport::PumpFor(100);
    EXPECT_EQ(m_tab->ListView1->ItemCount(), static_cast<int>(stopped.size()));
    ASSERT_LE(stopped.size(), full.size());
    EXPECT_TRUE(std::equal(stopped.begin(), stopped.end(), full.begin())) << "after " << wait << " ms";
    middle = !stopped.empty() && stopped.size() < full.size();
  }
  EXPECT_TRUE(middle) << "no stop landed in the middle of the search";
}

TEST_F(SearchTest, RepeatedStartAndStopEndsEveryWorkerAndHoldsNoLock) {
  BigTree();
  const int threadsBefore = testsupport::CountProcessThreads();
  for (int i = 0; i < 200; ++i) {
    Start(BigTree(), "*.*");
    if (i % 2) testsupport::PumpFor(1);
    m_tab->Stop();
    ASSERT_FALSE(m_tab->Running());
    ASSERT_TRUE(m_tab->SearchThread()->Finished()) << i;
  }
  const int rows = m_tab->ListView1->ItemCount();
  testsupport::PumpFor(100);
  EXPECT_EQ(m_tab->ListView1->ItemCount(), rows);
  // A worker stopped while it held the heap's or the loader's lock would
  // hang these.
  WIN32_FIND_DATAA data;
  HANDLE find = ::FindFirstFileA((BigTree() + "\\*").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  ::FindClose(find);
  std::vector<std::unique_ptr<std::string>> blocks;
  for (int i = 0; i < 1000; ++i) blocks.push_back(std::make_unique<std::string>(1000, 'x'));
  EXPECT_LE(testsupport::CountProcessThreads(), threadsBefore + 1);
}

TEST_F(SearchTest, SecondSearchReplacesTheFirstWhileItRuns) {
  MakeSmallTree(m_dir);
  Start(BigTree(), "*.*");
  std::vector<Found> rows = Search(m_dir / "sub1", "*.*");
  const std::string sub1 = m_dir / "sub1\\";
  std::set<Found> expected = {{sub1, "c.txt"}, {sub1, "deep"}, {sub1, "h.txt"}, {sub1 + "deep\\", "d.txt"}};
  EXPECT_EQ(std::set<Found>(rows.begin(), rows.end()), expected);
  EXPECT_EQ(rows.size(), expected.size());
  testsupport::PumpFor(200);
  EXPECT_EQ(m_tab->ListView1->ItemCount(), 4);
}

TEST_F(SearchTest, RowWithoutAnAssociatedIconGetsThePlaceholderNotAnotherRowsIcon) {
  WriteFile(m_dir / "a.txt", "");
  WriteFile(m_dir / "b.exe", "");
  WriteFile(m_dir / "c.txt", "");
  WriteFile(m_dir / "d.exe", "");
  MakeDir(m_dir / "e");
  // Only ".exe" has an associated icon here, as under the platform for many types.
  std::vector<std::string> asked;
  m_tab->AssociatedIcon = [&](const std::string& path) -> HICON {
    asked.push_back(path);
    return path.size() > 4 && path.substr(path.size() - 4) == ".exe" ? ::CopyIcon(::LoadIconA(nullptr, IDI_APPLICATION))
                                                                     : nullptr;
  };
  std::vector<Found> rows = Search(m_dir.Path(), "*.*");
  ASSERT_EQ(rows.size(), 5u);
  const std::string root = m_dir.Path() + "\\";
  int a = RowOf(rows, root, "a.txt"), b = RowOf(rows, root, "b.exe"), c = RowOf(rows, root, "c.txt");
  int d = RowOf(rows, root, "d.exe"), e = RowOf(rows, root, "e");
  const int ia = m_tab->RowImage(a), ib = m_tab->RowImage(b), ic = m_tab->RowImage(c);
  const int id = m_tab->RowImage(d), ie = m_tab->RowImage(e);
  EXPECT_EQ(ia, ic);  // the file placeholder
  EXPECT_NE(ib, id);  // each icon of its own
  EXPECT_EQ(std::set<int>({ia, ib, id, ie}).size(), 4u);
  for (int i : {ia, ib, id, ie}) EXPECT_GE(i, 0);
  EXPECT_EQ(m_tab->IconImageList->Count(), 4);
  // Asked once per row, for the row's own path.
  std::set<std::string> unique(asked.begin(), asked.end());
  EXPECT_EQ(unique.size(), asked.size());
  EXPECT_TRUE(unique.count(root + "b.exe"));

  // The list shows the same: its image comes from the row when drawn.
  LVITEMA item{};
  item.mask = LVIF_IMAGE;
  item.iItem = b;
  ASSERT_TRUE(::SendMessageA(m_tab->ListView1->Handle(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  EXPECT_EQ(item.iImage, ib);
}

TEST_F(SearchTest, SizeTextUsesAll64Bits) {
  EXPECT_EQ(orvane::SearchSizeText(5368709120ull), "5368709120B");
  EXPECT_EQ(orvane::SearchSizeText(0), "0B");
  EXPECT_EQ(orvane::SearchSizeText(0xFFFFFFFFull), "4294967295B");
  // A file of 5 GiB that occupies no space, where the file system allows it.
  const std::string big = m_dir / "big.bin";
  {
    HANDLE h = ::CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD bytes = 0;
    ::DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &bytes, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = 5368709120ll;
    const bool sized = ::SetFilePointerEx(h, size, nullptr, FILE_BEGIN) && ::SetEndOfFile(h);
    ::CloseHandle(h);
    if (!sized) GTEST_SKIP() << "no 5 GiB file here; the text rule above is what counts";
  }
  std::vector<Found> rows = Search(m_dir.Path(), "big.bin");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(Cell(0, 2), "5368709120B");
  ::DeleteFileA(big.c_str());
}

TEST_F(SearchTest, EmptyLocationSearchesTheRootOfTheCurrentDrive) {
  // The root may hold a whole system: the search is stopped after its first
  // rows, which are the root's own entries.
  std::string drive;
  {
    cmdtest::ScopedCurrentDir cd(m_dir.Path());
    drive = m_dir.Path().substr(0, 3);  // "C:\"
    Start("", "*.*");
    ASSERT_TRUE(testsupport::PumpUntil([this] { return m_tab->ListView1->ItemCount() >= 3; }, 30000));
  }
  m_tab->Stop();
  std::vector<Found> rows = Rows();
  ASSERT_GE(rows.size(), 3u);
  // The rows name the drive, so they still open once another drive is current.
  EXPECT_EQ(rows[0].folder, drive);
  for (const Found& f : rows) {
    EXPECT_EQ(f.folder.substr(0, 3), drive) << f.folder;
    EXPECT_NE(::GetFileAttributesA((f.folder + f.name).c_str()), INVALID_FILE_ATTRIBUTES) << f.folder << f.name;
  }
}

TEST_F(SearchTest, OpenShowsFoldersAndOpensFilesOpenFolderShowsTheLocation) {
  MakeSmallTree(m_dir);
  const std::string root = m_dir.Path() + "\\";
  std::vector<Found> rows = Search(m_dir.Path(), "*.*");
  // Nothing selected: nothing happens.
  m_tab->OpenSelected();
  m_tab->OpenSelectedFolder();
  EXPECT_TRUE(m_navigated.empty());
  EXPECT_TRUE(m_opened.empty());

  m_tab->ListView1->SetItemIndex(RowOf(rows, root, "sub2"));
  m_tab->ListView1->OnDblClick(m_tab->ListView1);
  m_tab->ListView1->SetItemIndex(RowOf(rows, root + "sub1\\", "c.txt"));
  m_tab->N21->Click();
  m_tab->N22->Click();
  EXPECT_EQ(m_navigated, (std::vector<std::string>{root + "sub2", root + "sub1\\"}));
  EXPECT_EQ(m_opened, (std::vector<std::string>{root + "sub1\\c.txt"}));
}

TEST_F(SearchTest, EnterInThePatternBoxStartsTheSearchAndBrowseFillsTheLocation) {
  MakeSmallTree(m_dir);
  m_tab->BrowseFolder = [this](std::string& folder) {
    folder = m_dir / "sub2";
    return true;
  };
  m_tab->Browse();
  EXPECT_EQ(m_tab->DirSEdit->GetText(), m_dir / "sub2");
  m_tab->BrowseFolder = [](std::string&) { return false; };
  m_tab->Srefer->Click();
  EXPECT_EQ(m_tab->DirSEdit->GetText(), m_dir / "sub2");

  m_tab->SearchEdit->SetText("*.txt");
  ::PostMessageA(m_tab->SearchEdit->Handle(), WM_KEYDOWN, VK_RETURN, 1);
  ASSERT_TRUE(
      testsupport::PumpUntil([this] { return m_tab->ListView1->ItemCount() == 1 && !m_tab->Running(); }, 30000));
  EXPECT_EQ(Rows()[0], (Found{m_dir / "sub2\\", "e.txt"}));
}

}  // namespace
