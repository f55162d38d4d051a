#pragma once
// Shell items: the objects behind every tree node, list row and combo entry
// of the shell controls, the item sets that drag and drop, the clipboard
// commands and the context menu act on, the view of a dragged data object,
// and the small conversions the drag-and-drop code of every control shares.
//
// Ownership: an item owns its item ID lists (UniqueIDList) and its folder
// reference (ComPtr). TShellIDList borrows everything it holds; TShellIDList2
// owns everything it holds. Everything here runs on the user-interface thread.
//
// Caches: the shell is slow to answer (SHGetFileInfoA takes milliseconds per
// call), so an item asks for its folder, caption and icon indexes once and
// keeps the answers until its owner resets them (rename, device change, icon
// settings change). Attributes and the overlay are asked each time: they
// change without the item being told.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/base/ComPtr.h"
#include "framework/base/Object.h"
#include "framework/base/Set.h"
#include "framework/ui/Control.h"
#include "framework/ui/TreeView.h"
#include "shell/Shellidfunc.h"

// ---------------------------------------------------------------------------
// Commands, drop effects, key states, drag states

// Clipboard and file commands on a set of items (TShellIDList::InvokeCommand).
enum TShInvokeCommand : std::uint8_t { icCut, icCopy, icPaste, icLink, icDelete, icProperty };

// The attribute that every item must have for a command, and the command's
// offset in the shell's context menu (passed as a numeric verb).
TShItemAttribute ShInvokeCommandAttribute(TShInvokeCommand command) noexcept;
unsigned ShInvokeCommandOffset(TShInvokeCommand command) noexcept;

enum TShDropEffect : std::uint8_t { deCopy, deMove, deLink };
using TShDropEffects = fw::Set<TShDropEffect, std::uint8_t>;

enum TShDragKeyState : std::uint8_t { dkNone, dkShift, dkCtrl, dkShiftCtrl };

// The drag start machine of the tree and list controls: idle, left button
// down on an item, right button down on an item, dragging.
enum TShDragState : std::uint8_t { dsWait, dsWaitDragging, dsRWaitDragging, dsDragging };

// ---------------------------------------------------------------------------
// Free functions

// The shell's system image list (large or small icons). It belongs to the
// system: controls attach it as a shared list and never destroy it.
HIMAGELIST GetSystemImageList(bool large) noexcept;
// MK_ flags of an OLE drag call (including MK_ALT, 0x20) as a shift state.
fw::TShiftState KeyStateToShiftState(DWORD keyState) noexcept;
// Control and shift -> dkShiftCtrl, control -> dkCtrl, shift -> dkShift.
TShDragKeyState KeyStateToDragKeyState(DWORD keyState) noexcept;
// DROPEFFECT_COPY/MOVE/LINK as a set; other bits are ignored.
TShDropEffects EffectToDropEffects(DWORD effect) noexcept;

// The desktop folder; false (folder empty) when the shell gives none.
bool DesktopFolder(fw::ComPtr<IShellFolder>& folder) noexcept;
// Binds a folder below the desktop; on failure the pointer stays empty even
// when the shell wrote something into it.
bool BindFromDesktop(LPCITEMIDLIST list, fw::ComPtr<IShellFolder>& folder) noexcept;
// The settings file of the shell controls' LoadSetting/SaveSetting: the
// program's path with the extension ".ini".
std::string ShellControlSettingsFileName();

// The window the shell gets as owner of the UI it raises for drop targets:
// the main form's window when it exists, else the application window.
HWND ShellMainFormWindow() noexcept;

// The kind of an item: the desktop at level 0; at level 1 the computer, the
// network or the recycle bin when itemForSpecial (its absolute list) is that
// folder; outside the file system a virtual item; at level 2 a drive when it
// is a file-system ancestor whose parent (parentItemID) is the computer;
// otherwise a folder or a file. hasAttribute asks the item's attributes.
TShItemIDType ClassifyItemID(int level, LPCITEMIDLIST itemForSpecial, LPCITEMIDLIST parentItemID,
                             const std::function<bool(TShItemAttribute)>& hasAttribute);

// ---------------------------------------------------------------------------
// TShellDataItem: the abstract item

class TShellDataItem : public fw::Object {
 public:
  // Takes over the item's list relative to its parent folder (may be null;
  // HasCorrectData then says so).
  explicit TShellDataItem(UniqueIDList itemID) noexcept;
  ~TShellDataItem() override;

  // --- virtual operations (in the order subclasses know them) ---

  // System-image-list index of the normal (small) icon; cached.
  virtual int GetImageIndex();
  // The item's position in its control (-1 when it has none).
  virtual int GetIndex() = 0;
  // Depth of the absolute list (0 = the desktop).
  virtual int GetLevel() = 0;
  // Absolute list of the folder that holds the item (borrowed; null when the
  // item is the desktop).
  virtual LPCITEMIDLIST GetParentItemID() = 0;
  // The item's absolute list (borrowed).
  virtual LPCITEMIDLIST GetRootItemID() = 0;
  // System-image-list index of the open (selected) icon; cached.
  virtual int GetSelectedIndex();
  // Whether the item has the lists it needs to be asked anything.
  virtual bool HasCorrectData() = 0;

