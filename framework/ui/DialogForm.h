#pragma once
// Common base of modal dialogs: fixed border, centred on the main window,
// sized by their client area.
#include <string>

#include "framework/ui/Form.h"

namespace fw {

class DialogForm : public Form {
 public:
  DialogForm(Component* owner, const char* name, const std::string& caption, int clientWidth, int clientHeight);
};

}  // namespace fw
