// Shell items against the real shell (Wine's): kinds, captions, icon indexes
// and their caches, overlays, renaming a tree node's folder; the icon and
// overlay paths that Wine's folders do not offer run against SpyFolder.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/base/Exception.h"
#include "framework/ui/Component.h"
#include "framework/ui/TreeView.h"
#include "shell/Shellctrls.h"
#include "tests/common/TempDir.h"
#include "tests/shell/ShellFakes.h"

namespace {

using shellfakes::FakeExtractIcon;
using shellfakes::SpyFolder;

// A folder item whose parent folder a test may put in place, and whose
// caches a test may look into.
class TestItem : public TShellFolderItem {
 public:
  using TShellFolderItem::TShellFolderItem;
  void UseFolder(IShellFolder* folder) { m_shellFolder = fw::ComPtr<IShellFolder>::Share(folder); }
  int CachedSelectedIndex() const { return m_selectedIndex; }
  void SetCachedSelectedIndex(int v) { m_selectedIndex = v; }
};

// The item the folder tree would make for an absolute list: the desktop's
// relative list is the desktop directory, every other item's its last item.
std::unique_ptr<TestItem> ItemFor(LPCITEMIDLIST absolute, fw::TreeNode* node = nullptr) {
  if (GetItemIDLevel(absolute) == 0) {
    UniqueIDList directory;
    EXPECT_TRUE(GetSpecialFolderID(sfidDeskTopFolder, directory));
    return std::make_unique<TestItem>(node, std::move(directory), UniqueIDList::CopyOf(absolute));
  }
  return std::make_unique<TestItem>(node, UniqueIDList(GetLastItemID(absolute)), UniqueIDList::CopyOf(absolute));
}

std::unique_ptr<TestItem> ItemForPath(const std::string& path, fw::TreeNode* node = nullptr) {
  UniqueIDList list;
  EXPECT_TRUE(GetIDListFromPath(path, list)) << path;
  return ItemFor(list.get(), node);
}

std::unique_ptr<TestItem> ItemForSpecial(TShSpecialFolderID id) {
  UniqueIDList list;
  EXPECT_TRUE(GetSpecialFolderID(id, list)) << static_cast<int>(id);
  return ItemFor(list.get());
}

SHFILEINFOA FileInfo(LPCITEMIDLIST list, UINT flags) {
  SHFILEINFOA info{};
  SHGetFileInfoA(reinterpret_cast<LPCSTR>(list), 0, &info, sizeof info, flags | SHGFI_PIDL);
  return info;
}

fw::ComPtr<IShellFolder> BindFolder(const std::string& path) {
  UniqueIDList list;
  EXPECT_TRUE(GetIDListFromPath(path, list));
  fw::ComPtr<IShellFolder> desktop, folder;
  EXPECT_EQ(SHGetDesktopFolder(desktop.Put()), S_OK);
  EXPECT_EQ(desktop->BindToObject(list.get(), nullptr, IID_IShellFolder, folder.PutVoid()), S_OK);
  return folder;
}

void MakeShortcut(const std::string& target, const std::string& linkPath) {
  fw::ComPtr<IShellLinkA> link;
  ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.PutVoid()), S_OK);
  link->SetPath(target.c_str());
  auto file = link.As<IPersistFile>();
  ASSERT_TRUE(file);
  std::wstring wide(linkPath.size() + 1, L'\0');
  wide.resize(MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide.data(), static_cast<int>(wide.size())) - 1);
  ASSERT_EQ(file->Save(wide.c_str(), TRUE), S_OK);
}

// ---------------------------------------------------------------------------

