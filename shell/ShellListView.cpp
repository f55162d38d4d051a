// TShellListView: the folder shown, opening items, rows on demand, selection
// size, sorting, renaming, commands and the context menu.
#include "shell/ShellListView.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/ui/WaitCursor.h"
#include "framework/ui/Application.h"
#include "framework/ui/ImageList.h"
#include "shell/ShellDragDrop.h"
#include "shell/ShellPopupMenu.h"
#include "shell/Shellcst.h"

namespace {

// Whether a path still names what it named before a command: a file, or a
// directory when it was one.
bool StillExists(const std::string& path, bool wasFile) {
  if (path.empty()) return true;
  DWORD a = ::GetFileAttributesA(path.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return false;
  return wasFile ? !(a & FILE_ATTRIBUTE_DIRECTORY) : (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsExistingFile(const std::string& path) {
  if (path.empty()) return false;
  DWORD a = ::GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

using fw::WaitCursor;

// The upper-case form of a text by the code page's rules (double-byte
// characters are left as they are).
std::string Upper(std::string text) {
  if (!text.empty()) ::CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

// Whether needle occurs in hay starting at a whole character: a plain byte
// search would find "\" inside "ソ" (0x83 0x5C).
bool ContainsWhole(const std::string& hay, const std::string& needle) {
  if (needle.empty()) return true;
  for (const char* p = hay.c_str(); *p; p = ::CharNextA(p))
    if (hay.compare(static_cast<std::size_t>(p - hay.c_str()), needle.size(), needle) == 0) return true;
  return false;
}

// Runs the resume half of a suspend/resume pair however the scope ends.
class NotifySuspension {
 public:
  explicit NotifySuspension(TShellListView* view) : m_view(view) { m_view->SuspendChangeNotify(); }
  ~NotifySuspension() { m_view->ResumeChangeNotify(); }
  NotifySuspension(const NotifySuspension&) = delete;
  NotifySuspension& operator=(const NotifySuspension&) = delete;

 private:
  TShellListView* m_view;
};

}  // namespace

std::string AttributeLetters(DWORD attributes) {
  std::string s;
  if (attributes & FILE_ATTRIBUTE_READONLY) s += 'R';
  if (attributes & FILE_ATTRIBUTE_HIDDEN) s += 'H';
  if (attributes & FILE_ATTRIBUTE_SYSTEM) s += 'S';
  if (attributes & FILE_ATTRIBUTE_ARCHIVE) s += 'A';
  return s;
}

TShellListView::TShellListView(fw::Component* owner) : fw::ListView(owner) {
  SetOwnerData(true);
  SetMultiSelect(true);
  m_wantReturns = true;  // Enter opens the focused item
  m_attributesImage = std::make_unique<TAttributesImage>();
  m_fileList = std::make_unique<TShellFileList>(this);
  m_dropRegistration = std::make_unique<TShellDropRegistration>(static_cast<IShellDropClient*>(this));
  int width = Width() / kHeaderCaptionCount;
  for (int i = 0; i < kHeaderCaptionCount; ++i) {
    bool right = i == hcSize || i == hcAttr;
    AddColumn(HeaderCaptionText(static_cast<THeaderCaption>(i)), width,
              right ? fw::TAlignment::taRightJustify : fw::TAlignment::taLeftJustify);
  }
  ShellCtrlList().Add(this);
  m_registered = true;
}

TShellListView::~TShellListView() {
  if (m_registered) ShellCtrlList().Remove(this);
  DestroyHandle();
  m_fileList.reset();
}

void TShellListView::BeforeDestruction() { fw::ListView::BeforeDestruction(); }

// ---------------------------------------------------------------------------
// Window

void TShellListView::ApplySystemImageLists() {
  if (!m_handle) return;
  // The system's lists are shared: the control has LVS_SHAREIMAGELISTS and
  // never destroys them.
  ::SendMessageA(m_handle, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(GetSystemImageList(false)));
  ::SendMessageA(m_handle, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(GetSystemImageList(true)));
}

void TShellListView::CreateWnd() {
  fw::ListView::CreateWnd();
  m_windowGone = false;
  ApplySystemImageLists();
  // The rows' drop highlight is the control's own state: an owner-data list
  // view keeps only selection and focus itself and asks for the rest.
  UINT mask = static_cast<UINT>(::SendMessageA(m_handle, LVM_GETCALLBACKMASK, 0, 0));
  ::SendMessageA(m_handle, LVM_SETCALLBACKMASK, mask | LVIS_DROPHILITED, 0);
  m_dropHighlight = -1;
  m_dropRegistration->Register(m_handle);
  m_inClipboardChain = true;
  m_nextClipboardViewer = ::SetClipboardViewer(m_handle);
  if (m_fileList->GetRootItemID()) {
    // Re-created window: show the same folder again.
    UniqueIDList again = UniqueIDList::CopyOf(m_fileList->GetRootItemID());
    m_fileList->InitData(again.get());
    UpdateCurrentDirectory();
  } else if (m_pendingNameSpace) {
    UniqueIDList first = std::move(m_pendingNameSpace);
    SetNameSpace(first.get());
  } else {
    UniqueIDList desktop;
    if (GetSpecialFolderID(sfidDeskTop, desktop)) SetNameSpace(desktop.get());
  }
}

void TShellListView::DestroyWnd() {
  m_windowGone = true;
  fw::ListView::DestroyWnd();
}

void TShellListView::Notification(fw::Component* component, fw::Operation operation) {
  fw::ListView::Notification(component, operation);
  if (operation != fw::Operation::opRemove) return;
  if (component == m_shellPopupMenu) m_shellPopupMenu = nullptr;
  if (m_treeLink && m_treeComponent == component) {
    m_treeLink = nullptr;
    m_treeComponent = nullptr;
  }
  if (m_attributesImage && static_cast<fw::Component*>(m_attributesImage->ImageList) == component)
    m_attributesImage->ImageList = nullptr;
}

LRESULT TShellListView::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
      POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      bool onRow = GetItemIndexAt(pt.x, pt.y) >= 0;
      m_dragState = onRow ? (msg == WM_LBUTTONDOWN ? dsWaitDragging : dsRWaitDragging) : dsWait;
      m_dragStart = pt;
      LRESULT r = fw::ListView::WndProc(msg, wp, lp);
      // The control may have waited out the click itself and swallowed the
      // button-up: no drag can follow once the button is up again.
      if (msg == WM_LBUTTONDOWN && m_dragState == dsWaitDragging && !PhysicalButtonDown(false)) m_dragState = dsWait;
      return r;
    }
    case WM_MOUSEMOVE:
      if (m_dragState == dsWaitDragging || m_dragState == dsRWaitDragging)
        DragMouseMove(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
      break;
    case WM_LBUTTONUP:
      m_dragState = dsWait;
      break;
    case WM_CONTEXTMENU: {
      if (reinterpret_cast<HWND>(wp) != m_handle) break;
      POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      POINT client = pt;
      if (pt.x == -1 && pt.y == -1)
        client = POINT{4, 4};
      else
        ::ScreenToClient(m_handle, &client);
      bool handled = false;
      if (OnContextPopup) OnContextPopup(this, client, handled);
      DoContextPopup(client, handled);
      if (!handled && GetPopupMenu()) {
        POINT screen = client;
        ::ClientToScreen(m_handle, &screen);
        GetPopupMenu()->SetPopupComponent(this);
        GetPopupMenu()->Popup(screen.x, screen.y);
      }
      return 0;
    }
    case WM_DESTROY:
      m_windowGone = true;
      m_dropRegistration->Revoke();
      if (m_inClipboardChain) {
        ::ChangeClipboardChain(m_handle, m_nextClipboardViewer);
        m_inClipboardChain = false;
        m_nextClipboardViewer = nullptr;
      }
      break;
    case WM_DRAWCLIPBOARD:
      DrawClipboard();
      if (m_nextClipboardViewer) ::SendMessageA(m_nextClipboardViewer, msg, wp, lp);
      return 0;
    case WM_CHANGECBCHAIN:
      if (reinterpret_cast<HWND>(wp) == m_nextClipboardViewer)
        m_nextClipboardViewer = reinterpret_cast<HWND>(lp);
      else if (m_nextClipboardViewer)
        ::SendMessageA(m_nextClipboardViewer, msg, wp, lp);
      return 0;
    case WM_SETTINGCHANGE: {
      LRESULT r = fw::ListView::WndProc(msg, wp, lp);
      // Re-create later, outside the broadcast: the system image lists and
      // metrics are taken again and the folder is shown again.
      ::PostMessageA(m_handle, kRecreateMessage, 0, 0);
      return r;
    }
    case kRecreateMessage:
      RecreateWnd();
      return 0;
    case WM_SHOWWINDOW:
      if (wp) DoShSelChange(m_selectedSize);
      break;
    default:
      break;
  }
  return fw::ListView::WndProc(msg, wp, lp);
}

void TShellListView::DrawClipboard() {
  fw::ComPtr<IDataObject> clip;
  bool contented = false;
  if (SUCCEEDED(::OleGetClipboard(clip.Put())) && clip) {
    FORMATETC format = IDLISTFormat();
    contented = clip->QueryGetData(&format) == S_OK;
  }
  DoShClipboard(contented);
}

// ---------------------------------------------------------------------------
// The folder shown

void TShellListView::UpdateCurrentDirectory() {
  std::string path = m_fileList->GetPath();
  if (path.empty()) return;
  if (m_fileList->GetLevel() == 0 || m_fileList->HasShAttributesOf(iaFileSystem)) ::SetCurrentDirectoryA(path.c_str());
}

void TShellListView::SetNameSpace(LPCITEMIDLIST list) {
  if (!list) return;
  if (!HandleAllocated()) {
    // The owner may point the list at its first folder before the window
    // exists (a form's start-up runs before its controls have windows): the
    // folder is shown when the window is created, instead of the desktop.
    m_pendingNameSpace = UniqueIDList::CopyOf(list);
    return;
  }
  LPCITEMIDLIST current = m_fileList->GetRootItemID();
  if (current && GetItemIDLevel(list) == m_fileList->GetLevel()) {
    fw::ComPtr<IShellFolder> desktop;
    if (DesktopFolder(desktop) && CompareIDList(desktop.Get(), list, current) == cvEqual) return;
  }
  m_fileList->InitData(list);
  UpdateCurrentDirectory();
}

void TShellListView::SetPath(const std::string& path) {
  DWORD a = ::GetFileAttributesA(path.c_str());
  if (path.empty() || a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY)) return;
  UniqueIDList list;
  if (GetIDListFromPath(path, list)) SetNameSpace(list.get());
}

void TShellListView::RefreshFiles() {
  m_fileList->Refresh();
  SetItemCount(m_fileList->Count());
  InvalidateFetchCache();
  Invalidate();
}

void TShellListView::Sort(THeaderCaption column, bool ascending) {
  m_fileList->SetSortDirection(column, ascending ? 1 : -1);
  m_fileList->SortFileItem(column);
}

void TShellListView::SetViewStyle(fw::TViewStyle style) {
  fw::TViewStyle old = ViewStyle();
  if (style == old) return;
  if (!HandleAllocated()) {
    fw::ListView::SetViewStyle(style);
    return;
  }
  BeginUpdate();
  if (ItemCount() > 0 && (old == fw::TViewStyle::vsList || style == fw::TViewStyle::vsList))
    ::SendMessageA(m_handle, LVM_ENSUREVISIBLE, 0, FALSE);
  fw::ListView::SetViewStyle(style);
  EndUpdate();
}

void TShellListView::SetIncludeHidden(bool value) {
  m_includeHidden = value;
  if (m_treeLink) m_treeLink->SetIncludeHidden(value);
  if (HandleAllocated()) RefreshFiles();
}

void TShellListView::SetShVirtuaItems(TShVirtuaItems value) {
  m_shVirtuaItems = value;
  if (m_treeLink) m_treeLink->SetShVirtuaItems(value);
  if (HandleAllocated()) RefreshFiles();
}

void TShellListView::SetAttributesImage(const TAttributesImage& value) {
  m_attributesImage->Assign(value);
  if (value.ImageList) FreeNotification(value.ImageList);
  Invalidate();
}

void TShellListView::SetShellPopupMenu(TShellPopupMenu* menu) {
  m_shellPopupMenu = menu;
  if (!menu) return;
  FreeNotification(menu);
  // The list view shows the menu itself, for rows only.
  menu->SetAutoPopup(false);
}

void TShellListView::SetShellTreeLink(TShellTreeLink* tree) {
  m_treeLink = tree;
  // Kept apart from the link: when the tree goes, its own part may already
  // be gone and must not be asked anything.
  m_treeComponent = tree ? tree->LinkComponent() : nullptr;
  if (m_treeComponent) FreeNotification(m_treeComponent);
}

void TShellListView::DeviceChange(const std::string&, DWORD, LPCITEMIDLIST, WORD) {}

// ---------------------------------------------------------------------------
// Hooks and events

bool TShellListView::CanExecute(TShellFileItem* item, fw::TShiftState shift, int subItem, int x, int y) {
  bool defaultAction = true;
  if (OnShExecute) OnShExecute(this, item, shift, subItem, x, y, defaultAction);
  return defaultAction;
}

void TShellListView::DoShClipboard(bool contented) {
  if (OnShClipboard) OnShClipboard(this, contented);
}

void TShellListView::DoShSelChange(DWORD selSize) {
  if (m_updateLock == 0 && OnShSelChange) OnShSelChange(this, selSize);
}

void TShellListView::DoListChange() {
  if (OnShListChange) OnShListChange(this, m_fileList.get());
}

bool TShellListView::DoFilter(TShellFileItem* item) {
  bool accept = true;
  if (OnShFilter) OnShFilter(this, item, accept);
  return accept;
}

void TShellListView::BeginUpDate() { ++m_updateLock; }

void TShellListView::EndUpDate() {
  if (m_updateLock > 0 && --m_updateLock == 0) DoShSelChange(m_selectedSize);
}

// ---------------------------------------------------------------------------
// Opening

void TShellListView::ItemActivate(int index, int subItem, POINT pt, fw::TShiftState shift) {
  fw::ListView::ItemActivate(index, subItem, pt, shift);
  DoItemActivate(index, subItem, pt, shift);
}

void TShellListView::DoItemActivate(int index, int subItem, POINT pt, fw::TShiftState shift) {
  // Enter may report no row (Wine sends a bare header whose row field is
  // whatever lies there): the focused row is the one the user means.
  if (index < 0 || index >= m_fileList->Count()) index = ItemFocused();
  TShellFileItem* item = GetFileItem(index);
  if (!item) return;
  if (item->HasShAttributesOf(iaFolder)) {
    // A copy: showing the folder frees the row.
    UniqueIDList target = UniqueIDList::CopyOf(item->GetRootItemID());
    SetNameSpace(target.get());
    if (m_treeLink) m_treeLink->SetNameSpace(target.get());
    return;
  }
  if (!CanExecute(item, shift, subItem, pt.x, pt.y)) return;
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_INVOKEIDLIST;
  info.hwnd = m_handle;
  info.nShow = SW_SHOWNORMAL;
  info.lpIDList = const_cast<LPITEMIDLIST>(item->GetRootItemID());
  ShellExecuteItem(info);
}

bool TShellListView::ShellExecuteItem(SHELLEXECUTEINFOA& info) { return ::ShellExecuteExA(&info) != FALSE; }

// ---------------------------------------------------------------------------
// Rows on demand

void TShellListView::OwnerDataFetch(fw::ListItem* row, fw::TItemRequest request) {
  if (m_windowGone) return;
  TShellFileItem* item = GetFileItem(row->Index());
  if (!item) return;
  using R = fw::TItemRequestItem;
  if (request.Contains(R::irImage))
    row->SetImageIndex(m_servingDisplay ? item->GetImageIndex() : item->CachedImageIndex());
  if (request.Contains(R::irText)) {
    row->SetCaption(item->GetCaption());
    if (ViewStyle() == fw::TViewStyle::vsReport) {
      std::vector<std::string> sub{item->GetSizeText(), m_servingDisplay ? item->GetTypeName() : item->CachedTypeName(),
                                   item->GetLastWrite()};
      if (!m_attributesImage->ImageList) sub.push_back(AttributeLetters(item->GetAttributes()));
      row->SetSubItems(sub);
    }
  }
  if (request.Contains(R::irParam)) row->SetData(item);
  if (request.Contains(R::irState)) {
    int overlay = item->GetOverlayIconIndex();
    if (overlay) row->SetOverlayIndex((overlay >> 8) - 1);
  }
  fw::ListView::OwnerDataFetch(row, request);
}

void TShellListView::OwnerDataHint(int startIndex, int endIndex) {
  if (m_windowGone) return;
  for (int i = std::max(startIndex, 0); i <= endIndex && i < m_fileList->Count(); ++i) {
    TShellFileItem* item = GetFileItem(i);
    item->GetImageIndex();
    item->GetCaption();
  }
  fw::ListView::OwnerDataHint(startIndex, endIndex);
}

int TShellListView::OwnerDataFind(fw::TItemFind find, const std::string& findString, POINT findPosition, void* findData,
                                  int startIndex, fw::TSearchDirection direction, bool wrap) {
  int found = fw::ListView::OwnerDataFind(find, findString, findPosition, findData, startIndex, direction, wrap);
  if (found >= 0) return found;
  const int n = m_fileList->Count();
  if (n == 0) return -1;
  if (find == fw::TItemFind::ifData) {
    for (int i = 0; i < n; ++i)
      if (GetFileItem(i) == findData) return i;
    return -1;
  }
  if (find != fw::TItemFind::ifPartialString && find != fw::TItemFind::ifExactString) return -1;
  const std::string wanted = Upper(findString);
  int start = startIndex < 0 || startIndex >= n ? 0 : startIndex;
  int i = start;
  do {
    std::string caption = Upper(GetFileItem(i)->GetCaption());
    bool match = find == fw::TItemFind::ifPartialString ? ContainsWhole(caption, wanted)
                                                        : caption.compare(0, wanted.size(), wanted) == 0;
    if (match) return i;
    if (++i >= n) {
      if (!wrap) return -1;
      i = 0;
    }
  } while (i != start);
  return -1;
}

// ---------------------------------------------------------------------------
// Selection size

void TShellListView::RecomputeSelectedSize() {
  DWORD sum = 0;
  for (int i : m_fileList->SelectedRows())
    if (TShellFileItem* item = GetFileItem(i)) sum += item->GetSize();
  m_selectedSize = sum;
}

bool TShellListView::CNNotify(NMHDR* header, LRESULT& result) {
  if (header->code != LVN_GETDISPINFOA && header->code != LVN_GETDISPINFOW)
    return fw::ListView::CNNotify(header, result);
  struct Serving {
    bool& flag;
    explicit Serving(bool& f) : flag(f) { flag = true; }
    ~Serving() { flag = false; }
  } serving(m_servingDisplay);
  bool handled = fw::ListView::CNNotify(header, result);
  LVITEMA& it = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
  if ((it.mask & LVIF_STATE) && it.iSubItem == 0 && it.iItem >= 0 && it.iItem == m_dropHighlight) {
    it.state |= LVIS_DROPHILITED;
    it.stateMask |= LVIS_DROPHILITED;
  }
  return handled;
}

void TShellListView::ItemChanged(NMLISTVIEW* nm) {
  fw::ListView::ItemChanged(nm);
  // The change events may have fetched the row without its icon: the next
  // paint must fetch it again.
  InvalidateFetchCache();
  if (!(nm->uChanged & LVIF_STATE) || !((nm->uOldState ^ nm->uNewState) & LVIS_SELECTED)) return;
  if (nm->iItem < 0) {
    // All rows at once.
    m_selectedSize = 0;
    if (SelCount() > 0)
      for (int i = 0; i < m_fileList->Count(); ++i) m_selectedSize += GetFileItem(i)->GetSize();
  } else if (TShellFileItem* item = GetFileItem(nm->iItem)) {
    if (nm->uOldState & LVIS_SELECTED) m_selectedSize -= item->GetSize();
    if (nm->uNewState & LVIS_SELECTED) m_selectedSize += item->GetSize();
  }
  DoShSelChange(m_selectedSize);
}

void TShellListView::OwnerDataStateChange(int startIndex, int endIndex, fw::TItemStates oldState,
                                          fw::TItemStates newState) {
  fw::ListView::OwnerDataStateChange(startIndex, endIndex, oldState, newState);
  if (newState.Contains(fw::TItemStateItem::isSelected) && !oldState.Contains(fw::TItemStateItem::isSelected) &&
      SelCount() == endIndex - startIndex + 1) {
    // A range became the whole selection (shift-click): its sum.
    DWORD sum = 0;
    for (int i = std::max(startIndex, 0); i <= endIndex; ++i)
      if (TShellFileItem* item = GetFileItem(i)) sum += item->GetSize();
    m_selectedSize = sum;
  } else {
    // Any other range change: count what is selected now rather than guess.
    RecomputeSelectedSize();
  }
  DoShSelChange(m_selectedSize);
}

// ---------------------------------------------------------------------------
// Sorting by column, renaming

void TShellListView::ColClick(fw::ListColumn* column) {
  fw::ListView::ColClick(column);
  int index = column ? column->Index() : -1;
  if (index < 0 || index >= kHeaderCaptionCount) return;
  auto caption = static_cast<THeaderCaption>(index);
  BeginUpdate();
  WaitCursor wait;
  m_fileList->SetSortDirection(caption, -m_fileList->GetSortDirection(caption));
  m_fileList->SortFileItem(caption);
  EndUpdate();
}

bool TShellListView::CanEdit(fw::ListItem* row) {
  TShellFileItem* item = row ? GetFileItem(row->Index()) : nullptr;
  if (!item || !item->HasShAttributesOf(iaCanRename)) return false;
  return fw::ListView::CanEdit(row);
}

void TShellListView::Edit(fw::ListItem* row, std::string& text) {
  fw::ListView::Edit(row, text);
  int index = row ? row->Index() : -1;
  TShellFileItem* item = GetFileItem(index);
  if (!item) return;
  {
    // Our own rename must not come back as a change to re-read.
    NotifySuspension quiet(this);
    item->Rename(text);
  }
  InvalidateFetchCache();
  UpdateItems(index, index);
}

// ---------------------------------------------------------------------------
// Commands and the context menu

bool TShellListView::InvokeCommand(TShInvokeCommand command) {
  NotifySuspension quiet(this);
  if (command == icPaste) {
    if (m_fileList->GetLevel() >= 1) {
      TShellIDList& target = m_fileList->m_selection;
      target.Clear();
      target.SetParentItemID(m_fileList->GetParentItemID());
      target.Add(m_fileList->GetPartItemID());
      return target.InvokeCommand(ShellMainFormWindow(), icPaste);
    }
    UniqueIDList dir;
    if (!GetSpecialFolderID(sfidDeskTopFolder, dir)) return false;
    TShellIDList2 target;
    UniqueIDList parent(GetParentItemIDRoot(dir.get()));
    if (!parent) GetSpecialFolderID(sfidDeskTop, parent);  // the directory lies right on the desktop
    target.SetParentItemID(std::move(parent));
    target.Add(UniqueIDList(GetLastItemID(dir.get())));
    return target.InvokeCommand(ShellMainFormWindow(), icPaste);
  }
  TShellIDList& selection = m_fileList->GetSelItemIDs();
  if (selection.Count() == 0) return false;
  std::string firstPath = selection.GetPath(0);
  bool wasFile = IsExistingFile(firstPath);
  bool done = selection.InvokeCommand(ShellMainFormWindow(), command);
  if (done && command == icLink && !GetPath().empty()) RefreshFiles();
  if (done && command == icDelete && !StillExists(firstPath, wasFile)) m_fileList->DeleteSelItem();
  return done;
}

void TShellListView::DoContextPopup(POINT clientPt, bool& handled) {
  if (handled || m_dragState != dsRWaitDragging || !m_shellPopupMenu) {
    m_dragState = dsWait;
    return;
  }
  POINT screen = clientPt;
  if (m_handle) ::ClientToScreen(m_handle, &screen);
  {
    NotifySuspension quiet(this);
    TShellIDList& selection = m_fileList->GetSelItemIDs();
    fw::ComPtr<IShellFolder> folder;
    if (selection.Count() > 0 && m_fileList->GetShellFolder(folder)) {
      std::string firstPath = selection.GetPath(0);
      bool wasFile = IsExistingFile(firstPath);
      m_shellPopupMenu->SetPopupComponent(this);
      int code = m_shellPopupMenu->DoContextMenu(selection, screen);
      switch (code) {
        case 17:  // create shortcut: the new file shows up
          if (!GetPath().empty()) RefreshFiles();
          break;
        case 18:  // deleted
          if (!StillExists(firstPath, wasFile)) m_fileList->DeleteSelItem();
          if (m_treeLink) m_treeLink->RefreshFolder();
          break;
        case 19:  // rename: in place
          if (int row = ItemIndex(); row >= 0 && m_handle) {
            ::SetFocus(m_handle);
            ::SendMessageA(m_handle, LVM_EDITLABELA, static_cast<WPARAM>(row), 0);
          }
          break;
        default:
          break;
      }
    }
  }
  handled = true;
  m_dragState = dsWait;
}

bool TShellListView::CanClose() { return PruneDropTargets(m_pendingDropTargets); }
