#include "shell/ShellTreeView.h"

#include <dbt.h>

#include <algorithm>
#include <cstdint>

#include "framework/base/Mbcs.h"
#include "framework/ui/Application.h"
#include "shell/ShellComboBox.h"
#include "shell/ShellCurrentDirectory.h"
#include "shell/ShellDragDrop.h"
#include "shell/ShellFolderEnum.h"
#include "shell/ShellPopupMenu.h"
#include "shell/Shellnotify.h"

namespace {

// Only folder names are watched on the drives: file changes never alter the tree.
constexpr DWORD kWatchFilter = FILE_NOTIFY_CHANGE_DIR_NAME;

// Swallows what a shell callback must not let through to the window procedure.
template <class F>
void Guarded(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    fw::HandleException(e);
  }
}

// A node's first child; a folder node that has none is merged with its folder
// first (its children may not have been read yet).
fw::TreeNode* FirstChildMerged(TShellTreeView& tree, fw::TreeNode* node) {
  fw::TreeNode* child = node->GetFirstChild();
  if (!child && tree.IsCorrectNode(node)) {
    tree.UpDateFolder(node);
    child = node->GetFirstChild();
  }
  return child;
}

}  // namespace

TShellTreeView::TShellTreeView(fw::Component* owner)
    : fw::TreeView(owner), m_dropRegistration(std::make_unique<TShellDropRegistration>(this)) {
  SetHideSelection(false);
  GetDriveList(m_driveList);
  m_watcher = new TShDirWatcher(
      nullptr, [this](fw::Object*, const std::string&) { Guarded([this] { ShellChangeNotify(); }); },
      [this](fw::Object*, std::unique_ptr<fw::Object> data) {
        Guarded([this, &data] { ShellDelay(std::move(data)); });
      },
      kWatchFilter);
  m_watcher->OnTerminate = [this](fw::Object* sender) { NotifyThreadTerminate(sender); };
  ShellCtrlList().Add(this);
  m_registered = true;
}

TShellTreeView::~TShellTreeView() {
  m_tearingDown = true;
  if (m_registered) ShellCtrlList().Remove(this);
  m_registered = false;
  if (m_watcher) {
    m_watcher->OnTerminate = nullptr;
    m_watcher->Stop();
    m_watcher = nullptr;
  }
  // The nodes' items are freed by this class's Delete, which the base's
  // destructor could no longer reach.
  DestroyHandle();
  Items().Clear();
}

void TShellTreeView::BeforeDestruction() {
  m_tearingDown = true;
  if (m_comboBox) m_comboBox->SetShellTreeView(nullptr);
  if (m_listView && m_listView->GetShellTreeLink() == this) m_listView->SetShellTreeLink(nullptr);
  m_comboBox = nullptr;
  m_listView = nullptr;
  fw::TreeView::BeforeDestruction();
}

void TShellTreeView::Loaded() {
  EnsureRoot();
  if (m_comboBox) RebuildCombo();
  if (m_listView)
    if (LPCITEMIDLIST ns = GetNameSpace()) m_listView->SetNameSpace(ns);
}

void TShellTreeView::NotifyThreadTerminate(fw::Object* watcher) {
  if (watcher == m_watcher) m_watcher = nullptr;
}

// ---------------------------------------------------------------------------
// Window

void TShellTreeView::CreateWnd() {
  fw::TreeView::CreateWnd();
  ::SendMessageA(m_handle, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(GetSystemImageList(false)));
  // The framework keeps the nodes while there is no window and while the
  // window is made again (their expansion and the selection come back with
  // them); only a tree without nodes builds its root here.
  EnsureRoot();
  ResumeChangeNotify();
  // Folders dragged from anywhere can be dropped on the tree's nodes.
  m_dropRegistration->Register(m_handle);
}

void TShellTreeView::DestroyWnd() {
  SuspendChangeNotify();
  fw::TreeView::DestroyWnd();
}

void TShellTreeView::EnsureRoot() {
  if (!RootNode()) InitItem();
}

void TShellTreeView::SelectNode(fw::TreeNode* node) {
  if (HandleAllocated()) {
    SetSelected(node);  // the control raises the can-change and change steps
    return;
  }
  // Without a window (the owner still being built) the steps are taken
  // here, so the links and the history see the same as with one.
  if (!node || node == Selected() || !CanChange(node)) return;
  SetSelected(node);
  Change(node);
}

