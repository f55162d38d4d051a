#include "framework/ui/ComCtrls.h"

#include <richedit.h>

#include <algorithm>

#include "framework/base/Handle.h"
#include "framework/ui/Application.h"
#include "framework/ui/ImageList.h"
#include "framework/ui/WinUtil.h"

namespace fw {

// ---------------------------------------------------------------- CustomTabControl

CustomTabControl::CustomTabControl(Component* owner) : Control(owner) {
  m_width = 289;
  m_height = 193;
  m_tabStop = true;
}

void CustomTabControl::CreateParams(fw::CreateParams& p) {
  Control::CreateParams(p);
  p.className = WC_TABCONTROLA;
  p.param = nullptr;
  if (m_multiLine) p.style |= TCS_MULTILINE;
  if (m_hotTrack) p.style |= TCS_HOTTRACK;
  switch (m_tabPosition) {
    case TTabPosition::tpBottom:
      p.style |= TCS_BOTTOM;
      break;
    case TTabPosition::tpLeft:
      p.style |= TCS_VERTICAL | TCS_MULTILINE;
      break;
    case TTabPosition::tpRight:
      p.style |= TCS_VERTICAL | TCS_RIGHT | TCS_MULTILINE;
      break;
    default:
      break;
  }
  if (m_style == TTabStyle::tsButtons) p.style |= TCS_BUTTONS;
  if (m_style == TTabStyle::tsFlatButtons) p.style |= TCS_BUTTONS | TCS_FLATBUTTONS;
}

void CustomTabControl::CreateWnd() {
  Control::CreateWnd();
  if (m_images) ::SendMessageA(m_handle, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_images->Handle()));
  InsertAllTabsIntoWindow();
  ::SendMessageA(m_handle, TCM_SETCURSEL, static_cast<WPARAM>(m_tabIndex), 0);
}

void CustomTabControl::InsertAllTabsIntoWindow() {
  if (m_tabs.empty()) return;
  // A tab control lays the whole strip out again on every insert, so filling
  // it tab by tab costs the square of the count (thousands of bookmarks took
  // many seconds). With fixed-width tabs that layout is cheap; the strip is
  // laid out once with the real widths when the style goes back.
  const bool wasFixed = (::GetWindowLongA(m_handle, GWL_STYLE) & TCS_FIXEDWIDTH) != 0;
  ::SendMessageA(m_handle, WM_SETREDRAW, FALSE, 0);
  if (!wasFixed) ChangeWindowStyle(m_handle, GWL_STYLE, TCS_FIXEDWIDTH, true);
  for (int i = 0; i < static_cast<int>(m_tabs.size()); ++i) InsertTabIntoWindow(i);
  if (!wasFixed) ChangeWindowStyle(m_handle, GWL_STYLE, TCS_FIXEDWIDTH, false);
  ::SendMessageA(m_handle, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(m_handle, nullptr, TRUE);
}

LRESULT CustomTabControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) m_tabIndex = static_cast<int>(::SendMessageA(m_handle, TCM_GETCURSEL, 0, 0));
  return Control::WndProc(msg, wp, lp);
}

