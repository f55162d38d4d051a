#include "framework/ui/DialogForm.h"

namespace fw {

DialogForm::DialogForm(Component* owner, const char* name, const std::string& caption, int clientWidth,
                       int clientHeight)
    : Form(owner) {
  SetName(name);
  SetBorderStyle(TFormBorderStyle::bsDialog);
  SetPosition(TPosition::poMainFormCenter);
  SetFont("ＭＳ Ｐゴシック", 12, SHIFTJIS_CHARSET);
  // The outer size that gives this client area with a dialog frame.
  RECT r{0, 0, clientWidth, clientHeight};
  ::AdjustWindowRectEx(&r, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, FALSE, WS_EX_DLGMODALFRAME);
  SetBounds(0, 0, r.right - r.left, r.bottom - r.top);
  SetText(caption);
}

}  // namespace fw
