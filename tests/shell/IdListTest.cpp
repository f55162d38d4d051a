// Item ID list arithmetic on hand-made lists and on lists the real shell
// hands out (desktop, computer folder, drive root, Japanese folder names).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <initializer_list>
#include <set>
#include <string>
#include <utility>

#include "shell/Shellidfunc.h"
#include "tests/common/TempDir.h"

namespace {

// ---------------------------------------------------------------------------
// Helpers

// A list whose items have the given sizes (cb), each item's data bytes set to
// its position, so that items can be told apart.
UniqueIDList MakeList(std::initializer_list<std::uint16_t> sizes) {
  std::size_t total = 2;
  for (auto cb : sizes) total += cb;
  UniqueIDList list(CreateItemIDList(static_cast<std::uint16_t>(total)));
  auto* p = reinterpret_cast<BYTE*>(list.get());
  BYTE mark = 1;
  for (auto cb : sizes) {
    std::memcpy(p, &cb, 2);
    std::memset(p + 2, mark++, cb - 2u);
    p += cb;
  }
  return list;
}

// The bytes of a list including its terminator (walks cb, no 16-bit wrap).
std::string Bytes(LPCITEMIDLIST list) {
  if (!list) return "<null>";
  auto* start = reinterpret_cast<const char*>(list);
  const char* p = start;
  for (std::uint16_t cb; std::memcpy(&cb, p, 2), cb != 0;) p += cb;
  return std::string(start, p + 2);
}

std::uint16_t FirstCb(LPCITEMIDLIST list) {
  std::uint16_t cb;
  std::memcpy(&cb, list, 2);
  return cb;
}

UniqueIDList ListOf(const std::string& path) {
  UniqueIDList list;
  EXPECT_TRUE(GetIDListFromPath(path, list)) << path;
  return list;
}

fw::ComPtr<IShellFolder> Desktop() {
  fw::ComPtr<IShellFolder> desktop;
  EXPECT_EQ(SHGetDesktopFolder(desktop.Put()), S_OK);
  return desktop;
}

fw::ComPtr<IShellFolder> BindFolder(LPCITEMIDLIST absolute) {
  fw::ComPtr<IShellFolder> folder;
  EXPECT_EQ(Desktop()->BindToObject(absolute, nullptr, IID_IShellFolder, folder.PutVoid()), S_OK);
  return folder;
}

// Counting allocator put in place of GMalloc: forwards to the real task
// allocator and remembers which blocks it handed out and which came back.
class MallocSpy final : public IMalloc {
 public:
  explicit MallocSpy(fw::ComPtr<IMalloc> real) : m_real(std::move(real)) {}

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IMalloc) {
      *out = static_cast<IMalloc*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
  }
  STDMETHODIMP_(void*) Alloc(SIZE_T size) override {
    void* p = m_real->Alloc(size);
    if (p) m_live.insert(p), ++allocs;
    return p;
  }
  STDMETHODIMP_(void*) Realloc(void* p, SIZE_T size) override {
    void* q = m_real->Realloc(p, size);
    if (q) m_live.erase(p), m_live.insert(q);
    return q;
  }
  STDMETHODIMP_(void) Free(void* p) override {
    if (m_live.erase(p))
      ++frees;
    else
      ++foreignFrees;  // a block the shell handed out
    m_real->Free(p);
  }
  STDMETHODIMP_(SIZE_T) GetSize(void* p) override { return m_real->GetSize(p); }
  STDMETHODIMP_(int) DidAlloc(void* p) override { return m_real->DidAlloc(p); }
  STDMETHODIMP_(void) HeapMinimize() override { m_real->HeapMinimize(); }

  std::size_t Live() const { return m_live.size(); }
  int allocs = 0;
  int frees = 0;
  int foreignFrees = 0;

 private:
  ~MallocSpy() = default;
  fw::ComPtr<IMalloc> m_real;
  std::set<void*> m_live;
  ULONG m_refs = 1;
};