void CustomTabControl::InsertTabIntoWindow(int index) {
  TCITEMA item{};
  item.mask = TCIF_TEXT | TCIF_IMAGE;
  item.pszText = const_cast<char*>(m_tabs[static_cast<size_t>(index)].c_str());
  item.iImage = m_tabImages[static_cast<size_t>(index)];
  ::SendMessageA(m_handle, TCM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

bool CustomTabControl::CNNotify(NMHDR* h, LRESULT& result) {
  if (h->code == TCN_SELCHANGING) {
    result = CanChange() ? FALSE : TRUE;
    return true;
  }
  if (h->code == TCN_SELCHANGE) {
    m_tabIndex = static_cast<int>(::SendMessageA(m_handle, TCM_GETCURSEL, 0, 0));
    Change();
    return true;
  }
  return false;
}

bool CustomTabControl::CanChange() {
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  return allow;
}

void CustomTabControl::Change() {
  if (OnChange) OnChange(this);
}

RECT CustomTabControl::AlignClientRect() {
  RECT r = Control::AlignClientRect();
  if (m_handle) ::SendMessageA(m_handle, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  return r;
}

RECT CustomTabControl::DisplayRect() { return AlignClientRect(); }

int CustomTabControl::CurrentTab() const {
  if (m_handle) return static_cast<int>(::SendMessageA(m_handle, TCM_GETCURSEL, 0, 0));
  return m_tabIndex;
}

void CustomTabControl::SelectTab(int index) {
  if (index < -1 || index >= static_cast<int>(m_tabs.size())) index = -1;
  m_tabIndex = index;
  if (m_handle) ::SendMessageA(m_handle, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void CustomTabControl::InsertTabAt(int index, const std::string& text, int imageIndex) {
  index = std::clamp(index, 0, static_cast<int>(m_tabs.size()));
  m_tabs.insert(m_tabs.begin() + index, text);
  m_tabImages.insert(m_tabImages.begin() + index, imageIndex);
  if (m_handle) {
    InsertTabIntoWindow(index);
    m_tabIndex = CurrentTab();
  } else if (m_tabIndex >= index) {
    ++m_tabIndex;
  } else if (m_tabIndex < 0 && m_tabs.size() == 1) {
    m_tabIndex = 0;
  }
  Realign();
}

void CustomTabControl::DeleteTabAt(int index) {
  if (index < 0 || index >= static_cast<int>(m_tabs.size())) return;
  m_tabs.erase(m_tabs.begin() + index);
  m_tabImages.erase(m_tabImages.begin() + index);
  if (m_handle) {
    ::SendMessageA(m_handle, TCM_DELETEITEM, static_cast<WPARAM>(index), 0);
    m_tabIndex = CurrentTab();
  } else if (m_tabIndex == index) {
    m_tabIndex = -1;
  } else if (m_tabIndex > index) {
    --m_tabIndex;
  }
  Realign();
}

void CustomTabControl::SetTabTextAt(int index, const std::string& text) {
  if (index < 0 || index >= static_cast<int>(m_tabs.size())) return;
  m_tabs[static_cast<size_t>(index)] = text;
  if (m_handle) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(text.c_str());
    ::SendMessageA(m_handle, TCM_SETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    Realign();
  }
}

void CustomTabControl::ClearAllTabs() {
  m_tabs.clear();
  m_tabImages.clear();
  m_tabIndex = -1;
  if (m_handle) ::SendMessageA(m_handle, TCM_DELETEALLITEMS, 0, 0);
  Realign();
}

void CustomTabControl::SetMultiLine(bool v) {
  m_multiLine = v;
  ChangeWindowStyle(m_handle, GWL_STYLE, TCS_MULTILINE, v);
  Realign();
}

void CustomTabControl::SetHotTrack(bool v) {
  m_hotTrack = v;
  ChangeWindowStyle(m_handle, GWL_STYLE, TCS_HOTTRACK, v);
}

void CustomTabControl::SetTabPosition(TTabPosition v) {
  if (m_tabPosition == v) return;
  m_tabPosition = v;
  if (!m_handle) return;
  DWORD style = static_cast<DWORD>(::GetWindowLongA(m_handle, GWL_STYLE)) & ~(TCS_BOTTOM | TCS_VERTICAL | TCS_RIGHT);
  if (v == TTabPosition::tpBottom) style |= TCS_BOTTOM;
  if (v == TTabPosition::tpLeft) style |= TCS_VERTICAL | TCS_MULTILINE;
  if (v == TTabPosition::tpRight) style |= TCS_VERTICAL | TCS_RIGHT | TCS_MULTILINE;
  ::SetWindowLongA(m_handle, GWL_STYLE, static_cast<LONG>(style));
  ::InvalidateRect(m_handle, nullptr, TRUE);
  Realign();
}

void CustomTabControl::SetStyle(TTabStyle v) {
  if (m_style == v) return;
  m_style = v;
  RecreateWnd();
}

void CustomTabControl::SetImages(ImageList* images) {
  m_images = images;
  if (images) FreeNotification(images);
  if (m_handle)
    ::SendMessageA(m_handle, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images ? images->Handle() : nullptr));
}

void CustomTabControl::Notification(Component* component, Operation operation) {
  Control::Notification(component, operation);
  if (operation == Operation::opRemove && component == m_images) {
    m_images = nullptr;
    if (m_handle && !Destroying()) ::SendMessageA(m_handle, TCM_SETIMAGELIST, 0, 0);
  }
}

int CustomTabControl::HitTest(int x, int y, UINT& flags) const {
  flags = TCHT_NOWHERE;
  if (!m_handle) return -1;
  TCHITTESTINFO hit{};
  hit.pt = POINT{x, y};
  int i = static_cast<int>(::SendMessageA(m_handle, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  flags = hit.flags;
  return i;
}

int CustomTabControl::IndexOfTabAt(int x, int y) const {
  UINT flags;
  return HitTest(x, y, flags);
}

RECT CustomTabControl::TabRect(int index) const {
  RECT r{};
  if (m_handle) ::SendMessageA(m_handle, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
  return r;
}

int CustomTabControl::RowCount() const {
  return m_handle ? static_cast<int>(::SendMessageA(m_handle, TCM_GETROWCOUNT, 0, 0)) : 1;
}

// ---------------------------------------------------------------- TabControl

TabControl::TabControl(Component* owner) : CustomTabControl(owner) {}

void TabControl::SetTabs(const std::vector<std::string>& tabs) { ReplaceAllTabs(tabs); }

void CustomTabControl::ReplaceAllTabs(const std::vector<std::string>& tabs) {
  ClearAllTabs();
  if (tabs.empty()) return;
  m_tabs = tabs;
  m_tabImages.assign(tabs.size(), -1);
  if (!m_handle) {
    m_tabIndex = 0;
    Realign();
    return;
  }
  InsertAllTabsIntoWindow();
  m_tabIndex = CurrentTab();
  Realign();
}

int TabControl::AddTab(const std::string& text) {
  InsertTabAt(TabCount(), text);
  return TabCount() - 1;
}

void TabControl::InsertTab(int index, const std::string& text) { InsertTabAt(index, text); }

// ---------------------------------------------------------------- TabSheet

TabSheet::TabSheet(Component* owner) : Control(owner) {
  // A sheet fills its page control's display area and shows only while active.
  m_align = TAlign::alClient;
  m_visible = false;
}

TabSheet::~TabSheet() {
  if (m_pageControl) m_pageControl->RemovePage(this);
  m_pageControl = nullptr;
}

void TabSheet::SetPageControl(PageControl* pc) { SetParent(pc); }

void TabSheet::SetParent(Control* parent) {
  auto* pc = dynamic_cast<PageControl*>(parent);
  if (pc == m_pageControl) {
    Control::SetParent(parent);
    return;
  }
  if (m_pageControl) m_pageControl->RemovePage(this);
  m_pageControl = pc;
  if (pc) m_visible = false;
  Control::SetParent(parent);
  if (pc) pc->InsertPage(this);
}

int TabSheet::PageIndex() const {
  if (!m_pageControl) return -1;
  const auto& pages = m_pageControl->m_pages;
  auto it = std::find(pages.begin(), pages.end(), this);
  return it == pages.end() ? -1 : static_cast<int>(it - pages.begin());
}

void TabSheet::SetPageIndex(int index) {
  if (m_pageControl) m_pageControl->MovePage(this, index);
}

int TabSheet::TabIndex() const {
  if (!m_pageControl || !m_tabVisible) return -1;
  int n = 0;
  for (TabSheet* p : m_pageControl->m_pages) {
    if (p == this) return n;
    if (p->m_tabVisible) ++n;
  }
  return -1;
}

void TabSheet::SetTabVisible(bool v) {
  if (m_tabVisible == v) return;
  m_tabVisible = v;
  if (m_pageControl) m_pageControl->RebuildTabs();
}

void TabSheet::SetImageIndex(int v) {
  m_imageIndex = v;
  if (m_pageControl) m_pageControl->RebuildTabs();
}

void TabSheet::SetText(const std::string& text) {
  Control::SetText(text);
  if (m_pageControl) m_pageControl->PageTabChanged(this);
}

// ---------------------------------------------------------------- PageControl

PageControl::PageControl(Component* owner) : CustomTabControl(owner) {}

PageControl::~PageControl() {
  for (TabSheet* p : m_pages) p->m_pageControl = nullptr;
  m_pages.clear();
}

TabSheet* PageControl::AddPage(const std::string& caption) {
  auto* sheet = new TabSheet(Owner() ? Owner() : this);
  sheet->SetCaption(caption);
  sheet->SetPageControl(this);
  return sheet;
}

void PageControl::InsertPage(TabSheet* page) {
  if (std::find(m_pages.begin(), m_pages.end(), page) != m_pages.end()) return;
  m_pages.push_back(page);
  if (!m_activePage) m_activePage = page;
  RebuildTabs();
  ShowActive();
}

void PageControl::RemovePage(TabSheet* page) {
  auto it = std::find(m_pages.begin(), m_pages.end(), page);
  if (it == m_pages.end()) return;
  size_t index = static_cast<size_t>(it - m_pages.begin());
  m_pages.erase(it);
  if (m_activePage == page) m_activePage = m_pages.empty() ? nullptr : m_pages[std::min(index, m_pages.size() - 1)];
  if (Destroying()) return;
  RebuildTabs();
  ShowActive();
}

void PageControl::MovePage(TabSheet* page, int index) {
  auto it = std::find(m_pages.begin(), m_pages.end(), page);
  if (it == m_pages.end()) return;
  m_pages.erase(it);
  index = std::clamp(index, 0, static_cast<int>(m_pages.size()));
  m_pages.insert(m_pages.begin() + index, page);
  RebuildTabs();
}

void PageControl::PageTabChanged(TabSheet* page) {
  int tab = page->TabIndex();
  if (tab >= 0) SetTabTextAt(tab, page->m_text);
}

void PageControl::RebuildTabs() {
  ClearAllTabs();
  for (TabSheet* p : m_pages)
    if (p->m_tabVisible) InsertTabAt(static_cast<int>(m_tabs.size()), p->m_text, p->m_imageIndex);
  SelectTab(m_activePage ? m_activePage->TabIndex() : -1);
  Realign();
}

TabSheet* PageControl::PageForTab(int tab) const {
  if (tab < 0) return nullptr;
  int n = 0;
  for (TabSheet* p : m_pages) {
    if (!p->m_tabVisible) continue;
    if (n == tab) return p;
    ++n;
  }
  return nullptr;
}

void PageControl::ShowActive() {
  // The new page is shown before the old one hides, so the area never flashes empty.
  if (m_activePage && !m_activePage->Visible()) {
    m_activePage->SetVisible(true);
    m_activePage->BringToFront();
    if (m_activePage->OnShow) m_activePage->OnShow(m_activePage);
  }
  for (TabSheet* p : m_pages) {
    if (p != m_activePage && p->Visible()) {
      p->SetVisible(false);
      if (p->OnHide) p->OnHide(p);
    }
  }
}

void PageControl::SetActivePage(TabSheet* page) {
  if (page && page->m_pageControl != this) return;
  m_activePage = page;
  SelectTab(page ? page->TabIndex() : -1);
  ShowActive();
}

int PageControl::ActivePageIndex() const {
  auto it = std::find(m_pages.begin(), m_pages.end(), m_activePage);
  return it == m_pages.end() ? -1 : static_cast<int>(it - m_pages.begin());
}

void PageControl::SetActivePageIndex(int index) {
  SetActivePage(index >= 0 && index < PageCount() ? m_pages[static_cast<size_t>(index)] : nullptr);
}

TabSheet* PageControl::FindNextPage(TabSheet* current, bool goForward) const {
  if (m_pages.empty()) return nullptr;
  int n = PageCount();
  auto it = std::find(m_pages.begin(), m_pages.end(), current);
  int start = it == m_pages.end() ? (goForward ? n - 1 : 0) : static_cast<int>(it - m_pages.begin());
  for (int step = 1; step <= n; ++step) {
    int i = ((start + (goForward ? step : -step)) % n + n) % n;
    if (m_pages[static_cast<size_t>(i)]->m_tabVisible) return m_pages[static_cast<size_t>(i)];
  }
  return nullptr;
}

void PageControl::SelectNextPage(bool goForward) {
  TabSheet* next = FindNextPage(m_activePage, goForward);
  if (!next || next == m_activePage || !CanChange()) return;
  SetActivePage(next);
  CustomTabControl::Change();
}

bool PageControl::CanChange() { return CustomTabControl::CanChange(); }

void PageControl::Change() {
  if (TabSheet* page = PageForTab(CurrentTab())) {
    m_activePage = page;
    ShowActive();
  }
  CustomTabControl::Change();
}

// ---------------------------------------------------------------- StatusBar

void StatusPanel::SetText(const std::string& v) {
  if (m_text == v) return;
  m_text = v;
  m_owner->UpdatePanelText(m_index);
}

void StatusPanel::SetWidth(int v) {
  m_width = v;
  m_owner->UpdatePanels();
}

void StatusPanel::SetBevel(TStatusPanelBevel v) {
  m_bevel = v;
  m_owner->UpdatePanelText(m_index);
}

void StatusPanel::SetAlignment(TAlignment v) {
  m_alignment = v;
  m_owner->UpdatePanelText(m_index);
}

StatusBar::StatusBar(Component* owner) : Control(owner) {
  m_align = TAlign::alBottom;
  m_width = 200;
  m_height = 19;
}

StatusBar::~StatusBar() {
  if (m_hintToken) Application().RemoveHintListener(m_hintToken);
}

void StatusBar::CreateParams(fw::CreateParams& p) {
  Control::CreateParams(p);
  p.className = STATUSCLASSNAMEA;
  p.param = nullptr;
  // The layout places the bar; it must not move or size itself.
  p.style |= CCS_NOPARENTALIGN | CCS_NORESIZE;
  if (m_sizeGrip) p.style |= SBARS_SIZEGRIP;
}

void StatusBar::CreateWnd() {
  Control::CreateWnd();
  UpdatePanels();
  if (m_simplePanel) {
    ::SendMessageA(m_handle, SB_SIMPLE, TRUE, 0);
    ::SendMessageA(m_handle, SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(m_simpleText.c_str()));
  }
}

void StatusBar::UpdatePanels() {
  if (!m_handle) return;
  std::vector<int> edges;
  int pos = 0;
  for (size_t i = 0; i + 1 < m_panels.size(); ++i) {
    pos += m_panels[i]->m_width;
    edges.push_back(pos);
  }
  edges.push_back(-1);  // the last panel reaches the end of the bar
  ::SendMessageA(m_handle, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  if (m_panels.empty())
    ::SendMessageA(m_handle, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(m_simplePanel ? "" : m_simpleText.c_str()));
  for (size_t i = 0; i < m_panels.size(); ++i) UpdatePanelText(static_cast<int>(i));
}

void StatusBar::UpdatePanelText(int index) {
  if (!m_handle || index < 0 || index >= PanelCount()) return;
  const StatusPanel& p = *m_panels[static_cast<size_t>(index)];
  WPARAM flags = p.m_bevel == TStatusPanelBevel::pbNone     ? SBT_NOBORDERS
                 : p.m_bevel == TStatusPanelBevel::pbRaised ? SBT_POPOUT
                                                            : 0;
  // The status bar centres text after one tab and right-aligns it after two.
  std::string text = p.m_alignment == TAlignment::taCenter         ? "\t" + p.m_text
                     : p.m_alignment == TAlignment::taRightJustify ? "\t\t" + p.m_text
                                                                   : p.m_text;
  ::SendMessageA(m_handle, SB_SETTEXTA, static_cast<WPARAM>(index) | flags, reinterpret_cast<LPARAM>(text.c_str()));
}

StatusPanel* StatusBar::AddPanel(int width, const std::string& text) {
  std::unique_ptr<StatusPanel> p(new StatusPanel(this));
  p->m_index = PanelCount();
  p->m_width = width;
  p->m_text = text;
  StatusPanel* panel = p.get();
  m_panels.push_back(std::move(p));
  UpdatePanels();
  return panel;
}

void StatusBar::DeletePanel(int index) {
  if (index < 0 || index >= PanelCount()) return;
  m_panels.erase(m_panels.begin() + index);
  for (size_t i = 0; i < m_panels.size(); ++i) m_panels[i]->m_index = static_cast<int>(i);
  UpdatePanels();
}

void StatusBar::ClearPanels() {
  m_panels.clear();
  UpdatePanels();
}

void StatusBar::SetSimplePanel(bool v) {
  if (m_simplePanel == v) return;
  m_simplePanel = v;
  if (!m_handle) return;
  ::SendMessageA(m_handle, SB_SIMPLE, v, 0);
  if (v) ::SendMessageA(m_handle, SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(m_simpleText.c_str()));
}

void StatusBar::SetSimpleText(const std::string& v) {
  m_simpleText = v;
  if (!m_handle) return;
  if (m_simplePanel)
    ::SendMessageA(m_handle, SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(v.c_str()));
  else if (m_panels.empty())
    ::SendMessageA(m_handle, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(v.c_str()));
}

void StatusBar::SetSizeGrip(bool v) {
  if (m_sizeGrip == v) return;
  m_sizeGrip = v;
  RecreateWnd();
}

void StatusBar::SetAutoHint(bool v) {
  if (m_autoHint == v) return;
  m_autoHint = v;
  if (v) {
    m_hintToken = Application().AddHintListener([this](const std::string& hint) { ExecuteHint(hint); });
  } else if (m_hintToken) {
    Application().RemoveHintListener(m_hintToken);
    m_hintToken = 0;
  }
}

bool StatusBar::ExecuteHint(const std::string& hint) {
  if (Destroying()) return false;
  if (OnHint) {
    OnHint(this);
    return true;
  }
  if (m_simplePanel || m_panels.empty())
    SetSimpleText(hint);
  else
    m_panels[0]->SetText(hint);
  return true;
}

// ---------------------------------------------------------------- RichEdit

namespace {
void LoadRichEditLibrary() {
  // Kept for the life of the process: windows of its classes may outlive
  // every static object of the program, so it is never unloaded.
  static Module& library = *new Module(::LoadLibraryA("riched20.dll"));
  (void)library;
}
}  // namespace

RichEdit::RichEdit(Component* owner) : Control(owner) {
  LoadRichEditLibrary();
  m_width = 185;
  m_height = 89;
  m_tabStop = true;
}

void RichEdit::CreateParams(fw::CreateParams& p) {
  Control::CreateParams(p);
  p.className = "RichEdit20A";
  p.param = nullptr;
  // The text mode can only change while the box is empty: the text follows.
  p.caption.clear();
  p.style |= ES_MULTILINE | ES_AUTOVSCROLL;
  if (!m_wordWrap) p.style |= ES_AUTOHSCROLL;
  if (!m_hideSelection) p.style |= ES_NOHIDESEL;
  if (m_readOnly) p.style |= ES_READONLY;
  if (m_scrollBars == TScrollStyle::ssVertical || m_scrollBars == TScrollStyle::ssBoth) p.style |= WS_VSCROLL;
  if (m_scrollBars == TScrollStyle::ssHorizontal || m_scrollBars == TScrollStyle::ssBoth) p.style |= WS_HSCROLL;
  if (m_borderStyle == TBorderStyle::bsSingle) p.exStyle |= WS_EX_CLIENTEDGE;
}

void RichEdit::CreateWnd() {
  Control::CreateWnd();
  if (m_plainText) ::SendMessageA(m_handle, EM_SETTEXTMODE, TM_PLAINTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE, 0);
  // The default limit is 32K characters; output panes hold far more.
  ::SendMessageA(m_handle, EM_EXLIMITTEXT, 0, m_maxLength > 0 ? m_maxLength : 0x7FFFFFF0);
  ::SendMessageA(m_handle, EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE);
  ::SendMessageA(m_handle, EM_SETTARGETDEVICE, 0, m_wordWrap ? 0 : 1);
  ApplyFont();
  if (!m_text.empty()) ::SetWindowTextA(m_handle, m_text.c_str());
  if (m_updateCount > 0) ::SendMessageA(m_handle, WM_SETREDRAW, FALSE, 0);
}

LRESULT RichEdit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) m_text = GetText();
  return Control::WndProc(msg, wp, lp);
}

bool RichEdit::CNCommand(WORD code) {
  if (code == EN_CHANGE) {
    if (OnChange) OnChange(this);
    return true;
  }
  return false;
}

bool RichEdit::CNNotify(NMHDR* h, LRESULT&) {
  if (h->code == EN_SELCHANGE) {
    if (OnSelectionChange) OnSelectionChange(this);
    return true;
  }
  return false;
}

void RichEdit::SetReadOnly(bool v) {
  m_readOnly = v;
  if (m_handle) ::SendMessageA(m_handle, EM_SETREADONLY, v, 0);
}

void RichEdit::SetPlainText(bool v) {
  if (m_plainText == v) return;
  m_plainText = v;
  RecreateWnd();
}

void RichEdit::SetScrollBars(TScrollStyle v) {
  if (m_scrollBars == v) return;
  m_scrollBars = v;
  RecreateWnd();
}

void RichEdit::SetWordWrap(bool v) {
  if (m_wordWrap == v) return;
  m_wordWrap = v;
  RecreateWnd();
}

void RichEdit::SetHideSelection(bool v) {
  if (m_hideSelection == v) return;
  m_hideSelection = v;
  RecreateWnd();
}

void RichEdit::SetBorderStyle(TBorderStyle v) {
  if (m_borderStyle == v) return;
  m_borderStyle = v;
  ChangeWindowStyle(m_handle, GWL_EXSTYLE, WS_EX_CLIENTEDGE, v == TBorderStyle::bsSingle);
}

void RichEdit::SetMaxLength(int v) {
  m_maxLength = std::max(v, 0);
  if (m_handle) ::SendMessageA(m_handle, EM_EXLIMITTEXT, 0, m_maxLength > 0 ? m_maxLength : 0x7FFFFFF0);
}

void RichEdit::SetText(const std::string& text) { Control::SetText(text); }

std::string RichEdit::GetText() const {
  if (!m_handle) return m_text;
  // The rich edit's own query: exact byte count in the ANSI code page, line
  // breaks as CR LF (the plain window-text query fails on long texts).
  GETTEXTLENGTHEX q{GTL_NUMBYTES | GTL_PRECISE | GTL_USECRLF, CP_ACP};
  int bytes = static_cast<int>(::SendMessageA(m_handle, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&q), 0));
  if (bytes <= 0) return {};
  std::string text(static_cast<size_t>(bytes) + 2, '\0');
  GETTEXTEX g{};
  g.cb = static_cast<DWORD>(text.size());
  g.flags = GT_USECRLF;
  g.codepage = CP_ACP;
  int n = static_cast<int>(
      ::SendMessageA(m_handle, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&g), reinterpret_cast<LPARAM>(text.data())));
  text.resize(static_cast<size_t>(std::clamp(n, 0, bytes + 1)));
  return text;
}

int RichEdit::TextLength() const {
  if (!m_handle) return static_cast<int>(m_text.size());
  GETTEXTLENGTHEX q{GTL_NUMCHARS | GTL_PRECISE, 1200};
  return static_cast<int>(::SendMessageA(m_handle, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&q), 0));
}

void RichEdit::BeginUpdate() {
  if (m_updateCount++ == 0 && m_handle) ::SendMessageA(m_handle, WM_SETREDRAW, FALSE, 0);
}

void RichEdit::EndUpdate() {
  if (m_updateCount == 0) return;
  if (--m_updateCount == 0 && m_handle) {
    if (m_scrollToEnd) ::SendMessageA(m_handle, WM_VSCROLL, SB_BOTTOM, 0);
    m_scrollToEnd = false;
    ::SendMessageA(m_handle, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_handle, nullptr, TRUE);
  }
}

void RichEdit::AppendText(const std::string& text) {
  if (text.empty()) return;
  if (!m_handle) {
    m_text += text;
    return;
  }
  // Each visible append repaints the whole box; holding painting off makes
  // appending cheap.
  BeginUpdate();
  CHARRANGE end{-1, -1};
  ::SendMessageA(m_handle, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
  ::SendMessageA(m_handle, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  // Scrolled once when the outermost batch ends.
  m_scrollToEnd = true;
  EndUpdate();
}

void RichEdit::Clear() { SetText(""); }

int RichEdit::LineCount() const {
  return m_handle ? static_cast<int>(::SendMessageA(m_handle, EM_GETLINECOUNT, 0, 0)) : 0;
}

std::string RichEdit::Line(int index) const {
  if (!m_handle || index < 0) return {};
  LRESULT start = ::SendMessageA(m_handle, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
  if (start < 0) return {};
  int chars = static_cast<int>(::SendMessageA(m_handle, EM_LINELENGTH, static_cast<WPARAM>(start), 0));
  // Two bytes per character at most in the ANSI code page, plus room for the size word.
  std::string buf(static_cast<size_t>(chars) * 2 + 4, '\0');
  *reinterpret_cast<WORD*>(buf.data()) = static_cast<WORD>(buf.size() - 1);
  int n = static_cast<int>(
      ::SendMessageA(m_handle, EM_GETLINE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buf.data())));
  buf.resize(static_cast<size_t>(std::max(n, 0)));
  while (!buf.empty() && (buf.back() == '\r' || buf.back() == '\n')) buf.pop_back();
  return buf;
}

void RichEdit::SelectAll() {
  if (!m_handle) return;
  CHARRANGE all{0, -1};
  ::SendMessageA(m_handle, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
}

int RichEdit::SelStart() const {
  CHARRANGE r{};
  if (m_handle) ::SendMessageA(m_handle, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
  return r.cpMin;
}

int RichEdit::SelLength() const {
  CHARRANGE r{};
  if (m_handle) ::SendMessageA(m_handle, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
  return r.cpMax - r.cpMin;
}

void RichEdit::SetSelStart(int v) {
  if (!m_handle) return;
  CHARRANGE r{v, v};
  ::SendMessageA(m_handle, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
}

void RichEdit::SetSelLength(int v) {
  if (!m_handle) return;
  CHARRANGE r{};
  ::SendMessageA(m_handle, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
  r.cpMax = r.cpMin + v;
  ::SendMessageA(m_handle, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
}

std::string RichEdit::SelText() const {
  if (!m_handle) return {};
  int chars = SelLength();
  if (chars <= 0) return {};
  std::string buf(static_cast<size_t>(chars) * 2 + 1, '\0');
  int n = static_cast<int>(::SendMessageA(m_handle, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(buf.data())));
  buf.resize(static_cast<size_t>(std::max(n, 0)));
  return buf;
}

void RichEdit::CopyToClipboard() {
  if (m_handle) ::SendMessageA(m_handle, WM_COPY, 0, 0);
}
void RichEdit::CutToClipboard() {
  if (m_handle) ::SendMessageA(m_handle, WM_CUT, 0, 0);
}
void RichEdit::PasteFromClipboard() {
  if (m_handle) ::SendMessageA(m_handle, WM_PASTE, 0, 0);
}

// ---------------------------------------------------------------- ProgressBar

ProgressBar::ProgressBar(Component* owner) : Control(owner) {
  m_width = 150;
  m_height = 16;
}

void ProgressBar::CreateParams(fw::CreateParams& p) {
  Control::CreateParams(p);
  p.className = PROGRESS_CLASSA;
  p.param = nullptr;
}

void ProgressBar::CreateWnd() {
  Control::CreateWnd();
  ::SendMessageA(m_handle, PBM_SETRANGE32, static_cast<WPARAM>(m_min), m_max);
  ::SendMessageA(m_handle, PBM_SETSTEP, static_cast<WPARAM>(m_step), 0);
  ::SendMessageA(m_handle, PBM_SETPOS, static_cast<WPARAM>(m_position), 0);
}

void ProgressBar::SetRange(int min, int max) {
  m_min = min;
  m_max = std::max(max, min);
  m_position = std::clamp(m_position, m_min, m_max);
  if (m_handle) ::SendMessageA(m_handle, PBM_SETRANGE32, static_cast<WPARAM>(m_min), m_max);
}

int ProgressBar::Position() const {
  if (m_handle) return static_cast<int>(::SendMessageA(m_handle, PBM_GETPOS, 0, 0));
  return m_position;
}

void ProgressBar::SetPosition(int v) {
  m_position = std::clamp(v, m_min, m_max);
  if (m_handle) ::SendMessageA(m_handle, PBM_SETPOS, static_cast<WPARAM>(m_position), 0);
}

void ProgressBar::SetStep(int v) {
  m_step = v;
  if (m_handle) ::SendMessageA(m_handle, PBM_SETSTEP, static_cast<WPARAM>(v), 0);
}

void ProgressBar::StepIt() { StepBy(m_step); }

void ProgressBar::StepBy(int delta) {
  // The bar wraps round past its end, as the system's step does.
  int span = m_max - m_min;
  int p = Position() + delta;
  if (span > 0 && p > m_max) p = m_min + (p - m_min) % (span + 1);
  SetPosition(p);
}

}  // namespace fw
