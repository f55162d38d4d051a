#include "framework/ui/ListView.h"

#include <algorithm>

#include "framework/ui/ImageList.h"
#include "framework/ui/WinUtil.h"

namespace fw {
namespace {
int ColumnFormat(TAlignment a) {
  switch (a) {
    case TAlignment::taRightJustify:
      return LVCFMT_RIGHT;
    case TAlignment::taCenter:
      return LVCFMT_CENTER;
    default:
      return LVCFMT_LEFT;
  }
}

DWORD ViewStyleBits(TViewStyle v) {
  switch (v) {
    case TViewStyle::vsSmallIcon:
      return LVS_SMALLICON;
    case TViewStyle::vsList:
      return LVS_LIST;
    case TViewStyle::vsReport:
      return LVS_REPORT;
    default:
      return LVS_ICON;
  }
}

TItemStates StatesFromBits(UINT bits) {
  TItemStates s;
  if (bits & LVIS_CUT) s.Include(TItemStateItem::isCut);
  if (bits & LVIS_DROPHILITED) s.Include(TItemStateItem::isDropHilited);
  if (bits & LVIS_FOCUSED) s.Include(TItemStateItem::isFocused);
  if (bits & LVIS_SELECTED) s.Include(TItemStateItem::isSelected);
  if (bits & LVIS_ACTIVATING) s.Include(TItemStateItem::isActivating);
  return s;
}

int CALLBACK CompareItemPositions(LPARAM a, LPARAM b, LPARAM) {
  // The items were sorted already; the window takes the items' order.
  return reinterpret_cast<ListItem*>(a)->Index() - reinterpret_cast<ListItem*>(b)->Index();
}
}  // namespace

// ---------------------------------------------------------------- ListColumn

void ListColumn::Apply(UINT mask) {
  HWND h = m_owner->m_handle;
  if (!h) return;
  LVCOLUMNA c{};
  c.mask = mask;
  c.fmt = m_index == 0 ? LVCFMT_LEFT : ColumnFormat(m_alignment);
  c.cx = m_width;
  c.pszText = const_cast<char*>(m_caption.c_str());
  ::SendMessageA(h, LVM_SETCOLUMNA, static_cast<WPARAM>(m_index), reinterpret_cast<LPARAM>(&c));
}

void ListColumn::SetCaption(const std::string& v) {
  m_caption = v;
  Apply(LVCF_TEXT);
}

int ListColumn::Width() const {
  HWND h = m_owner->m_handle;
  if (h && m_owner->m_viewStyle == TViewStyle::vsReport)
    m_width = static_cast<int>(::SendMessageA(h, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(m_index), 0));
  return m_width;
}

void ListColumn::SetWidth(int v) {
  m_width = v;
  Apply(LVCF_WIDTH);
}

void ListColumn::SetAlignment(TAlignment v) {
  m_alignment = v;
  Apply(LVCF_FMT);
}

// ---------------------------------------------------------------- ListItem

void ListItem::Apply(UINT mask, int subItem) {
  HWND h = m_owner->m_handle;
  if (!h || m_temporary || m_index < 0 || m_owner->m_ownerData) return;
  LVITEMA it{};
  it.mask = mask;
  it.iItem = m_index;
  it.iSubItem = subItem;
  std::string text;
  if (mask & LVIF_TEXT) {
    text = subItem == 0 ? m_caption
                        : (static_cast<size_t>(subItem) <= m_subItems.size() ? m_subItems[subItem - 1] : std::string());
    it.pszText = const_cast<char*>(text.c_str());
  }
  it.iImage = m_imageIndex;
  it.lParam = reinterpret_cast<LPARAM>(this);
  it.iIndent = m_indent;
  if (mask & LVIF_STATE) {
    it.stateMask = LVIS_OVERLAYMASK | LVIS_STATEIMAGEMASK;
    it.state = (m_overlayIndex >= 0 ? INDEXTOOVERLAYMASK(m_overlayIndex + 1) : 0) |
               (m_stateIndex >= 0 ? INDEXTOSTATEIMAGEMASK(m_stateIndex + 1) : 0);
  }
  ::SendMessageA(h, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
}

void ListItem::SetCaption(const std::string& v) {
  m_caption = v;
  Apply(LVIF_TEXT);
}
void ListItem::SetImageIndex(int v) {
  m_imageIndex = v;
  Apply(LVIF_IMAGE);
}
void ListItem::SetStateIndex(int v) {
  m_stateIndex = v;
  Apply(LVIF_STATE);
}
void ListItem::SetOverlayIndex(int v) {
  m_overlayIndex = v;
  Apply(LVIF_STATE);
}
void ListItem::SetIndent(int v) {
  m_indent = v;
  Apply(LVIF_INDENT);
}
void ListItem::SetData(void* v) {
  m_data = v;
  Apply(LVIF_PARAM);
}

void ListItem::SetSubItems(const std::vector<std::string>& v) {
  size_t old = m_subItems.size();
  m_subItems = v;
  for (size_t i = 0; i < std::max(old, v.size()); ++i) Apply(LVIF_TEXT, static_cast<int>(i) + 1);
}

void ListItem::AddSubItem(const std::string& v) {
  m_subItems.push_back(v);
  Apply(LVIF_TEXT, static_cast<int>(m_subItems.size()));
}

void ListItem::SetSubItem(int index, const std::string& v) {
  if (index < 0) return;
  if (static_cast<size_t>(index) >= m_subItems.size()) m_subItems.resize(static_cast<size_t>(index) + 1);
  m_subItems[static_cast<size_t>(index)] = v;
  Apply(LVIF_TEXT, index + 1);
}

bool ListItem::HasState(UINT state) const {
  HWND h = m_owner->m_handle;
  if (h && m_index >= 0) return (::SendMessageA(h, LVM_GETITEMSTATE, static_cast<WPARAM>(m_index), state) & state) != 0;
  return (m_state & state) != 0;
}

void ListItem::SetState(UINT state, bool on) {
  if (!m_temporary) m_state = on ? (m_state | state) : (m_state & ~state);
  if (m_index >= 0) m_owner->SetItemState(m_index, on ? state : 0, state);
}

bool ListItem::Selected() const { return HasState(LVIS_SELECTED); }
void ListItem::SetSelected(bool v) { SetState(LVIS_SELECTED, v); }
bool ListItem::Focused() const { return HasState(LVIS_FOCUSED); }
void ListItem::SetFocused(bool v) { SetState(LVIS_FOCUSED, v); }
bool ListItem::Cut() const { return HasState(LVIS_CUT); }
void ListItem::SetCut(bool v) { SetState(LVIS_CUT, v); }
bool ListItem::DropTarget() const { return HasState(LVIS_DROPHILITED); }
void ListItem::SetDropTarget(bool v) { SetState(LVIS_DROPHILITED, v); }

void ListItem::MakeVisible(bool partialOk) {
  HWND h = m_owner->m_handle;
  if (h && m_index >= 0) ::SendMessageA(h, LVM_ENSUREVISIBLE, static_cast<WPARAM>(m_index), partialOk);
}

RECT ListItem::DisplayRect(int code) const {
  RECT r{};
  HWND h = m_owner->m_handle;
  if (!h || m_index < 0) return r;
  r.left = code;
  if (!::SendMessageA(h, LVM_GETITEMRECT, static_cast<WPARAM>(m_index), reinterpret_cast<LPARAM>(&r))) return RECT{};
  return r;
}

bool ListItem::EditCaption() {
  HWND h = m_owner->m_handle;
  if (!h || m_index < 0) return false;
  ::SetFocus(h);
  return ::SendMessageA(h, LVM_EDITLABELA, static_cast<WPARAM>(m_index), 0) != 0;
}

void ListItem::Update() { m_owner->UpdateItems(m_index, m_index); }

void ListItem::Delete() {
  if (!m_temporary) m_owner->DeleteItem(m_index);
}

// ---------------------------------------------------------------- ListView

ListView::ListView(Component* owner) : Control(owner) {
  m_width = 250;
  m_height = 150;
  m_tabStop = true;
  m_temp.m_temporary = true;
}

ListView::~ListView() { DestroyHandle(); }

void ListView::BeforeDestruction() {
  Control::BeforeDestruction();
  DestroyHandle();
  ClearItems();
}

void ListView::CreateParams(fw::CreateParams& p) {
  Control::CreateParams(p);
  p.className = WC_LISTVIEWA;
  p.param = nullptr;
  p.exStyle |= WS_EX_CLIENTEDGE;
  // Image lists belong to their components; the control only borrows them.
  p.style |= ViewStyleBits(m_viewStyle) | LVS_SHAREIMAGELISTS | LVS_AUTOARRANGE;
  if (!m_multiSelect) p.style |= LVS_SINGLESEL;
  if (!m_hideSelection) p.style |= LVS_SHOWSELALWAYS;
  if (!m_readOnly) p.style |= LVS_EDITLABELS;
  if (!m_showColumnHeaders) p.style |= LVS_NOCOLUMNHEADER;
  if (!m_columnClick) p.style |= LVS_NOSORTHEADER;
  if (m_ownerData) p.style |= LVS_OWNERDATA;
}

void ListView::CreateWnd() {
  Control::CreateWnd();
  DWORD ex = LVS_EX_INFOTIP;
  if (m_rowSelect) ex |= LVS_EX_FULLROWSELECT;
  if (m_gridLines) ex |= LVS_EX_GRIDLINES;
  if (m_hotTrack) ex |= LVS_EX_TRACKSELECT;
  ::SendMessageA(m_handle, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
  ApplyImageLists();
  for (auto& c : m_columns) InsertColumnIntoWindow(c.get());
  if (m_ownerData) {
    // Overlay images of computed rows are asked for with the rows.
    ::SendMessageA(m_handle, LVM_SETCALLBACKMASK, LVIS_OVERLAYMASK, 0);
    ::SendMessageA(m_handle, LVM_SETITEMCOUNT, static_cast<WPARAM>(m_ownerDataCount), 0);
    if (m_savedItemIndex >= 0 && m_savedItemIndex < m_ownerDataCount)
      SetItemState(m_savedItemIndex, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  } else {
    ::SendMessageA(m_handle, LVM_SETITEMCOUNT, m_items.size(), 0);
    // Each insert into a list that redraws costs a repaint (milliseconds
    // under Wine); thousands of rows (a long launcher list) add up to seconds.
    ::SendMessageA(m_handle, WM_SETREDRAW, FALSE, 0);
    for (auto& item : m_items) InsertItemIntoWindow(item.get());
    ::SendMessageA(m_handle, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_handle, nullptr, TRUE);
  }
}

void ListView::DestroyWnd() {
  if (!m_handle) return;
  SaveColumnWidths();
  if (m_ownerData) {
    m_savedItemIndex = ItemIndex();
  } else {
    for (auto& item : m_items)
      item->m_state = static_cast<UINT>(::SendMessageA(m_handle, LVM_GETITEMSTATE, static_cast<WPARAM>(item->m_index),
                                                       LVIS_SELECTED | LVIS_FOCUSED | LVIS_CUT));
  }
}

LRESULT ListView::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  // A fetched row is reused only for the requests that one message (one
  // paint, one query) makes; the data may change between messages.
  m_cacheValid = false;
  if (msg == WM_DESTROY) DestroyWnd();
  return Control::WndProc(msg, wp, lp);
}

void ListView::SaveColumnWidths() {
  if (!m_handle || m_viewStyle != TViewStyle::vsReport) return;
  for (auto& c : m_columns) c->Width();
}

void ListView::InsertColumnIntoWindow(ListColumn* column) {
  LVCOLUMNA c{};
  c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
  c.fmt = column->m_index == 0 ? LVCFMT_LEFT : ColumnFormat(column->m_alignment);
  c.cx = column->m_width;
  c.pszText = const_cast<char*>(column->m_caption.c_str());
  c.iSubItem = column->m_index;
  ::SendMessageA(m_handle, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column->m_index), reinterpret_cast<LPARAM>(&c));
}

void ListView::InsertItemIntoWindow(ListItem* item) {
  LVITEMA it{};
  it.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE | LVIF_INDENT | LVIF_STATE;
  it.iItem = item->m_index;
  it.pszText = const_cast<char*>(item->m_caption.c_str());
  it.iImage = item->m_imageIndex;
  it.lParam = reinterpret_cast<LPARAM>(item);
  it.iIndent = item->m_indent;
  it.stateMask = LVIS_OVERLAYMASK | LVIS_STATEIMAGEMASK | LVIS_SELECTED | LVIS_FOCUSED | LVIS_CUT;
  it.state = (item->m_overlayIndex >= 0 ? INDEXTOOVERLAYMASK(item->m_overlayIndex + 1) : 0) |
             (item->m_stateIndex >= 0 ? INDEXTOSTATEIMAGEMASK(item->m_stateIndex + 1) : 0) |
             (item->m_state & (LVIS_SELECTED | LVIS_FOCUSED | LVIS_CUT));
  ::SendMessageA(m_handle, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it));
  for (size_t i = 0; i < item->m_subItems.size(); ++i) {
    LVITEMA sub{};
    sub.iSubItem = static_cast<int>(i) + 1;
    sub.pszText = const_cast<char*>(item->m_subItems[i].c_str());
    ::SendMessageA(m_handle, LVM_SETITEMTEXTA, static_cast<WPARAM>(item->m_index), reinterpret_cast<LPARAM>(&sub));
  }
}

void ListView::Reindex(size_t from) {
  for (size_t i = from; i < m_items.size(); ++i) m_items[i]->m_index = static_cast<int>(i);
}

void ListView::SetListStyle(DWORD mask, DWORD value) {
  if (!m_handle) return;
  DWORD style = static_cast<DWORD>(::GetWindowLongA(m_handle, GWL_STYLE));
  DWORD next = (style & ~mask) | value;
  if (next == style) return;
  ::SetWindowLongA(m_handle, GWL_STYLE, static_cast<LONG>(next));
  ::InvalidateRect(m_handle, nullptr, TRUE);
}

void ListView::SetExStyle(DWORD mask, bool on) {
  if (m_handle) ::SendMessageA(m_handle, LVM_SETEXTENDEDLISTVIEWSTYLE, mask, on ? mask : 0);
}

void ListView::SetViewStyle(TViewStyle v) {
  if (m_viewStyle == v) return;
  // Column widths are read from the header only in report style.
  SaveColumnWidths();
  m_viewStyle = v;
  SetListStyle(LVS_TYPEMASK, ViewStyleBits(v));
  if (v == TViewStyle::vsReport)
    for (auto& c : m_columns) c->Apply(LVCF_WIDTH);
}

void ListView::SetMultiSelect(bool v) {
  m_multiSelect = v;
  SetListStyle(LVS_SINGLESEL, v ? 0 : LVS_SINGLESEL);
}
void ListView::SetHideSelection(bool v) {
  m_hideSelection = v;
  SetListStyle(LVS_SHOWSELALWAYS, v ? 0 : LVS_SHOWSELALWAYS);
}
void ListView::SetReadOnly(bool v) {
  m_readOnly = v;
  SetListStyle(LVS_EDITLABELS, v ? 0 : LVS_EDITLABELS);
}
void ListView::SetShowColumnHeaders(bool v) {
  m_showColumnHeaders = v;
  SetListStyle(LVS_NOCOLUMNHEADER, v ? 0 : LVS_NOCOLUMNHEADER);
}
void ListView::SetColumnClick(bool v) {
  m_columnClick = v;
  SetListStyle(LVS_NOSORTHEADER, v ? 0 : LVS_NOSORTHEADER);
}
void ListView::SetRowSelect(bool v) {
  m_rowSelect = v;
  SetExStyle(LVS_EX_FULLROWSELECT, v);
}
void ListView::SetGridLines(bool v) {
  m_gridLines = v;
  SetExStyle(LVS_EX_GRIDLINES, v);
}
void ListView::SetHotTrack(bool v) {
  m_hotTrack = v;
  SetExStyle(LVS_EX_TRACKSELECT, v);
}

void ListView::SetOwnerData(bool v) {
  if (m_ownerData == v) return;
  ClearItems();
  m_ownerData = v;
  m_ownerDataCount = 0;
  // The owner-data style is fixed when the window is made.
  RecreateWnd();
}

void ListView::ApplyImageLists() {
  if (!m_handle) return;
  ::SendMessageA(m_handle, LVM_SETIMAGELIST, LVSIL_NORMAL,
                 reinterpret_cast<LPARAM>(m_largeImages ? m_largeImages->Handle() : nullptr));
  ::SendMessageA(m_handle, LVM_SETIMAGELIST, LVSIL_SMALL,
                 reinterpret_cast<LPARAM>(m_smallImages ? m_smallImages->Handle() : nullptr));
  ::SendMessageA(m_handle, LVM_SETIMAGELIST, LVSIL_STATE,
                 reinterpret_cast<LPARAM>(m_stateImages ? m_stateImages->Handle() : nullptr));
}

void ListView::SetLargeImages(ImageList* v) {
  m_largeImages = v;
  if (v) FreeNotification(v);
  ApplyImageLists();
}
void ListView::SetSmallImages(ImageList* v) {
  m_smallImages = v;
  if (v) FreeNotification(v);
  ApplyImageLists();
}
void ListView::SetStateImages(ImageList* v) {
  m_stateImages = v;
  if (v) FreeNotification(v);
  ApplyImageLists();
}

void ListView::Notification(Component* component, Operation operation) {
  Control::Notification(component, operation);
  if (operation != Operation::opRemove) return;
  bool changed = false;
  for (ImageList** slot : {&m_largeImages, &m_smallImages, &m_stateImages}) {
    if (*slot == component) {
      *slot = nullptr;
      changed = true;
    }
  }
  if (changed && !Destroying()) ApplyImageLists();
}

ListColumn* ListView::AddColumn(const std::string& caption, int width, TAlignment alignment) {
  std::unique_ptr<ListColumn> c(new ListColumn(this));
  c->m_index = ColumnCount();
  c->m_caption = caption;
  c->m_width = width;
  c->m_alignment = alignment;
  ListColumn* column = c.get();
  m_columns.push_back(std::move(c));
  if (m_handle) InsertColumnIntoWindow(column);
  return column;
}

void ListView::DeleteColumn(int index) {
  if (index < 0 || index >= ColumnCount()) return;
  if (m_handle) ::SendMessageA(m_handle, LVM_DELETECOLUMN, static_cast<WPARAM>(index), 0);
  m_columns.erase(m_columns.begin() + index);
  for (size_t i = 0; i < m_columns.size(); ++i) m_columns[i]->m_index = static_cast<int>(i);
}

void ListView::ClearColumns() {
  while (ColumnCount() > 0) DeleteColumn(ColumnCount() - 1);
}

int ListView::ItemCount() const {
  if (m_ownerData) return m_ownerDataCount;
  return static_cast<int>(m_items.size());
}

void ListView::SetItemCount(int count, DWORD flags) {
  if (!m_ownerData) return;
  m_ownerDataCount = std::max(count, 0);
  m_cacheValid = false;
  if (m_handle) ::SendMessageA(m_handle, LVM_SETITEMCOUNT, static_cast<WPARAM>(m_ownerDataCount), flags);
}

ListItem* ListView::FetchRow(int index, TItemRequest request) {
  if (index < 0 || index >= m_ownerDataCount) return nullptr;
  if (m_cacheValid && m_temp.m_index == index && (m_cacheRequest.ToBits() & request.ToBits()) == request.ToBits())
    return &m_temp;
  if (!m_cacheValid || m_temp.m_index != index) {
    m_temp.m_caption.clear();
    m_temp.m_subItems.clear();
    m_temp.m_imageIndex = -1;
    m_temp.m_stateIndex = -1;
    m_temp.m_overlayIndex = -1;
    m_temp.m_indent = 0;
    m_temp.m_data = nullptr;
    m_cacheRequest = TItemRequest();
  }
  m_temp.m_index = index;
  TItemRequest all = TItemRequest::FromBits(m_cacheRequest.ToBits() | request.ToBits());
  m_cacheValid = false;  // a handler that throws leaves no half-filled row behind
  OwnerDataFetch(&m_temp, all);
  m_cacheRequest = all;
  m_cacheValid = true;
  return &m_temp;
}

ListItem* ListView::Item(int index) {
  if (m_ownerData) {
    TItemRequest all{TItemRequestItem::irText, TItemRequestItem::irImage, TItemRequestItem::irParam,
                     TItemRequestItem::irState, TItemRequestItem::irIndent};
    return FetchRow(index, all);
  }
  if (index < 0 || index >= ItemCount()) return nullptr;
  return m_items[static_cast<size_t>(index)].get();
}

ListItem* ListView::AddItem(const std::string& caption) { return InsertItem(ItemCount(), caption); }

ListItem* ListView::AddItem(const std::string& caption, const std::vector<std::string>& subItems) {
  ListItem* item = AddItem(caption);
  if (item) item->SetSubItems(subItems);
  return item;
}

std::string ListView::ItemCaption(int index) {
  ListItem* item = Item(index);
  return item ? item->Caption() : std::string();
}

std::string ListView::SubItem(int index, int subIndex) {
  ListItem* item = Item(index);
  if (!item || subIndex < 0 || static_cast<size_t>(subIndex) >= item->SubItems().size()) return {};
  return item->SubItems()[static_cast<size_t>(subIndex)];
}

ListItem* ListView::InsertItem(int index, const std::string& caption) {
  if (m_ownerData) return nullptr;
  index = std::clamp(index, 0, ItemCount());
  std::unique_ptr<ListItem> owned(new ListItem(this));
  ListItem* item = owned.get();
  item->m_caption = caption;
  m_items.insert(m_items.begin() + index, std::move(owned));
  Reindex(static_cast<size_t>(index));
  if (m_handle) InsertItemIntoWindow(item);
  return item;
}

void ListView::DeleteItem(int index) {
  if (m_ownerData || index < 0 || index >= ItemCount()) return;
  Delete(m_items[static_cast<size_t>(index)].get());
  if (m_handle) ::SendMessageA(m_handle, LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
  m_items.erase(m_items.begin() + index);
  Reindex(static_cast<size_t>(index));
}

void ListView::ClearItems() {
  if (m_ownerData) {
    SetItemCount(0);
    return;
  }
  BeginUpdate();
  for (auto& item : m_items) Delete(item.get());
  if (m_handle) ::SendMessageA(m_handle, LVM_DELETEALLITEMS, 0, 0);
  m_items.clear();
  EndUpdate();
}

void ListView::Delete(ListItem* item) {
  if (OnDeletion) OnDeletion(this, item);
}

void ListView::BeginUpdate() {
  if (m_updateCount++ == 0 && m_handle) ::SendMessageA(m_handle, WM_SETREDRAW, FALSE, 0);
}

void ListView::EndUpdate() {
  if (m_updateCount == 0) return;
  if (--m_updateCount == 0 && m_handle) {
    ::SendMessageA(m_handle, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_handle, nullptr, TRUE);
  }
}

void ListView::CustomSort(const std::function<int(ListItem* a, ListItem* b)>& compare) {
  if (m_ownerData) return;
  std::stable_sort(m_items.begin(), m_items.end(),
                   [&compare](const auto& a, const auto& b) { return compare(a.get(), b.get()) < 0; });
  Reindex(0);
  if (m_handle) ::SendMessageA(m_handle, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(&CompareItemPositions));
}

void ListView::UpdateItems(int first, int last) {
  m_cacheValid = false;
  if (m_handle && first >= 0) ::SendMessageA(m_handle, LVM_REDRAWITEMS, static_cast<WPARAM>(first), last);
}

int ListView::SelCount() const {
  if (m_handle) return static_cast<int>(::SendMessageA(m_handle, LVM_GETSELECTEDCOUNT, 0, 0));
  int n = 0;
  for (const auto& item : m_items)
    if (item->m_state & LVIS_SELECTED) ++n;
  return n;
}

int ListView::GetNextItem(int start, UINT flags) const {
  if (!m_handle) return -1;
  return static_cast<int>(::SendMessageA(m_handle, LVM_GETNEXTITEM, static_cast<WPARAM>(start), flags));
}

int ListView::ItemIndex() const {
  if (m_handle) return GetNextItem(-1, LVNI_SELECTED);
  if (m_ownerData) return m_savedItemIndex;
  for (const auto& item : m_items)
    if (item->m_state & LVIS_SELECTED) return item->m_index;
  return -1;
}

void ListView::SetItemIndex(int index) {
  ClearSelection();
  if (index < 0 || index >= ItemCount()) return;
  SetItemState(index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

ListItem* ListView::Selected() {
  int i = ItemIndex();
  return i >= 0 ? Item(i) : nullptr;
}

void ListView::SetSelected(ListItem* item) { SetItemIndex(item ? item->m_index : -1); }

int ListView::ItemFocused() const { return GetNextItem(-1, LVNI_FOCUSED); }

void ListView::SetItemFocused(int index) {
  if (index >= 0) SetItemState(index, LVIS_FOCUSED, LVIS_FOCUSED);
}

std::vector<int> ListView::SelectedIndices() const {
  std::vector<int> v;
  for (int i = GetNextItem(-1, LVNI_SELECTED); i >= 0; i = GetNextItem(i, LVNI_SELECTED)) v.push_back(i);
  return v;
}

UINT ListView::ItemState(int index, UINT mask) const {
  if (m_handle) return static_cast<UINT>(::SendMessageA(m_handle, LVM_GETITEMSTATE, static_cast<WPARAM>(index), mask));
  if (!m_ownerData && index >= 0 && index < ItemCount()) return m_items[static_cast<size_t>(index)]->m_state & mask;
  return 0;
}

void ListView::SetItemState(int index, UINT state, UINT mask) {
  if (!m_ownerData) {
    auto apply = [&](ListItem* item) { item->m_state = (item->m_state & ~mask) | (state & mask); };
    if (index < 0)
      for (auto& item : m_items) apply(item.get());
    else if (index < ItemCount())
      apply(m_items[static_cast<size_t>(index)].get());
  }
  if (!m_handle) return;
  LVITEMA it{};
  it.stateMask = mask;
  it.state = state;
  ::SendMessageA(m_handle, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&it));
}

void ListView::SelectAll() { SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED); }

void ListView::ClearSelection() {
  if (SelCount() > 0) SetItemState(-1, 0, LVIS_SELECTED);
}

int ListView::GetItemIndexAt(int x, int y) const {
  if (!m_handle) return -1;
  LVHITTESTINFO hit{};
  hit.pt = POINT{x, y};
  int i = static_cast<int>(::SendMessageA(m_handle, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  return (hit.flags & LVHT_ONITEM) ? i : -1;
}

ListItem* ListView::GetItemAt(int x, int y) {
  int i = GetItemIndexAt(x, y);
  return i >= 0 ? Item(i) : nullptr;
}

int ListView::TopIndex() const {
  return m_handle ? static_cast<int>(::SendMessageA(m_handle, LVM_GETTOPINDEX, 0, 0)) : 0;
}

int ListView::VisibleRowCount() const {
  return m_handle ? static_cast<int>(::SendMessageA(m_handle, LVM_GETCOUNTPERPAGE, 0, 0)) : 0;
}

void ListView::Scroll(int dx, int dy) {
  if (m_handle) ::SendMessageA(m_handle, LVM_SCROLL, static_cast<WPARAM>(dx), dy);
}

bool ListView::IsEditing() const { return m_handle && ::SendMessageA(m_handle, LVM_GETEDITCONTROL, 0, 0) != 0; }

int ListView::DropTargetIndex() const { return GetNextItem(-1, LVNI_DROPHILITED); }

// ---- steps

void ListView::OwnerDataFetch(ListItem* item, TItemRequest) {
  if (OnData) OnData(this, item);
}

void ListView::OwnerDataHint(int startIndex, int endIndex) {
  if (OnDataHint) OnDataHint(this, startIndex, endIndex);
}

int ListView::OwnerDataFind(TItemFind find, const std::string& findString, POINT findPosition, void* findData,
                            int startIndex, TSearchDirection direction, bool wrap) {
  int index = -1;
  if (OnDataFind) OnDataFind(this, find, findString, findPosition, findData, startIndex, direction, wrap, index);
  return index;
}

void ListView::OwnerDataStateChange(int startIndex, int endIndex, TItemStates oldState, TItemStates newState) {
  if (OnDataStateChange) OnDataStateChange(this, startIndex, endIndex, oldState, newState);
}

ListItem* ListView::ItemForNotify(int index) {
  if (index < 0) return nullptr;
  return Item(index);
}

void ListView::ItemChanged(NMLISTVIEW* nm) {
  if (!OnChange && !OnSelectItem) return;
  ListItem* item = ItemForNotify(nm->iItem);
  if (OnChange) {
    TItemChange change = (nm->uChanged & LVIF_TEXT)    ? TItemChange::ctText
                         : (nm->uChanged & LVIF_IMAGE) ? TItemChange::ctImage
                                                       : TItemChange::ctState;
    OnChange(this, item, change);
  }
  if (OnSelectItem && (nm->uChanged & LVIF_STATE) && ((nm->uNewState ^ nm->uOldState) & LVIS_SELECTED))
    OnSelectItem(this, item, (nm->uNewState & LVIS_SELECTED) != 0);
}

void ListView::ColClick(ListColumn* column) {
  if (OnColumnClick) OnColumnClick(this, column);
}

bool ListView::CanEdit(ListItem* item) {
  bool allow = true;
  if (OnEditing) OnEditing(this, item, allow);
  return allow;
}

void ListView::Edit(ListItem* item, std::string& text) {
  if (OnEdited) OnEdited(this, item, text);
  if (item && !item->m_temporary) item->SetCaption(text);
}

void ListView::ItemActivate(int index, int subItem, POINT pt, TShiftState shift) {
  if (OnItemActivate) OnItemActivate(this, index, subItem, pt, shift);
}

bool ListView::CustomDraw(NMLVCUSTOMDRAW* draw, LRESULT& result) {
  if (!OnCustomDraw) return false;
  result = CDRF_DODEFAULT;
  OnCustomDraw(this, draw, result);
  return true;
}

void ListView::FillDispInfo(LVITEMA& it, bool wide) {
  if (!m_ownerData) return;
  TItemRequest request;
  if (it.mask & LVIF_TEXT) request.Include(TItemRequestItem::irText);
  if (it.mask & LVIF_IMAGE) request.Include(TItemRequestItem::irImage);
  if (it.mask & LVIF_PARAM) request.Include(TItemRequestItem::irParam);
  if (it.mask & LVIF_STATE) request.Include(TItemRequestItem::irState);
  if (it.mask & LVIF_INDENT) request.Include(TItemRequestItem::irIndent);
  ListItem* item = FetchRow(it.iItem, request);
  if (!item) return;
  if ((it.mask & LVIF_TEXT) && it.pszText && it.cchTextMax > 0) {
    const std::string* text = &m_textBuffer;
    if (it.iSubItem == 0) {
      text = &item->m_caption;
    } else if (static_cast<size_t>(it.iSubItem) <= item->m_subItems.size()) {
      text = &item->m_subItems[static_cast<size_t>(it.iSubItem) - 1];
    } else {
      m_textBuffer.clear();
    }
    if (wide)
      CopyToBuffer(*text, reinterpret_cast<wchar_t*>(it.pszText), it.cchTextMax);
    else
      CopyToBuffer(*text, it.pszText, it.cchTextMax);
  }
  if ((it.mask & LVIF_IMAGE) && it.iSubItem == 0) it.iImage = item->m_imageIndex;
  if (it.mask & LVIF_PARAM) it.lParam = reinterpret_cast<LPARAM>(item->m_data);
  if (it.mask & LVIF_INDENT) it.iIndent = item->m_indent;
  if ((it.mask & LVIF_STATE) && it.iSubItem == 0) {
    if (item->m_stateIndex >= 0) {
      it.state |= INDEXTOSTATEIMAGEMASK(item->m_stateIndex + 1);
      it.stateMask |= LVIS_STATEIMAGEMASK;
    }
    if (item->m_overlayIndex >= 0) {
      it.state |= INDEXTOOVERLAYMASK(item->m_overlayIndex + 1);
      it.stateMask |= LVIS_OVERLAYMASK;
    }
  }
}

bool ListView::CNNotify(NMHDR* h, LRESULT& result) {
  switch (h->code) {
    case LVN_GETDISPINFOA:
    case LVN_GETDISPINFOW:
      // The wide form shares the layout; only the text buffer's type differs.
      FillDispInfo(reinterpret_cast<NMLVDISPINFOA*>(h)->item, h->code == LVN_GETDISPINFOW);
      return true;
    case LVN_ODCACHEHINT: {
      auto* nm = reinterpret_cast<NMLVCACHEHINT*>(h);
      OwnerDataHint(nm->iFrom, nm->iTo);
      return true;
    }
    case LVN_ODFINDITEMA:
    case LVN_ODFINDITEMW: {
      // Type-ahead arrives in the wide form even to an ANSI parent.
      auto* nm = reinterpret_cast<NMLVFINDITEMA*>(h);
      const LVFINDINFOA& fi = nm->lvfi;
      TItemFind find = (fi.flags & LVFI_PARAM)     ? TItemFind::ifData
                       : (fi.flags & LVFI_PARTIAL) ? TItemFind::ifPartialString
                       : (fi.flags & LVFI_STRING)  ? TItemFind::ifExactString
                                                   : TItemFind::ifNearest;
      std::string text;
      if (fi.flags & (LVFI_STRING | LVFI_PARTIAL)) {
        if (h->code == LVN_ODFINDITEMW)
          text = WideToAnsi(reinterpret_cast<NMLVFINDITEMW*>(h)->lvfi.psz);
        else if (fi.psz)
          text = fi.psz;
      }
      TSearchDirection dir = fi.vkDirection == VK_LEFT    ? TSearchDirection::sdLeft
                             : fi.vkDirection == VK_RIGHT ? TSearchDirection::sdRight
                             : fi.vkDirection == VK_UP    ? TSearchDirection::sdAbove
                             : fi.vkDirection == VK_DOWN  ? TSearchDirection::sdBelow
                                                          : TSearchDirection::sdAll;
      result = OwnerDataFind(find, text, fi.pt, reinterpret_cast<void*>(fi.lParam), nm->iStart, dir,
                             (fi.flags & LVFI_WRAP) != 0);
      return true;
    }
    case LVN_ODSTATECHANGED: {
      auto* nm = reinterpret_cast<NMLVODSTATECHANGE*>(h);
      OwnerDataStateChange(nm->iFrom, nm->iTo, StatesFromBits(nm->uOldState), StatesFromBits(nm->uNewState));
      return true;
    }
    case LVN_ITEMCHANGED:
      ItemChanged(reinterpret_cast<NMLISTVIEW*>(h));
      return true;
    case LVN_COLUMNCLICK: {
      auto* nm = reinterpret_cast<NMLISTVIEW*>(h);
      if (nm->iSubItem >= 0 && nm->iSubItem < ColumnCount()) ColClick(Column(nm->iSubItem));
      return true;
    }
    case LVN_BEGINLABELEDITA:
    case LVN_BEGINLABELEDITW: {
      auto* nm = reinterpret_cast<NMLVDISPINFOA*>(h);
      ListItem* item = ItemForNotify(nm->item.iItem);
      result = (item && CanEdit(item)) ? FALSE : TRUE;
      return true;
    }
    case LVN_ENDLABELEDITA:
    case LVN_ENDLABELEDITW: {
      auto* nm = reinterpret_cast<NMLVDISPINFOA*>(h);
      result = FALSE;
      if (!nm->item.pszText) return true;  // cancelled
      std::string text = h->code == LVN_ENDLABELEDITW ? WideToAnsi(reinterpret_cast<NMLVDISPINFOW*>(h)->item.pszText)
                                                      : std::string(nm->item.pszText);
      ListItem* item = ItemForNotify(nm->item.iItem);
      // The handler decides the final caption, which is set here.
      Edit(item, text);
      return true;
    }
    case LVN_ITEMACTIVATE: {
      auto* nm = reinterpret_cast<NMITEMACTIVATE*>(h);
      TShiftState shift;
      if (nm->uKeyFlags & LVKF_ALT) shift.Include(TShiftStateItem::ssAlt);
      if (nm->uKeyFlags & LVKF_CONTROL) shift.Include(TShiftStateItem::ssCtrl);
      if (nm->uKeyFlags & LVKF_SHIFT) shift.Include(TShiftStateItem::ssShift);
      ItemActivate(nm->iItem, nm->iSubItem, nm->ptAction, shift);
      return true;
    }
    case NM_CUSTOMDRAW:
      return CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(h), result);
    case NM_CLICK:
      if (OnClick) OnClick(this);
      return false;
    case NM_DBLCLK:
      if (OnDblClick) OnDblClick(this);
      return false;
    default:
      return false;
  }
}

}  // namespace fw
