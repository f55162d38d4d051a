#include "shell/ShellComboBox.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "framework/settings/IniFile.h"
#include "framework/ui/Application.h"
#include "shell/ShellDragDrop.h"
#include "shell/ShellFolderEnum.h"
#include "shell/ShellTreeView.h"

// ===========================================================================
// TShellComboItem

TShellComboItem::TShellComboItem(TShellComboList* owner, TShellComboItem* parent, UniqueIDList rootItemID,
                                 UniqueIDList itemID, bool inserted) noexcept
    : TShellRootedItem(std::move(itemID), std::move(rootItemID)),
      m_owner(owner),
      m_parent(parent),
      m_inserted(inserted) {}

int TShellComboItem::GetIndex() { return m_owner ? m_owner->IndexOf(this) : -1; }

TShellComboItem* TShellComboItem::GetNext() {
  int i = GetIndex();
  return i < 0 ? nullptr : m_owner->GetComboItem(i + 1);
}

TShellComboItem* TShellComboItem::GetPrev() {
  int i = GetIndex();
  return i < 0 ? nullptr : m_owner->GetComboItem(i - 1);
}

TShellComboItem* TShellComboItem::GetNextSibling() {
  int i = GetIndex();
  if (i < 0) return nullptr;
  int level = GetLevel();
  // A shallower entry ends the parent's run of children.
  for (TShellComboItem* n = m_owner->GetComboItem(i + 1); n; n = n->GetNext()) {
    int l = n->GetLevel();
    if (l == level) return n;
    if (l < level) return nullptr;
  }
  return nullptr;
}

TShellComboItem* TShellComboItem::GetPrevSibling() {
  int i = GetIndex();
  if (i < 0) return nullptr;
  int level = GetLevel();
  for (int j = i - 1; j >= 0; --j) {
    TShellComboItem* n = m_owner->GetComboItem(j);
    int l = n->GetLevel();
    if (l == level) return n;
    if (l < level) return nullptr;
  }
  return nullptr;
}

TShellComboItem* TShellComboItem::GetFirstChild() {
  TShellComboItem* next = GetNext();
  return next && next->m_parent == this ? next : nullptr;
}

TShellComboItem* TShellComboItem::GetNextChild(TShellComboItem* child) {
  if (!child || child->m_parent != this) return nullptr;
  TShellComboItem* n = child->GetNextSibling();
  return n && n->m_parent == this ? n : nullptr;
}

TShellComboItem* TShellComboItem::GetPrevChild(TShellComboItem* child) {
  if (!child || child->m_parent != this) return nullptr;
  TShellComboItem* n = child->GetPrevSibling();
  return n && n->m_parent == this ? n : nullptr;
}

TShellComboItem* TShellComboItem::GetLastChild() {
  TShellComboItem* last = GetFirstChild();
  for (TShellComboItem* n = last; n; n = GetNextChild(n)) last = n;
  return last;
}

void TShellComboItem::DeleteChildren() {
  while (TShellComboItem* child = GetFirstChild()) {
    child->DeleteChildren();
    m_owner->DeleteItem(child->GetIndex());
  }
}

// ===========================================================================
// TShellComboList

TShellComboList::~TShellComboList() { m_items.clear(); }

std::unique_ptr<TShellComboItem> TShellComboList::CreateItem(TShellComboItem* parent, UniqueIDList rootItemID,
                                                             UniqueIDList itemID) {
  if (!rootItemID || !itemID) return nullptr;
  return std::make_unique<TShellComboItem>(this, parent, std::move(rootItemID), std::move(itemID),
                                           m_combo && m_combo->m_filled);
}

TShellComboItem* TShellComboList::InsertAt(int index, std::unique_ptr<TShellComboItem> item) {
  if (!item) return nullptr;
  index = std::clamp(index, 0, Count());
  TShellComboItem* raw = item.get();
  m_items.insert(m_items.begin() + index, std::move(item));
  if (m_combo) m_combo->fw::ComboBox::InsertItem(index, std::string());
  return raw;
}