TEST(ShellItemKinds, EachKindOfTheNamespace) {
  testsupport::TempDir temp;
  const std::string folder = temp / "表ソ";  // 0x5C as a second byte
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  testsupport::WriteFile(folder + "\\表ソ.txt", "x");

  auto desktop = ItemForSpecial(sfidDeskTop);
  auto computer = ItemForSpecial(sfidDrives);
  auto bin = ItemForSpecial(sfidBitBucket);
  auto controls = ItemForSpecial(sfidControls);
  auto network = ItemForSpecial(sfidNetWork);
  auto drive = ItemForPath("C:\\");
  auto dir = ItemForPath(folder);
  auto file = ItemForPath(folder + "\\表ソ.txt");

  EXPECT_EQ(desktop->GetLevel(), 0);
  EXPECT_EQ(desktop->GetItemIDType(), itDeskTop);
  EXPECT_EQ(computer->GetItemIDType(), itMyComputer);
  // The recycle bin is no file-system folder, yet it is told apart from
  // virtual items by its special-folder list.
  EXPECT_FALSE(bin->HasShAttributesOf(iaFileSystem));
  EXPECT_EQ(bin->GetItemIDType(), itBitBucket);
  EXPECT_EQ(controls->GetItemIDType(), itVirtual);
  EXPECT_EQ(network->GetItemIDType(), itNetWork);
  EXPECT_EQ(drive->GetLevel(), 2);
  EXPECT_EQ(drive->GetItemIDType(), itRootDrive);
  EXPECT_EQ(dir->GetItemIDType(), itFolder);
  EXPECT_EQ(file->GetItemIDType(), itFile);

  // An item without lists is of no kind and answers neutrally.
  TestItem empty(nullptr, nullptr, nullptr);
  EXPECT_FALSE(empty.HasCorrectData());
  EXPECT_EQ(empty.GetItemIDType(), itUnknown);
  EXPECT_EQ(empty.GetCaption(), "");
  EXPECT_EQ(empty.GetPath(), "");
  EXPECT_FALSE(empty.HasShAttributesOf(iaFolder));
  EXPECT_EQ(empty.GetOverlayIndex(), -1);
  fw::ComPtr<IDropTarget> target;
  EXPECT_FALSE(empty.GetDropTarget(target));
}

