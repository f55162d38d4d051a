// TShellListView: custom drawing of the attribute images, and the column
// layout, view style and sort kept in the settings file.
#include <string>

#include "framework/settings/IniFile.h"
#include "framework/ui/Application.h"
#include "framework/ui/ImageList.h"
#include "shell/ShellListView.h"

namespace {

constexpr DWORD kAttributeMask =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;  // 0x27

}  // namespace

// ---------------------------------------------------------------------------
// Custom draw

bool TShellListView::CustomDraw(NMLVCUSTOMDRAW* draw, LRESULT& result) {
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      result = m_windowGone ? CDRF_SKIPDEFAULT : CDRF_NOTIFYITEMDRAW;
      return true;
    case CDDS_ITEMPREPAINT:
      ShCustomDrawItem(draw, result);
      return true;
    case CDDS_ITEMPOSTPAINT: {
      // The images beside a large icon go on top of what the control drew.
      TShellFileItem* item = GetFileItem(static_cast<int>(draw->nmcd.dwItemSpec));
      if (item) DrawAttributeImagesBesideIcon(draw, item->GetAttributes());
      result = CDRF_DODEFAULT;
      return true;
    }
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
      ShCustomDrawSubItem(draw, result);
      return true;
    default:
      return false;
  }
}

void TShellListView::SetDrawColors(COLORREF text, COLORREF background) noexcept {
  if (!m_drawInfo) return;
  m_drawInfo->clrText = text;
  m_drawInfo->clrTextBk = background;
  m_canvasChanged = true;
}

namespace {
// Exposes the draw record to the handlers for the length of one event.
class DrawInfoScope {
 public:
  DrawInfoScope(NMLVCUSTOMDRAW*& slot, NMLVCUSTOMDRAW* draw, bool& changed) : m_slot(slot) {
    m_slot = draw;
    changed = false;
  }
  ~DrawInfoScope() { m_slot = nullptr; }
  DrawInfoScope(const DrawInfoScope&) = delete;
  DrawInfoScope& operator=(const DrawInfoScope&) = delete;

 private:
  NMLVCUSTOMDRAW*& m_slot;
};
}  // namespace

void TShellListView::ShCustomDrawItem(NMLVCUSTOMDRAW* draw, LRESULT& result) {
  int row = static_cast<int>(draw->nmcd.dwItemSpec);
  TShellFileItem* item = GetFileItem(row);
  DWORD attributes = item ? item->GetAttributes() : 0;
  bool subItemDraw = (attributes & kAttributeMask) != 0;
  bool defaultDraw = true;
  bool besideIcon = subItemDraw && ViewStyle() == fw::TViewStyle::vsIcon && m_attributesImage->ImageList;
  DrawInfoScope scope(m_drawInfo, draw, m_canvasChanged);
  if (OnCustomDrawItem) OnCustomDrawItem(this, row, draw->nmcd.uItemState, defaultDraw, subItemDraw);
  if (!defaultDraw) {
    result = CDRF_SKIPDEFAULT;
    return;
  }
  result = m_canvasChanged ? CDRF_NEWFONT : CDRF_DODEFAULT;
  if (besideIcon) result |= CDRF_NOTIFYPOSTPAINT;
  if (subItemDraw && ViewStyle() == fw::TViewStyle::vsReport) result |= CDRF_NOTIFYSUBITEMDRAW;
}

void TShellListView::ShCustomDrawSubItem(NMLVCUSTOMDRAW* draw, LRESULT& result) {
  int row = static_cast<int>(draw->nmcd.dwItemSpec);
  bool defaultDraw = true;
  DrawInfoScope scope(m_drawInfo, draw, m_canvasChanged);
  if (OnCustomDrawSubItem) OnCustomDrawSubItem(this, row, draw->iSubItem, draw->nmcd.uItemState, defaultDraw);
  if (!defaultDraw) {
    result = CDRF_SKIPDEFAULT;
    return;
  }
  result = m_canvasChanged ? CDRF_NEWFONT : CDRF_DODEFAULT;
  if (draw->iSubItem == hcAttr && m_attributesImage->ImageList) {
    if (TShellFileItem* item = GetFileItem(row)) {
      DrawAttributeColumn(draw, item->GetAttributes());
      result = CDRF_SKIPDEFAULT;
    }
  }
}

void TShellListView::DrawAttributeImagesBesideIcon(NMLVCUSTOMDRAW* draw, DWORD attributes) {
  fw::ImageList* images = m_attributesImage->ImageList;
  if (!images || !(attributes & kAttributeMask)) return;
  RECT icon{};
  icon.left = LVIR_ICON;
  if (!::SendMessageA(m_handle, LVM_GETITEMRECT, draw->nmcd.dwItemSpec, reinterpret_cast<LPARAM>(&icon))) return;
  int x = icon.left + 5 - images->Width();
  int y = icon.bottom - images->Height();
  const std::pair<DWORD, int> order[] = {{FILE_ATTRIBUTE_ARCHIVE, m_attributesImage->Archive},
                                         {FILE_ATTRIBUTE_SYSTEM, m_attributesImage->System},
                                         {FILE_ATTRIBUTE_HIDDEN, m_attributesImage->Hidden},
                                         {FILE_ATTRIBUTE_READONLY, m_attributesImage->ReadOnly}};
  for (const auto& [bit, index] : order) {
    if (!(attributes & bit) || index < 0) continue;
    images->Draw(draw->nmcd.hdc, x, y, index);
    y -= images->Height() + 1;
  }
}