TShellComboItem* TShellComboList::AddChildFirst(TShellComboItem* parent, std::unique_ptr<TShellComboItem> item) {
  if (!item) return nullptr;
  item->SetParent(parent);
  return InsertAt(parent ? parent->GetIndex() + 1 : 0, std::move(item));
}

TShellComboItem* TShellComboList::AddChild(TShellComboItem* parent, std::unique_ptr<TShellComboItem> item) {
  if (!item) return nullptr;
  item->SetParent(parent);
  if (!parent) return InsertAt(Count(), std::move(item));
  // After the parent's whole run of descendants, so a child with children
  // of its own keeps them beneath it.
  int index = parent->GetIndex() + 1;
  int level = parent->GetLevel();
  while (index < Count() && m_items[static_cast<std::size_t>(index)]->GetLevel() > level) ++index;
  return InsertAt(index, std::move(item));
}

TShellComboItem* TShellComboList::InsertItem(TShellComboItem* before, std::unique_ptr<TShellComboItem> item) {
  return InsertAt(before ? before->GetIndex() : Count(), std::move(item));
}

void TShellComboList::DeleteItem(int index) {
  if (index < 0 || index >= Count()) return;
  if (m_combo) m_combo->fw::ComboBox::DeleteItem(index);
  m_items.erase(m_items.begin() + index);
}

void TShellComboList::DeleteInserted() {
  for (int i = Count() - 1; i >= 0; --i)
    if (m_items[static_cast<std::size_t>(i)]->Inserted()) DeleteItem(i);
}

TShellComboItem* TShellComboList::GetComboItem(int index) const noexcept {
  return index >= 0 && index < Count() ? m_items[static_cast<std::size_t>(index)].get() : nullptr;
}

int TShellComboList::IndexOf(const TShellComboItem* item) const noexcept {
  for (std::size_t i = 0; i < m_items.size(); ++i)
    if (m_items[i].get() == item) return static_cast<int>(i);
  return -1;
}

void TShellComboList::Clear() {
  if (m_combo) m_combo->ClearItems();
  m_items.clear();
}

// ===========================================================================
// TShellComboBox

TShellComboBox::TShellComboBox(fw::Component* owner)
    : fw::ComboBox(owner),
      m_dropRegistration(std::make_unique<TShellDropRegistration>(this)),
      m_list(std::make_unique<TShellComboList>(this)) {
  SetStyle(fw::TComboBoxStyle::csDropDownList);
  SetWidth(300);
}

TShellComboBox::~TShellComboBox() {
  // Rows and entries go together; the base's rows are only strings.
  m_list.reset();
}

void TShellComboBox::CreateParams(fw::CreateParams& params) {
  fw::ComboBox::CreateParams(params);
  params.style &= ~static_cast<DWORD>(CBS_SORT);
  params.style |= CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS;
}

void TShellComboBox::CreateWnd() {
  fw::ComboBox::CreateWnd();
  // The closed face is measured before the control can answer for itself.
  ::SendMessageA(m_handle, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), RowHeight());
  InitData();
  if (m_savedNameSpace) {
    UniqueIDList saved = std::move(m_savedNameSpace);
    SetNameSpace(saved.get());
  }
  // What is dropped on the box goes into the folder it shows.
  m_dropRegistration->Register(m_handle);
}

LRESULT TShellComboBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    if (LPCITEMIDLIST ns = GetNameSpace()) m_savedNameSpace = UniqueIDList::CopyOf(ns);
    m_dropRegistration->Revoke();
  }
  return fw::ComboBox::WndProc(msg, wp, lp);
}

void TShellComboBox::BeginUpdate() {
  if (m_updateCount++ == 0 && m_handle) ::SendMessageA(m_handle, WM_SETREDRAW, FALSE, 0);
}

void TShellComboBox::EndUpdate() {
  if (m_updateCount == 0) return;
  if (--m_updateCount == 0 && m_handle) {
    ::SendMessageA(m_handle, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_handle, nullptr, TRUE);
  }
}

// ---------------------------------------------------------------------------
// Entries

