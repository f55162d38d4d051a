// Buttons, check boxes, radio buttons, group boxes and radio groups.
#include <windowsx.h>

#include <algorithm>

#include "framework/base/Handle.h"
#include "framework/ui/Application.h"
#include "framework/ui/Form.h"
#include "framework/ui/StdCtrls.h"
#include "framework/ui/WinUtil.h"

namespace fw {

// ---------------------------------------------------------------- buttons

namespace {

WPARAM CheckOf(TCheckBoxState state) {
  return state == TCheckBoxState::cbChecked  ? BST_CHECKED
         : state == TCheckBoxState::cbGrayed ? BST_INDETERMINATE
                                             : BST_UNCHECKED;
}

}  // namespace

ButtonControl::ButtonControl(Component* owner, int width, int height) : Control(owner) {
  m_tabStop = true;
  m_width = width;
  m_height = height;
}

void ButtonControl::CreateParams(fw::CreateParams& p) {
  Control::CreateParams(p);
  p.className = "BUTTON";
  p.param = nullptr;
  p.style |= ButtonStyle();
}

bool ButtonControl::CNCommand(WORD code) {
  if (code != BN_CLICKED) return false;
  Clicked();
  return true;
}

void ButtonControl::Clicked() {
  if (OnClick) OnClick(this);
}

Button::Button(Component* owner) : ButtonControl(owner, 75, 25) {}

DWORD Button::ButtonStyle() const { return m_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON; }

void Button::CreateParams(fw::CreateParams& p) {
  ButtonControl::CreateParams(p);
  // The dialog manager sends Enter as IDOK and Escape as IDCANCEL, naming
  // the form's child with that identifier: the default and cancel buttons
  // carry those identifiers, so the keys click them.
  if (m_default)
    p.menuOrId = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDOK));
  else if (m_cancel)
    p.menuOrId = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDCANCEL));
}

void Button::ApplyId() {
  if (!m_handle) return;
  if (m_default || m_cancel) ::SetWindowLongPtrA(m_handle, GWLP_ID, m_default ? IDOK : IDCANCEL);
  ::SendMessageA(m_handle, BM_SETSTYLE, ButtonStyle(), TRUE);
}

void Button::SetDefault(bool v) {
  m_default = v;
  ApplyId();
}

void Button::SetCancel(bool v) {
  m_cancel = v;
  ApplyId();
}

void Button::Clicked() { Click(); }

void Button::Click() {
  if (m_modalResult != mrNone) {
    if (Form* f = ParentForm()) f->SetModalResult(m_modalResult);
  }
  if (OnClick) OnClick(this);
}

CheckBox::CheckBox(Component* owner) : ButtonControl(owner, 97, 17) {}

DWORD CheckBox::ButtonStyle() const { return m_allowGrayed ? BS_AUTO3STATE : BS_AUTOCHECKBOX; }

void CheckBox::CreateWnd() {
  ButtonControl::CreateWnd();
  ::SendMessageA(m_handle, BM_SETCHECK, CheckOf(m_state), 0);
}

LRESULT CheckBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) m_state = State();
  return ButtonControl::WndProc(msg, wp, lp);
}

TCheckBoxState CheckBox::State() {
  if (!m_handle) return m_state;
  LRESULT c = ::SendMessageA(m_handle, BM_GETCHECK, 0, 0);
  return c == BST_CHECKED         ? TCheckBoxState::cbChecked
         : c == BST_INDETERMINATE ? TCheckBoxState::cbGrayed
                                  : TCheckBoxState::cbUnchecked;
}

void CheckBox::SetState(TCheckBoxState v) {
  if (State() == v) return;
  m_state = v;
  if (m_handle) ::SendMessageA(m_handle, BM_SETCHECK, CheckOf(v), 0);
  if (OnClick) OnClick(this);
}

bool CheckBox::Checked() { return State() == TCheckBoxState::cbChecked; }

void CheckBox::SetChecked(bool v) { SetState(v ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked); }

void CheckBox::SetAllowGrayed(bool v) {
  if (m_allowGrayed == v) return;
  m_allowGrayed = v;
  RecreateWnd();
}

void CheckBox::Clicked() {
  m_state = State();
  if (OnClick) OnClick(this);
}

RadioButton::RadioButton(Component* owner) : ButtonControl(owner, 113, 17) {}

DWORD RadioButton::ButtonStyle() const { return BS_AUTORADIOBUTTON; }

