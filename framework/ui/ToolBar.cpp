#include "framework/ui/ToolBar.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/ui/Application.h"
#include "framework/ui/ImageList.h"
#include "framework/ui/Menus.h"
#include "framework/ui/WinUtil.h"

namespace fw {

// ---------------------------------------------------------------- ToolButton

ToolButton::ToolButton(Component* owner) : Component(owner) {}

ToolButton::~ToolButton() {
  if (m_action) m_action->RemoveClient(this);
  if (m_toolBar) m_toolBar->RemoveButton(this);
}

void ToolButton::SetToolBar(ToolBar* toolBar) {
  if (m_toolBar == toolBar) return;
  if (m_toolBar) m_toolBar->RemoveButton(this);
  if (toolBar) toolBar->AddButton(this);
}

int ToolButton::Index() const {
  if (!m_toolBar) return -1;
  const auto& v = m_toolBar->m_buttons;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

void ToolButton::Changed() {
  if (m_toolBar) m_toolBar->UpdateButton(this);
}

void ToolButton::SetCaption(const std::string& v) {
  m_caption = v;
  Changed();
}
void ToolButton::SetImageIndex(int v) {
  m_imageIndex = v;
  Changed();
}
void ToolButton::SetStyle(TToolButtonStyle v) {
  if (m_style == v) return;
  bool wasSeparator = m_style == TToolButtonStyle::tbsSeparator || m_style == TToolButtonStyle::tbsDivider;
  bool isSeparator = v == TToolButtonStyle::tbsSeparator || v == TToolButtonStyle::tbsDivider;
  m_style = v;
  if (m_toolBar && wasSeparator != isSeparator) {
    // A separator's picture slot holds its width: the button is made anew.
    ToolBar* bar = m_toolBar;
    int index = Index();
    bar->RemoveButton(this);
    bar->InsertButton(this, index);
  } else {
    Changed();
  }
}
void ToolButton::SetEnabled(bool v) {
  m_enabled = v;
  Changed();
}

bool ToolButton::Down() const {
  if (m_toolBar && m_toolBar->HandleAllocated() && m_id) {
    return ::SendMessageA(m_toolBar->Handle(), TB_ISBUTTONCHECKED, m_id, 0) != 0;
  }
  return m_down;
}

void ToolButton::SetDown(bool v) {
  m_down = v;
  Changed();
}
void ToolButton::SetVisible(bool v) {
  m_visible = v;
  Changed();
}
void ToolButton::SetSeparatorWidth(int v) {
  m_separatorWidth = v;
  if (m_toolBar && (m_style == TToolButtonStyle::tbsSeparator || m_style == TToolButtonStyle::tbsDivider)) {
    ToolBar* bar = m_toolBar;
    int index = Index();
    bar->RemoveButton(this);
    bar->InsertButton(this, index);
  }
}

void ToolButton::SetDropdownMenu(PopupMenu* menu) {
  if (m_dropdownMenu) RemoveFreeNotification(m_dropdownMenu);
  m_dropdownMenu = menu;
  if (menu) FreeNotification(menu);
}

void ToolButton::SetAction(Action* action) {
  if (m_action == action) return;
  if (m_action) {
    m_action->RemoveClient(this);
    RemoveFreeNotification(m_action);
  }
  m_action = action;
  if (action) {
    action->AddClient(this);
    FreeNotification(action);
    ActionChanged(action);
  }
}

void ToolButton::ActionChanged(Action* a) {
  if (a != m_action) return;
  m_caption = a->Caption();
  m_hint = a->Hint();
  m_enabled = a->Enabled();
  m_down = a->Checked();
  m_visible = a->Visible();
  m_imageIndex = a->ImageIndex();
  Changed();
}

void ToolButton::Notification(Component* component, Operation operation) {
  Component::Notification(component, operation);
  if (operation != Operation::opRemove) return;
  if (component == m_action) m_action = nullptr;
  if (component == m_dropdownMenu) m_dropdownMenu = nullptr;
}

RECT ToolButton::BoundsRect() const {
  RECT r{};
  if (m_toolBar && m_toolBar->HandleAllocated() && m_id)
    ::SendMessageA(m_toolBar->Handle(), TB_GETRECT, m_id, reinterpret_cast<LPARAM>(&r));
  return r;
}

void ToolButton::Click() {
  if (m_action) {
    m_action->Update();
    m_action->Execute();
  } else if (OnClick) {
    OnClick(this);
  }
}

// ---------------------------------------------------------------- ToolBar

ToolBar::ToolBar(Component* owner) : Control(owner) {
  m_align = TAlign::alTop;
  m_width = 150;
  m_height = 29;
  m_showHint = true;
}

ToolBar::~ToolBar() {
  for (ToolButton* b : m_buttons) {
    b->m_toolBar = nullptr;
    b->m_id = 0;
  }
  m_buttons.clear();
}

void ToolBar::CreateParams(fw::CreateParams& p) {
  Control::CreateParams(p);
  p.className = TOOLBARCLASSNAMEA;
  p.param = nullptr;
  // The layout places the bar: it must neither move nor size itself.
  p.style |= CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN | TBSTYLE_TOOLTIPS;
  if (m_flat) p.style |= TBSTYLE_FLAT;
  if (m_list) p.style |= TBSTYLE_LIST;
  if (m_wrapable) p.style |= TBSTYLE_WRAPABLE;
}

void ToolBar::CreateWnd() {
  Control::CreateWnd();
  ::SendMessageA(m_handle, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  ::SendMessageA(m_handle, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  ApplyImageLists();
  ApplyButtonSize();
  for (size_t i = 0; i < m_buttons.size(); ++i) InsertIntoWindow(m_buttons[i], static_cast<int>(i));
}

void ToolBar::ApplyImageLists() {
  if (!m_handle) return;
  if (m_images) {
    ::SendMessageA(m_handle, TB_SETBITMAPSIZE, 0, MAKELPARAM(m_images->Width(), m_images->Height()));
  }
  ::SendMessageA(m_handle, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_images ? m_images->Handle() : nullptr));
  ::SendMessageA(m_handle, TB_SETDISABLEDIMAGELIST, 0,
                 reinterpret_cast<LPARAM>(m_disabledImages ? m_disabledImages->Handle() : nullptr));
  ::SendMessageA(m_handle, TB_SETHOTIMAGELIST, 0,
                 reinterpret_cast<LPARAM>(m_hotImages ? m_hotImages->Handle() : nullptr));
  // A new picture size resizes the buttons: the chosen button size wins.
  ApplyButtonSize();
}

void ToolBar::ApplyButtonSize() {
  if (!m_handle) return;
  ::SendMessageA(m_handle, TB_SETBUTTONSIZE, 0, MAKELPARAM(m_buttonWidth, m_buttonHeight));
  // Buttons that exist already keep their width unless it is bounded too.
  ::SendMessageA(m_handle, TB_SETBUTTONWIDTH, 0, MAKELPARAM(m_buttonWidth, m_buttonWidth));
  ::SendMessageA(m_handle, TB_AUTOSIZE, 0, 0);
  Invalidate();
}

void ToolBar::InsertIntoWindow(ToolButton* b, int index) {
  TBBUTTON tb{};
  bool separator = b->m_style == TToolButtonStyle::tbsSeparator || b->m_style == TToolButtonStyle::tbsDivider;
  tb.iBitmap = separator ? b->m_separatorWidth : b->m_imageIndex;
  tb.idCommand = static_cast<int>(b->m_id);
  tb.fsState = static_cast<BYTE>((b->m_enabled ? TBSTATE_ENABLED : 0) | (b->m_down ? TBSTATE_CHECKED : 0) |
                                 (b->m_visible ? 0 : TBSTATE_HIDDEN));
  switch (b->m_style) {
    case TToolButtonStyle::tbsCheck:
      tb.fsStyle = BTNS_CHECK;
      break;
    case TToolButtonStyle::tbsDropDown:
      tb.fsStyle = BTNS_DROPDOWN;
      break;
    case TToolButtonStyle::tbsSeparator:
    case TToolButtonStyle::tbsDivider:
      tb.fsStyle = BTNS_SEP;
      break;
    default:
      tb.fsStyle = BTNS_BUTTON;
      break;
  }
  tb.iString = (m_showCaptions && !separator) ? reinterpret_cast<INT_PTR>(b->m_caption.c_str()) : -1;
  ::SendMessageA(m_handle, TB_INSERTBUTTONA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&tb));
}

void ToolBar::InsertButton(ToolButton* b, int index) {
  index = std::clamp(index, 0, ButtonCount());
  m_buttons.insert(m_buttons.begin() + index, b);
  b->m_toolBar = this;
  b->m_id = m_nextId++;
  if (m_nextId > 0x7FFF) m_nextId = 1;
  if (m_handle) InsertIntoWindow(b, index);
}

void ToolBar::AddButton(ToolButton* b) { InsertButton(b, ButtonCount()); }

void ToolBar::RemoveButton(ToolButton* b) {
  auto it = std::find(m_buttons.begin(), m_buttons.end(), b);
  if (it == m_buttons.end()) return;
  int index = static_cast<int>(it - m_buttons.begin());
  if (m_handle) {
    b->m_down = b->Down();
    ::SendMessageA(m_handle, TB_DELETEBUTTON, static_cast<WPARAM>(index), 0);
  }
  m_buttons.erase(it);
  b->m_toolBar = nullptr;
  b->m_id = 0;
}

void ToolBar::UpdateButton(ToolButton* b) {
  if (!m_handle || !b->m_id) return;
  TBBUTTONINFOA info{};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_STATE | TBIF_IMAGE | TBIF_STYLE;
  info.fsState = static_cast<BYTE>((b->m_enabled ? TBSTATE_ENABLED : 0) | (b->m_down ? TBSTATE_CHECKED : 0) |
                                   (b->m_visible ? 0 : TBSTATE_HIDDEN));
  info.iImage = b->m_imageIndex;
  switch (b->m_style) {
    case TToolButtonStyle::tbsCheck:
      info.fsStyle = BTNS_CHECK;
      break;
    case TToolButtonStyle::tbsDropDown:
      info.fsStyle = BTNS_DROPDOWN;
      break;
    case TToolButtonStyle::tbsSeparator:
    case TToolButtonStyle::tbsDivider:
      info.fsStyle = BTNS_SEP;
      info.dwMask &= ~static_cast<DWORD>(TBIF_IMAGE);
      break;
    default:
      info.fsStyle = BTNS_BUTTON;
      break;
  }
  if (m_showCaptions) {
    info.dwMask |= TBIF_TEXT;
    info.pszText = const_cast<char*>(b->m_caption.c_str());
  }
  ::SendMessageA(m_handle, TB_SETBUTTONINFOA, b->m_id, reinterpret_cast<LPARAM>(&info));
}

ToolButton* ToolBar::AddButton(TToolButtonStyle style) {
  auto* b = new ToolButton(Owner() ? Owner() : this);
  b->SetStyle(style);
  b->SetToolBar(this);
  return b;
}

ToolButton* ToolBar::FindButton(UINT id) const {
  for (ToolButton* b : m_buttons)
    if (b->m_id == id) return b;
  return nullptr;
}

SIZE ToolBar::IdealSize() {
  SIZE s{0, 0};
  if (Handle()) ::SendMessageA(m_handle, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&s));
  return s;
}

void ToolBar::SetFlat(bool v) {
  m_flat = v;
  ChangeWindowStyle(m_handle, GWL_STYLE, TBSTYLE_FLAT, v);
}
void ToolBar::SetList(bool v) {
  m_list = v;
  ChangeWindowStyle(m_handle, GWL_STYLE, TBSTYLE_LIST, v);
}
void ToolBar::SetWrapable(bool v) {
  m_wrapable = v;
  ChangeWindowStyle(m_handle, GWL_STYLE, TBSTYLE_WRAPABLE, v);
}
void ToolBar::SetShowCaptions(bool v) {
  if (m_showCaptions == v) return;
  m_showCaptions = v;
  RecreateWnd();
}
void ToolBar::SetButtonWidth(int v) {
  m_buttonWidth = v;
  ApplyButtonSize();
}
void ToolBar::SetButtonHeight(int v) {
  m_buttonHeight = v;
  ApplyButtonSize();
}
void ToolBar::SetImages(ImageList* v) {
  m_images = v;
  if (v) FreeNotification(v);
  ApplyImageLists();
}
void ToolBar::SetDisabledImages(ImageList* v) {
  m_disabledImages = v;
  if (v) FreeNotification(v);
  ApplyImageLists();
}
void ToolBar::SetHotImages(ImageList* v) {
  m_hotImages = v;
  if (v) FreeNotification(v);
  ApplyImageLists();
}

void ToolBar::Notification(Component* component, Operation operation) {
  Control::Notification(component, operation);
  if (operation != Operation::opRemove) return;
  bool changed = false;
  for (ImageList** slot : {&m_images, &m_disabledImages, &m_hotImages}) {
    if (*slot == component) {
      *slot = nullptr;
      changed = true;
    }
  }
  if (changed && !Destroying()) ApplyImageLists();
}

bool ToolBar::CNCommandFrom(WORD id, WORD) {
  ToolButton* b = FindButton(id);
  if (!b) return false;
  if (b->m_style == TToolButtonStyle::tbsCheck) b->m_down = b->Down();
  b->Click();
  return true;
}

void ToolBar::DropDown(ToolButton* b) {
  PopupMenu* menu = b->m_dropdownMenu;
  if (!menu) return;
  RECT r = b->BoundsRect();
  POINT pt{r.left, r.bottom};
  ::ClientToScreen(m_handle, &pt);
  menu->SetPopupComponent(this);
  menu->Popup(pt.x, pt.y);
}

bool ToolBar::CNNotify(NMHDR* h, LRESULT& result) {
  if (h->code == TBN_DROPDOWN) {
    auto* nm = reinterpret_cast<NMTOOLBARA*>(h);
    ToolButton* b = FindButton(static_cast<UINT>(nm->iItem));
    if (!b || !b->m_dropdownMenu) {
      result = TBDDRET_NODEFAULT;
      return true;
    }
    DropDown(b);
    result = TBDDRET_DEFAULT;
    return true;
  }
  return false;
}

LRESULT ToolBar::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NOTIFY: {
      // The bar's own tip window asks the bar for the text of a button.
      auto* h = reinterpret_cast<NMHDR*>(lp);
      if (h->code == TTN_GETDISPINFOA || h->code == TTN_GETDISPINFOW) {
        ToolButton* b = FindButton(static_cast<UINT>(h->idFrom));
        if (!b || !m_showHint) return 0;
        if (h->code == TTN_GETDISPINFOA) {
          auto* di = reinterpret_cast<NMTTDISPINFOA*>(lp);
          m_tipA = b->TipText();
          di->lpszText = m_tipA.data();
          di->hinst = nullptr;
        } else {
          auto* di = reinterpret_cast<NMTTDISPINFOW*>(lp);
          m_tipW = AnsiToWide(b->TipText());
          di->lpszText = m_tipW.data();
          di->hinst = nullptr;
        }
        return 0;
      }
      break;
    }
    case WM_MOUSEMOVE: {
      // The application's hint follows the button under the mouse.
      POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      int index = static_cast<int>(::SendMessageA(m_handle, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&pt)));
      if (index != m_hotIndex) {
        m_hotIndex = index;
        ToolButton* b = (index >= 0 && index < ButtonCount()) ? m_buttons[static_cast<size_t>(index)] : nullptr;
        Application().SetHint(b ? b->m_hint : m_hint);
      }
      break;
    }
    case WM_MOUSELEAVE:
      m_hotIndex = -2;
      break;
    case WM_DESTROY:
      for (ToolButton* b : m_buttons) b->m_down = b->Down();
      break;
    default:
      break;
  }
  return Control::WndProc(msg, wp, lp);
}