int TShellComboBox::RetrieveItemIDList(IShellFolder* folder, TShellComboItem* item,
                                       std::vector<std::unique_ptr<TShellComboItem>>& items) {
  if (!item || !item->HasCorrectData()) return 0;
  TShellComboList* list = m_list.get();
  return ReadFolderChildren(
      folder, m_handle, m_includeHidden, m_shVirtuaItems, item,
      [list, item](UniqueIDList rel, UniqueIDList abs) {
        return list->CreateItem(item, std::move(abs), std::move(rel));
      },
      items);
}

void TShellComboBox::UpDateData(TShellComboItem* item) {
  if (!item || !item->HasCorrectData()) return;
  fw::ComPtr<IShellFolder> folder;
  if (!BindItemFolder(item, folder)) return;
  std::vector<std::unique_ptr<TShellComboItem>> fresh;
  RetrieveItemIDList(folder.Get(), item, fresh);
  TShellComboItem* existing = item->GetFirstChild();
  std::size_t i = 0;
  auto removeExisting = [&] {
    TShellComboItem* next = item->GetNextChild(existing);
    existing->DeleteChildren();
    m_list->DeleteItem(existing->GetIndex());
    existing = next;
  };
  while (i < fresh.size()) {
    if (!existing) {
      m_list->AddChild(item, std::move(fresh[i++]));
      continue;
    }
    TCompareVal cmp = CompareIDList(folder.Get(), existing->GetItemID(), fresh[i]->GetItemID());
    if (cmp == cvEqual) {
      existing = item->GetNextChild(existing);
      ++i;
    } else if (cmp == cvPrev) {
      m_list->InsertItem(existing, std::move(fresh[i++]));
    } else {
      removeExisting();
    }
  }
  while (existing) removeExisting();
}

void TShellComboBox::InitData() {
  if (!m_handle) return;
  m_filled = false;
  BeginUpdate();
  try {
    m_list->DeleteInserted();
    if (m_list->Count() == 0) {
      UniqueIDList desktop;
      UniqueIDList desktopDir;
      if (GetSpecialFolderID(sfidDeskTop, desktop) && GetSpecialFolderID(sfidDeskTopFolder, desktopDir))
        m_list->AddChildFirst(nullptr, m_list->CreateItem(nullptr, std::move(desktop), std::move(desktopDir)));
    }
    if (TShellComboItem* desktop = m_list->GetFirstItem()) {
      UpDateData(desktop);
      if (TShellComboItem* first = desktop->GetFirstChild()) UpDateData(first);
    }
  } catch (...) {
    if (ItemIndex() < 0 && m_list->Count() > 0) SetItemIndex(0);
    m_filled = true;
    EndUpdate();
    throw;
  }
  if (ItemIndex() < 0 && m_list->Count() > 0) SetItemIndex(0);
  m_filled = true;
  EndUpdate();
}

int TShellComboBox::InsertItem(LPCITEMIDLIST list) {
  if (!list || GetItemIDLevel(list) <= 0) return 0;
  TShellComboItem* cursor = m_list->GetComboItem(1);
  LPCITEMIDLIST remaining = list;
  TShellComboItem* mergedParent = nullptr;
  while (cursor && cursor->HasCorrectData() && cursor->GetParent()) {
    fw::ComPtr<IShellFolder> parentFolder;
    if (!cursor->GetShellFolder(parentFolder)) break;
    UniqueIDList wanted(CopyItemID(remaining));
    TCompareVal cmp = CompareIDList(parentFolder.Get(), cursor->GetItemID(), wanted.get());
    if (cmp == cvEqual) {
      remaining = GetNextItemIDList(remaining);
      if (!remaining || GetItemIDSize(remaining) == 0) return cursor->GetIndex();
      TShellComboItem* child = cursor->GetFirstChild();
      if (!child) {
        UniqueIDList next(CopyItemID(remaining));
        UniqueIDList abs(ConcatItemIDList(cursor->GetRootItemID(), next.get()));
        child = m_list->AddChildFirst(cursor, m_list->CreateItem(cursor, std::move(abs), std::move(next)));
      }
      cursor = child;
      mergedParent = nullptr;
    } else if (cmp == cvPrev) {
      TShellComboItem* parent = cursor->GetParent();
      bool mayMerge = cursor->GetLevel() == 1 || parent->GetItemIDType() == itMyComputer;
      if (!mayMerge || mergedParent == parent) break;
      UpDateData(parent);
      mergedParent = parent;
      if (m_list->IndexOf(cursor) < 0) break;  // the entry itself vanished
      TShellComboItem* prev = parent->GetPrevChild(cursor);
      if (!prev) break;
      TCompareVal prevCmp = CompareIDList(parentFolder.Get(), prev->GetItemID(), wanted.get());
      if (prevCmp == cvNext || prevCmp == cvError) break;  // lies between two entries: not there
      cursor = prev;
    } else if (cmp == cvNext) {
      TShellComboItem* parent = cursor->GetParent();
      TShellComboItem* next = parent->GetNextChild(cursor);
      if (!next) {
        UniqueIDList abs(ConcatItemIDList(parent->GetRootItemID(), wanted.get()));
        next = m_list->AddChild(parent, m_list->CreateItem(parent, std::move(abs), std::move(wanted)));
      }
      cursor = next;
    } else {
      break;
    }
  }
  return 0;
}

