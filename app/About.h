#pragma once
// The about box.
#include "framework/ui/DialogForm.h"

namespace orvane {

class TForm2 : public fw::DialogForm {
 public:
  explicit TForm2(fw::Component* owner) : DialogForm(owner, "Form2", "バージョン情報", 418, 100) {}
};

}  // namespace orvane