// ---------------------------------------------------------------- CoolBand

int CoolBand::Index() const {
  const auto& v = m_owner->m_bands;
  auto it = std::find_if(v.begin(), v.end(), [this](const auto& p) { return p.get() == this; });
  return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

void CoolBand::SetIndex(int index) {
  CoolBar* bar = m_owner;
  bar->SyncFromWindow();
  int from = Index();
  index = std::clamp(index, 0, static_cast<int>(bar->m_bands.size()) - 1);
  if (from < 0 || from == index) return;
  if (bar->m_handle) ::SendMessageA(bar->m_handle, RB_MOVEBAND, static_cast<WPARAM>(from), index);
  auto owned = std::move(bar->m_bands[static_cast<size_t>(from)]);
  bar->m_bands.erase(bar->m_bands.begin() + from);
  bar->m_bands.insert(bar->m_bands.begin() + index, std::move(owned));
}

void CoolBand::Apply(UINT mask) {
  HWND h = m_owner->m_handle;
  int index = m_owner->WindowIndex(this);
  if (!h || index < 0) return;
  REBARBANDINFOA info{};
  info.cbSize = REBARBANDINFOA_V6_SIZE;
  info.fMask = mask;
  if (mask & RBBIM_STYLE) {
    // Keep the bits this class does not manage.
    REBARBANDINFOA cur{};
    cur.cbSize = REBARBANDINFOA_V6_SIZE;
    cur.fMask = RBBIM_STYLE;
    ::SendMessageA(h, RB_GETBANDINFOA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&cur));
    info.fStyle = cur.fStyle & ~static_cast<UINT>(RBBS_BREAK | RBBS_FIXEDSIZE | RBBS_HIDDEN);
    if (m_break) info.fStyle |= RBBS_BREAK;
    if (m_fixedSize) info.fStyle |= RBBS_FIXEDSIZE;
    if (!m_visible) info.fStyle |= RBBS_HIDDEN;
  }
  if (mask & RBBIM_CHILD) info.hwndChild = m_control ? m_control->Handle() : nullptr;
  if (mask & RBBIM_CHILDSIZE) {
    info.cxMinChild = static_cast<UINT>(m_minWidth);
    info.cyMinChild = static_cast<UINT>(m_minHeight);
  }
  if (mask & RBBIM_SIZE) info.cx = static_cast<UINT>(m_width);
  if (mask & RBBIM_TEXT) info.lpText = const_cast<char*>(m_text.c_str());
  ::SendMessageA(h, RB_SETBANDINFOA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&info));
}

