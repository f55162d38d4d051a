#include "framework/ui/StdCtrls.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/base/Handle.h"
#include "framework/ui/Application.h"
#include "framework/ui/Form.h"
#include "framework/ui/WinUtil.h"

namespace fw {
namespace {
const char kComboEditProp[] = "Orvane.ComboEdit";

UINT AlignmentFormat(TAlignment a) {
  switch (a) {
    case TAlignment::taRightJustify:
      return DT_RIGHT;
    case TAlignment::taCenter:
      return DT_CENTER;
    default:
      return DT_LEFT;
  }
}

// Sorted boxes order their entries as the list box does: by the user's
// locale, ignoring case.
int CompareEntries(const std::string& a, const std::string& b) {
  return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                          static_cast<int>(b.size())) -
         CSTR_EQUAL;
}
}  // namespace

// ---------------------------------------------------------------- Panel

Panel::Panel(Component* owner) : Control(owner) {
  m_width = 185;
  m_height = 41;
}

void Panel::CreateParams(fw::CreateParams& p) {
  Control::CreateParams(p);
  p.className = RegisterOwnWindowClass("OrvanePanel", CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
  if (m_borderStyle == TBorderStyle::bsSingle) p.exStyle |= WS_EX_CLIENTEDGE;
}

void Panel::SetBevelOuter(TBevelCut v) {
  m_bevelOuter = v;
  Invalidate();
  Realign();
}
void Panel::SetBevelInner(TBevelCut v) {
  m_bevelInner = v;
  Invalidate();
  Realign();
}
void Panel::SetBevelWidth(int v) {
  m_bevelWidth = std::max(v, 1);
  Invalidate();
  Realign();
}
void Panel::SetBorderStyle(TBorderStyle v) {
  if (m_borderStyle == v) return;
  m_borderStyle = v;
  ChangeWindowStyle(m_handle, GWL_EXSTYLE, WS_EX_CLIENTEDGE, v == TBorderStyle::bsSingle);
  Realign();
}
void Panel::SetAlignment(TAlignment v) {
  m_alignment = v;
  Invalidate();
}

void Panel::SetText(const std::string& text) {
  Control::SetText(text);
  Invalidate();
}

int Panel::BorderThickness() const {
  int t = 0;
  if (m_bevelOuter != TBevelCut::bvNone) t += m_bevelWidth;
  if (m_bevelInner != TBevelCut::bvNone) t += m_bevelWidth;
  return t;
}

RECT Panel::AlignClientRect() {
  RECT r = Control::AlignClientRect();
  int t = BorderThickness();
  ::InflateRect(&r, -t, -t);
  return r;
}

void Panel::Paint(HDC dc) {
  RECT r;
  ::GetClientRect(m_handle, &r);
  auto bevel = [&](TBevelCut cut, UINT raised, UINT sunken) {
    if (cut == TBevelCut::bvNone) return;
    for (int i = 0; i < m_bevelWidth; ++i)
      ::DrawEdge(dc, &r, cut == TBevelCut::bvRaised ? raised : sunken, BF_RECT | BF_ADJUST);
  };
  bevel(m_bevelOuter, BDR_RAISEDOUTER, BDR_SUNKENOUTER);
  bevel(m_bevelInner, BDR_RAISEDINNER, BDR_SUNKENINNER);
  std::string text = GetText();
  if (text.empty()) return;
  SelectGuard font(dc, Font());
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(m_enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS | AlignmentFormat(m_alignment));
}

LRESULT Panel::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PaintDC pdc(m_handle);
    Paint(pdc.get());
    return 0;
  }
  return Control::WndProc(msg, wp, lp);
}

// ---------------------------------------------------------------- Label

Label::Label(Component* owner) : Control(owner) {
  m_width = 65;
  m_height = 13;
}

