// Item sets of one folder (TShellIDList, TShellIDList2), the clipboard
// commands they run through the shell's context menu, and the view of a data
// object that carries items (TShellDragObject).
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/base/Exception.h"
#include "framework/base/Handle.h"
#include "shell/Shellctrls.h"
#include "tests/common/TempDir.h"
#include "tests/shell/ShellFakes.h"

namespace {

using shellfakes::FakeContextMenu;
using shellfakes::SpyFolder;

// An allocator that forwards to the task allocator and counts the blocks
// still out, to see who frees what.
class CountingMalloc final : public IMalloc {
 public:
  explicit CountingMalloc(IMalloc* real) : m_real(real) {}
  long outstanding = 0;
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IMalloc) {
      *out = static_cast<IMalloc*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP_(void*) Alloc(SIZE_T size) override {
    void* p = m_real->Alloc(size);
    if (p) ++outstanding;
    return p;
  }
  STDMETHODIMP_(void*) Realloc(void* p, SIZE_T size) override { return m_real->Realloc(p, size); }
  STDMETHODIMP_(void) Free(void* p) override {
    if (p) --outstanding;
    m_real->Free(p);
  }
  STDMETHODIMP_(SIZE_T) GetSize(void* p) override { return m_real->GetSize(p); }
  STDMETHODIMP_(int) DidAlloc(void* p) override { return m_real->DidAlloc(p); }
  STDMETHODIMP_(void) HeapMinimize() override { m_real->HeapMinimize(); }

 private:
  IMalloc* m_real;
};

class CountingScope {
 public:
  CountingScope() : counter(GMalloc()) { m_previous = ExchangeGMalloc(fw::ComPtr<IMalloc>::Share(&counter)); }
  ~CountingScope() { ExchangeGMalloc(std::move(m_previous)); }
  CountingMalloc counter;

