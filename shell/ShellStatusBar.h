#pragma once
// A status bar that shows the application's long hints across its whole
// width while a hint is active, gives its panels back when the hint clears,
// and can host a progress bar in its first panel.
#include <string>
#include <vector>

#include "framework/ui/ComCtrls.h"

class TShellStatusBar : public fw::StatusBar {
 public:
  // owner must be a control (fw::EInvalidCast otherwise): the hint panel is
  // as wide as the owner.
  explicit TShellStatusBar(fw::Component* owner);
  ~TShellStatusBar() override;

  // The application's hint (what AutoHint hands over): a non-empty long hint
  // hides the panels behind one panel across the owner's width; an empty one
  // gives the panels their widths back. With an OnHint handler, in simple
  // mode, or without panels, the plain status bar deals with it.
  bool ExecuteHint(const std::string& hint) override;

  // The progress bar in the first panel, created hidden on first use (the
  // bar then has at least two panels). While the status bar is going away it
  // returns only the bar that exists (or null).
  fw::ProgressBar* GetProgressBar();

  bool HintMode() const noexcept { return m_hintMode; }
  fw::Control* OwnerControl() const noexcept { return m_ownerControl; }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void Notification(fw::Component* component, fw::Operation operation) override;
  // The font changed: the bar's height follows it, the progress bar follows the bar.
  virtual void FontChanged();

 private:
  void PlaceProgressBar();

  fw::Control* m_ownerControl;
  std::vector<int> m_savedWidths;
  bool m_hintMode = false;
  fw::ProgressBar* m_progressBar = nullptr;  // owned by this bar as a component
  fw::StatusPanel* m_hintPanel = nullptr;
};