void Label::CreateParams(fw::CreateParams& p) {
  Control::CreateParams(p);
  p.className = "STATIC";
  p.param = nullptr;
  p.style |= SS_NOTIFY;
  if (!m_showAccelChar) p.style |= SS_NOPREFIX;
  switch (m_alignment) {
    case TAlignment::taRightJustify:
      p.style |= SS_RIGHT;
      break;
    case TAlignment::taCenter:
      p.style |= SS_CENTER;
      break;
    default:
      p.style |= m_wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP;
      break;
  }
}

void Label::CreateWnd() {
  Control::CreateWnd();
  AdjustSize();
}

bool Label::CNCommand(WORD code) {
  if (code == STN_CLICKED) {
    if (OnClick) OnClick(this);
    return true;
  }
  if (code == STN_DBLCLK) {
    if (OnDblClick) OnDblClick(this);
    return true;
  }
  return false;
}

void Label::SetText(const std::string& text) {
  Control::SetText(text);
  AdjustSize();
}

void Label::SetAutoSize(bool v) {
  m_autoSize = v;
  AdjustSize();
}

void Label::SetAlignment(TAlignment v) {
  if (m_alignment == v) return;
  m_alignment = v;
  RecreateWnd();
}

void Label::SetWordWrap(bool v) {
  if (m_wordWrap == v) return;
  m_wordWrap = v;
  RecreateWnd();
  AdjustSize();
}

void Label::SetShowAccelChar(bool v) {
  if (m_showAccelChar == v) return;
  m_showAccelChar = v;
  RecreateWnd();
  AdjustSize();
}

void Label::AdjustSize() {
  if (!m_autoSize) return;
  SIZE s = MeasureText(Font(), m_text, m_wordWrap ? m_width : 0, m_showAccelChar ? 0 : DT_NOPREFIX);
  if (m_wordWrap)
    SetBounds(m_left, m_top, m_width, s.cy);
  else
    SetBounds(m_left, m_top, s.cx, s.cy);
}

// ---------------------------------------------------------------- Edit

Edit::Edit(Component* owner) : Control(owner) {
  m_width = 121;
  m_height = 21;
  m_tabStop = true;
}

void Edit::CreateParams(fw::CreateParams& p) {
  Control::CreateParams(p);
  p.className = "EDIT";
  p.param = nullptr;
  p.style |= ES_AUTOHSCROLL | ES_LEFT;
  if (m_readOnly) p.style |= ES_READONLY;
  if (m_passwordChar) p.style |= ES_PASSWORD;
  if (m_charCase == TEditCharCase::ecUpperCase) p.style |= ES_UPPERCASE;
  if (m_charCase == TEditCharCase::ecLowerCase) p.style |= ES_LOWERCASE;
  if (!m_hideSelection) p.style |= ES_NOHIDESEL;
  if (m_borderStyle == TBorderStyle::bsSingle) p.exStyle |= WS_EX_CLIENTEDGE;
}

void Edit::CreateWnd() {
  Control::CreateWnd();
  ::SendMessageA(m_handle, EM_LIMITTEXT, static_cast<WPARAM>(m_maxLength), 0);
  if (m_passwordChar) ::SendMessageA(m_handle, EM_SETPASSWORDCHAR, static_cast<unsigned char>(m_passwordChar), 0);
  if (m_selStart || m_selLength) ::SendMessageA(m_handle, EM_SETSEL, m_selStart, m_selStart + m_selLength);
}

LRESULT Edit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    // The window may be made again (a style change); keep what the user typed.
    m_text = WindowText(m_handle);
    GetSelection(m_selStart, m_selLength);
    m_selLength -= m_selStart;
  }
  return Control::WndProc(msg, wp, lp);
}

bool Edit::CNCommand(WORD code) {
  if (code == EN_CHANGE) {
    Change();
    return true;
  }
  return false;
}

void Edit::Change() {
  if (OnChange) OnChange(this);
}