void CoolBand::SetControl(fw::Control* control) {
  if (m_control == control) return;
  if (control) {
    // The control moves here from the band that holds it now.
    if (CoolBand* other = m_owner->FindBand(control); other && other != this) other->SetControl(nullptr);
    if (control->Parent() != m_owner) control->SetParent(m_owner);
    m_owner->FreeNotification(control);
  }
  m_control = control;
  Apply(RBBIM_CHILD | RBBIM_CHILDSIZE);
}

int CoolBand::Width() const {
  m_owner->SyncFromWindow();
  return m_width;
}

void CoolBand::SetWidth(int v) {
  m_width = v;
  Apply(RBBIM_SIZE);
}

bool CoolBand::Break() const {
  m_owner->SyncFromWindow();
  return m_break;
}

void CoolBand::SetBreak(bool v) {
  m_owner->SyncFromWindow();
  m_break = v;
  Apply(RBBIM_STYLE);
}

void CoolBand::SetMinWidth(int v) {
  m_minWidth = v;
  Apply(RBBIM_CHILDSIZE);
}

void CoolBand::SetMinHeight(int v) {
  m_minHeight = v;
  Apply(RBBIM_CHILDSIZE);
}

void CoolBand::SetText(const std::string& v) {
  m_text = v;
  Apply(RBBIM_TEXT);
}