// Installs a spy for the lifetime of the scope.
class SpyScope {
 public:
  SpyScope() {
    m_spy = new MallocSpy(fw::ComPtr<IMalloc>::Share(GMalloc()));
    m_previous = ExchangeGMalloc(fw::ComPtr<IMalloc>::Attach(m_spy));
  }
  ~SpyScope() { ExchangeGMalloc(std::move(m_previous)); }
  MallocSpy& operator*() const { return *m_spy; }
  MallocSpy* operator->() const { return m_spy; }

 private:
  MallocSpy* m_spy;
  fw::ComPtr<IMalloc> m_previous;
};

// ---------------------------------------------------------------------------
// Sizes and walking on hand-made lists

TEST(IdListArithmetic, SizesCountItemsAndTerminatorIn16Bits) {
  UniqueIDList two = MakeList({20, 14});
  UniqueIDList empty = MakeList({});
  EXPECT_EQ(GetItemIDListSize(two.get()), 36);
  EXPECT_EQ(GetItemIDSize(two.get()), 22);
  EXPECT_EQ(GetItemIDListSize(empty.get()), 2);
  EXPECT_EQ(GetItemIDSize(empty.get()), 0);
  EXPECT_EQ(GetItemIDListSize(nullptr), 0);
  EXPECT_EQ(GetItemIDSize(nullptr), 0);

  // Items of 0xFFF0 and 0x20 bytes: the 16-bit sum wraps.
  const std::size_t total = 0xFFF0 + 0x20 + 2;
  auto* big = static_cast<BYTE*>(CoTaskMemAlloc(total));
  ASSERT_NE(big, nullptr);
  std::memset(big, 0, total);
  std::uint16_t cb1 = 0xFFF0, cb2 = 0x20;
  std::memcpy(big, &cb1, 2);
  std::memcpy(big + cb1, &cb2, 2);
  auto bigList = reinterpret_cast<LPITEMIDLIST>(big);
  EXPECT_EQ(GetItemIDListSize(bigList), static_cast<std::uint16_t>(total));
  // A list that does not fit 16 bits is refused rather than copied short.
  EXPECT_EQ(CopyItemIDList(bigList), nullptr);
  UniqueIDList small = MakeList({0x20});
  EXPECT_EQ(ConcatItemIDList(bigList, small.get()), nullptr);
  UniqueIDList first(CopyItemID(bigList));
  ASSERT_TRUE(first);
  EXPECT_EQ(GetItemIDListSize(first.get()), 0xFFF2);
  EXPECT_EQ(ConcatItemIDList(first.get(), small.get()), nullptr);
  CoTaskMemFree(big);
}

TEST(IdListArithmetic, WalkingStopsAtTheTerminator) {
  UniqueIDList one = MakeList({10});
  UniqueIDList three = MakeList({10, 12, 14});
  UniqueIDList empty = MakeList({});

  // The raw step does not look where it lands; the checked step does.
  EXPECT_EQ(reinterpret_cast<const BYTE*>(NextItemIDList(one.get())), reinterpret_cast<BYTE*>(one.get()) + 10);
  EXPECT_EQ(GetNextItemIDList(one.get()), nullptr);
  EXPECT_EQ(GetNextItemIDList(empty.get()), nullptr);
  EXPECT_EQ(GetNextItemIDList(static_cast<LPITEMIDLIST>(nullptr)), nullptr);
  EXPECT_EQ(NextItemIDList(static_cast<LPITEMIDLIST>(nullptr)), nullptr);

  LPITEMIDLIST second = GetNextItemIDList(three.get());
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(FirstCb(second), 12);
  LPITEMIDLIST third = GetNextItemIDList(second);
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(FirstCb(third), 14);
  EXPECT_EQ(GetNextItemIDList(third), nullptr);
}

// ---------------------------------------------------------------------------
// Copy, join, split, with the null rules