UINT Edit::DialogCode(UINT defaultCode, const MSG* msg) {
  // A box whose key handler is set sees Enter and Escape even in a dialog.
  bool saved = m_wantReturns;
  m_wantReturns = m_wantReturns || static_cast<bool>(OnKeyDown);
  UINT r = Control::DialogCode(defaultCode, msg);
  m_wantReturns = saved;
  return r;
}

void Edit::SetBorderStyle(TBorderStyle v) {
  if (m_borderStyle == v) return;
  m_borderStyle = v;
  ChangeWindowStyle(m_handle, GWL_EXSTYLE, WS_EX_CLIENTEDGE, v == TBorderStyle::bsSingle);
}

void Edit::SetReadOnly(bool v) {
  m_readOnly = v;
  if (m_handle) ::SendMessageA(m_handle, EM_SETREADONLY, v, 0);
}

void Edit::SetMaxLength(int v) {
  m_maxLength = std::max(v, 0);
  if (m_handle) ::SendMessageA(m_handle, EM_LIMITTEXT, static_cast<WPARAM>(m_maxLength), 0);
}

void Edit::SetPasswordChar(char v) {
  if (m_passwordChar == v) return;
  m_passwordChar = v;
  RecreateWnd();
}

void Edit::SetCharCase(TEditCharCase v) {
  if (m_charCase == v) return;
  m_charCase = v;
  RecreateWnd();
}

void Edit::SetHideSelection(bool v) {
  if (m_hideSelection == v) return;
  m_hideSelection = v;
  RecreateWnd();
}

bool Edit::Modified() { return m_handle && ::SendMessageA(m_handle, EM_GETMODIFY, 0, 0) != 0; }

void Edit::SetModified(bool v) {
  if (m_handle) ::SendMessageA(m_handle, EM_SETMODIFY, v, 0);
}

void Edit::GetSelection(int& start, int& end) {
  DWORD s = 0, e = 0;
  if (m_handle) {
    ::SendMessageA(m_handle, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    start = static_cast<int>(s);
    end = static_cast<int>(e);
  } else {
    start = m_selStart;
    end = m_selStart + m_selLength;
  }
}

int Edit::SelStart() {
  int s, e;
  GetSelection(s, e);
  return s;
}

void Edit::SetSelStart(int v) {
  m_selStart = v;
  m_selLength = 0;
  if (m_handle) ::SendMessageA(m_handle, EM_SETSEL, v, v);
}

int Edit::SelLength() {
  int s, e;
  GetSelection(s, e);
  return e - s;
}

void Edit::SetSelLength(int v) {
  int s = SelStart();
  m_selStart = s;
  m_selLength = v;
  if (m_handle) ::SendMessageA(m_handle, EM_SETSEL, s, s + v);
}

std::string Edit::SelText() {
  int s, e;
  GetSelection(s, e);
  std::string text = GetText();
  if (s < 0 || e < s || static_cast<size_t>(e) > text.size()) return {};
  return text.substr(static_cast<size_t>(s), static_cast<size_t>(e - s));
}

void Edit::SetSelText(const std::string& text) {
  if (m_handle) ::SendMessageA(m_handle, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void Edit::SelectAll() {
  if (m_handle) ::SendMessageA(m_handle, EM_SETSEL, 0, -1);
}

void Edit::ClearSelection() {
  if (m_handle) ::SendMessageA(m_handle, WM_CLEAR, 0, 0);
}
void Edit::CopyToClipboard() {
  if (m_handle) ::SendMessageA(m_handle, WM_COPY, 0, 0);
}
void Edit::CutToClipboard() {
  if (m_handle) ::SendMessageA(m_handle, WM_CUT, 0, 0);
}
void Edit::PasteFromClipboard() {
  if (m_handle) ::SendMessageA(m_handle, WM_PASTE, 0, 0);
}

// ---------------------------------------------------------------- Memo

Memo::Memo(Component* owner) : Edit(owner) {
  m_width = 185;
  m_height = 89;
}

void Memo::CreateParams(fw::CreateParams& p) {
  Edit::CreateParams(p);
  p.style |= ES_MULTILINE | ES_AUTOVSCROLL;
  if (m_wantReturnKey) p.style |= ES_WANTRETURN;
  if (m_wordWrap) p.style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
  if (m_scrollBars == TScrollStyle::ssVertical || m_scrollBars == TScrollStyle::ssBoth) p.style |= WS_VSCROLL;
  if (m_scrollBars == TScrollStyle::ssHorizontal || m_scrollBars == TScrollStyle::ssBoth) p.style |= WS_HSCROLL;
}

UINT Memo::DialogCode(UINT defaultCode, const MSG* msg) {
  UINT r = Edit::DialogCode(defaultCode, msg);
  if (m_wantReturnKey && msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) r |= DLGC_WANTMESSAGE;
  return r;
}

void Memo::SetScrollBars(TScrollStyle v) {
  if (m_scrollBars == v) return;
  m_scrollBars = v;
  RecreateWnd();
}

void Memo::SetWordWrap(bool v) {
  if (m_wordWrap == v) return;
  m_wordWrap = v;
  RecreateWnd();
}

std::vector<std::string> Memo::Lines() {
  std::vector<std::string> lines;
  std::string text = GetText();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    size_t stop = (end > start && text[end - 1] == '\r') ? end - 1 : end;
    lines.push_back(text.substr(start, stop - start));
    start = end + 1;
  }
  return lines;
}

void Memo::SetLines(const std::vector<std::string>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) text += "\r\n";
    text += lines[i];
  }
  SetText(text);
}

