#pragma once
// The options dialog.
#include "app/Dialogs.h"

namespace orvane {

class TOptionF : public DialogForm {
 public:
  explicit TOptionF(fw::Component* owner) : DialogForm(owner, "OptionF", "設定", 400, 300) {}
};

}  // namespace orvane
