#pragma once
// Real windows for control tests: a shared visible form with a fresh host
// panel per test, a form of a test's own, and synthetic mouse input.
#include <windows.h>

#include "framework/ui/Application.h"
#include "framework/ui/Component.h"
#include "framework/ui/Form.h"
#include "framework/ui/StdCtrls.h"

namespace controltest {

// A panel filling one form that all tests share (without a window manager,
// Wine waits two seconds whenever a shown top-level window goes, so the form
// stays for the whole run). Controls of a test are owned by and placed on
// the panel, and go with it.
class Host {
 public:
  Host();
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;
  fw::Panel* operator->() const noexcept { return m_panel; }
  fw::Panel* get() const noexcept { return m_panel; }
  static fw::Form* SharedForm();

 private:
  fw::Panel* m_panel;
};

// Creates a control owned by and placed on parent's owner chain root.
template <typename T>
T* Place(fw::Control* parent, fw::Component* owner) {
  T* c = fw::Make<T>(owner);
  c->SetParent(parent);
  return c;
}

// A form of a test's own, freed with this object.
class TestForm {
 public:
  explicit TestForm(int width = 600, int height = 400);
  fw::Form* operator->() const noexcept { return m_form.get(); }
  fw::Form* get() const noexcept { return m_form.get(); }
  void Show();

 private:
  fw::ComponentPtr<fw::Form> m_form;
};

// Mouse input sent straight to a window, at client coordinates.
void MouseDown(HWND wnd, int x, int y, WPARAM keys = MK_LBUTTON);
void MouseMove(HWND wnd, int x, int y, WPARAM keys = MK_LBUTTON);
void MouseUp(HWND wnd, int x, int y);
void Click(HWND wnd, int x, int y);

// Lets pending messages (paints, layout) run.
void Settle(DWORD ms = 30);

}  // namespace controltest