int Memo::LineCount() { return static_cast<int>(Lines().size()); }

std::string Memo::Line(int index) {
  auto lines = Lines();
  if (index < 0 || static_cast<size_t>(index) >= lines.size()) return {};
  return lines[static_cast<size_t>(index)];
}

void Memo::AddLine(const std::string& line) {
  std::string text = GetText();
  if (!text.empty() && text.back() != '\n') text += "\r\n";
  SetText(text + line + "\r\n");
}

// ---------------------------------------------------------------- ComboBox

ComboBox::ComboBox(Component* owner) : Control(owner) {
  m_width = 145;
  m_height = 21;
  m_tabStop = true;
}

ComboBox::~ComboBox() { DetachEdit(); }

void ComboBox::CreateParams(fw::CreateParams& p) {
  Control::CreateParams(p);
  p.className = "COMBOBOX";
  p.param = nullptr;
  p.style |= WS_VSCROLL | CBS_AUTOHSCROLL;
  switch (m_style) {
    case TComboBoxStyle::csSimple:
      p.style |= CBS_SIMPLE;
      break;
    case TComboBoxStyle::csDropDownList:
      p.style |= CBS_DROPDOWNLIST;
      break;
    default:
      p.style |= CBS_DROPDOWN;
      break;
  }
  if (m_sorted) p.style |= CBS_SORT;
  m_closedHeight = m_height;
  if (m_style != TComboBoxStyle::csSimple) p.height = DroppedHeight();
}

int ComboBox::DroppedHeight() {
  // The window's height given to the system is the closed box plus the open list.
  return m_height + FontLineHeight(Font()) * std::max(m_dropDownCount, 1) + 2;
}

