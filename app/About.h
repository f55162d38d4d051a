#pragma once
// The about box: the program's icon, name and version. It is created once at
// start-up, after the main window, whose icon it copies.
#include <string>

#include "framework/ui/DialogForm.h"
#include "framework/ui/Image.h"
#include "framework/ui/StdCtrls.h"

namespace orvane {

class TForm2 : public fw::DialogForm {
 public:
  explicit TForm2(fw::Component* owner);

  // Designer components.
  fw::Image* Image1;    // the main window's icon, 33 x 33
  fw::Label* Label1;    // product name
  fw::Label* Label3;    // version line
  fw::Button* Button1;  // OK

  void FormCreate(fw::Object* sender);
  void Button1Click(fw::Object* sender);

  // "Version " and the build's version text.
  static std::string VersionLine();
};

}  // namespace orvane
