#pragma once
// Common base of the program's modal dialogs: fixed border, centred on the
// main window, sized by their client area.
#include "framework/ui/Form.h"

namespace orvane {

class DialogForm : public fw::Form {
 public:
  DialogForm(fw::Component* owner, const char* name, const std::string& caption, int clientWidth,
             int clientHeight);
};

}  // namespace orvane