TEST(IdListArithmetic, CopiesAreFreshAndTerminated) {
  UniqueIDList three = MakeList({10, 12, 14});
  UniqueIDList empty = MakeList({});

  UniqueIDList first(CopyItemID(three.get()));
  EXPECT_EQ(Bytes(first.get()), Bytes(three.get()).substr(0, 10) + std::string(2, '\0'));
  EXPECT_EQ(CopyItemID(empty.get()), nullptr);
  EXPECT_EQ(CopyItemID(nullptr), nullptr);

  UniqueIDList whole(CopyItemIDList(three.get()));
  EXPECT_NE(whole.get(), three.get());
  EXPECT_EQ(Bytes(whole.get()), Bytes(three.get()));
  UniqueIDList emptyCopy(CopyItemIDList(empty.get()));
  ASSERT_TRUE(emptyCopy);
  EXPECT_EQ(GetItemIDListSize(emptyCopy.get()), 2);
  EXPECT_EQ(CopyItemIDList(nullptr), nullptr);

  UniqueIDList zeroes(CreateItemIDList(8));
  ASSERT_TRUE(zeroes);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(zeroes.get()), 8), std::string(8, '\0'));
}

TEST(IdListArithmetic, ConcatJoinsWithoutTheFirstTerminator) {
  UniqueIDList a = MakeList({10, 12});
  UniqueIDList b = MakeList({14});
  UniqueIDList empty = MakeList({});

  UniqueIDList ab(ConcatItemIDList(a.get(), b.get()));
  EXPECT_EQ(GetItemIDListSize(ab.get()), 10 + 12 + 14 + 2);
  std::string aBytes = Bytes(a.get());
  EXPECT_EQ(Bytes(ab.get()), aBytes.substr(0, aBytes.size() - 2) + Bytes(b.get()));

  UniqueIDList emptyB(ConcatItemIDList(empty.get(), b.get()));
  EXPECT_EQ(Bytes(emptyB.get()), Bytes(b.get()));
  UniqueIDList aEmpty(ConcatItemIDList(a.get(), empty.get()));
  EXPECT_EQ(Bytes(aEmpty.get()), Bytes(a.get()));
  EXPECT_EQ(ConcatItemIDList(a.get(), nullptr), nullptr);
  EXPECT_EQ(ConcatItemIDList(nullptr, b.get()), nullptr);
}

TEST(IdListArithmetic, ConcatFreeConsumesEveryInput) {
  SpyScope spy;
  const std::string aBytes = Bytes(MakeList({10, 12}).get());
  const std::string bBytes = Bytes(MakeList({14}).get());
  {
    LPITEMIDLIST a = MakeList({10, 12}).release();
    LPITEMIDLIST b = MakeList({14}).release();
    UniqueIDList joined(ConcatItemIdsFree(a, b));
    EXPECT_EQ(a, nullptr);
    EXPECT_EQ(b, nullptr);
    EXPECT_EQ(Bytes(joined.get()), aBytes.substr(0, aBytes.size() - 2) + bBytes);
  }
  {
    LPITEMIDLIST none = nullptr;
    LPITEMIDLIST b = MakeList({14}).release();
    UniqueIDList result(ConcatItemIdsFree(none, b));
    EXPECT_EQ(b, nullptr);
    EXPECT_EQ(Bytes(result.get()), bBytes);
    LPITEMIDLIST a = MakeList({10, 12}).release();
    UniqueIDList result2(ConcatItemIdsFree(a, none));
    EXPECT_EQ(a, nullptr);
    EXPECT_EQ(Bytes(result2.get()), aBytes);
    LPITEMIDLIST n1 = nullptr, n2 = nullptr;
    EXPECT_EQ(ConcatItemIdsFree(n1, n2), nullptr);
  }
  {
    UniqueIDList a = MakeList({10, 12});
    UniqueIDList b = MakeList({14});
    UniqueIDList joined = ConcatItemIdsFree(a, b);
    EXPECT_FALSE(a);
    EXPECT_FALSE(b);
    EXPECT_EQ(GetItemIDListSize(joined.get()), 38);
  }
  EXPECT_EQ(spy->Live(), 0u) << "a list was leaked";
  EXPECT_EQ(spy->foreignFrees, 0);
}