void ComboBox::CreateWnd() {
  Control::CreateWnd();
  RECT r;
  ::GetWindowRect(m_handle, &r);
  if (m_style != TComboBoxStyle::csSimple && r.bottom - r.top > m_closedHeight + FontLineHeight(Font())) {
    // Wine keeps a new box as tall as its open list until it is first
    // resized, and band bars centre their children by that height. Sizing it
    // once (without adding the list's room, which the box keeps) makes the
    // window the closed box, as Windows has it from the start.
    m_inSize = true;
    ::SetWindowPos(m_handle, nullptr, 0, 0, m_width, m_closedHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_inSize = false;
    UpdateStoredBounds();
  }
  FillWindow();
  if (m_maxLength > 0) ::SendMessageA(m_handle, CB_LIMITTEXT, static_cast<WPARAM>(m_maxLength), 0);
  ::SendMessageA(m_handle, CB_SETMINVISIBLE, static_cast<WPARAM>(m_dropDownCount), 0);
  if (m_itemIndex >= 0) {
    ::SendMessageA(m_handle, CB_SETCURSEL, static_cast<WPARAM>(m_itemIndex), 0);
  } else if (m_style != TComboBoxStyle::csDropDownList && !m_text.empty()) {
    ::SetWindowTextA(m_handle, m_text.c_str());
  }
  AttachEdit();
}

void ComboBox::FillWindow() {
  ::SendMessageA(m_handle, CB_RESETCONTENT, 0, 0);
  for (const Entry& e : m_items) {
    LRESULT i = ::SendMessageA(m_handle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.text.c_str()));
    if (i >= 0) ::SendMessageA(m_handle, CB_SETITEMDATA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(e.data));
  }
  if (m_sorted) ReadOrderFromWindow();
}

void ComboBox::ReadOrderFromWindow() {
  int n = static_cast<int>(::SendMessageA(m_handle, CB_GETCOUNT, 0, 0));
  std::vector<Entry> items;
  for (int i = 0; i < n; ++i) {
    int len = static_cast<int>(::SendMessageA(m_handle, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0));
    std::string text(static_cast<size_t>(std::max(len, 0)) + 1, '\0');
    len = static_cast<int>(
        ::SendMessageA(m_handle, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data())));
    text.resize(static_cast<size_t>(std::max(len, 0)));
    void* data = reinterpret_cast<void*>(::SendMessageA(m_handle, CB_GETITEMDATA, static_cast<WPARAM>(i), 0));
    items.push_back(Entry{std::move(text), data});
  }
  m_items = std::move(items);
}

LRESULT ComboBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_WINDOWPOSCHANGING: {
      // Layouts give the closed height; the system takes the height as the
      // open list's too, so the list's part is added here.
      // The box itself shrinks its window to the closed height while it
      // handles WM_SIZE; that request is left alone.
      auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
      if (m_style != TComboBoxStyle::csSimple && !(pos->flags & SWP_NOSIZE) && !m_inSize) {
        int list = FontLineHeight(Font()) * std::max(m_dropDownCount, 1) + 2;
        if (pos->cy < list) pos->cy += list;
      }
      break;
    }
    case WM_SIZE: {
      m_inSize = true;
      LRESULT r = Control::WndProc(msg, wp, lp);
      m_inSize = false;
      return r;
    }
    case WM_DESTROY:
      m_itemIndex = static_cast<int>(::SendMessageA(m_handle, CB_GETCURSEL, 0, 0));
      m_text = WindowText(m_handle);
      break;
    default:
      break;
  }
  return Control::WndProc(msg, wp, lp);
}

bool ComboBox::CNCommand(WORD code) {
  switch (code) {
    case CBN_SELCHANGE: {
      m_itemIndex = static_cast<int>(::SendMessageA(m_handle, CB_GETCURSEL, 0, 0));
      // The edit box shows the new entry only after this notification; the
      // handlers must already read it as the text.
      if (m_style == TComboBoxStyle::csDropDown && m_itemIndex >= 0 && m_itemIndex < ItemCount())
        ::SetWindowTextA(m_handle, Item(m_itemIndex).c_str());
      if (OnClick) OnClick(this);
      Select();
      return true;
    }
    case CBN_EDITCHANGE:
      Change();
      return true;
    case CBN_DROPDOWN:
      DropDown();
      return true;
    case CBN_CLOSEUP:
      CloseUp();
      return true;
    default:
      return false;
  }
}