void TShellListView::DrawAttributeColumn(NMLVCUSTOMDRAW* draw, DWORD attributes) {
  fw::ImageList* images = m_attributesImage->ImageList;
  HDC dc = draw->nmcd.hdc;
  RECT cell{};
  cell.top = draw->iSubItem;
  cell.left = LVIR_LABEL;
  if (!::SendMessageA(m_handle, LVM_GETSUBITEMRECT, draw->nmcd.dwItemSpec, reinterpret_cast<LPARAM>(&cell))) return;
  int saved = ::SaveDC(dc);
  ::IntersectClipRect(dc, cell.left, cell.top, cell.right, cell.bottom);
  COLORREF fill = ::GetSysColor(COLOR_WINDOW);
  bool selected = ItemState(static_cast<int>(draw->nmcd.dwItemSpec), LVIS_SELECTED) != 0;
  if (RowSelect() && selected)
    fill = (draw->nmcd.uItemState & CDIS_HOT) ? RGB(0, 0, 255) : ::GetSysColor(COLOR_HIGHLIGHT);
  fw::BrushHandle brush(::CreateSolidBrush(fill));
  ::FillRect(dc, &cell, brush.get());
  int x = cell.left;
  int y = cell.top + 2;
  const std::pair<DWORD, int> order[] = {{FILE_ATTRIBUTE_READONLY, m_attributesImage->ReadOnly},
                                         {FILE_ATTRIBUTE_HIDDEN, m_attributesImage->Hidden},
                                         {FILE_ATTRIBUTE_SYSTEM, m_attributesImage->System},
                                         {FILE_ATTRIBUTE_ARCHIVE, m_attributesImage->Archive}};
  for (const auto& [bit, index] : order) {
    if (!(attributes & bit) || index < 0) continue;
    images->Draw(dc, x, y, index);
    x += images->Width();
  }
  ::RestoreDC(dc, saved);
}

// ---------------------------------------------------------------------------
// Settings

void TShellListView::LoadSetting(const std::string& section) {
  fw::IniFile file(ShellControlSettingsFileName());
  LoadSetting(file, section);
}

void TShellListView::SaveSetting(const std::string& section) {
  try {
    fw::IniFile file(ShellControlSettingsFileName());
    SaveSetting(file, section);
  } catch (...) {
    // Saving the layout is a courtesy; it never stops the program closing.
  }
}

void TShellListView::LoadSetting(fw::IniFile& file, const std::string& section) {
  if (!HandleAllocated()) return;
  int count = file.ReadInteger(section, "ColumnsCount", ColumnCount());
  if (count == 0) return;
  int columns = std::min(count, ColumnCount());
  if (columns > 1) {
    std::vector<int> order(static_cast<std::size_t>(columns));
    std::vector<bool> seen(static_cast<std::size_t>(columns), false);
    bool valid = true;
    for (int i = 0; i < columns; ++i) {
      int c = file.ReadInteger(section, "Columns" + std::to_string(i), i);
      // A damaged file must not hand the control an order it cannot take.
      if (c < 0 || c >= columns || seen[static_cast<std::size_t>(c)]) {
        valid = false;
        break;
      }
      seen[static_cast<std::size_t>(c)] = true;
      order[static_cast<std::size_t>(i)] = c;
    }
    if (valid)
      ::SendMessageA(m_handle, LVM_SETCOLUMNORDERARRAY, static_cast<WPARAM>(columns),
                     reinterpret_cast<LPARAM>(order.data()));
  }
  for (int i = 0; i < columns; ++i)
    SetColumnWidth(i, file.ReadInteger(section, "ColumnsWidth" + std::to_string(i), 30));
  int style = std::clamp(file.ReadInteger(section, "ViewStyle", 0), 0, 3);
  SetViewStyle(static_cast<fw::TViewStyle>(style));
  for (int j = 0; j < kHeaderCaptionCount; ++j)
    m_fileList->SetSortDirection(static_cast<THeaderCaption>(j),
                                 file.ReadInteger(section, "SortOrder" + std::to_string(j), 1));
  int sortType = std::clamp(file.ReadInteger(section, "SortType", 0), 0, kHeaderCaptionCount - 1);
  Sort(static_cast<THeaderCaption>(sortType), true);
}

void TShellListView::SaveSetting(fw::IniFile& file, const std::string& section) {
  if (!HandleAllocated()) return;
  try {
    int count = ColumnCount();
    if (count > 1) {
      file.WriteInteger(section, "ColumnsCount", count);
      std::vector<int> order(static_cast<std::size_t>(count));
      ::SendMessageA(m_handle, LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(count),
                     reinterpret_cast<LPARAM>(order.data()));
      for (int i = 0; i < count; ++i) {
        file.WriteInteger(section, "Columns" + std::to_string(i), order[static_cast<std::size_t>(i)]);
        file.WriteInteger(section, "ColumnsWidth" + std::to_string(i), ColumnWidth(i));
      }
    }
    file.WriteInteger(section, "ViewStyle", static_cast<int>(ViewStyle()));
    for (int j = 0; j < kHeaderCaptionCount; ++j)
      file.WriteInteger(section, "SortOrder" + std::to_string(j),
                        m_fileList->GetSortDirection(static_cast<THeaderCaption>(j)));
    file.WriteInteger(section, "SortType", static_cast<int>(m_fileList->GetSortColumn()));
  } catch (...) {
    // See SaveSetting(section).
  }
}
