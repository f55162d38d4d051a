#pragma once
// The path combo box: an owner-drawn drop-down list whose closed face shows
// the icon and full path of the folder being shown, and whose open list
// shows, indented by depth, the desktop, the items on the desktop, the
// children of the first of those (the drives, when it is the computer) and
// the chain of folders down to the current folder. Choosing an entry makes
// the linked folder tree select that folder.
//
// The entries are a flat list that encodes a tree by parent references and
// depth; row i of the box always draws entry i (every insertion or removal is
// mirrored by an empty row string at the same index).
//
// Ownership: the box owns its entry list, the list owns its entries. The
// small system image list is shared, never destroyed. UI thread only.
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/ui/StdCtrls.h"
#include "shell/ShellDragDrop.h"
#include "shell/ShellItems.h"

namespace fw {
class IniFile;
}

class TShellComboBox;
class TShellComboList;
class TShellTreeView;

// One entry of the combo box.
class TShellComboItem : public TShellRootedItem {
 public:
  // Takes over both lists.
  TShellComboItem(TShellComboList* owner, TShellComboItem* parent, UniqueIDList rootItemID, UniqueIDList itemID,
                  bool inserted) noexcept;

  int GetIndex() override;

  TShellComboItem* GetParent() const noexcept { return m_parent; }
  void SetParent(TShellComboItem* parent) noexcept { m_parent = parent; }
  bool Inserted() const noexcept { return m_inserted; }
  TShellComboItem* GetNext();
  TShellComboItem* GetPrev();
  TShellComboItem* GetNextSibling();
  TShellComboItem* GetPrevSibling();
  TShellComboItem* GetFirstChild();
  TShellComboItem* GetNextChild(TShellComboItem* child);
  TShellComboItem* GetPrevChild(TShellComboItem* child);
  TShellComboItem* GetLastChild();
  // Removes every entry below this one, depth first.
  void DeleteChildren();
  // Pixels the open list indents this entry by.
  int GetImageIndent() { return GetLevel() * 12; }

 private:
  TShellComboList* m_owner;
  TShellComboItem* m_parent;
  bool m_inserted;
};

// The entries of one combo box, mirrored into its row strings.
class TShellComboList {
 public:
  explicit TShellComboList(TShellComboBox* combo) noexcept : m_combo(combo) {}
  TShellComboList(const TShellComboList&) = delete;
  TShellComboList& operator=(const TShellComboList&) = delete;
  ~TShellComboList();

  int Count() const noexcept { return static_cast<int>(m_items.size()); }
  // Null when either list is null; the new entry is an inserted one once the box is filled.
  std::unique_ptr<TShellComboItem> CreateItem(TShellComboItem* parent, UniqueIDList rootItemID, UniqueIDList itemID);
  // Right after the parent (first when parent is null).
  TShellComboItem* AddChildFirst(TShellComboItem* parent, std::unique_ptr<TShellComboItem> item);
  // After the parent's last child (or right after the parent).
  TShellComboItem* AddChild(TShellComboItem* parent, std::unique_ptr<TShellComboItem> item);
  // At the index of before.
  TShellComboItem* InsertItem(TShellComboItem* before, std::unique_ptr<TShellComboItem> item);
  void DeleteItem(int index);
  // Deletes every inserted entry, last first.
  void DeleteInserted();
  TShellComboItem* GetComboItem(int index) const noexcept;
  TShellComboItem* GetFirstItem() const noexcept { return GetComboItem(0); }
  TShellComboItem* GetLastItem() const noexcept { return GetComboItem(Count() - 1); }
  int IndexOf(const TShellComboItem* item) const noexcept;
  void Clear();

 private:
  TShellComboItem* InsertAt(int index, std::unique_ptr<TShellComboItem> item);
  TShellComboBox* m_combo;
  std::vector<std::unique_ptr<TShellComboItem>> m_items;
};

using TShellComboDragEnterEvent = std::function<void(fw::Object* sender, TShellDragObject* dragObject,
                                                     fw::TShiftState shift, POINT pt, bool& accept)>;
using TShellComboDragEvent = std::function<void(fw::Object* sender, TShellDragObject* dragObject, TShellComboItem* item,
                                                fw::TShiftState shift, int x, int y)>;
using TShellComboDropEvent = std::function<void(fw::Object* sender, TShellDragObject* dragObject, TShellComboItem* item,
                                                fw::TShiftState shift, int x, int y, bool& defaultAction)>;

class TShellComboBox : public fw::ComboBox, public IShellDropClient {
 public:
  static constexpr int kMinRowHeight = 18;

  explicit TShellComboBox(fw::Component* owner);
  ~TShellComboBox() override;