 private:
  fw::ComPtr<IMalloc> m_previous;
};

// A hand-made list: items of the given sizes (cb counts its own two bytes).
std::vector<BYTE> MakeList(std::initializer_list<std::uint16_t> sizes) {
  std::vector<BYTE> bytes;
  BYTE fill = 1;
  for (std::uint16_t cb : sizes) {
    bytes.push_back(static_cast<BYTE>(cb & 0xFF));
    bytes.push_back(static_cast<BYTE>(cb >> 8));
    for (int i = 2; i < cb; ++i) bytes.push_back(fill);
    ++fill;
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

LPCITEMIDLIST AsList(const std::vector<BYTE>& bytes) { return reinterpret_cast<LPCITEMIDLIST>(bytes.data()); }

// The bytes of an item-list array: count, offsets, then the lists.
std::vector<BYTE> MakeCida(const std::vector<std::vector<BYTE>>& lists) {
  std::vector<BYTE> block(4 + 4 * lists.size());
  std::uint32_t count = static_cast<std::uint32_t>(lists.size() - 1);
  std::memcpy(block.data(), &count, 4);
  for (std::size_t i = 0; i < lists.size(); ++i) {
    std::uint32_t offset = static_cast<std::uint32_t>(block.size());
    std::memcpy(block.data() + 4 + 4 * i, &offset, 4);
    block.insert(block.end(), lists[i].begin(), lists[i].end());
  }
  return block;
}

bool SameBytes(LPCITEMIDLIST list, const std::vector<BYTE>& bytes) {
  return list && GetItemIDListSize(list) == bytes.size() && std::memcmp(list, bytes.data(), bytes.size()) == 0;
}

// A TShellIDList whose parent folder is a test double.
class FakeFolderList : public TShellIDList {
 public:
  explicit FakeFolderList(IShellFolder* folder) : m_folder(folder) {}
  bool GetShellFolder(fw::ComPtr<IShellFolder>& folder) override {
    folder = fw::ComPtr<IShellFolder>::Share(m_folder);
    return true;
  }

 private:
  IShellFolder* m_folder;
};

void EmptyTheClipboard() {
  OleSetClipboard(nullptr);
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
}

// ---------------------------------------------------------------------------

TEST(ShellIDLists, BorrowingListFreesNothingOwningListFreesAll) {
  auto parent = MakeList({20, 14});
  auto one = MakeList({10});
  auto two = MakeList({12});
  CountingScope counting;
  {
    TShellIDList borrowed;
    borrowed.SetParentItemID(AsList(parent));
    borrowed.Add(AsList(one));
    borrowed.Add(nullptr);  // no entry for no list
    borrowed.Add(AsList(two));
    ASSERT_EQ(borrowed.Count(), 2);
    EXPECT_EQ(borrowed.GetItemID(0), AsList(one));
    EXPECT_EQ(borrowed.GetItemID(1), AsList(two));
    EXPECT_EQ(borrowed.GetItemID(2), nullptr);
    EXPECT_EQ(borrowed.GetItemID(-1), nullptr);
    EXPECT_EQ(borrowed.GetItemIDs()[1], AsList(two));
    EXPECT_EQ(borrowed.GetParentItemID(), AsList(parent));
    borrowed.Clear();
    EXPECT_EQ(borrowed.GetItemIDs(), nullptr);
  }
  EXPECT_EQ(counting.counter.outstanding, 0);

  {
    TShellIDList2 owned;
    owned.SetParentItemID(AsList(parent));  // copies
    owned.Add(AsList(one));
    owned.Add(UniqueIDList(CopyItemIDList(AsList(two))));  // adopted
    EXPECT_EQ(counting.counter.outstanding, 3);
    EXPECT_NE(owned.GetItemID(0), AsList(one));
    EXPECT_TRUE(SameBytes(owned.GetItemID(0), one));
    EXPECT_TRUE(SameBytes(owned.GetParentItemID(), parent));
    // Replacing the parent frees the old copy.
    owned.SetParentItemID(AsList(one));
    EXPECT_EQ(counting.counter.outstanding, 3);
    owned.Clear();
    EXPECT_EQ(counting.counter.outstanding, 0);
    EXPECT_EQ(owned.Count(), 0);
    EXPECT_EQ(owned.GetParentItemID(), nullptr);

    // Used through the base class, it still keeps copies of its own.
    TShellIDList& base = owned;
    base.Add(AsList(two));
    base.SetParentItemID(AsList(parent));
    EXPECT_EQ(counting.counter.outstanding, 2);
  }
  EXPECT_EQ(counting.counter.outstanding, 0) << "the destructor left lists behind";
}

// What each command asks of the items and passes to the context menu.
TEST(ShellIDListCommands, EachCommandChecksItsAttributeAndInvokesItsOffset) {
  struct Case {
    TShInvokeCommand command;
    ULONG required;
    UINT verb;
  } cases[] = {
      {icCut, SFGAO_CANDELETE, 24},    {icCopy, SFGAO_CANCOPY, 25},          {icLink, SFGAO_CANLINK, 16},
      {icDelete, SFGAO_CANDELETE, 17}, {icProperty, SFGAO_HASPROPSHEET, 19},
  };
  auto a = MakeList({10});
  auto b = MakeList({12});
  const HWND owner = GetDesktopWindow();
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.command));
    FakeContextMenu menu;
    SpyFolder folder;
    folder.contextMenu = &menu;
    {
      FakeFolderList list(&folder);
      list.Add(AsList(a));
      list.Add(AsList(b));

      // Without the attribute nothing is asked of the menu.
      folder.attributes = 0x177 & ~c.required;
      EXPECT_FALSE(list.InvokeCommand(owner, c.command));
      EXPECT_EQ(folder.uiObjectCalls, 0);

      folder.attributes = c.required;
      EXPECT_TRUE(list.InvokeCommand(owner, c.command));
      EXPECT_EQ(folder.lastUiObjectCount, 2u);
      EXPECT_EQ(folder.lastUiObjectOwner, owner);
      EXPECT_EQ(menu.queryCalls, 1);
      EXPECT_TRUE(menu.menuWasValid);
      EXPECT_EQ(menu.indexMenu, 0u);
      EXPECT_EQ(menu.idCmdFirst, 1u);
      EXPECT_EQ(menu.idCmdLast, 0x7FFFu);
      EXPECT_EQ(menu.queryFlags, static_cast<UINT>(CMF_DEFAULTONLY));
      ASSERT_EQ(menu.invokeCalls, 1);
      EXPECT_EQ(menu.cbSize, 36u);
      EXPECT_EQ(menu.mask, static_cast<DWORD>(CMIC_MASK_FLAG_NO_UI));
      EXPECT_EQ(menu.hwnd, owner);
      EXPECT_TRUE(menu.verbIsNumeric);
      EXPECT_EQ(menu.verb, c.verb);
      EXPECT_EQ(menu.show, SW_SHOWNORMAL);
      EXPECT_TRUE(menu.noParameters);

      // The shell's failures are the command's.
      menu.invokeResult = E_FAIL;
      EXPECT_FALSE(list.InvokeCommand(owner, c.command));
      menu.queryResult = E_FAIL;
      menu.invokeResult = S_OK;
      EXPECT_FALSE(list.InvokeCommand(owner, c.command));
      EXPECT_EQ(menu.invokeCalls, 2);
    }
    EXPECT_EQ(menu.Refs(), 0u);
    EXPECT_EQ(folder.Refs(), 0u);
  }