  // --- non-virtual operations ---

  // The display name in its folder (SHGDN_INFOLDER); asked once.
  std::string GetCaption();
  // The item's drop target (IDropTarget of the parent folder for the item).
  bool GetDropTarget(fw::ComPtr<IDropTarget>& target);
  TShItemIDType GetItemIDType();
  // Overlay image (0 = first overlay: shared; 1: shortcut) or -1; not cached.
  int GetOverlayIndex();
  // File-system path; empty for items outside the file system.
  std::string GetPath();
  // The folder that contains the item; bound once and kept.
  bool GetShellFolder(fw::ComPtr<IShellFolder>& folder);
  // True when every bit of the attribute's mask is set for the item.
  bool HasShAttributesOf(TShItemAttribute attribute);

  // The item's list relative to its parent folder (borrowed).
  LPCITEMIDLIST GetItemID() const noexcept { return m_itemID.get(); }

  // Cache control for the item's owner.
  // Stores a caption as if the shell had given it (device changes know the
  // drive's new caption before the shell does).
  void SetCaption(const std::string& caption);
  // Forgets the caption; the next GetCaption asks the shell again.
  void ClearCaption() noexcept;
  // Forgets both icon indexes (icon settings or the medium changed).
  void ResetImageIndexes() noexcept;
  // Gives the item the folder that holds it when the caller has it at hand
  // (enumerating that folder): binding it again for every item costs
  // milliseconds each. An item that already has its folder keeps it.
  void SetShellFolder(const fw::ComPtr<IShellFolder>& folder) noexcept {
    if (!m_shellFolder) m_shellFolder = folder;
  }

 protected:
  // The list that stands for the item in calls on its parent folder: the item
  // ID, except for the desktop (level 0), which is its own root item ID.
  LPCITEMIDLIST ItemIDForParent();

  fw::ComPtr<IShellFolder> m_shellFolder;  // parent folder, bound on first use
  UniqueIDList m_itemID;                   // relative to the parent folder
  UniqueIDList m_rootItemID;               // absolute; filled by the subclass
  UniqueIDList m_parentItemID;             // absolute; cache filled by the subclass
  int m_selectedIndex = -1;                // -1 = not yet known
  int m_imageIndex = -1;                   // -1 = not yet known
  std::string m_caption;
  // Whether m_caption holds the shell's answer. Kept apart from the text so
  // that an item whose name is empty (or cannot be read) is not asked again
  // on every paint.
  bool m_captionKnown = false;
};

// ---------------------------------------------------------------------------
// TShellRootedItem: an item that is given its absolute list (the folder
// tree's nodes, the combo box's entries): its depth, its parent and whether
// it can be asked anything all follow from that list.

class TShellRootedItem : public TShellDataItem {
 public:
  // Takes over both lists.
  TShellRootedItem(UniqueIDList itemID, UniqueIDList rootItemID) noexcept;

  int GetLevel() override;
  LPCITEMIDLIST GetParentItemID() override;
  LPCITEMIDLIST GetRootItemID() override;
  bool HasCorrectData() override;
};

// ---------------------------------------------------------------------------
// TShellFolderItem: the item of one folder tree node

class TShellFolderItem;

// The folder tree's part in renaming a folder. The folder tree view
// implements it; a folder item finds it as its node's owner.
class TShellFolderTreeOwner {
 public:
  // Reads the node's children again from its folder and merges them.
  virtual void UpDateFolder(fw::TreeNode* node) = 0;

 protected:
  ~TShellFolderTreeOwner() = default;
};

// A tree node's data pointer holds its TShellFolderItem.
inline TShellFolderItem* FolderItemOfNode(const fw::TreeNode* node) noexcept {
  return node ? static_cast<TShellFolderItem*>(node->Data()) : nullptr;
}

class TShellFolderItem : public TShellRootedItem {
 public:
  // Takes over both lists. node may be null (an item enumerated but not yet
  // shown); SetOwner attaches it later.
  TShellFolderItem(fw::TreeNode* node, UniqueIDList itemID, UniqueIDList rootItemID) noexcept;

  int GetIndex() override;

  fw::TreeNode* GetNode() const noexcept { return m_node; }
  // Attaches the item to its node and sets the node's has-children mark and
  // overlay from the shell. The node's data pointer is the tree's business.
  void SetOwner(fw::TreeNode* node);
  // Renames the folder through its parent folder (SetNameOf). On success the
  // item takes the new lists, the node loses its children, the siblings are
  // sorted again in the folder's order, the tree (TShellFolderTreeOwner) reads
  // the node's folder again and an expanded node is expanded again. In every
  // case the node shows the caption the shell now reports.
  bool Rename(const std::string& newName);

 private:
  void ReorderAfterRename(IShellFolder* parentFolder);

  fw::TreeNode* m_node;  // not owned
};