TEST(IdListArithmetic, ParentAndLastSplitAList) {
  UniqueIDList one = MakeList({10});
  UniqueIDList three = MakeList({10, 12, 14});
  UniqueIDList empty = MakeList({});
  std::string bytes = Bytes(three.get());

  EXPECT_EQ(GetParentItemIDRoot(one.get()), nullptr);
  EXPECT_EQ(GetParentItemIDRoot(empty.get()), nullptr);
  EXPECT_EQ(GetParentItemIDRoot(nullptr), nullptr);
  UniqueIDList parent(GetParentItemIDRoot(three.get()));
  EXPECT_EQ(Bytes(parent.get()), bytes.substr(0, 22) + std::string(2, '\0'));

  EXPECT_EQ(GetLastItemID(empty.get()), nullptr);
  EXPECT_EQ(GetLastItemID(nullptr), nullptr);
  UniqueIDList last(GetLastItemID(three.get()));
  EXPECT_EQ(Bytes(last.get()), bytes.substr(22, 14) + std::string(2, '\0'));
  UniqueIDList onlyItem(GetLastItemID(one.get()));
  EXPECT_EQ(Bytes(onlyItem.get()), Bytes(one.get()));

  // Parent + last gives the list back.
  UniqueIDList rejoined(ConcatItemIDList(parent.get(), last.get()));
  EXPECT_EQ(Bytes(rejoined.get()), bytes);
}

// ---------------------------------------------------------------------------
// Lists from the real shell