void TShellTreeView::InitItem() {
  UniqueIDList desktop;
  UniqueIDList desktopDir;
  if (!GetSpecialFolderID(sfidDeskTop, desktop) || !GetSpecialFolderID(sfidDeskTopFolder, desktopDir)) return;
  Items().BeginUpdate();
  auto item = std::make_unique<TShellFolderItem>(nullptr, std::move(desktopDir), std::move(desktop));
  fw::TreeNode* root = AddItemNode(nullptr, -1, std::move(item));
  root->Expand(false);
  if (fw::TreeNode* first = root->GetFirstChild()) first->Expand(false);
  SelectNode(root);
  Items().EndUpdate();
}

fw::TreeNode* TShellTreeView::AddItemNode(fw::TreeNode* parent, int position, std::unique_ptr<TShellFolderItem> item) {
  std::string caption = item->GetCaption();
  // The node enters the control with its button and overlay already known;
  // SetOwner then finds nothing to change.
  fw::TreeNodeInit init;
  init.hasChildren = item->HasShAttributesOf(iaHasSubFolder) ? 1 : 0;
  init.overlayIndex = item->GetOverlayIndex();
  fw::TreeNode* node = Items().InsertChild(parent, position, caption, item.get(), init);
  item->SetOwner(node);
  item.release();  // the node's data owns it now
  return node;
}

LRESULT TShellTreeView::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETTINGCHANGE:
      ::PostMessageA(m_handle, kIconSettingsMessage, 0, 0);
      break;
    case kIconSettingsMessage:
      Guarded([this] { ResetIcons(); });
      return 0;
    case WM_DESTROY:
      m_dropRegistration->Revoke();
      break;
    case WM_LBUTTONDOWN: {
      Guarded([&] { LeftButtonDown(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))); });
      LRESULT result = fw::TreeView::WndProc(msg, wp, lp);
      Guarded([this] { AfterButtonDown(false); });
      return result;
    }
    case WM_RBUTTONDOWN: {
      Guarded([&] { RightButtonDown(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))); });
      LRESULT result = fw::TreeView::WndProc(msg, wp, lp);
      Guarded([this] { AfterButtonDown(true); });
      return result;
    }
    case WM_LBUTTONUP:
      Guarded([this] { LeftButtonUp(); });
      break;
    case WM_MOUSEMOVE: {
      LRESULT result = fw::TreeView::WndProc(msg, wp, lp);
      Guarded([&] { MouseMoved(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))); });
      return result;
    }
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wp) == m_handle) return ContextMenuMessage(wp, lp);
      break;
    default:
      break;
  }
  return fw::TreeView::WndProc(msg, wp, lp);
}

void TShellTreeView::ResetIcons() {
  ::SendMessageA(m_handle, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(GetSystemImageList(false)));
  for (fw::TreeNode* n = Items().GetFirstNode(); n && IsCorrectNode(n); n = n->GetNext()) {
    FolderItemOfNode(n)->ResetImageIndexes();
    n->SetImageIndex(-1);
  }
}

void TShellTreeView::Notification(fw::Component* component, fw::Operation operation) {
  fw::TreeView::Notification(component, operation);
  if (operation != fw::Operation::opRemove) return;
  if (static_cast<fw::Component*>(m_comboBox) == component) m_comboBox = nullptr;
  if (static_cast<fw::Component*>(m_listView) == component) m_listView = nullptr;
  if (static_cast<fw::Component*>(m_popupMenu) == component) m_popupMenu = nullptr;
}

// ---------------------------------------------------------------------------
// Links and settings

void TShellTreeView::SetShellComboBox(TShellComboBox* combo) {
  if (combo == m_comboBox) return;
  if (m_comboBox) m_comboBox->SetShellTreeView(nullptr);
  m_comboBox = combo;
  if (!combo) return;
  combo->SetShellTreeView(this);
  combo->SetShVirtuaItems(m_shVirtuaItems);
  combo->SetIncludeHidden(m_includeHidden);
  FreeNotification(combo);
  if (combo->HandleAllocated()) {
    combo->InitData();
    combo->SetNameSpace(GetNameSpace());
  }
}

