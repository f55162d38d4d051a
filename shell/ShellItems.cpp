#include "shell/ShellItems.h"

#include <shellapi.h>

#include <cstring>
#include <functional>
#include <utility>

#include "framework/base/Exception.h"
#include "framework/base/Handle.h"
#include "framework/ui/Application.h"
#include "framework/ui/Form.h"
#include "framework/ui/WinUtil.h"
#include "shell/Shellcst.h"

namespace {

// MK_ALT is only defined by the OLE headers of newer SDKs.
constexpr DWORD kMkAlt = 0x20;

// SetNameOf flags of a tree rename, and the capability mask of GetOKEffects.
constexpr SHGDNF kRenameFlags = 0x20;
constexpr ULONG kCapabilityMask = 0x177;

struct CommandInfo {
  TShItemAttribute attribute;
  unsigned offset;
};

constexpr CommandInfo kCommands[] = {
    {iaCanDelete, 24},     // icCut
    {iaCanCopy, 25},       // icCopy
    {iaFileSystem, 26},    // icPaste
    {iaCanLink, 16},       // icLink
    {iaCanDelete, 17},     // icDelete
    {iaHasPropSheet, 19},  // icProperty
};

// A storage medium that is released however the reader leaves.
struct StgMedium {
  STGMEDIUM medium{};
  StgMedium() = default;
  StgMedium(const StgMedium&) = delete;
  StgMedium& operator=(const StgMedium&) = delete;
  ~StgMedium() {
    if (medium.tymed != TYMED_NULL) ::ReleaseStgMedium(&medium);
  }
};

// Asks a data object for global-memory data in the given format.
bool GetGlobalData(IDataObject* data, const FORMATETC& format, StgMedium& out) noexcept {
  FORMATETC request = format;
  if (FAILED(data->GetData(&request, &out.medium))) {
    out.medium = STGMEDIUM{};  // a failing call hands nothing over
    return false;
  }
  return out.medium.tymed == TYMED_HGLOBAL && out.medium.hGlobal != nullptr;
}

bool ClipboardOffersPasteData() noexcept {
  fw::ComPtr<IDataObject> clip;
  if (FAILED(::OleGetClipboard(clip.Put())) || !clip) return false;
  FORMATETC idList = IDLISTFormat();
  if (clip->QueryGetData(&idList) == S_OK) return true;
  FORMATETC hdrop = HDROPFormat();
  return clip->QueryGetData(&hdrop) == S_OK;
}

std::uint32_t ReadU32(const BYTE* p) noexcept {
  std::uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

std::uint16_t ReadU16(const BYTE* p) noexcept {
  std::uint16_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// True when a whole item ID list, terminator included, lies inside the block
// from offset on.
bool ListFits(const BYTE* block, std::size_t size, std::size_t offset) noexcept {
  std::size_t pos = offset;
  for (;;) {
    if (pos > size || size - pos < 2) return false;
    std::uint16_t cb = ReadU16(block + pos);
    if (cb == 0) return true;
    if (cb < 2) return false;  // an item can not be shorter than its own size field
    pos += cb;
  }
}

}  // namespace

bool DesktopFolder(fw::ComPtr<IShellFolder>& folder) noexcept {
  folder.Reset();
  return SUCCEEDED(::SHGetDesktopFolder(folder.Put())) && folder;
}

bool BindFromDesktop(LPCITEMIDLIST list, fw::ComPtr<IShellFolder>& folder) noexcept {
  folder.Reset();
  fw::ComPtr<IShellFolder> desktop;
  if (!list || !DesktopFolder(desktop)) return false;
  if (FAILED(desktop->BindToObject(list, nullptr, IID_IShellFolder, folder.PutVoid()))) folder.Reset();
  return static_cast<bool>(folder);
}

std::string ShellControlSettingsFileName() {
  std::string exe = fw::Application().ExeName();
  std::size_t nameStart = 0;
  for (const char* p = exe.c_str(); *p; p = ::CharNextA(p))
    if (*p == '\\') nameStart = static_cast<std::size_t>(p - exe.c_str()) + 1;
  std::size_t dot = exe.rfind('.');
  if (dot != std::string::npos && dot >= nameStart) exe.erase(dot);
  return exe + ".ini";
}

// ===========================================================================
// Commands and conversions

TShItemAttribute ShInvokeCommandAttribute(TShInvokeCommand command) noexcept {
  auto i = static_cast<unsigned>(command);
  return i < std::size(kCommands) ? kCommands[i].attribute : iaCapabilityMask;
}

unsigned ShInvokeCommandOffset(TShInvokeCommand command) noexcept {
  auto i = static_cast<unsigned>(command);
  return i < std::size(kCommands) ? kCommands[i].offset : 0;
}

HIMAGELIST GetSystemImageList(bool large) noexcept {
  UniqueIDList desktop;
  if (!GetSpecialFolderID(sfidDeskTop, desktop)) return nullptr;
  UINT flags = SHGFI_SYSICONINDEX | SHGFI_PIDL;
  if (!large) flags |= SHGFI_SMALLICON;
  SHFILEINFOA info{};
  return reinterpret_cast<HIMAGELIST>(
      ::SHGetFileInfoA(reinterpret_cast<LPCSTR>(desktop.get()), 0, &info, sizeof info, flags));
}

fw::TShiftState KeyStateToShiftState(DWORD keyState) noexcept {
  using S = fw::TShiftStateItem;
  fw::TShiftState s;
  if (keyState & MK_SHIFT) s.Include(S::ssShift);
  if (keyState & MK_CONTROL) s.Include(S::ssCtrl);
  if (keyState & kMkAlt) s.Include(S::ssAlt);
  if (keyState & MK_LBUTTON) s.Include(S::ssLeft);
  if (keyState & MK_RBUTTON) s.Include(S::ssRight);
  if (keyState & MK_MBUTTON) s.Include(S::ssMiddle);
  return s;
}

TShDragKeyState KeyStateToDragKeyState(DWORD keyState) noexcept {
  bool ctrl = (keyState & MK_CONTROL) != 0;
  bool shift = (keyState & MK_SHIFT) != 0;
  if (ctrl && shift) return dkShiftCtrl;
  if (ctrl) return dkCtrl;
  if (shift) return dkShift;
  return dkNone;
}

TShDropEffects EffectToDropEffects(DWORD effect) noexcept {
  TShDropEffects s;
  if (effect & DROPEFFECT_COPY) s.Include(deCopy);
  if (effect & DROPEFFECT_MOVE) s.Include(deMove);
  if (effect & DROPEFFECT_LINK) s.Include(deLink);
  return s;
}

HWND ShellMainFormWindow() noexcept {
  fw::Form* form = fw::Application().MainForm();
  if (form && form->HandleAllocated()) return form->Handle();
  return ShellApplicationWindow();
}

// ===========================================================================
// TShellDataItem

TShellDataItem::TShellDataItem(UniqueIDList itemID) noexcept : m_itemID(std::move(itemID)) {}

TShellDataItem::~TShellDataItem() = default;

LPCITEMIDLIST TShellDataItem::ItemIDForParent() { return GetLevel() == 0 ? GetRootItemID() : m_itemID.get(); }

bool TShellDataItem::GetShellFolder(fw::ComPtr<IShellFolder>& folder) {
  if (!m_shellFolder) {
    int level = GetLevel();
    if (level == 0 || level == 1) {
      DesktopFolder(m_shellFolder);
    } else if (level > 1) {
      BindFromDesktop(GetParentItemID(), m_shellFolder);
    }
  }
  folder = m_shellFolder;
  return static_cast<bool>(folder);
}

std::string TShellDataItem::GetCaption() {
  if (!m_captionKnown) {
    fw::ComPtr<IShellFolder> folder;
    LPCITEMIDLIST id = nullptr;
    if (GetShellFolder(folder) && (id = ItemIDForParent()) != nullptr) {
      std::string name;
      GetNameFromItemId(folder.Get(), id, name, SHGDN_INFOLDER);
      m_caption = std::move(name);
      m_captionKnown = true;
    }
  }
  return m_caption;
}

void TShellDataItem::SetCaption(const std::string& caption) {
  m_caption = caption;
  m_captionKnown = true;
}

void TShellDataItem::ClearCaption() noexcept {
  m_caption.clear();
  m_captionKnown = false;
}

void TShellDataItem::ResetImageIndexes() noexcept {
  m_imageIndex = -1;
  m_selectedIndex = -1;
}

bool TShellDataItem::HasShAttributesOf(TShItemAttribute attribute) {
  ULONG mask = ShItemAttributeMask(attribute);
  fw::ComPtr<IShellFolder> folder;
  if (mask == 0 || !GetShellFolder(folder)) return false;
  LPCITEMIDLIST id = ItemIDForParent();
  if (!id) return false;
  ULONG returned = mask;
  if (FAILED(folder->GetAttributesOf(1, &id, &returned))) return false;
  return (returned & mask) == mask;
}

TShItemIDType ClassifyItemID(int level, LPCITEMIDLIST itemForSpecial, LPCITEMIDLIST parentItemID,
                             const std::function<bool(TShItemAttribute)>& hasAttribute) {
  fw::ComPtr<IShellFolder> desktop;
  if (!DesktopFolder(desktop) || level < 0) return itUnknown;
  if (level == 0) return itDeskTop;
  if (level == 1 && itemForSpecial) {
    static constexpr std::pair<TShSpecialFolderID, TShItemIDType> kSpecial[] = {
        {sfidDrives, itMyComputer}, {sfidNetWork, itNetWork}, {sfidBitBucket, itBitBucket}};
    for (const auto& [id, type] : kSpecial) {
      UniqueIDList special;
      if (GetSpecialFolderID(id, special) && CompareIDList(desktop.Get(), itemForSpecial, special.get()) == cvEqual)
        return type;
    }
  }
  if (!hasAttribute(iaFileSystem)) return itVirtual;
  if (level == 2 && hasAttribute(iaFileSysAncestor)) {
    // The shell marks every folder that may hold file-system folders as an
    // ancestor, ordinary folders included; a drive root is such an item whose
    // parent is the computer folder. Without this test a folder inside a
    // folder on the desktop would be taken for a drive.
    UniqueIDList drives;
    if (parentItemID && GetSpecialFolderID(sfidDrives, drives) &&
        CompareIDList(desktop.Get(), parentItemID, drives.get()) == cvEqual)
      return itRootDrive;
  }
  return hasAttribute(iaFolder) ? itFolder : itFile;
}

TShItemIDType TShellDataItem::GetItemIDType() {
  int level = GetLevel();
  // Asked only when needed: the parent's list may have to be computed.
  return ClassifyItemID(level, m_itemID.get(), level == 2 ? GetParentItemID() : nullptr,
                        [this](TShItemAttribute a) { return HasShAttributesOf(a); });
}

int TShellDataItem::GetImageIndex() {
  if (m_imageIndex < 0) {
    LPCITEMIDLIST root = GetRootItemID();
    int index = -1;
    fw::ComPtr<IShellFolder> folder;
    if (GetShellFolder(folder)) {
      // Folders that keep an icon cache answer through IShellIcon; for the
      // others the shell works the icon out from the absolute list below.
      if (auto shellIcon = folder.As<IShellIcon>()) {
        LPCITEMIDLIST id = ItemIDForParent();
        int cached = -1;
        if (shellIcon->GetIconOf(id, GIL_FORSHELL, &cached) == S_OK) {
          index = GetIconFromItemId(root, false, false);
        } else {
          fw::ComPtr<IExtractIconA> extract;
          if (id &&
              SUCCEEDED(folder->GetUIObjectOf(ShellApplicationWindow(), 1, &id, IID_IExtractIconA, nullptr,
                                              extract.PutVoid())) &&
              extract) {
            // Some icon handlers write the location unasked: give them room.
            char location[MAX_PATH] = {};
            int reported = -1;
            UINT flags = 0;
            if (SUCCEEDED(extract->GetIconLocation(GIL_FORSHELL, location, MAX_PATH, &reported, &flags)))
              index = (flags & GIL_PERCLASS) ? GetIconFromItemId(root, false, false) : reported;
          }
        }
      }
    }
    if (index < 0) index = GetIconFromItemId(root, false, false);
    m_imageIndex = index;
  }
  return m_imageIndex;
}

int TShellDataItem::GetSelectedIndex() {
  if (m_selectedIndex < 0) m_selectedIndex = GetIconFromItemId(GetRootItemID(), false, true);
  return m_selectedIndex;
}

int TShellDataItem::GetOverlayIndex() {
  fw::ComPtr<IShellFolder> folder;
  if (!GetShellFolder(folder)) return -1;
  if (auto overlay = folder.As<IShellIconOverlay>(IID_IShellIconOverlay)) {
    int index = 0;
    if (overlay->GetOverlayIndex(ItemIDForParent(), &index) != S_OK) return -1;
    return index - 1;  // the shell counts overlays from 1, image lists from 0
  }
  if (HasShAttributesOf(iaShare)) return 0;
  if (HasShAttributesOf(iaLink)) return 1;
  return -1;
}

std::string TShellDataItem::GetPath() {
  std::string path;
  GetPathFromItemIDList(GetLevel() == 0 ? m_itemID.get() : GetRootItemID(), path);
  return path;
}

bool TShellDataItem::GetDropTarget(fw::ComPtr<IDropTarget>& target) {
  target.Reset();
  fw::ComPtr<IShellFolder> folder;
  LPCITEMIDLIST id = m_itemID.get();
  if (!id || !GetShellFolder(folder)) return false;
  if (FAILED(folder->GetUIObjectOf(ShellMainFormWindow(), 1, &id, IID_IDropTarget, nullptr, target.PutVoid())))
    target.Reset();
  return static_cast<bool>(target);
}

// ===========================================================================
// TShellRootedItem

TShellRootedItem::TShellRootedItem(UniqueIDList itemID, UniqueIDList rootItemID) noexcept
    : TShellDataItem(std::move(itemID)) {
  m_rootItemID = std::move(rootItemID);
}

int TShellRootedItem::GetLevel() { return GetItemIDLevel(m_rootItemID.get()); }

LPCITEMIDLIST TShellRootedItem::GetParentItemID() {
  if (!m_parentItemID) {
    if (GetLevel() == 1)
      GetSpecialFolderID(sfidDeskTop, m_parentItemID);
    else
      m_parentItemID.reset(GetParentItemIDRoot(m_rootItemID.get()));
  }
  return m_parentItemID.get();
}

LPCITEMIDLIST TShellRootedItem::GetRootItemID() { return m_rootItemID.get(); }

bool TShellRootedItem::HasCorrectData() { return m_itemID && m_rootItemID; }

// ===========================================================================
// TShellFolderItem

TShellFolderItem::TShellFolderItem(fw::TreeNode* node, UniqueIDList itemID, UniqueIDList rootItemID) noexcept
    : TShellRootedItem(std::move(itemID), std::move(rootItemID)), m_node(node) {}

int TShellFolderItem::GetIndex() {
  if (!m_node || !m_node->Owner()) return -1;
  int index = 0;
  for (fw::TreeNode* n = m_node->Owner()->Items().GetFirstNode(); n; n = n->GetNext(), ++index)
    if (n == m_node) return index;
  return -1;
}

void TShellFolderItem::SetOwner(fw::TreeNode* node) {
  m_node = node;
  if (!m_node) return;
  m_node->SetHasChildren(HasShAttributesOf(iaHasSubFolder));
  m_node->SetOverlayIndex(GetOverlayIndex());
}

bool TShellFolderItem::Rename(const std::string& newName) {
  bool renamed = false;
  fw::ComPtr<IShellFolder> folder;
  if (HasCorrectData() && HasShAttributesOf(iaCanRename) && GetShellFolder(folder)) {
    std::wstring wide = fw::AnsiToWide(newName);
    fw::TreeView* tree = m_node ? m_node->Owner() : nullptr;
    HWND owner = tree && tree->HandleAllocated() ? tree->Handle() : nullptr;
    UniqueIDList newID;
    if (!wide.empty() && SUCCEEDED(folder->SetNameOf(owner, m_itemID.get(), wide.c_str(), kRenameFlags, newID.put()))) {
      renamed = true;
      int level = GetLevel();
      // A folder may rename without handing the new list back; it can
      // still name the item by its new name.
      if (!newID) folder->ParseDisplayName(owner, nullptr, wide.data(), nullptr, newID.put(), nullptr);
      if (newID) {
        UniqueIDList newRoot =
            level == 1 ? newID.Copy() : UniqueIDList(ConcatItemIDList(GetParentItemID(), newID.get()));
        // Keep the old (now stale) lists rather than none: the tree's
        // refresh replaces a stale node, an item without lists is lost.
        if (newRoot) {
          m_itemID = std::move(newID);
          m_rootItemID = std::move(newRoot);
        }
      }
      ClearCaption();
      ::SHChangeNotify(0, SHCNF_FLUSH, nullptr, nullptr);
      ReorderAfterRename(folder.Get());
    }
  }
  // Also after a failure: the node's edited text goes back to the real name.
  if (m_node) m_node->SetText(GetCaption());
  return renamed;
}

void TShellFolderItem::ReorderAfterRename(IShellFolder* parentFolder) {
  if (!m_node) return;
  fw::TreeNode* node = m_node;  // the sort below moves nodes, never frees them
  bool expanded = node->Expanded();
  node->DeleteChildren();
  if (fw::TreeNode* parent = node->Parent()) {
    parent->CustomSort([parentFolder](fw::TreeNode* a, fw::TreeNode* b) {
      TShellFolderItem* ia = FolderItemOfNode(a);
      TShellFolderItem* ib = FolderItemOfNode(b);
      if (!ia || !ib || !ia->GetItemID() || !ib->GetItemID()) return 0;
      HRESULT hr = parentFolder->CompareIDs(0, ia->GetItemID(), ib->GetItemID());
      return FAILED(hr) ? 0 : static_cast<int>(static_cast<std::int16_t>(static_cast<std::uint32_t>(hr) & 0xFFFFu));
    });
  }
  if (auto* owner = dynamic_cast<TShellFolderTreeOwner*>(node->Owner())) owner->UpDateFolder(node);
  if (expanded) node->Expand(false);
}

// ===========================================================================
// TShellIDList

TShellIDList::~TShellIDList() = default;

void TShellIDList::Add(LPCITEMIDLIST itemID) {
  if (itemID) m_items.push_back(itemID);
}

void TShellIDList::SetParentItemID(LPCITEMIDLIST parentItemID) {
  m_parentItemID = const_cast<LPITEMIDLIST>(parentItemID);
}

void TShellIDList::Clear() {
  m_items.clear();
  m_parentItemID = nullptr;
}

LPCITEMIDLIST TShellIDList::GetItemID(int index) const noexcept {
  if (index < 0 || index >= Count()) return nullptr;
  return m_items[static_cast<std::size_t>(index)];
}

LPCITEMIDLIST* TShellIDList::GetItemIDs() noexcept { return m_items.empty() ? nullptr : m_items.data(); }

int TShellIDList::GetLevel() const { return GetItemIDLevel(m_parentItemID); }

bool TShellIDList::GetShellFolder(fw::ComPtr<IShellFolder>& folder) {
  int level = GetLevel();
  if (level == 0) return DesktopFolder(folder);
  if (level > 0) return BindFromDesktop(m_parentItemID, folder);
  folder.Reset();
  return false;
}

bool TShellIDList::HasAttributes(LPCITEMIDLIST* items, UINT count, ULONG mask) {
  fw::ComPtr<IShellFolder> folder;
  if (!items || count == 0 || mask == 0 || !GetShellFolder(folder)) return false;
  ULONG returned = mask;
  if (FAILED(folder->GetAttributesOf(count, items, &returned))) return false;
  return (returned & mask) == mask;
}

DWORD TShellIDList::GetOKEffects() {
  fw::ComPtr<IShellFolder> folder;
  if (m_items.empty() || !GetShellFolder(folder)) return 0;
  ULONG returned = kCapabilityMask;
  if (FAILED(folder->GetAttributesOf(static_cast<UINT>(m_items.size()), GetItemIDs(), &returned))) return 0;
  return returned & kCapabilityMask;
}

bool TShellIDList::HasShAttributesOf(TShItemAttribute attribute) {
  return HasAttributes(GetItemIDs(), static_cast<UINT>(m_items.size()), ShItemAttributeMask(attribute));
}

bool TShellIDList::HasShAttributesOf(int index, TShItemAttribute attribute) {
  LPCITEMIDLIST one = GetItemID(index);
  return one && HasAttributes(&one, 1, ShItemAttributeMask(attribute));
}

std::string TShellIDList::GetPath(int index) const {
  std::string path;
  LPCITEMIDLIST item = GetItemID(index);
  if (!m_parentItemID || !item) return path;
  UniqueIDList full(ConcatItemIDList(m_parentItemID, item));
  GetPathFromItemIDList(full.get(), path);
  return path;
}

namespace {
TShellIDList::ContextMenuSource& ContextMenuSourceRef() {
  static TShellIDList::ContextMenuSource source;
  return source;
}
}  // namespace

void TShellIDList::SetContextMenuSource(ContextMenuSource source) { ContextMenuSourceRef() = std::move(source); }

bool TShellIDList::InvokeCommand(HWND owner, TShInvokeCommand command) {
  if (!HasShAttributesOf(ShInvokeCommandAttribute(command))) return false;
  if (command == icPaste && !ClipboardOffersPasteData()) return false;

  fw::ComPtr<IContextMenu> menu;
  if (const ContextMenuSource& source = ContextMenuSourceRef()) {
    if (m_items.empty() || FAILED(source(*this, owner, menu.Put())) || !menu) return false;
  } else {
    fw::ComPtr<IShellFolder> folder;
    if (!GetShellFolder(folder)) return false;
    if (FAILED(folder->GetUIObjectOf(owner, static_cast<UINT>(m_items.size()), GetItemIDs(), IID_IContextMenu, nullptr,
                                     menu.PutVoid())) ||
        !menu)
      return false;
  }

  fw::MenuHandle popup(::CreatePopupMenu());
  if (!popup) return false;
  if (FAILED(menu->QueryContextMenu(popup.get(), 0, 1, 0x7FFF, CMF_DEFAULTONLY))) return false;

  // The command is named by its offset in the shell's menu, as a numeric verb.
  CMINVOKECOMMANDINFO info{};
  static_assert(sizeof info == 36, "the shell expects the 36-byte command record");
  info.cbSize = sizeof info;
  info.fMask = CMIC_MASK_FLAG_NO_UI;
  info.hwnd = owner;
  info.lpVerb = MAKEINTRESOURCEA(ShInvokeCommandOffset(command));
  info.nShow = SW_SHOWNORMAL;
  return SUCCEEDED(menu->InvokeCommand(&info));
}

// ===========================================================================
// TShellIDList2

TShellIDList2::~TShellIDList2() { TShellIDList2::Clear(); }

void TShellIDList2::Add(LPCITEMIDLIST itemID) { Add(UniqueIDList::CopyOf(itemID)); }

void TShellIDList2::Add(UniqueIDList itemID) {
  if (!itemID) return;
  m_items.reserve(m_items.size() + 1);  // may throw: before the list is let go
  m_items.push_back(itemID.release());
}

void TShellIDList2::SetParentItemID(LPCITEMIDLIST parentItemID) { SetParentItemID(UniqueIDList::CopyOf(parentItemID)); }

void TShellIDList2::SetParentItemID(UniqueIDList parentItemID) {
  if (parentItemID.get() == m_parentItemID) {
    parentItemID.release();
    return;
  }
  FreeItemID(m_parentItemID);
  m_parentItemID = parentItemID.release();
}

void TShellIDList2::Swap(TShellIDList2& other) noexcept {
  m_items.swap(other.m_items);
  std::swap(m_parentItemID, other.m_parentItemID);
}

void TShellIDList2::Clear() {
  for (LPCITEMIDLIST& item : m_items) {
    auto owned = const_cast<LPITEMIDLIST>(item);
    FreeItemID(owned);
    item = nullptr;
  }
  FreeItemID(m_parentItemID);
  TShellIDList::Clear();
}

// ===========================================================================
// TShellDragObject

TShellDragObject::TShellDragObject(IDataObject* dataObject) {
  if (!dataObject) throw fw::EInvalidOperation(sShellInvalidParam);
  m_dataObject = fw::ComPtr<IDataObject>::Share(dataObject);
}

TShellDragObject::~TShellDragObject() = default;

int TShellDragObject::GetCount() {
  if (m_count == 0) {
    StgMedium data;
    if (GetGlobalData(m_dataObject.Get(), IDLISTFormat(), data)) {
      fw::GlobalLockGuard<BYTE> lock(data.medium.hGlobal);
      if (lock && ::GlobalSize(data.medium.hGlobal) >= sizeof(std::uint32_t)) m_count = ReadU32(lock.get());
    } else {
      StgMedium drop;
      if (GetGlobalData(m_dataObject.Get(), HDROPFormat(), drop))
        m_count = ::DragQueryFileA(static_cast<HDROP>(drop.medium.hGlobal), 0xFFFFFFFF, nullptr, 0);
    }
  }
  return static_cast<int>(m_count);
}

const std::vector<std::string>& TShellDragObject::GetDragFiles() {
  if (!m_filesRead) {
    m_filesRead = true;
    StgMedium drop;
    if (GetGlobalData(m_dataObject.Get(), HDROPFormat(), drop)) {
      auto hdrop = static_cast<HDROP>(drop.medium.hGlobal);
      UINT count = ::DragQueryFileA(hdrop, 0xFFFFFFFF, nullptr, 0);
      for (UINT i = 0; i < count; ++i) {
        char name[MAX_PATH] = {};
        UINT n = ::DragQueryFileA(hdrop, i, name, MAX_PATH);
        m_dragFiles.emplace_back(name, n < MAX_PATH ? n : strnlen(name, MAX_PATH));
      }
    }
  }
  return m_dragFiles;
}

TShellIDList2& TShellDragObject::GetDragItemIDs() {
  if (!m_itemIDsRead) {
    m_itemIDsRead = true;
    StgMedium data;
    if (GetGlobalData(m_dataObject.Get(), IDLISTFormat(), data)) {
      fw::GlobalLockGuard<BYTE> lock(data.medium.hGlobal);
      if (lock) ParseShellIDListArray(lock.get(), ::GlobalSize(data.medium.hGlobal), m_dragItemIDs);
    }
  }
  return m_dragItemIDs;
}

bool ParseShellIDListArray(const void* block, std::size_t size, TShellIDList2& items) {
  const auto* bytes = static_cast<const BYTE*>(block);
  if (!bytes || size < 8) return false;  // a count and at least the parent's offset
  std::uint32_t count = ReadU32(bytes);
  std::size_t offsets = (size - 4) / 4;
  if (count >= offsets) return false;  // count + 1 offsets must fit
  std::vector<std::size_t> at;
  at.reserve(count + 1);
  for (std::uint32_t i = 0; i <= count; ++i) {
    std::size_t offset = ReadU32(bytes + 4 + 4 * static_cast<std::size_t>(i));
    if (!ListFits(bytes, size, offset)) return false;
    at.push_back(offset);
  }
  TShellIDList2 parsed;
  UniqueIDList parent = UniqueIDList::CopyOf(reinterpret_cast<LPCITEMIDLIST>(bytes + at[0]));
  if (!parent) return false;
  parsed.SetParentItemID(std::move(parent));
  for (std::size_t i = 1; i < at.size(); ++i)
    parsed.Add(UniqueIDList(CopyItemID(reinterpret_cast<LPCITEMIDLIST>(bytes + at[i]))));
  items.Swap(parsed);  // the old contents go with the temporary
  return true;
}
