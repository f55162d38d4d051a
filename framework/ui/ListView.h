#pragma once
// List view: icon, small icon, list and report styles with columns; items
// kept by the control, or computed on demand in owner-data mode, where the
// control asks (OnData) only for the rows it draws.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/base/Set.h"
#include "framework/ui/Control.h"
#include "framework/ui/StdCtrls.h"

namespace fw {

class ImageList;
class ListView;

enum class TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
enum class TItemRequestItem { irText, irImage, irParam, irState, irIndent };
using TItemRequest = Set<TItemRequestItem>;
enum class TItemFind { ifData, ifPartialString, ifExactString, ifNearest };
enum class TSearchDirection { sdLeft, sdRight, sdAbove, sdBelow, sdAll };
enum class TItemChange { ctText, ctImage, ctState };
enum class TItemStateItem { isNone, isCut, isDropHilited, isFocused, isSelected, isActivating };
using TItemStates = Set<TItemStateItem>;

class ListColumn {
 public:
  ListColumn(const ListColumn&) = delete;
  ListColumn& operator=(const ListColumn&) = delete;

  int Index() const noexcept { return m_index; }
  const std::string& Caption() const noexcept { return m_caption; }
  void SetCaption(const std::string& v);
  // The width the header shows now (while in report style), else the stored one.
  int Width() const;
  void SetWidth(int v);
  TAlignment Alignment() const noexcept { return m_alignment; }
  void SetAlignment(TAlignment v);

 private:
  friend class ListView;
  explicit ListColumn(ListView* owner) : m_owner(owner) {}
  void Apply(UINT mask);
  ListView* m_owner;
  int m_index = 0;
  std::string m_caption;
  mutable int m_width = 50;
  TAlignment m_alignment = TAlignment::taLeftJustify;
};

// One row. In owner-data mode the control hands OnData a temporary item whose
// fields the handler fills for the row Index().
class ListItem {
 public:
  ListItem(const ListItem&) = delete;
  ListItem& operator=(const ListItem&) = delete;

  ListView* Owner() const noexcept { return m_owner; }
  int Index() const noexcept { return m_index; }
  const std::string& Caption() const noexcept { return m_caption; }
  void SetCaption(const std::string& v);
  int ImageIndex() const noexcept { return m_imageIndex; }
  void SetImageIndex(int v);
  int StateIndex() const noexcept { return m_stateIndex; }
  void SetStateIndex(int v);
  int OverlayIndex() const noexcept { return m_overlayIndex; }
  void SetOverlayIndex(int v);
  int Indent() const noexcept { return m_indent; }
  void SetIndent(int v);
  void* Data() const noexcept { return m_data; }
  void SetData(void* v);
  // Texts of the columns after the first.
  const std::vector<std::string>& SubItems() const noexcept { return m_subItems; }
  void SetSubItems(const std::vector<std::string>& v);
  void AddSubItem(const std::string& v);
  void SetSubItem(int index, const std::string& v);

  bool Selected() const;
  void SetSelected(bool v);
  bool Focused() const;
  void SetFocused(bool v);
  bool Cut() const;
  void SetCut(bool v);
  bool DropTarget() const;
  void SetDropTarget(bool v);
  void MakeVisible(bool partialOk = false);
  RECT DisplayRect(int code = LVIR_BOUNDS) const;
  // Starts in-place editing of the caption.
  bool EditCaption();
  // Draws the row again (after its data changed).
  void Update();
  void Delete();

 private:
  friend class ListView;
  explicit ListItem(ListView* owner) : m_owner(owner) {}
  void Apply(UINT mask, int subItem = 0);
  bool HasState(UINT state) const;
  void SetState(UINT state, bool on);

  ListView* m_owner;
  int m_index = -1;
  std::string m_caption;
  std::vector<std::string> m_subItems;
  int m_imageIndex = -1;
  int m_stateIndex = -1;
  int m_overlayIndex = -1;
  int m_indent = 0;
  void* m_data = nullptr;
  UINT m_state = 0;  // kept while there is no window
  bool m_temporary = false;
};

using TLVOwnerDataEvent = std::function<void(Object* sender, ListItem* item)>;
using TLVOwnerDataHintEvent = std::function<void(Object* sender, int startIndex, int endIndex)>;
using TLVOwnerDataFindEvent =
    std::function<void(Object* sender, TItemFind find, const std::string& findString, POINT findPosition,
                       void* findData, int startIndex, TSearchDirection direction, bool wrap, int& index)>;
using TLVOwnerDataStateChangeEvent =
    std::function<void(Object* sender, int startIndex, int endIndex, TItemStates oldState, TItemStates newState)>;
using TLVChangeEvent = std::function<void(Object* sender, ListItem* item, TItemChange change)>;
using TLVSelectItemEvent = std::function<void(Object* sender, ListItem* item, bool selected)>;
using TLVColumnClickEvent = std::function<void(Object* sender, ListColumn* column)>;
using TLVEditingEvent = std::function<void(Object* sender, ListItem* item, bool& allowEdit)>;
using TLVEditedEvent = std::function<void(Object* sender, ListItem* item, std::string& text)>;
using TLVDeletedEvent = std::function<void(Object* sender, ListItem* item)>;
using TLVItemActivateEvent = std::function<void(Object* sender, int index, int subItem, POINT pt, TShiftState shift)>;
using TLVCustomDrawEvent = std::function<void(Object* sender, NMLVCUSTOMDRAW* draw, LRESULT& result)>;

class ListView : public Control {
 public:
  explicit ListView(Component* owner);
  ~ListView() override;
  void BeforeDestruction() override;