class ShellLists : public testing::Test {
 protected:
  void SetUp() override {
    // "表" (0x95 0x5C) and "ソ" (0x83 0x5C) end in a byte that equals "\".
    m_japanese = m_temp / "表示テスト";
    m_deep = m_japanese + "\\ソース";
    ASSERT_TRUE(CreateDirectoryA(m_japanese.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(m_deep.c_str(), nullptr));
    testsupport::WriteFile(m_deep + "\\a.txt", "a");
    testsupport::WriteFile(m_deep + "\\b.txt", "b");
    testsupport::WriteFile(m_deep + "\\隠し.txt", "h");
    SetFileAttributesA((m_deep + "\\隠し.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  }

  testsupport::TempDir m_temp;
  std::string m_japanese;
  std::string m_deep;
};

TEST_F(ShellLists, LevelsOfDesktopComputerDriveAndFolders) {
  UniqueIDList desktop, drives;
  ASSERT_TRUE(GetSpecialFolderID(sfidDeskTop, desktop));
  ASSERT_TRUE(GetSpecialFolderID(sfidDrives, drives));
  EXPECT_EQ(GetItemIDListSize(desktop.get()), 2);
  EXPECT_EQ(GetItemIDLevel(desktop.get()), 0);
  EXPECT_EQ(GetItemIDLevel(drives.get()), 1);
  EXPECT_EQ(GetItemIDLevel(nullptr), -1);

  UniqueIDList root = ListOf("C:\\");
  EXPECT_EQ(GetItemIDLevel(root.get()), 2);
  // The drive's parent is the computer folder; a one-level list has none.
  UniqueIDList rootParent(GetParentItemIDRoot(root.get()));
  EXPECT_EQ(CompareIDList(Desktop().Get(), rootParent.get(), drives.get()), cvEqual);
  EXPECT_EQ(GetParentItemIDRoot(drives.get()), nullptr);

  // Each folder below the drive adds one level.
  std::string path = m_deep;
  int components = 0;
  for (std::size_t i = 3; i < path.size(); ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(path[i]))) {
      ++i;
      continue;
    }
    if (path[i] == '\\') ++components;
  }
  UniqueIDList deep = ListOf(m_deep);
  EXPECT_EQ(GetItemIDLevel(deep.get()), 2 + components + 1);
}

TEST_F(ShellLists, JapaneseNamesRoundTripThroughTheShell) {
  for (const std::string& path : {m_japanese, m_deep, m_deep + "\\a.txt"}) {
    UniqueIDList list = ListOf(path);
    std::string back;
    ASSERT_TRUE(GetPathFromItemIDList(list.get(), back)) << path;
    EXPECT_EQ(back, path);

    // Split into parent and item, the item's in-folder name is the last
    // component, and joining gives an equal list.
    UniqueIDList parent(GetParentItemIDRoot(list.get()));
    UniqueIDList last(GetLastItemID(list.get()));
    ASSERT_TRUE(parent && last);
    std::string name;
    ASSERT_TRUE(GetNameFromItemId(BindFolder(parent.get()).Get(), last.get(), name, SHGDN_INFOLDER | SHGDN_FORPARSING));
    EXPECT_EQ(name, path.substr(path.size() - name.size()));
    UniqueIDList joined(ConcatItemIDList(parent.get(), last.get()));
    EXPECT_EQ(Bytes(joined.get()), Bytes(list.get()));
    EXPECT_EQ(CompareIDList(Desktop().Get(), joined.get(), list.get()), cvEqual);
    std::string parentPath;
    ASSERT_TRUE(GetPathFromItemIDList(parent.get(), parentPath));
    EXPECT_EQ(parentPath + "\\" + name, path);
  }
  std::string caption;
  UniqueIDList deep = ListOf(m_deep);
  UniqueIDList last(GetLastItemID(deep.get()));
  UniqueIDList parent(GetParentItemIDRoot(deep.get()));
  EXPECT_TRUE(GetNameFromItemId(BindFolder(parent.get()).Get(), last.get(), caption, SHGDN_INFOLDER));
  EXPECT_EQ(caption, "ソース");
}

TEST_F(ShellLists, FailuresGiveNeutralResults) {
  UniqueIDList list;
  EXPECT_FALSE(GetIDListFromPath("", list));
  EXPECT_FALSE(list);
  EXPECT_FALSE(GetIDListFromPath(m_deep + "\\無い.txt", list));
  EXPECT_FALSE(list);

  std::string path = "stale";
  EXPECT_FALSE(GetPathFromItemIDList(nullptr, path));
  EXPECT_TRUE(path.empty());
  UniqueIDList drives;
  ASSERT_TRUE(GetSpecialFolderID(sfidDrives, drives));
  path = "stale";
  EXPECT_FALSE(GetPathFromItemIDList(drives.get(), path));  // not a file-system folder
  EXPECT_TRUE(path.empty());

  std::string name = "stale";
  EXPECT_FALSE(GetNameFromItemId(nullptr, drives.get(), name, SHGDN_NORMAL));
  EXPECT_TRUE(name.empty());
  EXPECT_FALSE(GetNameFromItemId(Desktop().Get(), nullptr, name, SHGDN_NORMAL));

  EXPECT_EQ(CompareIDList(nullptr, drives.get(), drives.get()), cvError);
  EXPECT_EQ(CompareIDList(Desktop().Get(), nullptr, drives.get()), cvError);
  EXPECT_TRUE(GetItemAttributes(nullptr, drives.get(), iaFolder).Empty());
  EXPECT_TRUE(GetItemAttributes(Desktop().Get(), static_cast<LPCITEMIDLIST>(nullptr), iaFolder).Empty());
  EXPECT_TRUE(GetItemAttributes(Desktop().Get(), static_cast<LPCITEMIDLIST*>(nullptr), 1, iaFolder).Empty());
  EXPECT_EQ(GetIconFromItemId(nullptr, false, false), 0);
}

TEST_F(ShellLists, CompareMapsTheShellOrder) {
  UniqueIDList folderList = ListOf(m_deep);
  fw::ComPtr<IShellFolder> folder = BindFolder(folderList.get());
  UniqueIDList a(GetLastItemID(ListOf(m_deep + "\\a.txt").get()));
  UniqueIDList b(GetLastItemID(ListOf(m_deep + "\\b.txt").get()));
  EXPECT_EQ(CompareIDList(folder.Get(), a.get(), b.get()), cvNext);  // a sorts before b
  EXPECT_EQ(CompareIDList(folder.Get(), b.get(), a.get()), cvPrev);
  UniqueIDList a2 = a.Copy();
  EXPECT_EQ(CompareIDList(folder.Get(), a.get(), a2.get()), cvEqual);
}

TEST_F(ShellLists, AttributesExpandCompositesIntoMembers) {
  UniqueIDList folderList = ListOf(m_deep);
  fw::ComPtr<IShellFolder> folder = BindFolder(folderList.get());
  UniqueIDList a(GetLastItemID(ListOf(m_deep + "\\a.txt").get()));
  UniqueIDList hidden(GetLastItemID(ListOf(m_deep + "\\隠し.txt").get()));

  TShItemAttributes caps = GetItemAttributes(folder.Get(), a.get(), iaCapabilityMask);
  EXPECT_TRUE(caps.Contains(iaCanCopy));
  EXPECT_TRUE(caps.Contains(iaCanRename));
  EXPECT_FALSE(caps.Contains(iaCapabilityMask));
  EXPECT_TRUE((caps - TShItemAttributes{iaCanCopy, iaCanMove, iaCanLink, iaCanRename, iaCanDelete, iaHasPropSheet,
                                        iaDropTarget})
                  .Empty());

  EXPECT_TRUE(GetItemAttributes(folder.Get(), a.get(), iaFileSystem).Contains(iaFileSystem));
  EXPECT_FALSE(GetItemAttributes(folder.Get(), a.get(), iaFolder).Contains(iaFolder));
  // Only the asked member can come back.
  EXPECT_EQ(GetItemAttributes(folder.Get(), a.get(), iaFileSystem).ToBits(), TShItemAttributes{iaFileSystem}.ToBits());

  TShItemAttributes display = GetItemAttributes(folder.Get(), hidden.get(), iaDisplayAttrMask);
  EXPECT_FALSE(display.Contains(iaDisplayAttrMask));
  EXPECT_TRUE((display - TShItemAttributes{iaLink, iaShare, iaReadOnly, iaGhosted, iaHidden}).Empty());
  // Hidden and ghosted share one shell bit, so they come and go together.
  EXPECT_EQ(display.Contains(iaHidden), display.Contains(iaGhosted));

  // Several items: what they all share.
  LPCITEMIDLIST both[2] = {a.get(), hidden.get()};
  EXPECT_TRUE(GetItemAttributes(folder.Get(), both, 2, iaFileSystem).Contains(iaFileSystem));
  EXPECT_TRUE(GetItemAttributes(folder.Get(), both, 0, iaFileSystem).Empty());

  // A folder with a subfolder: iaContentsMask reports iaHasSubFolder only.
  UniqueIDList parentList = ListOf(m_japanese);
  fw::ComPtr<IShellFolder> parent = BindFolder(parentList.get());
  UniqueIDList sub(GetLastItemID(folderList.get()));
  EXPECT_TRUE(GetItemAttributes(parent.Get(), sub.get(), iaFolder).Contains(iaFolder));
  TShItemAttributes contents = GetItemAttributes(parent.Get(), sub.get(), iaContentsMask);
  EXPECT_FALSE(contents.Contains(iaContentsMask));
  EXPECT_TRUE((contents - TShItemAttributes{iaHasSubFolder}).Empty());
}

TEST_F(ShellLists, SpecialFoldersAndIcons) {
  UniqueIDList list;
  ASSERT_TRUE(GetSpecialFolderID(sfidDrives, list));
  UniqueIDList bin;
  if (GetSpecialFolderID(sfidBitBucket, bin)) {
    EXPECT_EQ(GetItemIDLevel(bin.get()), 1);
  }
  // Paths of special folders are the system's, with no trailing backslash
  // (the shell under test adds one to the documents folder).
  for (auto [id, csidl] :
       {std::pair{sfidPersonal, CSIDL_PERSONAL}, std::pair{sfidDeskTopFolder, CSIDL_DESKTOPDIRECTORY},
        std::pair{sfidAppData, CSIDL_APPDATA}}) {
    UniqueIDList special;
    ASSERT_TRUE(GetSpecialFolderID(id, special));
    std::string path;
    EXPECT_TRUE(GetPathFromItemIDList(special.get(), path));
    char expected[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, expected, csidl, FALSE));
    EXPECT_EQ(path, expected);
  }
  std::string rootPath;
  EXPECT_TRUE(GetPathFromItemIDList(ListOf("C:\\").get(), rootPath));
  EXPECT_EQ(rootPath, "C:\\");
  // Virtual folders have no file-system path, whatever text the shell offers.
  for (auto id : {sfidInterNet, sfidNetWork, sfidPrinters, sfidDrives, sfidBitBucket}) {
    UniqueIDList special;
    std::string path = "stale";
    if (GetSpecialFolderID(id, special)) {
      EXPECT_FALSE(GetPathFromItemIDList(special.get(), path)) << path;
    }
    EXPECT_TRUE(path.empty() || path == "stale");
  }

  // Icons: the folder's open and closed icons are valid indexes; the same
  // index comes from the file's extension as from the file itself.
  UniqueIDList folder = ListOf(m_deep);
  EXPECT_GT(GetIconFromItemId(folder.get(), false, false), 0);
  EXPECT_GE(GetIconFromItemId(folder.get(), true, true), 0);
  UniqueIDList file = ListOf(m_deep + "\\a.txt");
  EXPECT_EQ(GetIconFromItemId(file.get(), false, false), GetIconFromPath("x.txt", false));
}

// ---------------------------------------------------------------------------
// Ownership and start-up

TEST_F(ShellLists, EveryListMadeIsFreedThroughTheAllocator) {
  SpyScope spy;
  {
    UniqueIDList deep = ListOf(m_deep + "\\a.txt");  // handed out by the shell
    UniqueIDList parent(GetParentItemIDRoot(deep.get()));
    UniqueIDList last(GetLastItemID(deep.get()));
    UniqueIDList joined(ConcatItemIDList(parent.get(), last.get()));
    UniqueIDList moved = std::move(joined);
    EXPECT_FALSE(joined);
    moved.reset(CopyItemIDList(deep.get()));
    UniqueIDList desktop;
    GetSpecialFolderID(sfidDeskTop, desktop);
    GetSpecialFolderID(sfidDrives, desktop);  // the first list is freed when the owner is refilled
    EXPECT_EQ(GetItemIDLevel(deep.get()), GetItemIDLevel(moved.get()));
    LPITEMIDLIST raw = last.release();
    FreeItemID(raw);
    EXPECT_EQ(raw, nullptr);
  }
  EXPECT_GT(spy->allocs, 0);
  EXPECT_EQ(spy->Live(), 0u) << "a list was leaked";
  // Lists from the shell come back to the same allocator too.
  EXPECT_GE(spy->foreignFrees, 3);
}

TEST(ShellUnit, StartUpIsCounted) {
  ASSERT_GE(ShellidfuncInitCount(), 1);  // started by the test environment
  IMalloc* allocator = GMalloc();
  ASSERT_NE(allocator, nullptr);
  int before = ShellidfuncInitCount();
  {
    ShellidfuncScope nested;
    EXPECT_EQ(ShellidfuncInitCount(), before + 1);
    EXPECT_EQ(GMalloc(), allocator);
  }
  EXPECT_EQ(ShellidfuncInitCount(), before);
  EXPECT_EQ(GMalloc(), allocator);  // an inner shut-down keeps the allocator

  // A worker thread with its own COM initialisation uses the functions
  // without starting the unit again.
  struct Worker {
    static DWORD WINAPI Run(void* p) {
      fw::OleScope com(false);
      UniqueIDList drives;
      *static_cast<bool*>(p) = GetSpecialFolderID(sfidDrives, drives) && GetItemIDLevel(drives.get()) == 1;
      return 0;
    }
  };
  bool ok = false;
  HANDLE thread = CreateThread(nullptr, 0, &Worker::Run, &ok, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  WaitForSingleObject(thread, 30000);
  CloseHandle(thread);
  EXPECT_TRUE(ok);
  EXPECT_EQ(ShellidfuncInitCount(), before);
}

TEST(ShellUnit, EnumerationValuesAreTheStoredBits) {
  EXPECT_EQ(kDefaultShVirtuaItems.ToBits(), 192);
  EXPECT_EQ((TShVirtuaItems{itBitBucket, itNetWork, itVirtual}).ToBits(), 448);
  EXPECT_EQ(ShVirtuaItemsFromBits(0xFFFF).ToBits(), 448);
  EXPECT_TRUE(IsShVirtuaItem(itVirtual));
  EXPECT_FALSE(IsShVirtuaItem(itFile));
  EXPECT_EQ((TShItemAttributes{iaCanCopy, iaNewContent}).ToBits(), 0x01000001u);
}

}  // namespace