  // No items, no command.
  SpyFolder folder;
  FakeContextMenu menu;
  folder.contextMenu = &menu;
  folder.attributes = 0xFFFFFFFF;
  FakeFolderList empty(&folder);
  EXPECT_FALSE(empty.InvokeCommand(owner, icCopy));
  EXPECT_EQ(menu.queryCalls, 0);
}

TEST(ShellIDListCommands, PasteNeedsFileSystemTargetsAndDataOnTheClipboard) {
  testsupport::TempDir temp;
  const std::string file = temp / "a.txt";
  testsupport::WriteFile(file, "x");

  auto target = MakeList({10});
  FakeContextMenu menu;
  SpyFolder folder;
  folder.contextMenu = &menu;
  folder.attributes = SFGAO_FILESYSTEM | SFGAO_FOLDER;
  FakeFolderList list(&folder);
  list.Add(AsList(target));

  EmptyTheClipboard();
  EXPECT_FALSE(list.InvokeCommand(nullptr, icPaste));
  EXPECT_EQ(folder.uiObjectCalls, 0) << "a menu was made without anything to paste";

  // Put files on the clipboard as the shell does (item-list array and file names).
  fw::ComPtr<IShellFolder> desktop, parent;
  ASSERT_EQ(SHGetDesktopFolder(desktop.Put()), S_OK);
  UniqueIDList folderList, fileList;
  ASSERT_TRUE(GetIDListFromPath(temp.Path(), folderList));
  ASSERT_TRUE(GetIDListFromPath(file, fileList));
  ASSERT_EQ(desktop->BindToObject(folderList.get(), nullptr, IID_IShellFolder, parent.PutVoid()), S_OK);
  UniqueIDList item(GetLastItemID(fileList.get()));
  LPCITEMIDLIST items[1] = {item.get()};
  fw::ComPtr<IDataObject> data;
  ASSERT_EQ(parent->GetUIObjectOf(nullptr, 1, items, IID_IDataObject, nullptr, data.PutVoid()), S_OK);
  ASSERT_EQ(OleSetClipboard(data.Get()), S_OK);

  EXPECT_TRUE(list.InvokeCommand(nullptr, icPaste));
  EXPECT_EQ(menu.verb, 26u);

  folder.attributes = SFGAO_FOLDER;  // not in the file system
  EXPECT_FALSE(list.InvokeCommand(nullptr, icPaste));
  EXPECT_EQ(menu.invokeCalls, 1);
  EmptyTheClipboard();
}

// The real shell: copying three files of a folder puts the item-list array on
// the clipboard, which a drag object reads back.
TEST(ShellIDListCommands, CopyPutsTheItemListArrayOnTheClipboard) {
  testsupport::TempDir temp;
  const std::string folderPath = temp / "表ソ";
  ASSERT_TRUE(CreateDirectoryA(folderPath.c_str(), nullptr));
  const std::vector<std::string> names = {"一.txt", "二.txt", "ソ.txt"};
  std::vector<UniqueIDList> absolute, relative;
  for (const std::string& name : names) {
    testsupport::WriteFile(folderPath + "\\" + name, name);
    UniqueIDList abs;
    ASSERT_TRUE(GetIDListFromPath(folderPath + "\\" + name, abs));
    relative.emplace_back(GetLastItemID(abs.get()));
    absolute.push_back(std::move(abs));
  }
  UniqueIDList folderList;
  ASSERT_TRUE(GetIDListFromPath(folderPath, folderList));

  TShellIDList list;
  list.SetParentItemID(folderList.get());
  for (const UniqueIDList& r : relative) list.Add(r.get());
  EXPECT_EQ(list.GetLevel(), GetItemIDLevel(folderList.get()));
  EXPECT_EQ(list.GetPath(2), folderPath + "\\ソ.txt");
  EXPECT_EQ(list.GetPath(3), "");
  EXPECT_TRUE(list.HasShAttributesOf(iaCanCopy));
  EXPECT_TRUE(list.HasShAttributesOf(1, iaFileSystem));
  EXPECT_FALSE(list.HasShAttributesOf(1, iaFolder));
  EXPECT_EQ(list.GetOKEffects() & (DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK),
            static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK));
  EXPECT_EQ(list.GetOKEffects() & ~0x177u, 0u);

  EmptyTheClipboard();
  ASSERT_TRUE(list.InvokeCommand(nullptr, icCopy));

  fw::ComPtr<IDataObject> clip;
  ASSERT_EQ(OleGetClipboard(clip.Put()), S_OK);
  FORMATETC idList = IDLISTFormat();
  STGMEDIUM medium{};
  ASSERT_EQ(clip->GetData(&idList, &medium), S_OK);
  fw::ComPtr<IShellFolder> desktop, folder;
  ASSERT_EQ(SHGetDesktopFolder(desktop.Put()), S_OK);
  ASSERT_EQ(desktop->BindToObject(folderList.get(), nullptr, IID_IShellFolder, folder.PutVoid()), S_OK);
  {
    fw::GlobalLockGuard<BYTE> lock(medium.hGlobal);
    ASSERT_TRUE(lock);
    const BYTE* block = lock.get();
    const SIZE_T size = GlobalSize(medium.hGlobal);
    std::uint32_t count;
    std::memcpy(&count, block, 4);
    ASSERT_EQ(count, 3u);
    std::uint32_t offsets[4];
    std::memcpy(offsets, block + 4, sizeof offsets);
    for (std::uint32_t offset : offsets) ASSERT_LT(offset, size);
    EXPECT_EQ(offsets[0], 4u + 4u * 4u) << "the parent's list follows the offsets";
    auto at = [&](int i) { return reinterpret_cast<LPCITEMIDLIST>(block + offsets[i]); };
    EXPECT_EQ(CompareIDList(desktop.Get(), at(0), folderList.get()), cvEqual);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(CompareIDList(folder.Get(), at(i + 1), relative[i].get()), cvEqual) << i;
  }
  ReleaseStgMedium(&medium);

  TShellDragObject drag(clip.Get());
  EXPECT_EQ(drag.GetCount(), 3);
  std::vector<std::string> expectedFiles;
  for (const std::string& name : names) expectedFiles.push_back(folderPath + "\\" + name);
  EXPECT_EQ(drag.GetDragFiles(), expectedFiles);
  TShellIDList2& dragged = drag.GetDragItemIDs();
  ASSERT_EQ(dragged.Count(), 3);
  EXPECT_EQ(CompareIDList(desktop.Get(), dragged.GetParentItemID(), folderList.get()), cvEqual);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(CompareIDList(folder.Get(), dragged.GetItemID(i), relative[i].get()), cvEqual) << i;
    EXPECT_EQ(dragged.GetPath(i), expectedFiles[i]);
  }
  EXPECT_EQ(&drag.GetDragItemIDs(), &dragged);
  EmptyTheClipboard();
}