void TShellTreeView::SetShellListView(TShellListView* list) {
  if (list == m_listView) return;
  if (m_listView && m_listView->GetShellTreeLink() == this) m_listView->SetShellTreeLink(nullptr);
  m_listView = list;
  if (!list) return;
  // Set before the link, so the list view's setters do not call back here.
  list->SetShVirtuaItems(m_shVirtuaItems);
  list->SetIncludeHidden(m_includeHidden);
  list->SetShellTreeLink(this);
  FreeNotification(list);
  if (LPCITEMIDLIST ns = GetNameSpace()) list->SetNameSpace(ns);
}

void TShellTreeView::SetShellPopupMenu(TShellPopupMenu* menu) {
  m_popupMenu = menu;
  if (!menu) return;
  // The tree shows it itself, for the node under the pointer.
  menu->SetAutoPopup(false);
  FreeNotification(menu);
}

void TShellTreeView::RebuildCombo() {
  if (!m_comboBox) return;
  m_comboBox->SetShVirtuaItems(m_shVirtuaItems);
  m_comboBox->SetIncludeHidden(m_includeHidden);
  m_comboBox->InitData();
  m_comboBox->SetNameSpace(GetNameSpace());
}

void TShellTreeView::SetIncludeHidden(bool value) {
  if (value == m_includeHidden) return;
  m_includeHidden = value;
  if (m_listView && m_listView->GetIncludeHidden() != value) m_listView->SetIncludeHidden(value);
  if (!HandleAllocated()) return;
  RefreshFolder();
  RebuildCombo();
}

void TShellTreeView::SetShVirtuaItems(TShVirtuaItems value) {
  if (value == m_shVirtuaItems) return;
  m_shVirtuaItems = value;
  if (m_listView && m_listView->GetShVirtuaItems() != value) m_listView->SetShVirtuaItems(value);
  if (!HandleAllocated()) return;
  RefreshFolder();
  RebuildCombo();
}

// ---------------------------------------------------------------------------
// Nodes

bool TShellTreeView::IsCorrectNode(fw::TreeNode* node) const {
  TShellFolderItem* item = FolderItemOfNode(node);
  return item && item->HasCorrectData();
}

void TShellTreeView::Delete(fw::TreeNode* node) {
  fw::TreeView::Delete(node);
  delete FolderItemOfNode(node);
  node->SetData(nullptr);
  if (!m_tearingDown) RemoveFromHistory(node);
  if (node == m_navigatingNode) m_navigatingNode = nullptr;
}

void TShellTreeView::RemoveFromHistory(fw::TreeNode* node) {
  std::erase(m_undoList, node);
  std::erase(m_redoList, node);
}

void TShellTreeView::GetImageIndex(fw::TreeNode* node) {
  fw::TreeView::GetImageIndex(node);
  if (!IsCorrectNode(node)) return;
  int index = FolderItemOfNode(node)->GetImageIndex();
  if (node->ImageIndex() != index) node->SetImageIndex(index);
}

void TShellTreeView::GetSelectedIndex(fw::TreeNode* node) {
  fw::TreeView::GetSelectedIndex(node);
  if (!IsCorrectNode(node)) return;
  int index = FolderItemOfNode(node)->GetSelectedIndex();
  if (node->SelectedIndex() != index) node->SetSelectedIndex(index);
}

bool TShellTreeView::FolderOfNode(fw::TreeNode* node, fw::ComPtr<IShellFolder>& folder) {
  folder.Reset();
  return IsCorrectNode(node) && BindItemFolder(FolderItemOfNode(node), folder);
}

int TShellTreeView::RetrieveItemIDList(IShellFolder* folder, TShellFolderItem* parent,
                                       std::vector<std::unique_ptr<TShellFolderItem>>& items) {
  return ReadFolderChildren(
      folder, HandleAllocated() ? m_handle : nullptr, m_includeHidden, m_shVirtuaItems, parent,
      [](UniqueIDList rel, UniqueIDList abs) {
        return std::make_unique<TShellFolderItem>(nullptr, std::move(rel), std::move(abs));
      },
      items);
}

void TShellTreeView::SelectBeforeRemoving(fw::TreeNode* parent, fw::TreeNode* doomed) {
  // A folder deleted by someone else may be the one shown: the nearest folder
  // that still exists is its parent, which was just read. Selecting it first
  // keeps the list, the combo box and the history on a real folder.
  fw::TreeNode* selected = Selected();
  if (selected && (selected == doomed || selected->HasAsParent(doomed))) SelectNode(parent);
}