void RadioButton::CreateWnd() {
  ButtonControl::CreateWnd();
  ::SendMessageA(m_handle, BM_SETCHECK, m_checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool RadioButton::Checked() { return m_checked; }

void RadioButton::TurnSiblingsOff() {
  if (!m_parent) return;
  for (int i = 0; i < m_parent->ControlCount(); ++i) {
    auto* r = dynamic_cast<RadioButton*>(m_parent->Controls(i));
    if (r && r != this && r->m_checked) r->SetChecked(false);
  }
}

void RadioButton::SetChecked(bool v) {
  if (m_checked == v) return;
  m_checked = v;
  if (m_handle) ::SendMessageA(m_handle, BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
  if (v) {
    TurnSiblingsOff();
    if (OnClick) OnClick(this);
  }
}

void RadioButton::Clicked() {
  // The system has checked this button and unchecked its group already.
  if (::SendMessageA(m_handle, BM_GETCHECK, 0, 0) != BST_CHECKED) return;
  if (m_checked) return;
  m_checked = true;
  TurnSiblingsOff();
  if (OnClick) OnClick(this);
}

// ---------------------------------------------------------------- GroupBox

GroupBox::GroupBox(Component* owner) : Control(owner) {
  m_width = 185;
  m_height = 105;
}

void GroupBox::CreateParams(fw::CreateParams& p) {
  Control::CreateParams(p);
  p.className = RegisterOwnWindowClass("OrvaneGroupBox", CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
  p.exStyle |= WS_EX_CONTROLPARENT;
}

void GroupBox::SetText(const std::string& text) {
  Control::SetText(text);
  Invalidate();
}

int GroupBox::CaptionHeight() const { return FontLineHeight(Font()); }

RECT GroupBox::AlignClientRect() {
  RECT r = Control::AlignClientRect();
  r.top += CaptionHeight() + 2;
  ::InflateRect(&r, -2, 0);
  r.bottom -= 2;
  return r;
}

void GroupBox::Paint(HDC dc) {
  RECT r;
  ::GetClientRect(m_handle, &r);
  int h = CaptionHeight();
  RECT frame = r;
  frame.top += h / 2;
  ::DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  std::string text = GetText();
  if (text.empty()) return;
  SelectGuard font(dc, Font());
  SIZE s = MeasureText(Font(), text);
  RECT tr{8, 0, 8 + s.cx + 4, h};
  ::FillRect(dc, &tr, ::GetSysColorBrush(COLOR_BTNFACE));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(m_enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  tr.left += 2;
  ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &tr, DT_SINGLELINE | DT_LEFT | DT_TOP);
}

LRESULT GroupBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PaintDC pdc(m_handle);
    Paint(pdc.get());
    return 0;
  }
  return Control::WndProc(msg, wp, lp);
}

// ---------------------------------------------------------------- RadioGroup

RadioGroup::RadioGroup(Component* owner) : GroupBox(owner) {}

void RadioGroup::SetItems(const std::vector<std::string>& items) {
  m_items = items;
  if (m_itemIndex >= static_cast<int>(m_items.size())) m_itemIndex = -1;
  RebuildButtons();
}

void RadioGroup::AddItem(const std::string& item) {
  m_items.push_back(item);
  RebuildButtons();
}

void RadioGroup::RebuildButtons() {
  m_updating = true;
  while (m_buttons.size() > m_items.size()) {
    RadioButton* b = m_buttons.back();
    m_buttons.pop_back();
    Free(b);
  }
  while (m_buttons.size() < m_items.size()) {
    auto* b = new RadioButton(this);
    b->OnClick = [this, b](Object*) { ButtonClicked(b); };
    b->SetParent(this);
    m_buttons.push_back(b);
  }
  for (size_t i = 0; i < m_buttons.size(); ++i) {
    m_buttons[i]->SetCaption(m_items[i]);
    m_buttons[i]->SetChecked(static_cast<int>(i) == m_itemIndex);
  }
  m_updating = false;
  ArrangeButtons();
}

void RadioGroup::SetItemIndex(int index) {
  if (index < -1 || index >= static_cast<int>(m_items.size())) index = -1;
  if (index == m_itemIndex) return;
  m_updating = true;
  if (m_itemIndex >= 0) m_buttons[static_cast<size_t>(m_itemIndex)]->SetChecked(false);
  m_itemIndex = index;
  if (index >= 0) m_buttons[static_cast<size_t>(index)]->SetChecked(true);
  m_updating = false;
  if (OnClick) OnClick(this);
}

void RadioGroup::ButtonClicked(RadioButton* button) {
  if (m_updating) return;
  auto it = std::find(m_buttons.begin(), m_buttons.end(), button);
  if (it == m_buttons.end()) return;
  m_itemIndex = static_cast<int>(it - m_buttons.begin());
  if (OnClick) OnClick(this);
}

void RadioGroup::SetColumns(int v) {
  m_columns = std::clamp(v, 1, 16);
  ArrangeButtons();
}

void RadioGroup::CreateWnd() {
  GroupBox::CreateWnd();
  ArrangeButtons();
}

void RadioGroup::Resized() {
  GroupBox::Resized();
  ArrangeButtons();
}

void RadioGroup::ArrangeButtons() {
  if (m_buttons.empty()) return;
  int count = static_cast<int>(m_buttons.size());
  int perColumn = (count + m_columns - 1) / m_columns;
  int textHeight = CaptionHeight();
  int width = (m_width - 10) / m_columns;
  int space = m_height - textHeight - 5;
  int height = std::max(space / perColumn, 1);
  int topMargin = textHeight + 1 + (space % perColumn) / 2;
  for (int i = 0; i < count; ++i) {
    m_buttons[static_cast<size_t>(i)]->SetBounds((i / perColumn) * width + 8, (i % perColumn) * height + topMargin,
                                                 width, height);
  }
}

}  // namespace fw