  // ---- style
  TViewStyle ViewStyle() const noexcept { return m_viewStyle; }
  virtual void SetViewStyle(TViewStyle v);
  bool MultiSelect() const noexcept { return m_multiSelect; }
  void SetMultiSelect(bool v);
  // Off: the selection stays visible while another control has the focus.
  bool HideSelection() const noexcept { return m_hideSelection; }
  void SetHideSelection(bool v);
  // Off: captions can be edited in place.
  bool ReadOnly() const noexcept { return m_readOnly; }
  void SetReadOnly(bool v);
  bool RowSelect() const noexcept { return m_rowSelect; }
  void SetRowSelect(bool v);
  bool GridLines() const noexcept { return m_gridLines; }
  void SetGridLines(bool v);
  bool ShowColumnHeaders() const noexcept { return m_showColumnHeaders; }
  void SetShowColumnHeaders(bool v);
  // Column headers act as buttons (OnColumnClick).
  bool ColumnClick() const noexcept { return m_columnClick; }
  void SetColumnClick(bool v);
  bool HotTrack() const noexcept { return m_hotTrack; }
  void SetHotTrack(bool v);
  // Rows are computed on demand by OnData; the control holds only their count.
  bool OwnerData() const noexcept { return m_ownerData; }
  void SetOwnerData(bool v);

  ImageList* LargeImages() const noexcept { return m_largeImages; }
  void SetLargeImages(ImageList* v);
  ImageList* SmallImages() const noexcept { return m_smallImages; }
  void SetSmallImages(ImageList* v);
  ImageList* StateImages() const noexcept { return m_stateImages; }
  void SetStateImages(ImageList* v);

  // ---- columns
  int ColumnCount() const noexcept { return static_cast<int>(m_columns.size()); }
  ListColumn* Column(int index) const { return m_columns.at(static_cast<size_t>(index)).get(); }
  ListColumn* AddColumn(const std::string& caption, int width, TAlignment alignment = TAlignment::taLeftJustify);
  void DeleteColumn(int index);
  void ClearColumns();
  int ColumnWidth(int index) const { return Column(index)->Width(); }
  void SetColumnWidth(int index, int width) { Column(index)->SetWidth(width); }

  // ---- items
  // Rows: the items' count, or the owner-data row count.
  int ItemCount() const;
  // Owner data: sets the row count (flags: LVSICF_*). Other lists: ignored.
  void SetItemCount(int count, DWORD flags = 0);
  // Items of a list that is not owner-data; in owner-data mode Item() fetches
  // the row into a temporary item through OnData.
  ListItem* Item(int index);
  ListItem* AddItem(const std::string& caption = std::string());
  ListItem* InsertItem(int index, const std::string& caption = std::string());
  // An item with its caption and the texts of the further columns.
  ListItem* AddItem(const std::string& caption, const std::vector<std::string>& subItems);
  void DeleteItem(int index);
  void ClearItems();
  void Clear() { ClearItems(); }
  // Texts of a row (fetched through OnData in owner-data mode); empty when absent.
  std::string ItemCaption(int index);
  std::string SubItem(int index, int subIndex);
  void BeginUpdate();
  void EndUpdate();
  // Sorts the items (stable; negative: a before b).
  void CustomSort(const std::function<int(ListItem* a, ListItem* b)>& compare);
  // Draws rows first..last again; owner data is asked again for them.
  void UpdateItems(int first, int last);

