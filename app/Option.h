#pragma once
// The options dialog.
#include "framework/ui/DialogForm.h"

namespace orvane {

class TOptionF : public fw::DialogForm {
 public:
  explicit TOptionF(fw::Component* owner) : DialogForm(owner, "OptionF", "設定", 400, 300) {}
};

}  // namespace orvane