void TShellTreeView::UpDateFolder(fw::TreeNode* node) {
  if (!IsCorrectNode(node)) return;
  fw::ComPtr<IShellFolder> folder;
  if (!FolderOfNode(node, folder)) return;
  std::vector<std::unique_ptr<TShellFolderItem>> fresh;
  RetrieveItemIDList(folder.Get(), FolderItemOfNode(node), fresh);
  Items().BeginUpdate();
  // Both sides are in the folder's order; the existing children are walked by
  // position (a folder may hold thousands of them).
  int at = 0;
  std::size_t i = 0;
  auto removeAt = [&](int position) {
    fw::TreeNode* doomed = node->Item(position);
    SelectBeforeRemoving(node, doomed);
    doomed->Delete();
  };
  while (i < fresh.size()) {
    if (at >= node->Count()) {
      AddItemNode(node, -1, std::move(fresh[i++]));
      ++at;
      continue;
    }
    TShellFolderItem* old = FolderItemOfNode(node->Item(at));
    TCompareVal cmp = old ? CompareIDList(folder.Get(), old->GetItemID(), fresh[i]->GetItemID()) : cvError;
    if (cmp == cvEqual) {
      ++at;
      ++i;
    } else if (cmp == cvPrev) {
      AddItemNode(node, at, std::move(fresh[i++]));
      ++at;
    } else {
      removeAt(at);
    }
  }
  while (at < node->Count()) removeAt(at);
  Items().EndUpdate();
}

void TShellTreeView::RefreshFolder() {
  Items().BeginUpdate();
  for (fw::TreeNode* n = Items().GetFirstNode(); n; n = n->GetNextVisible()) {
    if (!IsCorrectNode(n)) continue;
    if (n->Expanded() || n->GetFirstChild())
      UpDateFolder(n);
    else
      FolderItemOfNode(n)->SetOwner(n);
  }
  Items().EndUpdate();
}

bool TShellTreeView::CanExpand(fw::TreeNode* node) {
  if (m_tearingDown || Destroying() || !IsCorrectNode(node)) return fw::TreeView::CanExpand(node);
  TShellFolderItem* item = FolderItemOfNode(node);
  if (m_dragState == dsDragging) {
    TShItemIDType type = item->GetItemIDType();
    if (type == itVirtual) return false;
    if (item->GetLevel() >= 2 && type == itRootDrive) {
      // A drive without a medium must not raise the system's error box.
      UINT old = ::SetErrorMode(SEM_FAILCRITICALERRORS);
      BOOL ok = ::GetVolumeInformationA(item->GetPath().c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0);
      ::SetErrorMode(old);
      if (!ok) return false;
    }
  }
  UpDateFolder(node);
  if (!node->GetFirstChild()) node->SetHasChildren(false);
  return fw::TreeView::CanExpand(node);
}

// ---------------------------------------------------------------------------
// Finding and selecting

LPCITEMIDLIST TShellTreeView::GetNameSpace() {
  fw::TreeNode* node = Selected();
  if (!IsCorrectNode(node)) node = RootNode();
  return IsCorrectNode(node) ? FolderItemOfNode(node)->GetRootItemID() : nullptr;
}

std::string TShellTreeView::GetPath() {
  EnsureRoot();
  fw::TreeNode* node = Selected();
  return IsCorrectNode(node) ? FolderItemOfNode(node)->GetPath() : std::string();
}

void TShellTreeView::SetPath(const std::string& path) {
  UniqueIDList list;
  if (GetIDListFromPath(path, list)) SetNameSpace(list.get());
}

fw::TreeNode* TShellTreeView::MergeAndFindAgain(fw::TreeNode* parent, LPCITEMIDLIST itemID, IShellFolder* folder) {
  UniqueIDList wanted(CopyItemIDList(itemID));
  UpDateFolder(parent);
  for (fw::TreeNode* n = parent ? parent->GetFirstChild() : nullptr; n; n = n->GetNextSibling()) {
    TShellFolderItem* item = FolderItemOfNode(n);
    if (item && CompareIDList(folder, item->GetItemID(), wanted.get()) == cvEqual) return n;
  }
  return nullptr;
}

