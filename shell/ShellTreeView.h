#pragma once
// The folder tree: the shell namespace as a tree whose one root is the
// desktop. It is the hub of navigation: selecting a node points the linked
// path combo box and contents list at the node's folder, and both of them ask
// the tree to select a folder when the user navigates in them. The tree keeps
// the back/forward history of selected nodes and keeps itself current by
// watching the fixed drives for folder-name changes and by hearing about
// media and network volumes coming and going.
//
// Ownership: every node's data pointer owns its TShellFolderItem; the tree
// frees it when the node goes. The history lists borrow nodes and lose them
// when the nodes are deleted. Everything here runs on the UI thread; the
// directory watcher's thread reaches the tree only through calls marshalled
// to the UI thread.
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/ui/TreeView.h"
#include "shell/ShellCtrlList.h"
#include "shell/ShellDragDrop.h"
#include "shell/ShellItems.h"
#include "shell/ShellListView.h"

class TShellComboBox;
class TShellPopupMenu;
class TShDirWatcher;

// Drag events (the mouse and drag-and-drop behaviour raises them).
using TShellBeginDragEvent =
    std::function<void(fw::Object* sender, fw::TreeNode* node, POINT pt, int x, int y, bool& canDrag)>;
using TShellTreeDragEnterEvent = std::function<void(fw::Object* sender, TShellDragObject* dragObject,
                                                    fw::TShiftState shift, POINT pt, bool& accept)>;
using TShellTreeDragEvent = std::function<void(fw::Object* sender, TShellDragObject* dragObject, fw::TreeNode* node,
                                               fw::TShiftState shift, int x, int y)>;
using TShellTreeDropEvent = std::function<void(fw::Object* sender, TShellDragObject* dragObject, fw::TreeNode* node,
                                               fw::TShiftState shift, int x, int y, bool& defaultAction)>;

