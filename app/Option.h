#pragma once
// The options dialog: the user-facing settings on three pages, and the
// buttons that register the program in the user's Start menu, Startup and
// Send To folders. The main window fills it, shows it and applies it
// (Unitl01Option.cpp); the dialog itself only holds the values and makes the
// shortcuts, which take effect at once whatever the dialog's result.
#include <functional>
#include <string>

#include "framework/ui/ComCtrls.h"
#include "framework/ui/DialogForm.h"
#include "framework/ui/StdCtrls.h"
#include "shortcut/ShortcutMaker.h"

namespace orvane {

class TOptionF : public fw::DialogForm {
 public:
  explicit TOptionF(fw::Component* owner);

  // Designer components.
  fw::PageControl* PageControl1;
  fw::TabSheet* TabSheet1;  // display
  fw::TabSheet* TabSheet2;  // start-up
  fw::TabSheet* TabSheet3;  // tool tabs
  fw::RadioGroup* RadioGroup1;
  fw::RadioGroup* SortRadioG;
  fw::CheckBox* TabMultiCheck;
  fw::Label* Label1;
  fw::Edit* Home;
  fw::Button* Refer;
  fw::CheckBox* CheckBox1;
  fw::CheckBox* CheckMin;
  fw::CheckBox* SioriCheck;
  fw::Button* StartMButton;
  fw::Button* StartUpButton;
  fw::Button* SendButton;
  fw::CheckBox* CheckTab;
  fw::RadioGroup* RadioTabs;
  fw::Label* Label2;
  fw::Edit* SPIEdit;
  fw::Button* R1Button;
  fw::Label* Label3;
  fw::Edit* PreExEdit;
  fw::Button* OK;
  fw::Button* Cancel;
  TShortcutMaker* ShortcutMaker1;

  void FormActivate(fw::Object* sender);
  void OKClick(fw::Object* sender);
  void CancelClick(fw::Object* sender);
  void ReferClick(fw::Object* sender);
  void R1ButtonClick(fw::Object* sender);
  void StartMButtonClick(fw::Object* sender);
  void StartUpButtonClick(fw::Object* sender);
  void SendButtonClick(fw::Object* sender);

  // Shows the dialog; true only when it was closed with OK (the title bar's
  // close and Escape count as cancel).
  bool Execute();

  // The folder-selection dialog; a seam so tests can answer it. Gets the
  // caption, returns false on cancel.
  std::function<bool(const std::string& caption, std::string& folder)> BrowseFolder;
  // The program the shortcuts point at; a seam, the program's own path by default.
  std::function<std::string()> ProgramPath;

 private:
  // Writes the shortcut into the user's special folder of that
  // "Shell Folders" value name.
  void Register(const std::string& valueName);
  bool m_okPressed = false;
};

// The platform's folder-selection dialog rooted at the desktop; false on
// cancel or when the choice has no file-system path.
bool SelectFolderDialog(HWND owner, const std::string& caption, std::string& folder);

}  // namespace orvane