// ---------------------------------------------------------------------------

TEST(ShellDragObjects, ANullDataObjectIsRefused) {
  try {
    TShellDragObject drag(nullptr);
    FAIL() << "no error";
  } catch (const fw::EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), sShellInvalidParam);
  }
}

// Item-list arrays come from other programs: every count, offset and list
// is checked against the block before anything is copied.
TEST(ShellDragObjects, MalformedItemListArraysAreRefused) {
  auto parent = MakeList({20, 14});
  auto one = MakeList({10, 6});  // an entry's list: only its first item is taken
  auto two = MakeList({12});
  auto good = MakeCida({parent, one, two});

  TShellIDList2 items;
  ASSERT_TRUE(ParseShellIDListArray(good.data(), good.size(), items));
  ASSERT_EQ(items.Count(), 2);
  EXPECT_TRUE(SameBytes(items.GetParentItemID(), parent));
  EXPECT_TRUE(SameBytes(items.GetItemID(0), MakeList({10})));
  EXPECT_TRUE(SameBytes(items.GetItemID(1), two));

  auto expectRefused = [&](std::vector<BYTE> block, const char* why) {
    SCOPED_TRACE(why);
    EXPECT_FALSE(ParseShellIDListArray(block.data(), block.size(), items));
    EXPECT_EQ(items.Count(), 2) << "a refused block changed the items";
  };
  auto withCount = good;
  withCount[0] = 200;
  expectRefused(withCount, "count beyond the offsets");
  auto farOffset = good;
  std::uint32_t beyond = static_cast<std::uint32_t>(good.size());
  std::memcpy(farOffset.data() + 8, &beyond, 4);
  expectRefused(farOffset, "offset at the end");
  auto truncated = good;
  truncated.resize(truncated.size() - 1);
  expectRefused(truncated, "last list without its terminator");
  auto longItem = good;
  std::uint16_t huge = 0x7000;
  std::memcpy(longItem.data() + good.size() - two.size(), &huge, 2);
  expectRefused(longItem, "item longer than the block");
  auto tinyItem = MakeCida({parent, MakeList({10})});
  tinyItem[tinyItem.size() - 12] = 1;  // cb = 1
  expectRefused(tinyItem, "item shorter than its size field");
  expectRefused(std::vector<BYTE>{1, 0, 0}, "shorter than a count");

  // A well-formed block with no entries: the parent alone.
  auto parentOnly = MakeCida({parent});
  ASSERT_TRUE(ParseShellIDListArray(parentOnly.data(), parentOnly.size(), items));
  EXPECT_EQ(items.Count(), 0);
  EXPECT_TRUE(SameBytes(items.GetParentItemID(), parent));
}

}  // namespace