class TShellTreeView : public fw::TreeView,
                       public TShellTreeLink,
                       public TShellFolderTreeOwner,
                       public TShellDeviceChangeClient,
                       public IShellDropClient {
 public:
  // The history keeps at most this many steps back.
  static constexpr std::size_t kMaxUndo = 9;
  // Posted to itself after a system settings change: icons are fetched again.
  static constexpr UINT kIconSettingsMessage = WM_USER + 1;

  explicit TShellTreeView(fw::Component* owner);
  ~TShellTreeView() override;
  void BeforeDestruction() override;
  // After the owner has set the links: makes sure the root exists (with or
  // without a window), then shows the tree's folder in the combo box and the list.
  void Loaded();
  // Selects a node as the user would, with the history and the links
  // following, also before the window exists.
  void SelectNode(fw::TreeNode* node);

  // ---- the selected folder
  // File-system path of the selection; empty without one or outside the file system.
  std::string GetPath();
  // Selects an existing folder by path; a path that does not parse does nothing.
  void SetPath(const std::string& path);
  // Absolute list of the selection, else of the root, else null (borrowed).
  LPCITEMIDLIST GetNameSpace() override;
  // Selects the node of an absolute list (null does nothing). A list the tree
  // does not show selects the desktop root.
  void SetNameSpace(LPCITEMIDLIST list) override;
  // The node of an absolute list, creating nodes on the way; the root when
  // the list is not shown by the tree.
  fw::TreeNode* GetNodeFromItemID(LPCITEMIDLIST list);
  fw::TreeNode* RootNode() const { return const_cast<TShellTreeView*>(this)->Items().GetFirstNode(); }

  // ---- reading folders
  // Re-reads every visible node, merging (expansion, selection and node
  // objects survive).
  void RefreshFolder() override;
  // Re-reads one node's children and merges them into the existing ones.
  void UpDateFolder(fw::TreeNode* node) override;

  // ---- commands and history
  bool InvokeCommand(TShInvokeCommand command);
  bool Undo(int index);
  bool Redo(int index);
  int UndoCount() const noexcept { return static_cast<int>(m_undoList.size()); }
  int RedoCount() const noexcept { return static_cast<int>(m_redoList.size()); }
  const std::vector<fw::TreeNode*>& UndoList() const noexcept { return m_undoList; }
  const std::vector<fw::TreeNode*>& RedoList() const noexcept { return m_redoList; }

  // ---- helpers
  bool GetChecked(fw::TreeNode* node);
  // Roots of the fixed drives ("C:\"), sorted.
  static void GetDriveList(std::vector<std::string>& drives);
  void SuspendChangeNotify();
  void ResumeChangeNotify();
  // Drops finished drop targets; false while one is still busy.
  bool CanClose();
  bool IsCorrectNode(fw::TreeNode* node) const;
  TShDirWatcher* Watcher() const noexcept { return m_watcher; }
  const std::vector<std::string>& DriveList() const noexcept { return m_driveList; }

  // ---- properties
  bool GetIncludeHidden() const noexcept { return m_includeHidden; }
  void SetIncludeHidden(bool value) override;
  TShVirtuaItems GetShVirtuaItems() const noexcept { return m_shVirtuaItems; }
  void SetShVirtuaItems(TShVirtuaItems value) override;
  TShellComboBox* GetShellComboBox() const noexcept { return m_comboBox; }
  void SetShellComboBox(TShellComboBox* combo);
  TShellListView* GetShellListView() const noexcept { return m_listView; }
  void SetShellListView(TShellListView* list);
  TShellPopupMenu* GetShellPopupMenu() const noexcept { return m_popupMenu; }
  void SetShellPopupMenu(TShellPopupMenu* menu);
  fw::Component* LinkComponent() override { return this; }

  // The drag start machine; the mouse handling sets it.
  TShDragState GetDragState() const noexcept { return m_dragState; }
  void SetDragState(TShDragState state) noexcept { m_dragState = state; }
  // The node shown as the drop target (a press waiting to become a click or
  // a drag, a drag hovering over it); null without one.
  fw::TreeNode* DropHighlight() const { return DropTarget(); }
  // The data of the drag over the tree, or null.
  TShellDragObject* DragObject() const noexcept { return m_dragObject.get(); }
  // Consecutive drag-over calls on the same node (auto-expansion).
  int HoverCount() const noexcept { return m_hoverCount; }
  // The tree's face towards OLE (drop target and drop source).
  IDropTarget* DropTargetInterface() const noexcept { return m_dropRegistration->Target(); }
  IDropSource* DropSourceInterface() const noexcept { return m_dropRegistration->Source(); }

  // ---- notifications
  // Volume arrival or removal (queued on the watcher's delay, then ShellDelay).
  void DeviceChange(const std::string& caption, DWORD event, LPCITEMIDLIST itemIDList, WORD kind) override;
  // The watcher saw a folder-name change on a fixed drive.
  void ShellChangeNotify();
  // A delayed device change comes back on the UI thread (owned from here on).
  void ShellDelay(std::unique_ptr<fw::Object> data);

  TShellBeginDragEvent OnShBeginDrag;
  TShellTreeDragEnterEvent OnShDragEnter;
  TShellTreeDragEvent OnShDragOver;
  TShellTreeDropEvent OnShDragDrop;
  fw::TNotifyEvent OnShDragLeave;

  // Reads a folder's children (folders only), filtered and sorted in the
  // folder's own order. Public for the benchmarks.
  int RetrieveItemIDList(IShellFolder* folder, TShellFolderItem* parent,
                         std::vector<std::unique_ptr<TShellFolderItem>>& items);

 protected:
  void CreateWnd() override;
  void DestroyWnd() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  bool CNNotify(NMHDR* header, LRESULT& result) override;
  void Notification(fw::Component* component, fw::Operation operation) override;
  bool CanChange(fw::TreeNode* node) override;
  void Change(fw::TreeNode* node) override;
  bool CanExpand(fw::TreeNode* node) override;
  bool CanEdit(fw::TreeNode* node) override;

  // ---- drag and drop hooks, each raising its event
  // Whether a drag may start from the highlighted node: the button that began
  // the wait still down, a copy/move/link capability, and the pointer more
  // than 5 pixels away from where the button went down. x, y: client.
  virtual bool CanBeginDrag(POINT pt, int x, int y);
  // pt as OLE gives it (screen). False refuses the drag (effect none).
  virtual bool CanDragEnter(DWORD keyState, POINTL pt, DWORD* effect);
  // x, y: client.
  virtual void DoDragOver(fw::TreeNode* node, DWORD keyState, int x, int y);
  virtual bool CanDragDrop(fw::TreeNode* node, DWORD keyState, int x, int y, DWORD* effect);
  virtual void DoDragLeave();
  // The shell's drop target for a node's folder. Virtual so that tests can
  // put a recording target in the shell's place (under Wine the shell's
  // targets accept drops without doing anything).
  virtual bool GetNodeDropTarget(fw::TreeNode* node, fw::ComPtr<IDropTarget>& target);
  // The shell context menu of the highlighted node after a right click;
  // true when it was shown (the click is then handled).
  bool ShellContextPopup(POINT client);
  // The same from a window message: an error is reported, not thrown, and
  // counts as handled.
  bool ShellContextPopupReporting(POINT client);
  void Edit(fw::TreeNode* node, std::string& text) override;
  void Delete(fw::TreeNode* node) override;
  void GetImageIndex(fw::TreeNode* node) override;
  void GetSelectedIndex(fw::TreeNode* node) override;

 private:
  void InitItem();
  void EnsureRoot();
  bool ShuttingDown() const;
  // A node for the item at a position among parent's children (-1: last).
  fw::TreeNode* AddItemNode(fw::TreeNode* parent, int position, std::unique_ptr<TShellFolderItem> item);
  bool FolderOfNode(fw::TreeNode* node, fw::ComPtr<IShellFolder>& folder);
  // Merges parent's children with its folder and returns the child that now
  // holds itemID (relative, in folder), or null when it went: the merge may
  // replace the node a search stood on, and free the list itemID points into.
  fw::TreeNode* MergeAndFindAgain(fw::TreeNode* parent, LPCITEMIDLIST itemID, IShellFolder* folder);
  void SelectBeforeRemoving(fw::TreeNode* parent, fw::TreeNode* doomed);
  void RemoveFromHistory(fw::TreeNode* node);
  void ResetIcons();
  void RebuildCombo();
  void NotifyThreadTerminate(fw::Object* watcher);

  // Mouse (ShellTreeViewDrag.cpp).
  void LeftButtonDown(int x, int y);
  void LeftButtonUp();
  void RightButtonDown(int x, int y);
  void AfterButtonDown(bool right);
  void MouseMoved(int x, int y);
  void BeginDrag();
  void ContextMenuCommand(int code, fw::TreeNode* node, fw::TreeNode* parentIfSelected);
  LRESULT ContextMenuMessage(WPARAM wp, LPARAM lp);
  bool NodeAcceptsDrops(fw::TreeNode* node);
  void EndDragOver();
  // IShellDropClient
  HRESULT DropDragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;
  HRESULT DropDragOver(DWORD keyState, POINTL pt, DWORD* effect) override;
  HRESULT DropDragLeave() override;
  HRESULT DropDrop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;

  TShDragState m_dragState = dsWait;
  POINT m_dragStartPoint{};
  int m_hoverCount = 0;
  bool m_rightDragging = false;
  bool m_contextPopupAsked = false;  // the right click's report asked the owner
  std::unique_ptr<TShellDragObject> m_dragObject;
  std::unique_ptr<TShellDropRegistration> m_dropRegistration;
  bool m_includeHidden = true;
  TShVirtuaItems m_shVirtuaItems = kDefaultShVirtuaItems;
  std::vector<std::string> m_driveList;
  TShellIDList m_commandList;
  TShDirWatcher* m_watcher = nullptr;  // frees itself; cleared when it ends
  std::vector<fw::ComPtr<IDropTarget>> m_pendingDropTargets;
  fw::TreeNode* m_navigatingNode = nullptr;
  bool StepHistory(std::vector<fw::TreeNode*>& from, std::vector<fw::TreeNode*>& to, int index);
  std::vector<fw::TreeNode*> m_undoList;
  std::vector<fw::TreeNode*> m_redoList;
  TShellComboBox* m_comboBox = nullptr;    // not owned
  TShellListView* m_listView = nullptr;    // not owned
  TShellPopupMenu* m_popupMenu = nullptr;  // not owned
  bool m_registered = false;
  bool m_tearingDown = false;
};