// A folder two levels below the desktop that is not a drive root: the shell
// marks it as a file-system ancestor like a drive, but it is a folder.
TEST(ShellItemKinds, FolderInAFolderOnTheDesktopIsNoDrive) {
  UniqueIDList desktopDir;
  ASSERT_TRUE(GetSpecialFolderID(sfidDeskTopFolder, desktopDir));
  std::string desktopPath;
  ASSERT_TRUE(GetPathFromItemIDList(desktopDir.get(), desktopPath));
  const std::string outer = desktopPath + "\\orvane-items-" + std::to_string(GetCurrentProcessId());
  const std::string inner = outer + "\\中";
  ASSERT_TRUE(CreateDirectoryA(outer.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(inner.c_str(), nullptr));

  // The desktop's own namespace path: desktop \ outer \ inner.
  fw::ComPtr<IShellFolder> desktop;
  ASSERT_EQ(SHGetDesktopFolder(desktop.Put()), S_OK);
  UniqueIDList outerList, innerList;
  std::wstring outerName = L"orvane-items-" + std::to_wstring(GetCurrentProcessId());
  ASSERT_EQ(desktop->ParseDisplayName(nullptr, nullptr, outerName.data(), nullptr, outerList.put(), nullptr), S_OK);
  fw::ComPtr<IShellFolder> outerFolder;
  ASSERT_EQ(desktop->BindToObject(outerList.get(), nullptr, IID_IShellFolder, outerFolder.PutVoid()), S_OK);
  UniqueIDList innerItem;
  std::wstring innerName = L"中";
  ASSERT_EQ(outerFolder->ParseDisplayName(nullptr, nullptr, innerName.data(), nullptr, innerItem.put(), nullptr), S_OK);
  innerList.reset(ConcatItemIDList(outerList.get(), innerItem.get()));

  auto outerItem = ItemFor(outerList.get());
  auto innerDir = ItemFor(innerList.get());
  EXPECT_EQ(outerItem->GetLevel(), 1);
  EXPECT_EQ(outerItem->GetItemIDType(), itFolder);
  EXPECT_EQ(innerDir->GetLevel(), 2);
  EXPECT_EQ(innerDir->GetItemIDType(), itFolder);
  EXPECT_EQ(innerDir->GetPath(), inner);

  testsupport::RemoveTree(outer);
}

TEST(ShellItemCaptions, CaptionsPathsAndIconsAreTheShells) {
  testsupport::TempDir temp;
  const std::string folder = temp / "表ソ";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  const std::string filePath = folder + "\\表ソ.txt";
  testsupport::WriteFile(filePath, "x");

  auto desktop = ItemForSpecial(sfidDeskTop);
  auto computer = ItemForSpecial(sfidDrives);
  auto drive = ItemForPath("C:\\");
  auto dir = ItemForPath(folder);
  auto file = ItemForPath(filePath);

  EXPECT_EQ(dir->GetCaption(), "表ソ");
  EXPECT_EQ(file->GetCaption(), "表ソ.txt");
  EXPECT_EQ(dir->GetPath(), folder);
  EXPECT_EQ(file->GetPath(), filePath);
  EXPECT_EQ(drive->GetPath(), "C:\\");
  EXPECT_EQ(computer->GetPath(), "");
  // The desktop stands for the desktop directory on disk.
  UniqueIDList desktopDir;
  ASSERT_TRUE(GetSpecialFolderID(sfidDeskTopFolder, desktopDir));
  std::string desktopPath;
  ASSERT_TRUE(GetPathFromItemIDList(desktopDir.get(), desktopPath));
  EXPECT_EQ(desktop->GetPath(), desktopPath);

  for (TestItem* item : {desktop.get(), computer.get(), drive.get(), dir.get(), file.get()}) {
    LPCITEMIDLIST root = item->GetRootItemID();
    SCOPED_TRACE(item->GetCaption());
    EXPECT_FALSE(item->GetCaption().empty());
    EXPECT_EQ(item->GetCaption(), FileInfo(root, SHGFI_DISPLAYNAME).szDisplayName);
    EXPECT_EQ(item->GetImageIndex(), FileInfo(root, SHGFI_SYSICONINDEX | SHGFI_SMALLICON).iIcon);
    EXPECT_EQ(item->GetSelectedIndex(), FileInfo(root, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON).iIcon);
  }
  // Real, distinct icons: a folder is drawn unlike a text file, and opened
  // unlike closed.
  EXPECT_NE(dir->GetImageIndex(), file->GetImageIndex());
  EXPECT_NE(dir->GetImageIndex(), dir->GetSelectedIndex());
}

TEST(ShellItemCaptions, TheShellIsAskedOnceUntilTheOwnerResets) {
  testsupport::TempDir temp;
  const std::string filePath = temp / "一.txt";
  testsupport::WriteFile(filePath, "x");

  SpyFolder spy;
  spy.inner = BindFolder(temp.Path());
  {
    auto item = ItemForPath(filePath);
    item->UseFolder(&spy);

    EXPECT_EQ(item->GetCaption(), "一.txt");
    EXPECT_EQ(item->GetCaption(), "一.txt");
    EXPECT_EQ(spy.displayNameCalls, 1);

    int image = item->GetImageIndex();
    EXPECT_EQ(item->GetImageIndex(), image);
    EXPECT_EQ(spy.shellIconQueries, 1) << "the icon was worked out twice";

    // The open icon comes from the absolute list alone: its cache shows in
    // what a second query returns.
    int selected = item->GetSelectedIndex();
    EXPECT_EQ(item->CachedSelectedIndex(), selected);
    item->SetCachedSelectedIndex(selected + 1000);
    EXPECT_EQ(item->GetSelectedIndex(), selected + 1000);

    // The owner replaces or forgets the caches.
    item->SetCaption("Data (E:)");
    EXPECT_EQ(item->GetCaption(), "Data (E:)");
    EXPECT_EQ(spy.displayNameCalls, 1);
    item->ClearCaption();
    EXPECT_EQ(item->GetCaption(), "一.txt");
    EXPECT_EQ(spy.displayNameCalls, 2);
    item->ResetImageIndexes();
    EXPECT_EQ(item->GetSelectedIndex(), selected);
    EXPECT_EQ(item->GetImageIndex(), image);
    EXPECT_EQ(spy.shellIconQueries, 2);

    // An item whose folder has no name for it is not asked on every paint.
    spy.inner = fw::ComPtr<IShellFolder>();
    spy.displayName.clear();
    item->ClearCaption();
    EXPECT_EQ(item->GetCaption(), "");
    EXPECT_EQ(item->GetCaption(), "");
    EXPECT_EQ(spy.displayNameCalls, 3);
  }
  EXPECT_EQ(spy.Refs(), 0u) << "the item kept a reference to its folder";
}

// Folders with an icon cache (IShellIcon) are not offered by Wine; Windows
// folders answer through it, and their answers decide as follows.
TEST(ShellItemIcons, FoldersWithAnIconCache) {
  testsupport::TempDir temp;
  const std::string filePath = temp / "a.txt";
  testsupport::WriteFile(filePath, "x");
  UniqueIDList abs;
  ASSERT_TRUE(GetIDListFromPath(filePath, abs));
  const int shellIndex = GetIconFromItemId(abs.get(), false, false);

  struct Case {
    const char* name;
    HRESULT iconOf;
    bool extractor;
    HRESULT location;
    int index;
    UINT flags;
    int expected;  // -2: the shell's own index for the item
  } cases[] = {
      {"cached", S_OK, true, S_OK, 7, 0, -2},
      {"declined, per instance", S_FALSE, true, S_OK, 7, 0, 7},
      {"declined, per class", S_FALSE, true, S_OK, 7, GIL_PERCLASS, -2},
      {"declined, negative index", S_FALSE, true, S_OK, -3, 0, -2},
      {"declined, no extractor", S_FALSE, false, S_OK, 7, 0, -2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeExtractIcon extract;
    extract.result = c.location;
    extract.index = c.index;
    extract.flags = c.flags;
    SpyFolder spy;
    spy.offerShellIcon = true;
    spy.iconOfResult = c.iconOf;
    spy.extractIcon = c.extractor ? &extract : nullptr;
    {
      auto item = ItemFor(abs.get());
      item->UseFolder(&spy);
      EXPECT_EQ(item->GetImageIndex(), c.expected == -2 ? shellIndex : c.expected);
      EXPECT_EQ(item->GetImageIndex(), c.expected == -2 ? shellIndex : c.expected);
      EXPECT_EQ(spy.iconOfCalls, 1);
      EXPECT_EQ(extract.calls, c.extractor && c.iconOf != S_OK ? 1 : 0);
    }
    EXPECT_EQ(spy.Refs(), 0u);
    EXPECT_EQ(extract.Refs(), 0u);
  }
}

TEST(ShellItemIcons, OverlaysFromTheFolderOrFromAttributes) {
  testsupport::TempDir temp;
  const std::string filePath = temp / "a.txt";
  testsupport::WriteFile(filePath, "x");
  MakeShortcut(filePath, temp / "a.lnk");

  // Real shell (no overlay interface under Wine): the shortcut's attribute.
  EXPECT_EQ(ItemForPath(temp / "a.lnk")->GetOverlayIndex(), 1);
  EXPECT_EQ(ItemForPath(filePath)->GetOverlayIndex(), -1);

  UniqueIDList abs;
  ASSERT_TRUE(GetIDListFromPath(filePath, abs));
  struct Case {
    const char* name;
    bool offer;
    HRESULT result;
    int shellIndex;
    ULONG attributes;
    int expected;
  } cases[] = {
      {"overlay 3 of the folder", true, S_OK, 3, 0, 2},
      {"folder declines", true, S_FALSE, 3, SFGAO_SHARE, -1},
      {"shared", false, S_OK, 0, SFGAO_SHARE, 0},
      {"shared shortcut", false, S_OK, 0, SFGAO_SHARE | SFGAO_LINK, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SpyFolder spy;
    spy.offerOverlay = c.offer;
    spy.overlayResult = c.result;
    spy.overlayIndex = c.shellIndex;
    spy.attributes = c.attributes;
    auto item = ItemFor(abs.get());
    item->UseFolder(&spy);
    EXPECT_EQ(item->GetOverlayIndex(), c.expected);
  }
}

// ---------------------------------------------------------------------------
// Tree nodes

// A tree that records what a renamed item asks of it.
class RecordingTree : public fw::TreeView, public TShellFolderTreeOwner {
 public:
  explicit RecordingTree(fw::Component* owner) : fw::TreeView(owner) {}
  void UpDateFolder(fw::TreeNode* node) override { updated.push_back(node); }
  std::vector<fw::TreeNode*> updated;
};

TEST(ShellFolderItemNodes, OwnerNodeTakesChildrenMarkOverlayAndIndex) {
  testsupport::TempDir temp;
  ASSERT_TRUE(CreateDirectoryA((temp / "with").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((temp / "with\\sub").c_str(), nullptr));

  fw::ComponentPtr<RecordingTree> tree(new RecordingTree(nullptr));
  fw::TreeNode* root = tree->Items().AddChild(nullptr, "root");
  fw::TreeNode* first = tree->Items().AddChild(root, "first");
  tree->Items().AddChild(first, "grandchild");
  fw::TreeNode* second = tree->Items().AddChild(root, "second");

  auto item = ItemForPath(temp / "with");
  EXPECT_EQ(item->GetIndex(), -1);
  item->SetOwner(second);
  EXPECT_EQ(item->GetNode(), second);
  EXPECT_TRUE(second->HasChildren());
  EXPECT_EQ(second->OverlayIndex(), -1);
  EXPECT_EQ(item->GetIndex(), 3);  // root, first, grandchild, second
}

TEST(ShellFolderItemNodes, RenameTakesTheNewNameAndReordersTheSiblings) {
  testsupport::TempDir temp;
  for (const char* name : {"b", "b\\inner", "d"}) ASSERT_TRUE(CreateDirectoryA((temp / name).c_str(), nullptr));

  fw::ComponentPtr<RecordingTree> tree(new RecordingTree(nullptr));
  auto parentItem = ItemForPath(temp.Path());
  auto bItem = ItemForPath(temp / "b");
  auto dItem = ItemForPath(temp / "d");
  fw::TreeNode* parent = tree->Items().AddChild(nullptr, parentItem->GetCaption(), parentItem.get());
  fw::TreeNode* b = tree->Items().AddChild(parent, bItem->GetCaption(), bItem.get());
  tree->Items().AddChild(b, "inner");
  fw::TreeNode* d = tree->Items().AddChild(parent, dItem->GetCaption(), dItem.get());
  bItem->SetOwner(b);
  dItem->SetOwner(d);

  // The user typed "z" over "b".
  b->SetText("z");
  ASSERT_TRUE(bItem->Rename("z"));
  EXPECT_EQ(GetFileAttributesA((temp / "b").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesA((temp / "z").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(bItem->GetPath(), temp / "z");
  EXPECT_EQ(bItem->GetCaption(), "z");
  EXPECT_EQ(b->Text(), "z");
  EXPECT_TRUE(bItem->HasCorrectData());
  std::string lastName;
  ASSERT_TRUE(GetNameFromItemId(BindFolder(temp.Path()).Get(), bItem->GetItemID(), lastName, SHGDN_INFOLDER));
  EXPECT_EQ(lastName, "z");
  // The old children are gone, the tree reads the folder again, and the
  // node moved behind "d".
  EXPECT_EQ(b->Count(), 0);
  ASSERT_EQ(tree->updated.size(), 1u);
  EXPECT_EQ(tree->updated[0], b);
  ASSERT_EQ(parent->Count(), 2);
  EXPECT_EQ(parent->Item(0), d);
  EXPECT_EQ(parent->Item(1), b);

  // A name that is taken: nothing changes, and the node shows the real name
  // again instead of the text the user typed.
  d->SetText("z");
  EXPECT_FALSE(dItem->Rename("z"));
  EXPECT_EQ(d->Text(), "d");
  EXPECT_EQ(dItem->GetPath(), temp / "d");
  EXPECT_EQ(tree->updated.size(), 1u);

  // What the shell will not rename is not asked to.
  auto computer = ItemForSpecial(sfidDrives);
  EXPECT_FALSE(computer->Rename("x"));
}

// ---------------------------------------------------------------------------
// Shared conversions and the system image list

TEST(ShellConversions, KeyStatesAndEffects) {
  // Mouse buttons do not count as keys; the Alt bit of OLE's key state does.
  EXPECT_EQ(KeyStateToDragKeyState(MK_CONTROL | MK_SHIFT | MK_LBUTTON), dkShiftCtrl);
  EXPECT_EQ(KeyStateToDragKeyState(MK_RBUTTON), dkNone);
  EXPECT_EQ(KeyStateToShiftState(0x20 | MK_MBUTTON),
            (fw::TShiftState{fw::TShiftStateItem::ssAlt, fw::TShiftStateItem::ssMiddle}));
  // Scrolling is no drop effect.
  EXPECT_EQ(EffectToDropEffects(DROPEFFECT_COPY | DROPEFFECT_LINK | DROPEFFECT_SCROLL),
            (TShDropEffects{deCopy, deLink}));
}

TEST(ShellConversions, SystemImageListIsTheShellsSharedList) {
  HIMAGELIST small = GetSystemImageList(false);
  HIMAGELIST large = GetSystemImageList(true);
  ASSERT_NE(small, nullptr);
  ASSERT_NE(large, nullptr);
  int cx = 0, cy = 0;
  ASSERT_TRUE(ImageList_GetIconSize(small, &cx, &cy));
  EXPECT_EQ(cx, GetSystemMetrics(SM_CXSMICON));
  ASSERT_TRUE(ImageList_GetIconSize(large, &cx, &cy));
  EXPECT_EQ(cx, GetSystemMetrics(SM_CXICON));
  // The same list the shell hands out for any item, with the items' icons in it.
  UniqueIDList drives;
  ASSERT_TRUE(GetSpecialFolderID(sfidDrives, drives));
  SHFILEINFOA info{};
  auto list = reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(reinterpret_cast<LPCSTR>(drives.get()), 0, &info, sizeof info,
                                                          SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  EXPECT_EQ(list, small);
  EXPECT_LT(info.iIcon, ImageList_GetImageCount(small));
}

TEST(ShellItemDropTargets, AFolderItemHasTheShellsDropTarget) {
  testsupport::TempDir temp;
  auto dir = ItemForPath(temp.Path());
  fw::ComPtr<IDropTarget> target;
  EXPECT_TRUE(dir->GetDropTarget(target));
  EXPECT_TRUE(target);
}

}  // namespace