  // ---- selection
  int SelCount() const;
  // The first selected row, or -1 (setting selects that row alone, focused).
  int ItemIndex() const;
  void SetItemIndex(int index);
  // The first selected item, or null (a temporary item in owner-data mode).
  ListItem* Selected();
  void SetSelected(ListItem* item);
  int ItemFocused() const;
  void SetItemFocused(int index);
  // Next row from start (-1: from the top) with the LVNI_* flags, or -1.
  int GetNextItem(int start, UINT flags = LVNI_ALL) const;
  std::vector<int> SelectedIndices() const;
  void SelectAll();
  void ClearSelection();
  // Row at a client point, or -1.
  int GetItemIndexAt(int x, int y) const;
  ListItem* GetItemAt(int x, int y);
  int TopIndex() const;
  int VisibleRowCount() const;
  void Scroll(int dx, int dy);
  bool IsEditing() const;
  int DropTargetIndex() const;
  // Row's state bits (LVIS_*) as the window has them.
  UINT ItemState(int index, UINT mask) const;
  void SetItemState(int index, UINT state, UINT mask);

  // ---- events
  TLVOwnerDataEvent OnData;
  TLVOwnerDataHintEvent OnDataHint;
  TLVOwnerDataFindEvent OnDataFind;
  TLVOwnerDataStateChangeEvent OnDataStateChange;
  TLVChangeEvent OnChange;
  TLVSelectItemEvent OnSelectItem;
  TLVColumnClickEvent OnColumnClick;
  TLVEditingEvent OnEditing;
  TLVEditedEvent OnEdited;
  TLVDeletedEvent OnDeletion;
  TLVItemActivateEvent OnItemActivate;
  TLVCustomDrawEvent OnCustomDraw;

 protected:
  void CreateParams(fw::CreateParams& params) override;
  void CreateWnd() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  bool CNNotify(NMHDR* header, LRESULT& result) override;

  // Overridable steps; each raises the event of the same purpose.
  // Owner data: fill item (its Index() is set) with what request asks for.
  virtual void OwnerDataFetch(ListItem* item, TItemRequest request);
  virtual void OwnerDataHint(int startIndex, int endIndex);
  // Returns the row found, or -1.
  virtual int OwnerDataFind(TItemFind find, const std::string& findString, POINT findPosition, void* findData,
                            int startIndex, TSearchDirection direction, bool wrap);
  virtual void OwnerDataStateChange(int startIndex, int endIndex, TItemStates oldState, TItemStates newState);
  // A row's state, text or image changed (LVN_ITEMCHANGED); raises OnChange
  // and, for selection changes, OnSelectItem.
  virtual void ItemChanged(NMLISTVIEW* nm);
  virtual void ColClick(ListColumn* column);
  virtual bool CanEdit(ListItem* item);
  virtual void Edit(ListItem* item, std::string& text);
  virtual void ItemActivate(int index, int subItem, POINT pt, TShiftState shift);
  // Custom drawing: return true when result was set.
  virtual bool CustomDraw(NMLVCUSTOMDRAW* draw, LRESULT& result);
  virtual void Delete(ListItem* item);
  // Called while the window is being destroyed.
  virtual void DestroyWnd();
  // Forgets the owner-data row fetched last (its data changed).
  void InvalidateFetchCache() noexcept { m_cacheValid = false; }

  void SetListStyle(DWORD mask, DWORD value);
  void SetExStyle(DWORD mask, bool on);
  void Notification(Component* component, Operation operation) override;

 private:
  friend class ListItem;
  friend class ListColumn;
  void InsertColumnIntoWindow(ListColumn* column);
  void InsertItemIntoWindow(ListItem* item);
  void Reindex(size_t from);
  void ApplyImageLists();
  void SaveColumnWidths();
  ListItem* FetchRow(int index, TItemRequest request);
  void FillDispInfo(LVITEMA& item, bool wide);
  ListItem* ItemForNotify(int index);

  TViewStyle m_viewStyle = TViewStyle::vsIcon;
  bool m_multiSelect = false;
  bool m_hideSelection = true;
  bool m_readOnly = false;
  bool m_rowSelect = false;
  bool m_gridLines = false;
  bool m_showColumnHeaders = true;
  bool m_columnClick = true;
  bool m_hotTrack = false;
  bool m_ownerData = false;
  ImageList* m_largeImages = nullptr;
  ImageList* m_smallImages = nullptr;
  ImageList* m_stateImages = nullptr;
  std::vector<std::unique_ptr<ListColumn>> m_columns;
  std::vector<std::unique_ptr<ListItem>> m_items;
  int m_ownerDataCount = 0;
  int m_updateCount = 0;
  int m_savedItemIndex = -1;
  // Owner data: the row fetched last, kept while one row's cells are drawn.
  ListItem m_temp{this};
  TItemRequest m_cacheRequest;
  bool m_cacheValid = false;
  std::string m_textBuffer;  // display text handed to the control
};

}  // namespace fw