void ComboBox::Change() {
  if (OnChange) OnChange(this);
}

void ComboBox::Select() {
  if (OnSelect)
    OnSelect(this);
  else
    Change();
}

void ComboBox::DropDown() {
  if (OnDropDown) OnDropDown(this);
}

void ComboBox::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

LRESULT CALLBACK ComboEditProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* combo = static_cast<ComboBox*>(::GetPropA(wnd, kComboEditProp));
  if (!combo) return ::DefWindowProcA(wnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    WNDPROC def = combo->m_editDefProc;
    combo->DetachEdit();
    return ::CallWindowProcA(def, wnd, msg, wp, lp);
  }
  try {
    return combo->EditWndProc(msg, wp, lp);
  } catch (const std::exception& e) {
    HandleException(e);
  } catch (...) {
    HandleException(Exception("unknown error"));
  }
  return 0;
}

void ComboBox::AttachEdit() {
  if (m_edit || m_style == TComboBoxStyle::csDropDownList) return;
  HWND edit = ::FindWindowExA(m_handle, nullptr, "Edit", nullptr);
  if (!edit) return;
  m_edit = edit;
  ::SetPropA(edit, kComboEditProp, this);
  m_editDefProc =
      reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ComboEditProc)));
}

void ComboBox::DetachEdit() {
  if (!m_edit) return;
  if (::IsWindow(m_edit)) {
    ::SetWindowLongPtrA(m_edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_editDefProc));
    ::RemovePropA(m_edit, kComboEditProp);
  }
  m_edit = nullptr;
  m_editDefProc = nullptr;
}

LRESULT ComboBox::CallEditDefault(UINT msg, WPARAM wp, LPARAM lp) {
  if (!m_edit || !m_editDefProc) return 0;
  return ::CallWindowProcA(m_editDefProc, m_edit, msg, wp, lp);
}

LRESULT ComboBox::EditWndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_CHAR:
      if (DoKeyMessage(msg, wp)) return 0;
      break;
    case WM_GETDLGCODE: {
      UINT r = static_cast<UINT>(CallEditDefault(msg, wp, lp));
      auto* m = reinterpret_cast<const MSG*>(lp);
      if (OnKeyDown && m && m->message == WM_KEYDOWN && (m->wParam == VK_RETURN || m->wParam == VK_ESCAPE))
        r |= DLGC_WANTMESSAGE;
      return r;
    }
    default:
      break;
  }
  return CallEditDefault(msg, wp, lp);
}

void ComboBox::SetStyle(TComboBoxStyle v) {
  if (m_style == v) return;
  m_style = v;
  RecreateWnd();
}

void ComboBox::SetSorted(bool v) {
  if (m_sorted == v) return;
  m_sorted = v;
  if (v && !m_handle) {
    std::stable_sort(m_items.begin(), m_items.end(),
                     [](const Entry& a, const Entry& b) { return CompareEntries(a.text, b.text) < 0; });
  }
  RecreateWnd();
}