void CoolBand::SetFixedSize(bool v) {
  m_fixedSize = v;
  Apply(RBBIM_STYLE);
}

void CoolBand::SetVisible(bool v) {
  m_visible = v;
  Apply(RBBIM_STYLE);
}

// ---------------------------------------------------------------- CoolBar

CoolBar::CoolBar(Component* owner) : Control(owner) {
  m_align = TAlign::alTop;
  m_width = 150;
  m_height = 75;
}

CoolBar::~CoolBar() = default;

void CoolBar::CreateParams(fw::CreateParams& p) {
  Control::CreateParams(p);
  p.className = REBARCLASSNAMEA;
  p.param = nullptr;
  // The layout gives the bar its height: it must not size itself.
  p.style |= CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_NORESIZE | RBS_VARHEIGHT;
  if (m_bandBorders) p.style |= RBS_BANDBORDERS;
  if (m_fixedOrder) p.style |= RBS_FIXEDORDER;
  if (m_bandMaximize != TCoolBandMaximize::bmClick) p.style |= RBS_DBLCLKTOGGLE;
}

void CoolBar::CreateWnd() {
  Control::CreateWnd();
  for (size_t i = 0; i < m_bands.size(); ++i) InsertBandIntoWindow(m_bands[i].get(), static_cast<int>(i));
}