// ---------------------------------------------------------------------------
// TShellIDList / TShellIDList2: items of one folder

class TShellIDList {
 public:
  TShellIDList() = default;
  TShellIDList(const TShellIDList&) = delete;
  TShellIDList& operator=(const TShellIDList&) = delete;
  virtual ~TShellIDList();

  int Count() const noexcept { return static_cast<int>(m_items.size()); }
  // Adds an entry (a list relative to the parent). TShellIDList borrows it;
  // TShellIDList2 stores its own copy.
  virtual void Add(LPCITEMIDLIST itemID);
  // The absolute list of the folder that holds the entries (same rule).
  virtual void SetParentItemID(LPCITEMIDLIST parentItemID);
  LPCITEMIDLIST GetParentItemID() const noexcept { return m_parentItemID; }
  // Empties the list (TShellIDList2 frees what it owned).
  virtual void Clear();

  // The entry, or null outside 0 .. Count() - 1.
  LPCITEMIDLIST GetItemID(int index) const noexcept;
  // The entries as an array for the shell's calls, or null when empty.
  LPCITEMIDLIST* GetItemIDs() noexcept;

  int GetLevel() const;
  // The parent folder: the desktop at level 0, else bound from the desktop.
  virtual bool GetShellFolder(fw::ComPtr<IShellFolder>& folder);
  // The capability bits (SFGAO_CAN*, 0x177) that all entries share; the low
  // three coincide with DROPEFFECT_COPY/MOVE/LINK. 0 on failure.
  DWORD GetOKEffects();
  // True when all entries together have every bit of the attribute's mask.
  bool HasShAttributesOf(TShItemAttribute attribute);
  bool HasShAttributesOf(int index, TShItemAttribute attribute);
  // File-system path of parent + entry; empty when either is missing.
  std::string GetPath(int index) const;
  // Runs a clipboard or file command on all entries through the parent
  // folder's context menu; true when the shell carried it out.
  bool InvokeCommand(HWND owner, TShInvokeCommand command);

  // Where InvokeCommand gets the context menu of the entries. Normally the
  // parent folder's (GetUIObjectOf); tests put a recording double of the
  // shell's menu here, since some of the shell's commands cannot run under
  // every shell (pasting fails under Wine). An empty source restores the
  // folder's. The source answers the menu, or fails.
  using ContextMenuSource = std::function<HRESULT(TShellIDList& items, HWND owner, IContextMenu** menu)>;
  static void SetContextMenuSource(ContextMenuSource source);

 protected:
  // The attributes the shell reports for the given entries with only mask requested.
  bool HasAttributes(LPCITEMIDLIST* items, UINT count, ULONG mask);

  std::vector<LPCITEMIDLIST> m_items;     // borrowed here, owned in TShellIDList2
  LPITEMIDLIST m_parentItemID = nullptr;  // the same
};

class TShellIDList2 : public TShellIDList {
 public:
  TShellIDList2() = default;
  ~TShellIDList2() override;

  // Stores a copy of the list.
  void Add(LPCITEMIDLIST itemID) override;
  void SetParentItemID(LPCITEMIDLIST parentItemID) override;
  // Takes over a list without copying it.
  void Add(UniqueIDList itemID);
  void SetParentItemID(UniqueIDList parentItemID);
  // Frees every entry and the parent item ID, then empties the list.
  void Clear() override;
  // Exchanges the contents of two owning lists.
  void Swap(TShellIDList2& other) noexcept;
};

// ---------------------------------------------------------------------------
// TShellDragObject: a data object dragged over or dropped on a control

class TShellDragObject : public fw::Object {
 public:
  // Throws fw::EInvalidOperation (sShellInvalidParam) for a null data object.
  explicit TShellDragObject(IDataObject* dataObject);
  ~TShellDragObject() override;

  IDataObject* GetDataObject() const noexcept { return m_dataObject.Get(); }
  // Number of dragged items: from the "Shell IDList Array" data when there is
  // some, else from CF_HDROP. 0 when neither can be read.
  int GetCount();
  // The dragged file names (CF_HDROP), in order; empty without such data.
  const std::vector<std::string>& GetDragFiles();
  // The dragged items ("Shell IDList Array"): the parent folder and one
  // relative item per entry; empty without such data.
  TShellIDList2& GetDragItemIDs();

 private:
  fw::ComPtr<IDataObject> m_dataObject;
  std::uint32_t m_count = 0;  // 0 = not yet read
  std::vector<std::string> m_dragFiles;
  TShellIDList2 m_dragItemIDs;
  bool m_filesRead = false;
  bool m_itemIDsRead = false;
};

// Parses the bytes of a "Shell IDList Array" block (a CIDA) into items:
// the parent's whole list and the first item of each entry's list. False
// (items untouched) when the block is malformed: a count or offset outside
// the block, or a list that runs past its end. Data from other programs
// arrives this way, so nothing is read before it is checked.
bool ParseShellIDListArray(const void* block, std::size_t size, TShellIDList2& items);