void ComboBox::SetDropDownCount(int v) {
  m_dropDownCount = std::max(v, 1);
  if (m_handle) {
    ::SendMessageA(m_handle, CB_SETMINVISIBLE, static_cast<WPARAM>(m_dropDownCount), 0);
    RECT r;
    ::GetWindowRect(m_handle, &r);
    ::SetWindowPos(m_handle, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void ComboBox::SetMaxLength(int v) {
  m_maxLength = std::max(v, 0);
  if (m_handle) ::SendMessageA(m_handle, CB_LIMITTEXT, static_cast<WPARAM>(m_maxLength), 0);
}

int ComboBox::SortedPosition(const std::string& text) const {
  auto it = std::upper_bound(m_items.begin(), m_items.end(), text,
                             [](const std::string& t, const Entry& e) { return CompareEntries(t, e.text) < 0; });
  return static_cast<int>(it - m_items.begin());
}

void ComboBox::SetItemData(int index, void* data) {
  m_items.at(static_cast<size_t>(index)).data = data;
  if (m_handle) ::SendMessageA(m_handle, CB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(data));
}

int ComboBox::AddItem(const std::string& text, void* data) {
  int index;
  if (m_handle) {
    index = static_cast<int>(::SendMessageA(m_handle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    if (index < 0) return -1;
    ::SendMessageA(m_handle, CB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(data));
  } else {
    index = m_sorted ? SortedPosition(text) : ItemCount();
    if (m_itemIndex >= index) ++m_itemIndex;
  }
  m_items.insert(m_items.begin() + index, Entry{text, data});
  return index;
}

void ComboBox::InsertItem(int index, const std::string& text, void* data) {
  index = std::clamp(index, 0, ItemCount());
  if (m_handle) {
    int i = static_cast<int>(
        ::SendMessageA(m_handle, CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str())));
    if (i < 0) return;
    ::SendMessageA(m_handle, CB_SETITEMDATA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(data));
  } else if (m_itemIndex >= index) {
    ++m_itemIndex;
  }
  m_items.insert(m_items.begin() + index, Entry{text, data});
}

void ComboBox::DeleteItem(int index) {
  if (index < 0 || index >= ItemCount()) return;
  if (m_handle) {
    ::SendMessageA(m_handle, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
  } else if (m_itemIndex == index) {
    m_itemIndex = -1;
  } else if (m_itemIndex > index) {
    --m_itemIndex;
  }
  m_items.erase(m_items.begin() + index);
}

void ComboBox::ClearItems() {
  m_items.clear();
  m_itemIndex = -1;
  if (m_handle) ::SendMessageA(m_handle, CB_RESETCONTENT, 0, 0);
}

void ComboBox::SetItems(const std::vector<std::string>& items) {
  ClearItems();
  for (const auto& s : items) AddItem(s);
}

std::vector<std::string> ComboBox::Items() const {
  std::vector<std::string> v;
  v.reserve(m_items.size());
  for (const auto& e : m_items) v.push_back(e.text);
  return v;
}

int ComboBox::IndexOf(const std::string& text) const {
  for (size_t i = 0; i < m_items.size(); ++i)
    if (CompareEntries(m_items[i].text, text) == 0) return static_cast<int>(i);
  return -1;
}

int ComboBox::ItemIndex() {
  if (m_handle) return static_cast<int>(::SendMessageA(m_handle, CB_GETCURSEL, 0, 0));
  return m_itemIndex;
}

void ComboBox::SetItemIndex(int index) {
  if (index < -1 || index >= ItemCount()) index = -1;
  m_itemIndex = index;
  if (m_handle) ::SendMessageA(m_handle, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::string ComboBox::GetText() const {
  if (m_handle) return WindowText(m_handle);
  if (m_style == TComboBoxStyle::csDropDownList)
    return (m_itemIndex >= 0 && m_itemIndex < ItemCount()) ? m_items[static_cast<size_t>(m_itemIndex)].text
                                                           : std::string();
  return m_text;
}

void ComboBox::SetText(const std::string& text) {
  if (m_style == TComboBoxStyle::csDropDownList) {
    SetItemIndex(IndexOf(text));
    return;
  }
  Control::SetText(text);
}

bool ComboBox::DroppedDown() { return m_handle && ::SendMessageA(m_handle, CB_GETDROPPEDSTATE, 0, 0) != 0; }

void ComboBox::SetDroppedDown(bool v) {
  if (m_handle) ::SendMessageA(m_handle, CB_SHOWDROPDOWN, v, 0);
}

void ComboBox::SelectAll() {
  if (m_handle) ::SendMessageA(m_handle, CB_SETEDITSEL, 0, MAKELPARAM(0, 0xFFFF));
}

}  // namespace fw
