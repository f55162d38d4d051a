#pragma once
// The name-input dialog of the new-folder and new-file commands. It lives for
// the whole run, so the name field keeps the last typed folder name from one
// new-folder command to the next; the new-file command switches it to its
// own texts and back.
#include <string>

#include "framework/ui/DialogForm.h"
#include "framework/ui/StdCtrls.h"

namespace orvane {

class TForm3 : public fw::DialogForm {
 public:
  explicit TForm3(fw::Component* owner);

  // Designer components.
  fw::Label* Label1;    // the prompt
  fw::Edit* Edit1;      // the name
  fw::Button* Button1;  // OK
  fw::Button* CANCEL;

  void FormActivate(fw::Object* sender);
  void Button1Click(fw::Object* sender);
  void CANCELClick(fw::Object* sender);
  void Edit1KeyDown(fw::Object* sender, WORD& key, fw::TShiftState shift);

  // The two text sets. The folder set leaves the name field alone unless
  // asked to preset it (the designed state and the way back from a new file).
  void SetFolderTexts(bool presetName);
  void SetFileTexts();

  // Shows the dialog; true when it closed with OK.
  bool Execute();
  // Edit1's text at the last OK (kept until the next OK).
  const std::string& EnteredName() const noexcept { return m_enteredName; }

 private:
  std::string m_enteredName;
  bool m_okPressed = false;
};

}  // namespace orvane
