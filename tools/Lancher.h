#pragma once
// The launcher settings dialog: adds, changes and deletes the launcher's
// entries in the settings file and chooses the view style the launcher list
// takes at the next start.
#include <functional>
#include <string>

#include "framework/settings/IniFile.h"
#include "framework/ui/DialogForm.h"
#include "framework/ui/ListView.h"
#include "framework/ui/OpenDialog.h"
#include "framework/ui/StdCtrls.h"

namespace orvane {

class TLancherForm : public fw::DialogForm {
 public:
  // ini is the launcher's settings object; it outlives the dialog.
  TLancherForm(fw::Component* owner, fw::IniFile& ini);

  // Designer components.
  fw::ListView* ListView2;
  fw::Label* Label3;
  fw::Edit* NameEdit;
  fw::Label* Label1;
  fw::Edit* ExeEdit;
  fw::Button* Button4;  // browse
  fw::Label* Label2;
  fw::Edit* OptionEdit;
  fw::Button* Button1;  // add and change
  fw::Button* Button2;  // delete
  fw::RadioGroup* RadioGroup1;
  fw::Button* Button3;  // close
  fw::OpenDialog* OpenDialog1;

  // The folder the browse button starts in (the main window's tree path).
  std::function<std::string()> BrowseFolder;

  void FormActivate(fw::Object* sender);
  void ListView2Click(fw::Object* sender);
  void Button1Click(fw::Object* sender);
  void Button2Click(fw::Object* sender);
  void Button3Click(fw::Object* sender);
  void Button4Click(fw::Object* sender);

  fw::IniFile& Settings() const noexcept { return m_ini; }

 private:
  void BuildComponents();
  // Empties the dialog's list and fills it from the settings, in file order.
  void FillList();

  fw::IniFile& m_ini;
};

}  // namespace orvane