void CoolBar::InsertBandIntoWindow(CoolBand* band, int index) {
  REBARBANDINFOA info{};
  info.cbSize = REBARBANDINFOA_V6_SIZE;
  info.fMask = RBBIM_STYLE | RBBIM_ID | RBBIM_SIZE | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_TEXT;
  info.fStyle =
      (band->m_break ? RBBS_BREAK : 0) | (band->m_fixedSize ? RBBS_FIXEDSIZE : 0) | (band->m_visible ? 0 : RBBS_HIDDEN);
  info.wID = band->m_id;
  info.cx = static_cast<UINT>(band->m_width);
  // The child's window exists once the bar's does.
  info.hwndChild = band->m_control ? band->m_control->Handle() : nullptr;
  info.cxMinChild = static_cast<UINT>(band->m_minWidth);
  info.cyMinChild = static_cast<UINT>(band->m_minHeight);
  info.lpText = const_cast<char*>(band->m_text.c_str());
  ::SendMessageA(m_handle, RB_INSERTBANDA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&info));
}

int CoolBar::WindowIndex(const CoolBand* band) const {
  if (!m_handle) return -1;
  return static_cast<int>(::SendMessageA(m_handle, RB_IDTOINDEX, band->m_id, 0));
}

void CoolBar::SyncFromWindow() {
  if (!m_handle) return;
  int n = static_cast<int>(::SendMessageA(m_handle, RB_GETBANDCOUNT, 0, 0));
  if (n != static_cast<int>(m_bands.size())) return;
  std::vector<CoolBand*> order;
  for (int i = 0; i < n; ++i) {
    REBARBANDINFOA info{};
    info.cbSize = REBARBANDINFOA_V6_SIZE;
    info.fMask = RBBIM_ID | RBBIM_SIZE | RBBIM_STYLE;
    if (!::SendMessageA(m_handle, RB_GETBANDINFOA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info))) return;
    auto it = std::find_if(m_bands.begin(), m_bands.end(), [&info](const auto& b) { return b->m_id == info.wID; });
    if (it == m_bands.end()) return;
    (*it)->m_width = static_cast<int>(info.cx);
    (*it)->m_break = (info.fStyle & RBBS_BREAK) != 0;
    order.push_back(it->get());
  }
  std::vector<std::unique_ptr<CoolBand>> ordered;
  for (CoolBand* band : order) {
    auto it = std::find_if(m_bands.begin(), m_bands.end(), [band](const auto& b) { return b.get() == band; });
    ordered.push_back(std::move(*it));
  }
  m_bands = std::move(ordered);
}