fw::TreeNode* TShellTreeView::GetNodeFromItemID(LPCITEMIDLIST list) {
  EnsureRoot();
  fw::TreeNode* root = RootNode();
  if (!root || !list) return root;
  fw::TreeNode* cursor = FirstChildMerged(*this, root);
  LPCITEMIDLIST remaining = list;
  // A level that has been merged once for this search is not merged again:
  // a folder that sorts between two siblings without being among them stays
  // missing, and the search must end.
  fw::TreeNode* mergedParent = nullptr;
  while (IsCorrectNode(cursor)) {
    TShellFolderItem* item = FolderItemOfNode(cursor);
    fw::ComPtr<IShellFolder> parentFolder;
    if (!item->GetShellFolder(parentFolder)) break;
    UniqueIDList wanted(CopyItemID(remaining));
    TCompareVal cmp = CompareIDList(parentFolder.Get(), item->GetItemID(), wanted.get());
    if (cmp == cvEqual) {
      remaining = GetNextItemIDList(remaining);
      if (!remaining || GetItemIDSize(remaining) == 0) return cursor;
      cursor->Expand(false);
      cursor = FirstChildMerged(*this, cursor);
      mergedParent = nullptr;
    } else if (cmp == cvPrev) {
      fw::TreeNode* parent = cursor->Parent();
      if (mergedParent == parent) {
        // Already merged: the wanted item lies between this node and its previous sibling.
        fw::TreeNode* prev = cursor->GetPrevSibling();
        TShellFolderItem* prevItem = FolderItemOfNode(prev);
        if (!prevItem || CompareIDList(parentFolder.Get(), prevItem->GetItemID(), wanted.get()) == cvNext) break;
        cursor = prev;
        continue;
      }
      if (m_comboBox) m_comboBox->InitData();
      fw::TreeNode* again = MergeAndFindAgain(parent, item->GetItemID(), parentFolder.Get());
      mergedParent = parent;
      if (!again) break;
      fw::TreeNode* prev = again->GetPrevSibling();
      TShellFolderItem* prevItem = FolderItemOfNode(prev);
      if (!prevItem) break;
      TCompareVal prevCmp = CompareIDList(parentFolder.Get(), prevItem->GetItemID(), wanted.get());
      if (prevCmp == cvNext || prevCmp == cvError) break;  // sorts before: not there
      cursor = prev;
    } else if (cmp == cvNext) {
      fw::TreeNode* next = cursor->GetNextSibling();
      if (!next && mergedParent != cursor->Parent()) {
        fw::TreeNode* parent = cursor->Parent();
        fw::TreeNode* again = MergeAndFindAgain(parent, item->GetItemID(), parentFolder.Get());
        mergedParent = parent;
        // The cursor itself vanished: start over at the merged level's first node.
        next = again ? again->GetNextSibling() : (parent ? parent->GetFirstChild() : nullptr);
      }
      cursor = next;
    } else {
      break;
    }
  }
  return root;
}

void TShellTreeView::SetNameSpace(LPCITEMIDLIST list) {
  if (!list) return;
  fw::TreeNode* selected = Selected();
  if (IsCorrectNode(selected)) {
    TShellFolderItem* item = FolderItemOfNode(selected);
    fw::ComPtr<IShellFolder> desktop;
    if (item->GetLevel() == GetItemIDLevel(list) && DesktopFolder(desktop) &&
        CompareIDList(desktop.Get(), item->GetRootItemID(), list) == cvEqual)
      return;
  }
  if (fw::TreeNode* node = GetNodeFromItemID(list)) {
    node->MakeVisible();
    SelectNode(node);
  }
}

// ---------------------------------------------------------------------------
// Selection and history

bool TShellTreeView::ShuttingDown() const {
  return m_tearingDown || Destroying() || (Owner() && Owner()->Destroying());
}

bool TShellTreeView::CanChange(fw::TreeNode* node) {
  // While the tree or its form goes away, the control may move its selection
  // as its items go: that is no navigation, and nothing linked may hear of it.
  if (ShuttingDown()) return true;
  if (m_dragState == dsWaitDragging || m_dragState == dsRWaitDragging) return false;
  if (!fw::TreeView::CanChange(node)) return false;
  fw::TreeNode* current = Selected();
  // A node whose item is gone is being deleted: it is no place to come back to.
  if (IsCorrectNode(current) && node != m_navigatingNode && current != node) {
    if (m_undoList.empty() || m_undoList.back() != current) {
      m_undoList.push_back(current);
      while (m_undoList.size() > kMaxUndo) m_undoList.erase(m_undoList.begin());
    }
    m_navigatingNode = nullptr;
    m_redoList.clear();
  }
  return true;
}

