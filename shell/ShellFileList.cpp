// TShellFileList: enumeration, filtering, sorting and change watching of the
// rows of one folder.
#include "shell/ShellFileList.h"

#include <algorithm>
#include <utility>

#include "framework/ui/WaitCursor.h"
#include "framework/base/Exception.h"
#include "framework/ui/Application.h"
#include "shell/ShellListView.h"
#include "shell/Shellcst.h"
#include "shell/Shellnotify.h"
#include "shell/Shellutils.h"

namespace {

bool DirectoryExists(const std::string& path) {
  DWORD a = ::GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

using fw::WaitCursor;

}  // namespace

TShellFileList::TShellFileList(TShellListView* listView, bool withWatchers) : m_listView(listView) {
  m_items.reserve(1000);
  if (!withWatchers) return;
  auto onChange = [this](fw::Object* sender, const std::string& path) { ShellChangeNotify(sender, path); };
  auto onEnd = [this](fw::Object* sender) { NotifyThreadTerminate(sender); };
  m_nameWatcher = new TShFilesWatcher(std::string(), onChange, kNameFilter);
  m_nameWatcher->OnTerminate = onEnd;
  m_attributeWatcher = new TShFilesWatcher(std::string(), onChange, kAttributeFilter);
  m_attributeWatcher->OnTerminate = onEnd;
}

TShellFileList::~TShellFileList() {
  // The watchers free themselves once stopped; from here on they must find
  // nobody to call.
  for (TShFilesWatcher** w : {&m_nameWatcher, &m_attributeWatcher}) {
    if (*w) {
      (*w)->OnTerminate = nullptr;
      (*w)->Stop();
      *w = nullptr;
    }
  }
  m_selection.Clear();
  m_items.clear();
}

TShellFileItem* TShellFileList::GetFileItem(int index) const noexcept {
  if (index < 0 || index >= Count()) return nullptr;
  return m_items[static_cast<std::size_t>(index)].get();
}

int TShellFileList::IndexOf(const TShellFileItem* item) const noexcept {
  for (std::size_t i = 0; i < m_items.size(); ++i)
    if (m_items[i].get() == item) return static_cast<int>(i);
  return -1;
}

fw::ComPtr<IShellFolder> TShellFileList::Wrap(fw::ComPtr<IShellFolder> folder) {
  if (folder && m_folderWrapper) return m_folderWrapper(std::move(folder));
  return folder;
}

void TShellFileList::ForgetFolder() noexcept {
  m_folder.Reset();
  m_folderHasShellIcon = -1;
  m_pathKnown = false;
  m_path.clear();
}

const std::string& TShellFileList::CachedPath() {
  if (!m_pathKnown) {
    m_path = ComputePath();
    m_pathKnown = true;
  }
  return m_path;
}

bool TShellFileList::GetShellFolder(fw::ComPtr<IShellFolder>& folder) {
  if (!m_folder && m_rootItemID) {
    fw::ComPtr<IShellFolder> bound;
    if (m_level == 0)
      DesktopFolder(bound);
    else if (m_level > 0)
      BindFromDesktop(m_rootItemID.get(), bound);
    m_folder = Wrap(std::move(bound));
  }
  folder = m_folder;
  return static_cast<bool>(folder);
}

bool TShellFileList::FolderHasShellIcon() {
  if (m_folderHasShellIcon < 0) {
    fw::ComPtr<IShellFolder> folder;
    m_folderHasShellIcon = GetShellFolder(folder) && folder.As<IShellIcon>() ? 1 : 0;
  }
  return m_folderHasShellIcon == 1;
}

bool TShellFileList::GetParentFolder(fw::ComPtr<IShellFolder>& folder) {
  if (m_level == 0 || m_level == 1) return DesktopFolder(folder);
  return BindFromDesktop(GetParentItemID(), folder);
}

LPCITEMIDLIST TShellFileList::GetParentItemID() {
  if (!m_parentItemID && m_rootItemID) {
    if (m_level == 1)
      GetSpecialFolderID(sfidDeskTop, m_parentItemID);
    else
      m_parentItemID.reset(GetParentItemIDRoot(m_rootItemID.get()));
  }
  return m_parentItemID.get();
}

LPCITEMIDLIST TShellFileList::GetPartItemID() {
  if (!m_partItemID && m_rootItemID) m_partItemID.reset(GetLastItemID(m_rootItemID.get()));
  return m_partItemID.get();
}

bool TShellFileList::HasShAttributesOf(TShItemAttribute attribute) {
  ULONG mask = ShItemAttributeMask(attribute);
  fw::ComPtr<IShellFolder> folder;
  if (mask == 0 || !m_rootItemID || !GetParentFolder(folder)) return false;
  LPCITEMIDLIST id = m_level >= 2 ? GetPartItemID() : m_rootItemID.get();
  if (!id) return false;
  ULONG returned = mask;
  if (FAILED(folder->GetAttributesOf(1, &id, &returned))) return false;
  return (returned & mask) == mask;
}

TShItemIDType TShellFileList::GetItemIDType() {
  if (!m_rootItemID) return itUnknown;
  return ClassifyItemID(m_level, m_rootItemID.get(), m_level == 2 ? GetParentItemID() : nullptr,
                        [this](TShItemAttribute a) { return HasShAttributesOf(a); });
}

std::string TShellFileList::GetPath() { return CachedPath(); }

std::string TShellFileList::ComputePath() {
  std::string path;
  if (!m_rootItemID) return path;
  if (m_level == 0) {
    UniqueIDList desktopDir;
    if (GetSpecialFolderID(sfidDeskTopFolder, desktopDir)) GetPathFromItemIDList(desktopDir.get(), path);
    return path;
  }
  GetPathFromItemIDList(m_rootItemID.get(), path);
  return path;
}

bool TShellFileList::GetDropTarget(fw::ComPtr<IDropTarget>& target) {
  target.Reset();
  if (!m_rootItemID) return false;
  fw::ComPtr<IShellFolder> parent;
  if (m_level == 0) {
    // The desktop's own drop target is the desktop directory's; its list may
    // be several items deep, so ask the directory's parent for its last item.
    UniqueIDList dir;
    if (!GetSpecialFolderID(sfidDeskTopFolder, dir)) return false;
    UniqueIDList parentList(GetParentItemIDRoot(dir.get()));
    UniqueIDList last(GetLastItemID(dir.get()));
    bool bound = parentList ? BindFromDesktop(parentList.get(), parent) : DesktopFolder(parent);
    LPCITEMIDLIST id = last.get();
    if (!bound || !id) return false;
    if (FAILED(parent->GetUIObjectOf(ShellApplicationWindow(), 1, &id, IID_IDropTarget, nullptr, target.PutVoid())))
      target.Reset();
    return static_cast<bool>(target);
  }
  LPCITEMIDLIST id = GetPartItemID();
  if (!id || !GetParentFolder(parent)) return false;
  if (FAILED(parent->GetUIObjectOf(ShellMainFormWindow(), 1, &id, IID_IDropTarget, nullptr, target.PutVoid())))
    target.Reset();
  return static_cast<bool>(target);
}

namespace {
bool DiskSpace(const std::string& path, ULARGE_INTEGER* freeToCaller, ULARGE_INTEGER* total) {
  UINT old = ::SetErrorMode(SEM_FAILCRITICALERRORS);
  BOOL ok = ::GetDiskFreeSpaceExA(path.c_str(), freeToCaller, total, nullptr);
  ::SetErrorMode(old);
  return ok != FALSE;
}
}  // namespace

std::uint64_t TShellFileList::GetDiskFree() {
  if (!HasShAttributesOf(iaFileSystem)) return 0;
  ULARGE_INTEGER freeBytes{}, total{};
  return DiskSpace(GetPath(), &freeBytes, &total) ? freeBytes.QuadPart : 0;
}

std::uint64_t TShellFileList::GetDiskSize() {
  if (!HasShAttributesOf(iaFileSystem)) return 0;
  ULARGE_INTEGER freeBytes{}, total{};
  return DiskSpace(GetPath(), &freeBytes, &total) ? total.QuadPart : 0;
}

DWORD TShellFileList::GetTotalSize() {
  if (GetPath().empty()) return 0;
  if (!m_totalSizeKnown) {
    DWORD sum = 0;
    for (auto& item : m_items) sum += item->GetSize();
    m_totalSize = sum;
    m_totalSizeKnown = true;
  }
  return m_totalSize;
}

void TShellFileList::Clear() {
  m_recordsChanged = false;
  m_selection.Clear();
  m_items.clear();
  m_totalSize = 0;
  m_totalSizeKnown = false;
}

// ---------------------------------------------------------------------------
// Showing a folder and reading it

void TShellFileList::SaveColumns() {
  TShellListView* lv = m_listView;
  int count = lv->ColumnCount();
  if (count <= 1) return;
  m_columnOrder.assign(static_cast<std::size_t>(count), 0);
  m_columnWidths.assign(static_cast<std::size_t>(count), 0);
  if (lv->HandleAllocated())
    ::SendMessageA(lv->Handle(), LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(count),
                   reinterpret_cast<LPARAM>(m_columnOrder.data()));
  for (int i = 0; i < count; ++i) {
    if (!lv->HandleAllocated()) m_columnOrder[static_cast<std::size_t>(i)] = i;
    m_columnWidths[static_cast<std::size_t>(i)] = lv->ColumnWidth(i);
  }
}

int TShellFileList::FileColumnWidth(int i) const {
  const TShellListView* lv = m_listView;
  if (i < 0) return -1;
  if (lv->ColumnCount() > 1) return i < lv->ColumnCount() ? lv->ColumnWidth(i) : -1;
  return i < static_cast<int>(m_columnWidths.size()) ? m_columnWidths[static_cast<std::size_t>(i)] : -1;
}

void TShellFileList::RestoreColumns() {
  TShellListView* lv = m_listView;
  if (m_columnWidths.empty()) {
    // Never saved (the first folder had no path): the default layout.
    int width = lv->ClientWidth() / kHeaderCaptionCount;
    m_columnWidths.assign(kHeaderCaptionCount, width);
    m_columnOrder.clear();
    for (int i = 0; i < kHeaderCaptionCount; ++i) m_columnOrder.push_back(i);
  }
  lv->ClearColumns();
  int count = std::min(static_cast<int>(m_columnWidths.size()), kHeaderCaptionCount);
  for (int i = 0; i < count; ++i) {
    bool right = i == hcSize || i == hcAttr;
    lv->AddColumn(HeaderCaptionText(static_cast<THeaderCaption>(i)), m_columnWidths[static_cast<std::size_t>(i)],
                  right ? fw::TAlignment::taRightJustify : fw::TAlignment::taLeftJustify);
  }
  if (lv->HandleAllocated() && static_cast<int>(m_columnOrder.size()) == count)
    ::SendMessageA(lv->Handle(), LVM_SETCOLUMNORDERARRAY, static_cast<WPARAM>(count),
                   reinterpret_cast<LPARAM>(m_columnOrder.data()));
}

void TShellFileList::InitData(LPCITEMIDLIST rootItemID) {
  TShellListView* lv = m_listView;
  if (!lv->HandleAllocated() || lv->WindowGone()) return;
  SaveColumns();
  // Copy first: the caller may pass a list this list owns.
  UniqueIDList root = UniqueIDList::CopyOf(rootItemID);
  m_parentItemID.reset();
  m_partItemID.reset();
  m_rootItemID = std::move(root);
  m_level = GetItemIDLevel(m_rootItemID.get());
  ForgetFolder();

  lv->BeginUpdate();
  int count = Refresh();
  lv->SetItemCount(count);
  if (count > 0) ::SendMessageA(lv->Handle(), LVM_ENSUREVISIBLE, 0, FALSE);
  lv->EndUpdate();

  if (GetPath().empty()) {
    lv->ClearColumns();
    lv->AddColumn(STR_HEADER_NAME, lv->Width() / 2);
  } else if (lv->ColumnCount() <= 1) {
    RestoreColumns();
  }
}

int TShellFileList::Refresh() {
  TShellListView* lv = m_listView;
  SuspendNotify();
  m_totalSize = 0;
  m_totalSizeKnown = false;
  lv->BeginUpdate();
  try {
    ForgetFolder();
    fw::ComPtr<IShellFolder> folder;
    bool bound = GetShellFolder(folder);
    // Rows always belong to the folder shown: when it cannot be bound (it
    // went away, or another folder is being shown), the old rows go too, or
    // their paths would be made from the wrong folder.
    if (bound || !m_items.empty()) {
      Clear();
      if (lv->ViewStyle() == fw::TViewStyle::vsList && lv->ItemCount() > 0 && lv->HandleAllocated())
        ::SendMessageA(lv->Handle(), LVM_ENSUREVISIBLE, 0, FALSE);
      lv->SetItemCount(0);
      lv->m_selectedSize = 0;
      if (bound && RetrieveItemID(folder.Get(), m_level) > 0) {
        lv->SetItemCount(Count());
        lv->SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
      }
    }
  } catch (...) {
    lv->DoListChange();
    lv->EndUpdate();
    ResumeNotify();
    throw;
  }
  lv->DoListChange();
  lv->EndUpdate();
  ResumeNotify();
  return Count();
}

int TShellFileList::RetrieveItemID(IShellFolder* folder, int level) {
  if (!folder) return 0;
  TShellListView* lv = m_listView;
  SHCONTF flags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;
  if (lv->GetIncludeHidden()) flags |= SHCONTF_INCLUDEHIDDEN;
  HWND owner = lv->HandleAllocated() ? lv->Handle() : nullptr;
  fw::ComPtr<IEnumIDList> enumerator;
  if (FAILED(folder->EnumObjects(owner, flags, enumerator.Put())) || !enumerator) return 0;

  WaitCursor wait;
  const TShVirtuaItems allowed = lv->GetShVirtuaItems();
  // The kind of the folder decides the level-1 filter; asked once.
  TShItemIDType folderKind = level == 1 ? GetItemIDType() : itUnknown;
  if (level == 1 && folderKind == itNetWork && !allowed.Contains(itNetWork)) return Count();
  fw::ComPtr<IShellFolder> shared = fw::ComPtr<IShellFolder>::Share(folder);

  for (;;) {
    UniqueIDList id;
    ULONG fetched = 0;
    if (enumerator->Next(1, id.put(), &fetched) != S_OK || fetched != 1) break;
    auto item = std::make_unique<TShellFileItem>(this, std::move(id), shared);
    bool listed = true;
    if (level == 0) {
      TShItemIDType kind = item->GetItemIDType();
      if (kind == itBitBucket)
        listed = allowed.Contains(itBitBucket);
      else if (kind == itNetWork)
        listed = allowed.Contains(itNetWork);
      else if (kind == itVirtual)
        listed = false;
    } else if (level == 1 && folderKind == itMyComputer) {
      if (item->GetItemIDType() == itVirtual) listed = allowed.Contains(itVirtual);
    }
    if (listed && lv->DoFilter(item.get())) m_items.push_back(std::move(item));
  }
  if (!(GetPath().empty() && m_sortColumn == hcAttr)) IDSort(m_sortColumn);
  return Count();
}

// ---------------------------------------------------------------------------
// Sorting

void TShellFileList::IDSort(THeaderCaption column) {
  fw::ComPtr<IShellFolder> folder;
  if (Count() <= 1 || !GetShellFolder(folder)) return;
  try {
    ShQuickSort(folder.Get(), m_sortDirections[column], column, Count() - 1, 0);
  } catch (...) {
    // A folder that throws leaves the rows as far as they got.
  }
}

void TShellFileList::ShQuickSort(IShellFolder* folder, int direction, THeaderCaption column, int high, int low) {
  auto compare = [folder, direction, column](const TShellFileItem* a, const TShellFileItem* b) -> int {
    HRESULT hr = folder->CompareIDs(static_cast<LPARAM>(column), a->GetItemID(), b->GetItemID());
    if (FAILED(hr)) return 0;
    return static_cast<short>(HRESULT_CODE(hr)) * direction;
  };
  while (low < high) {
    int i = low;
    int j = high;
    const TShellFileItem* pivot = m_items[static_cast<std::size_t>((low + high) / 2)].get();
    do {
      while (compare(m_items[static_cast<std::size_t>(i)].get(), pivot) < 0) ++i;
      while (compare(m_items[static_cast<std::size_t>(j)].get(), pivot) > 0) --j;
      if (i <= j) {
        std::swap(m_items[static_cast<std::size_t>(i)], m_items[static_cast<std::size_t>(j)]);
        ++i;
        --j;
      }
    } while (i <= j);
    // Recurse into the smaller part and loop on the larger, so the stack
    // stays shallow whatever the folder's order; the parts are disjoint, so
    // the result is the same as in any other order.
    if (j - low < high - i) {
      if (low < j) ShQuickSort(folder, direction, column, j, low);
      low = i;
    } else {
      if (i < high) ShQuickSort(folder, direction, column, high, i);
      high = j;
    }
  }
}

void TShellFileList::SortFileItem(THeaderCaption column) {
  if (column == hcAttr && GetPath().empty()) return;
  TShellListView* lv = m_listView;
  lv->BeginUpDate();
  lv->BeginUpdate();
  m_sortColumn = column;
  const TShellFileItem* focused = GetFileItem(lv->ItemFocused());
  // Only the smaller of the selected and unselected sets is remembered.
  std::vector<int> selected = SelectedRows();
  const int rows = Count();
  const int s = static_cast<int>(selected.size());
  const bool keepUnselected = rows - s < s;
  std::vector<const TShellFileItem*> remembered;
  try {
    if (keepUnselected) {
      remembered.reserve(static_cast<std::size_t>(rows - s));
      std::size_t k = 0;
      for (int i = 0; i < rows; ++i) {
        if (k < selected.size() && selected[k] == i) {
          ++k;
          continue;
        }
        remembered.push_back(GetFileItem(i));
      }
    } else {
      remembered.reserve(selected.size());
      for (int i : selected) remembered.push_back(GetFileItem(i));
      // Deselecting the few selected rows one by one is the same as
      // deselecting all of them, and far cheaper than a whole-list change.
      for (int i : selected) lv->SetItemState(i, 0, LVIS_SELECTED);
    }
    IDSort(column);
    std::sort(remembered.begin(), remembered.end());
    std::vector<int> newIndices;
    newIndices.reserve(remembered.size());
    if (!remembered.empty())
      for (int i = 0; i < rows; ++i)
        if (std::binary_search(remembered.begin(), remembered.end(), GetFileItem(i))) newIndices.push_back(i);
    if (keepUnselected) {
      lv->SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
      for (int i : newIndices) lv->SetItemState(i, 0, LVIS_SELECTED);
    } else {
      for (int i : newIndices) lv->SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
    }
    if (focused) {
      int f = IndexOf(focused);
      if (f >= 0) lv->SetItemState(f, LVIS_FOCUSED, LVIS_FOCUSED);
    }
  } catch (...) {
    lv->EndUpdate();
    lv->EndUpDate();
    throw;
  }
  lv->EndUpdate();
  lv->EndUpDate();
  lv->InvalidateFetchCache();
  lv->Invalidate();
}

// ---------------------------------------------------------------------------
// Dropping deleted rows, the selection

void TShellFileList::DeleteSelItem() {
  TShellListView* lv = m_listView;
  std::vector<int> selected = SelectedRows();
  if (selected.empty() || m_items.empty()) return;
  m_selection.Clear();
  for (int i : selected)
    if (i >= 0 && i < Count()) m_items[static_cast<std::size_t>(i)].reset();
  m_items.erase(std::remove(m_items.begin(), m_items.end(), nullptr), m_items.end());
  m_totalSize = 0;
  m_totalSizeKnown = false;
  // Only the rows that were selected need clearing; a whole-list change
  // costs time per row in the control.
  for (int i : selected) lv->SetItemState(i, 0, LVIS_SELECTED);
  lv->SetItemCount(Count());
  lv->m_selectedSize = 0;
  lv->InvalidateFetchCache();
  lv->Invalidate();
  lv->DoListChange();
}

std::vector<int> TShellFileList::SelectedRows() const {
  // Asking for the next selected row walks the rows in the control; with
  // nothing selected there is no need to walk 100,000 of them.
  if (!m_listView->HandleAllocated() || m_listView->SelCount() == 0) return {};
  return m_listView->SelectedIndices();
}

TShellIDList& TShellFileList::GetSelItemIDs() {
  m_selection.Clear();
  m_selection.SetParentItemID(m_rootItemID.get());
  for (int i : SelectedRows())
    if (TShellFileItem* item = GetFileItem(i)) m_selection.Add(item->GetItemID());
  return m_selection;
}

// ---------------------------------------------------------------------------
// Change watching

void TShellFileList::SuspendNotify() {
  if (m_nameWatcher) m_nameWatcher->SetPath(std::string());
  if (m_attributeWatcher) m_attributeWatcher->SetPath(std::string());
}

void TShellFileList::ResumeNotify() {
  if (!m_nameWatcher && !m_attributeWatcher) return;
  std::string path = GetPath();
  if (m_nameWatcher) m_nameWatcher->SetPath(path);
  if (m_attributeWatcher) m_attributeWatcher->SetPath(path);
}

void TShellFileList::ShellChangeNotify(fw::Object* watcher, const std::string& path) {
  try {
    TShellListView* lv = m_listView;
    if (lv->GetDragState() != dsWait || lv->WindowGone()) return;
    std::string watched = path.empty() ? GetPath() : path;
    if (!DirectoryExists(watched)) {
      // The folder shown went away: show the tree's folder, or nothing.
      lv->BeginUpdate();
      SuspendNotify();
      m_rootItemID.reset();
      m_parentItemID.reset();
      m_partItemID.reset();
      m_level = -1;
      ForgetFolder();
      Clear();
      lv->m_selectedSize = 0;
      lv->SetItemCount(0);
      if (TShellTreeLink* tree = lv->GetShellTreeLink())
        if (LPCITEMIDLIST other = tree->GetNameSpace()) InitData(other);
      lv->SetItemCount(Count());
      lv->EndUpdate();
      if (m_rootItemID) lv->UpdateCurrentDirectory();
      return;
    }
    if (watcher == m_nameWatcher) {
      Refresh();
    } else if (watcher == m_attributeWatcher) {
      m_recordsChanged = true;
      m_totalSize = 0;
      m_totalSizeKnown = false;
      // Only records that were read can be stale; the others are read from
      // the disk when first drawn.
      for (auto& item : m_items)
        if (item->RecordRead()) item->RefreshFindData();
      lv->InvalidateFetchCache();
      lv->Invalidate();
    }
  } catch (const std::exception& e) {
    fw::HandleException(e);
  }
}

void TShellFileList::NotifyThreadTerminate(fw::Object* watcher) {
  if (watcher == m_nameWatcher) m_nameWatcher = nullptr;
  if (watcher == m_attributeWatcher) m_attributeWatcher = nullptr;
}