void TShellComboBox::SetNameSpace(LPCITEMIDLIST list) {
  if (!list) return;
  if (!m_handle) {
    // Shown once the window exists and the entries are built.
    m_savedNameSpace = UniqueIDList::CopyOf(list);
    return;
  }
  if (!m_filled) return;
  TShellComboItem* current = m_list->GetComboItem(ItemIndex());
  if (!current) return;
  fw::ComPtr<IShellFolder> desktop;
  if (current->GetLevel() == GetItemIDLevel(list) && DesktopFolder(desktop) &&
      CompareIDList(desktop.Get(), current->GetRootItemID(), list) == cvEqual)
    return;
  // The list may belong to an entry that is about to go.
  UniqueIDList target = UniqueIDList::CopyOf(list);
  BeginUpdate();
  m_list->DeleteInserted();
  SetItemIndex(InsertItem(target.get()));
  EndUpdate();
}

LPCITEMIDLIST TShellComboBox::GetNameSpace() {
  TShellComboItem* item = m_list->GetComboItem(ItemIndex());
  return item ? item->GetRootItemID() : nullptr;
}

void TShellComboBox::SetPath(const std::string& path) {
  DWORD a = ::GetFileAttributesA(path.c_str());
  if (path.empty() || a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY)) return;
  UniqueIDList list;
  if (GetIDListFromPath(path, list)) SetNameSpace(list.get());
}

std::string TShellComboBox::GetPath() {
  TShellComboItem* item = m_list->GetComboItem(ItemIndex());
  return item ? item->GetPath() : std::string();
}

void TShellComboBox::Select() {
  fw::ComboBox::Select();
  ChosenEntry();
}

void TShellComboBox::ChosenEntry() {
  TShellComboItem* item = m_list->GetComboItem(ItemIndex());
  if (!item || !item->HasCorrectData()) return;
  if (item->Inserted()) {
    TShellComboItem* child = item->GetFirstChild();
    if (child && child->Inserted()) item->DeleteChildren();
  } else {
    m_list->DeleteInserted();
  }
  // Deleting rows above may have moved the chosen one.
  SetItemIndex(m_list->IndexOf(item));
  if (!m_tree) return;
  // The tree points the box at the folder again, which may free this entry.
  UniqueIDList target = UniqueIDList::CopyOf(item->GetRootItemID());
  m_tree->SetNameSpace(target.get());
}

bool TShellComboBox::CanClose() { return PruneDropTargets(m_pendingDropTargets); }

// ---------------------------------------------------------------------------
// Settings

void TShellComboBox::LoadSetting(const std::string& section) {
  fw::IniFile file(ShellControlSettingsFileName());
  LoadSetting(file, section);
}

void TShellComboBox::SaveSetting(const std::string& section) {
  fw::IniFile file(ShellControlSettingsFileName());
  SaveSetting(file, section);
}