void TShellTreeView::Change(fw::TreeNode* node) {
  if (ShuttingDown()) return;
  fw::TreeView::Change(node);
  if (!IsCorrectNode(node)) return;
  LPCITEMIDLIST list = FolderItemOfNode(node)->GetRootItemID();
  if (m_comboBox) m_comboBox->SetNameSpace(list);
  if (m_listView) m_listView->SetNameSpace(list);
}

bool TShellTreeView::Undo(int index) { return StepHistory(m_undoList, m_redoList, index); }

bool TShellTreeView::Redo(int index) { return StepHistory(m_redoList, m_undoList, index); }

// Back and forward are the same walk in opposite directions: the current
// folder goes onto the other list, the steps passed over follow it, and the
// entry at index (or the last one) is selected.
bool TShellTreeView::StepHistory(std::vector<fw::TreeNode*>& from, std::vector<fw::TreeNode*>& to, int index) {
  if (from.empty() || (index >= 0 && index >= static_cast<int>(from.size()))) return false;
  fw::TreeNode* current = Selected();
  if (IsCorrectNode(current) && (to.empty() || to.back() != current)) to.push_back(current);
  if (index >= 0)
    while (static_cast<int>(from.size()) > index + 1) {
      to.push_back(from.back());
      from.pop_back();
    }
  m_navigatingNode = from.back();
  from.pop_back();
  fw::TreeNode* target = m_navigatingNode;
  target->MakeVisible();
  SelectNode(target);
  m_navigatingNode = nullptr;
  return !from.empty();
}

// ---------------------------------------------------------------------------
// Commands and renaming

bool TShellTreeView::InvokeCommand(TShInvokeCommand command) {
  fw::TreeNode* node = Selected();
  if (!IsCorrectNode(node)) return false;
  TShellFolderItem* item = FolderItemOfNode(node);
  HWND owner = HandleAllocated() ? m_handle : nullptr;
  if (item->GetLevel() > 0) {
    m_commandList.Clear();
    m_commandList.SetParentItemID(item->GetParentItemID());
    m_commandList.Add(item->GetItemID());
    return m_commandList.InvokeCommand(owner, command);
  }
  if (command != icPaste) return false;
  // Pasting on the desktop puts the items into its file-system folder.
  TShellIDList2 desktopDir;
  desktopDir.SetParentItemID(UniqueIDList(GetParentItemIDRoot(item->GetItemID())));
  desktopDir.Add(UniqueIDList(GetLastItemID(item->GetItemID())));
  return desktopDir.InvokeCommand(owner, command);
}

bool TShellTreeView::CanEdit(fw::TreeNode* node) {
  if (!IsCorrectNode(node) || m_dragState != dsWait) return false;
  TShellFolderItem* item = FolderItemOfNode(node);
  if (item->GetLevel() == 0 || !item->HasShAttributesOf(iaCanRename)) return false;
  return fw::TreeView::CanEdit(node);
}

void TShellTreeView::Edit(fw::TreeNode* node, std::string& text) {
  if (OnEdited) OnEdited(this, node, text);
  if (!IsCorrectNode(node) || text.empty()) return;
  TShellFolderItem* item = FolderItemOfNode(node);
  SuspendChangeNotify();
  if (m_listView) m_listView->SuspendChangeNotify();
  // The process's current directory follows the folder the list shows, and
  // the system does not rename a folder that is (or holds) the current
  // directory. Step out of it for the rename, and come back to the folder
  // under its new name.
  const std::string oldPath = item->GetPath();
  const std::string cwd = shellcwd::CurrentDirectory();
  const bool inside = shellcwd::IsSameOrInside(cwd, oldPath);
  if (inside) ::SetCurrentDirectoryA(shellcwd::ParentOfPath(oldPath).c_str());
  bool renamed = item->Rename(text);
  if (inside) {
    std::string back = cwd;
    if (renamed) back = item->GetPath() + cwd.substr(oldPath.size());
    ::SetCurrentDirectoryA(back.c_str());
  }
  if (renamed) {
    if (m_comboBox) {
      if (item->GetLevel() == 1) m_comboBox->InitData();
      m_comboBox->SetNameSpace(item->GetRootItemID());
    }
    if (m_listView && node->Selected()) m_listView->SetNameSpace(item->GetRootItemID());
  }
  if (m_listView) m_listView->ResumeChangeNotify();
  ResumeChangeNotify();
  // The node shows what the shell now calls the folder, renamed or not.
  text = node->Text();
}

