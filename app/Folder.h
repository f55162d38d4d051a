#pragma once
// The name-input dialog of the new-folder and new-file commands.
#include "framework/ui/DialogForm.h"

namespace orvane {

class TForm3 : public fw::DialogForm {
 public:
  explicit TForm3(fw::Component* owner) : DialogForm(owner, "Form3", "", 287, 69) {}
};

}  // namespace orvane