void TShellComboBox::LoadSetting(fw::IniFile& file, const std::string& section) {
  if (!m_handle) return;
  SetBounds(file.ReadInteger(section, "Left", 0), file.ReadInteger(section, "Top", 0),
            file.ReadInteger(section, "Width", 300), Height());
}

void TShellComboBox::SaveSetting(fw::IniFile& file, const std::string& section) {
  if (!m_handle) return;
  file.WriteInteger(section, "Left", Left());
  file.WriteInteger(section, "Top", Top());
  file.WriteInteger(section, "Width", Width());
}

// ---------------------------------------------------------------------------
// Drawing

int TShellComboBox::RowHeight() {
  LOGFONTA lf{};
  int fontHeight = 12;
  if (HFONT f = Font(); f && ::GetObjectA(f, sizeof lf, &lf) == sizeof lf && lf.lfHeight != 0)
    fontHeight = std::abs(static_cast<int>(lf.lfHeight));
  int h = static_cast<int>(std::lround(fontHeight * 1.2));
  return std::max(h, kMinRowHeight);
}

bool TShellComboBox::CNMeasureItem(MEASUREITEMSTRUCT* mis) {
  mis->itemHeight = static_cast<UINT>(RowHeight());
  return true;
}

bool TShellComboBox::CNDrawItem(DRAWITEMSTRUCT* dis) {
  try {
    DrawItem(*dis);
  } catch (const std::exception& e) {
    fw::HandleException(e);
  }
  return true;
}

void TShellComboBox::DrawItem(const DRAWITEMSTRUCT& dis) {
  if (!m_filled) return;  // rows are being rebuilt: nothing valid to draw
  HDC dc = dis.hDC;
  RECT rc = dis.rcItem;
  const bool selected = (dis.itemState & ODS_SELECTED) != 0;
  if (static_cast<int>(dis.itemID) < 0) {
    ::FillRect(dc, &rc, ::GetSysColorBrush(COLOR_WINDOW));
    return;
  }
  TShellComboItem* item = m_list->GetComboItem(static_cast<int>(dis.itemID));
  ::FillRect(dc, &rc, ::GetSysColorBrush(COLOR_WINDOW));
  if (!item || !item->HasCorrectData()) return;
  m_drawingFace = (dis.itemState & ODS_COMBOBOXEDIT) != 0;
  HIMAGELIST images = GetSystemImageList(false);
  int w = 16, h = 16;
  if (images) ::ImageList_GetIconSize(images, &w, &h);
  std::string text;
  int indent = 0;
  if (m_drawingFace) {
    if (dis.itemID != 0) text = item->GetPath();
    if (text.empty()) text = item->GetCaption();
  } else {
    text = item->GetCaption();
    indent = item->GetImageIndent();
  }
  const int rowHeight = rc.bottom - rc.top;
  const int iconX = rc.left + indent;
  const int textX = iconX + w + 4;
  SIZE ext{};
  ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &ext);
  RECT textRect{textX - 1, rc.top, textX - 1 + ext.cx + 2, rc.bottom};
  int oldMode = ::SetBkMode(dc, TRANSPARENT);
  COLORREF oldColor = ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  if (selected) ::FillRect(dc, &textRect, ::GetSysColorBrush(COLOR_HIGHLIGHT));
  ::TextOutA(dc, textX, rc.top + (rowHeight - ext.cy) / 2, text.c_str(), static_cast<int>(text.size()));
  ::SetTextColor(dc, oldColor);
  ::SetBkMode(dc, oldMode);
  if (images) {
    int index = selected ? item->GetSelectedIndex() : item->GetImageIndex();
    UINT style = selected ? ILD_FOCUS : ILD_NORMAL;
    if (item->HasShAttributesOf(iaShare)) {
      int overlay = item->GetOverlayIndex();
      if (overlay >= 0) style |= INDEXTOOVERLAYMASK(overlay + 1);
    }
    ::ImageList_Draw(images, index, dc, iconX, rc.top + (rowHeight - h) / 2, style);
  }
  if (dis.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &textRect);
  m_drawingFace = false;
}