int CoolBar::BandCount() { return static_cast<int>(m_bands.size()); }

CoolBand* CoolBar::Bands(int index) {
  SyncFromWindow();
  return m_bands.at(static_cast<size_t>(index)).get();
}

CoolBand* CoolBar::AddBand() {
  std::unique_ptr<CoolBand> b(new CoolBand(this));
  b->m_id = m_nextId++;
  CoolBand* band = b.get();
  m_bands.push_back(std::move(b));
  if (m_handle) InsertBandIntoWindow(band, static_cast<int>(m_bands.size()) - 1);
  return band;
}

void CoolBar::DeleteBand(int index) {
  SyncFromWindow();
  if (index < 0 || index >= BandCount()) return;
  if (m_handle) ::SendMessageA(m_handle, RB_DELETEBAND, static_cast<WPARAM>(index), 0);
  m_bands.erase(m_bands.begin() + index);
}

CoolBand* CoolBar::FindBand(const Control* control) {
  if (!control) return nullptr;
  for (auto& b : m_bands)
    if (b->m_control == control) return b.get();
  return nullptr;
}

void CoolBar::SetBandMaximize(TCoolBandMaximize v) {
  m_bandMaximize = v;
  ChangeWindowStyle(m_handle, GWL_STYLE, RBS_DBLCLKTOGGLE, v != TCoolBandMaximize::bmClick);
}

void CoolBar::SetFixedOrder(bool v) {
  m_fixedOrder = v;
  ChangeWindowStyle(m_handle, GWL_STYLE, RBS_FIXEDORDER, v);
}

void CoolBar::SetBandBorders(bool v) {
  m_bandBorders = v;
  ChangeWindowStyle(m_handle, GWL_STYLE, RBS_BANDBORDERS, v);
}

void CoolBar::Notification(Component* component, Operation operation) {
  Control::Notification(component, operation);
  if (operation != Operation::opRemove) return;
  for (auto& b : m_bands) {
    if (b->m_control == component) {
      b->m_control = nullptr;
      if (!Destroying()) b->Apply(RBBIM_CHILD);
    }
  }
}

void CoolBar::AlignControls(RECT) {}

LRESULT CoolBar::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  // The user's arrangement is kept when the window goes (it may be made again).
  if (msg == WM_DESTROY) SyncFromWindow();
  // A double click on a gripper maximises a band; without band maximising
  // it counts as a plain press, so dragging still works.
  if (msg == WM_LBUTTONDBLCLK && m_bandMaximize == TCoolBandMaximize::bmNone) msg = WM_LBUTTONDOWN;
  return Control::WndProc(msg, wp, lp);
}

bool CoolBar::CNNotify(NMHDR* h, LRESULT&) {
  switch (h->code) {
    case RBN_LAYOUTCHANGED:
    case RBN_ENDDRAG:
    case RBN_HEIGHTCHANGE:
      SyncFromWindow();
      if (OnChange && !Destroying()) OnChange(this);
      return true;
    default:
      return false;
  }
}

}  // namespace fw
