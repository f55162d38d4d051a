#include "tests/framework/ControlTestSupport.h"

#include <gtest/gtest.h>

#include "tests/common/MessagePump.h"
#include "tests/common/SharedForm.h"

namespace controltest {

fw::Form* Host::SharedForm() { return testsupport::SharedTestForm(20, 20, 700, 500); }

Host::Host() {
  fw::Form* form = SharedForm();
  m_panel = fw::Make<fw::Panel>(form);
  m_panel->SetBevelOuter(fw::TBevelCut::bvNone);
  m_panel->SetParent(form);
  m_panel->SetAlign(fw::TAlign::alClient);
  m_panel->Handle();
  Settle();
}

Host::~Host() { fw::Free(m_panel); }

TestForm::TestForm(int width, int height) {
  fw::Application().Initialize();
  m_form.reset(new fw::Form(nullptr));
  m_form->SetBorderStyle(fw::TFormBorderStyle::bsNone);
  m_form->SetBounds(40, 40, width, height);
}

void TestForm::Show() {
  m_form->Show();
  Settle();
}

void MouseDown(HWND wnd, int x, int y, WPARAM keys) { ::SendMessageA(wnd, WM_LBUTTONDOWN, keys, MAKELPARAM(x, y)); }

void MouseMove(HWND wnd, int x, int y, WPARAM keys) { ::SendMessageA(wnd, WM_MOUSEMOVE, keys, MAKELPARAM(x, y)); }

void MouseUp(HWND wnd, int x, int y) { ::SendMessageA(wnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }

void Click(HWND wnd, int x, int y) {
  MouseDown(wnd, x, y);
  MouseUp(wnd, x, y);
}

void Settle(DWORD ms) { testsupport::PumpFor(ms); }

}  // namespace controltest
