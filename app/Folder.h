#pragma once
// The name-input dialog of the new-folder and new-file commands.
#include "app/Dialogs.h"

namespace orvane {

class TForm3 : public DialogForm {
 public:
  explicit TForm3(fw::Component* owner) : DialogForm(owner, "Form3", "", 287, 69) {}
};

}  // namespace orvane