  // (Re)builds the permanent entries: the desktop, its items, the first item's children.
  void InitData();
  // Shows a folder: locates or inserts its entry and makes it current.
  void SetNameSpace(LPCITEMIDLIST list);
  LPCITEMIDLIST GetNameSpace();
  void SetPath(const std::string& path);
  std::string GetPath();
  // Makes sure the entries of the folder's path exist; the folder's index (0 when unlocatable).
  int InsertItem(LPCITEMIDLIST list);
  // Merges an entry's children with what its folder holds now.
  void UpDateData(TShellComboItem* item);
  // Reads a folder's children (folders only), filtered and sorted.
  int RetrieveItemIDList(IShellFolder* folder, TShellComboItem* item,
                         std::vector<std::unique_ptr<TShellComboItem>>& items);

  TShellComboList& ComboList() noexcept { return *m_list; }
  TShellComboItem* GetComboItem(int index) const noexcept { return m_list->GetComboItem(index); }
  bool Filled() const noexcept { return m_filled; }

  void LoadSetting(const std::string& section);
  void SaveSetting(const std::string& section);
  void LoadSetting(fw::IniFile& file, const std::string& section);
  void SaveSetting(fw::IniFile& file, const std::string& section);
  bool CanClose();

  // Redraw is held off between these (nestable).
  void BeginUpdate();
  void EndUpdate();

  bool GetIncludeHidden() const noexcept { return m_includeHidden; }
  void SetIncludeHidden(bool value) noexcept { m_includeHidden = value; }
  TShVirtuaItems GetShVirtuaItems() const noexcept { return m_shVirtuaItems; }
  void SetShVirtuaItems(TShVirtuaItems value) noexcept { m_shVirtuaItems = value; }
  TShellTreeView* GetShellTreeView() const noexcept { return m_tree; }
  // Set by the tree's link; cleared when the tree goes.
  void SetShellTreeView(TShellTreeView* tree) noexcept { m_tree = tree; }

  fw::TNotifyEvent OnShDragLeave;
  TShellComboDragEnterEvent OnShDragEnter;
  TShellComboDragEvent OnShDragOver;
  TShellComboDropEvent OnShDragDrop;

  // The data of the drag over the box, or null.
  TShellDragObject* DragObject() const noexcept { return m_dragObject.get(); }
  // The box's face towards OLE: drops go into the folder it shows.
  IDropTarget* DropTargetInterface() const noexcept { return m_dropRegistration->Target(); }

  // Row geometry and painting (public for tests that draw into a bitmap).
  int RowHeight();
  void DrawItem(const DRAWITEMSTRUCT& dis);

 protected:
  void CreateParams(fw::CreateParams& params) override;
  void CreateWnd() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void Select() override;
  bool CNDrawItem(DRAWITEMSTRUCT* dis) override;
  bool CNMeasureItem(MEASUREITEMSTRUCT* mis) override;

  // Drag and drop hooks, each raising its event. pt as OLE gives it (screen).
  virtual bool CanDragEnter(DWORD keyState, POINTL pt, DWORD* effect);
  virtual void DoDragOver(TShellComboItem* item, DWORD keyState, POINTL pt);
  virtual bool CanDragDrop(TShellComboItem* item, DWORD keyState, POINTL pt, DWORD* effect);
  virtual void DoDragLeave();
  // The shell's drop target for an entry's folder. Virtual so that tests can
  // put a recording target in the shell's place.
  virtual bool GetEntryDropTarget(TShellComboItem* item, fw::ComPtr<IDropTarget>& target);

 private:
  friend class TShellComboList;
  void ChosenEntry();
  // The current entry when drops may go into it, else null.
  TShellComboItem* DropEntry();
  // IShellDropClient (ShellComboBoxDrag.cpp)
  HRESULT DropDragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;
  HRESULT DropDragOver(DWORD keyState, POINTL pt, DWORD* effect) override;
  HRESULT DropDragLeave() override;
  HRESULT DropDrop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;

  bool m_includeHidden = true;
  TShVirtuaItems m_shVirtuaItems = kDefaultShVirtuaItems;
  bool m_filled = true;
  bool m_drawingFace = false;
  bool m_rightDragging = false;
  UniqueIDList m_savedNameSpace;
  std::vector<fw::ComPtr<IDropTarget>> m_pendingDropTargets;
  std::unique_ptr<TShellDragObject> m_dragObject;
  std::unique_ptr<TShellDropRegistration> m_dropRegistration;
  std::unique_ptr<TShellComboList> m_list;
  TShellTreeView* m_tree = nullptr;  // not owned
  int m_updateCount = 0;
};
