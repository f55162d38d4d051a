#include "shell/ShellStatusBar.h"

#include "framework/base/Exception.h"
#include "framework/ui/Menus.h"

namespace {
fw::Control* RequireControl(fw::Component* owner) {
  auto* c = dynamic_cast<fw::Control*>(owner);
  if (!c) throw fw::EInvalidCast();
  return c;
}

constexpr int kSmallFontBarHeight = 23;
constexpr int kPointsOfSmallFont = 9;
}  // namespace

TShellStatusBar::TShellStatusBar(fw::Component* owner) : fw::StatusBar(owner), m_ownerControl(RequireControl(owner)) {}

TShellStatusBar::~TShellStatusBar() = default;

bool TShellStatusBar::ExecuteHint(const std::string& hint) {
  if (Destroying()) return false;
  if (!AutoHint() || OnHint || SimplePanel() || PanelCount() == 0) return fw::StatusBar::ExecuteHint(hint);
  const std::string text = fw::GetLongHint(hint);
  if (text.empty()) {
    if (m_hintMode) {
      // The hint panel is the last one: it was appended when the hint came.
      if (m_hintPanel) DeletePanel(m_hintPanel->Index());
      m_hintPanel = nullptr;
      for (int i = 0; i < PanelCount() && i < static_cast<int>(m_savedWidths.size()); ++i)
        Panels(i)->SetWidth(m_savedWidths[static_cast<size_t>(i)]);
      m_hintMode = false;
    }
  } else if (m_ownerControl) {
    if (!m_hintMode) {
      m_hintMode = true;
      m_savedWidths.clear();
      for (int i = 0; i < PanelCount(); ++i) {
        m_savedWidths.push_back(Panels(i)->Width());
        Panels(i)->SetWidth(0);
      }
      m_hintPanel = AddPanel(m_ownerControl->Width());
      m_hintPanel->SetBevel(fw::TStatusPanelBevel::pbNone);
    }
    m_hintPanel->SetText(text);
  }
  return true;
}

fw::ProgressBar* TShellStatusBar::GetProgressBar() {
  if (m_progressBar || Destroying()) return m_progressBar;
  while (PanelCount() < 2) AddPanel();
  m_progressBar = fw::Make<fw::ProgressBar>(this);
  m_progressBar->SetName("ProgressBar");
  m_progressBar->SetVisible(false);
  m_progressBar->SetParent(this);
  PlaceProgressBar();
  return m_progressBar;
}

void TShellStatusBar::PlaceProgressBar() {
  if (!m_progressBar) return;
  m_progressBar->SetBounds(1, 2, Panels(0)->Width() - 2, Height() - 2);
}

LRESULT TShellStatusBar::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT r = fw::StatusBar::WndProc(msg, wp, lp);
  if (msg == WM_SETFONT) FontChanged();
  return r;
}

void TShellStatusBar::FontChanged() {
  LOGFONTA lf{};
  if (!::GetObjectA(Font(), sizeof lf, &lf)) return;
  const int pixels = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
  HDC screen = ::GetDC(nullptr);
  const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ::ReleaseDC(nullptr, screen);
  const int points = ::MulDiv(pixels, 72, dpi);
  SetHeight(points > kPointsOfSmallFont ? pixels + 6 : kSmallFontBarHeight);
  PlaceProgressBar();
}

void TShellStatusBar::Notification(fw::Component* component, fw::Operation operation) {
  fw::StatusBar::Notification(component, operation);
  if (operation != fw::Operation::opRemove) return;
  if (component == m_progressBar) m_progressBar = nullptr;
}
