#include "app/Dialogs.h"

namespace orvane {

DialogForm::DialogForm(fw::Component* owner, const char* name, const std::string& caption, int clientWidth,
                       int clientHeight)
    : fw::Form(owner) {
  SetName(name);
  SetBorderStyle(fw::TFormBorderStyle::bsDialog);
  SetPosition(fw::TPosition::poMainFormCenter);
  SetFont("ＭＳ Ｐゴシック", 12, SHIFTJIS_CHARSET);
  // The outer size that gives this client area with a dialog frame.
  RECT r{0, 0, clientWidth, clientHeight};
  ::AdjustWindowRectEx(&r, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, FALSE, WS_EX_DLGMODALFRAME);
  SetBounds(0, 0, r.right - r.left, r.bottom - r.top);
  SetText(caption);
}

}  // namespace orvane