bool TShellTreeView::GetChecked(fw::TreeNode* node) {
  if (!node || !HandleAllocated() || !node->ItemId()) return false;
  TVITEMA it{};
  it.mask = TVIF_STATE | TVIF_HANDLE;
  it.hItem = node->ItemId();
  it.stateMask = TVIS_STATEIMAGEMASK;
  if (!::SendMessageA(m_handle, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it))) return false;
  return (it.state & (1u << 13)) != 0;
}

// ---------------------------------------------------------------------------
// Watching drives and devices

void TShellTreeView::GetDriveList(std::vector<std::string>& drives) {
  drives.clear();
  char buf[81] = {};
  DWORD n = ::GetLogicalDriveStringsA(sizeof buf, buf);
  if (n == 0 || n > sizeof buf) return;
  for (const char* p = buf; *p; p += std::char_traits<char>::length(p) + 1)
    if (::GetDriveTypeA(p) == DRIVE_FIXED) drives.emplace_back(p);
  std::sort(drives.begin(), drives.end());
}

void TShellTreeView::SuspendChangeNotify() {
  if (m_watcher) m_watcher->SetFolders(nullptr);
}

void TShellTreeView::ResumeChangeNotify() {
  if (m_watcher) m_watcher->SetFolders(&m_driveList);
}

bool TShellTreeView::CanClose() { return PruneDropTargets(m_pendingDropTargets); }

void TShellTreeView::ShellChangeNotify() {
  CanClose();
  if (m_dragState != dsWait) return;
  if (m_comboBox) {
    m_comboBox->BeginUpdate();
    m_comboBox->InitData();
    RefreshFolder();
    m_comboBox->SetNameSpace(GetNameSpace());
    m_comboBox->EndUpdate();
  } else {
    RefreshFolder();
  }
}

void TShellTreeView::DeviceChange(const std::string& caption, DWORD event, LPCITEMIDLIST itemIDList, WORD kind) {
  InvokeDeviceChangeDelay(m_watcher, caption, event, itemIDList, kind);
}

void TShellTreeView::ShellDelay(std::unique_ptr<fw::Object> data) {
  auto* change = dynamic_cast<TDeviceChangeData*>(data.get());
  if (!change) return;
  if (change->Kind == kDeviceChangeMedia) {
    fw::TreeNode* node = GetNodeFromItemID(change->ItemIDList.get());
    if (!IsCorrectNode(node) || node == RootNode()) return;
    TShellFolderItem* item = FolderItemOfNode(node);
    item->ResetImageIndexes();
    item->SetCaption(change->Caption);
    node->SetText(change->Caption);
    node->SetImageIndex(-1);
    if (m_comboBox) {
      if (TShellComboItem* entry = m_comboBox->GetComboItem(m_comboBox->InsertItem(change->ItemIDList.get()))) {
        entry->ResetImageIndexes();
        entry->SetCaption(change->Caption);
      }
      m_comboBox->Invalidate();
    }
    if (change->Event == DBT_DEVICEREMOVECOMPLETE) {
      // Move away first: the selection may be inside the drive.
      if (fw::TreeNode* parent = node->Parent()) SelectNode(parent);
      node->Collapse(false);
      node->DeleteChildren();
      node->SetHasChildren(true);
    }
  } else if (change->Kind == kDeviceChangeNetwork) {
    if (change->Event == DBT_DEVICEARRIVAL) {
      RefreshFolder();
      if (m_comboBox) {
        m_comboBox->InitData();
        m_comboBox->SetNameSpace(GetNameSpace());
      }
    } else {
      if (m_comboBox) m_comboBox->InitData();
      SelectNode(RootNode());
      RefreshFolder();
    }
  }
}
