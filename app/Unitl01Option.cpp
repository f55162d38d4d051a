// The main window's side of the options dialog: filling it from the settings
// file, and on OK writing the settings back and applying those that take
// effect at once.
#include "app/Globals.h"
#include "app/Option.h"
#include "app/Unitl01.h"
#include "framework/ui/Application.h"

namespace orvane {

TOptionF* TForm1::OptionForm() {
  for (fw::Form* f : fw::Application().Forms())
    if (auto* form = dynamic_cast<TOptionF*>(f)) return form;
  if (auto* own = dynamic_cast<TOptionF*>(FindComponent("OptionF"))) return own;
  return fw::Make<TOptionF>(this);
}

void TForm1::ApplySortOrder(int order) {
  switch (order) {
    case 1:
      ShellFileSortByLastWrite1->Execute();
      break;
    case 2:
      ShellFileSortByAttr1->Execute();
      break;
    case 3:
      ShellFileSortBySize1->Execute();
      break;
    case 4:
      ShellFileSortByType1->Execute();
      break;
    default:
      ShellFileSortByName1->Execute();
      break;
  }
}

void TForm1::OptionClick(fw::Object*) {
  fw::IniFile& ini = Settings();
  TOptionF* form = OptionForm();

  form->RadioGroup1->SetItemIndex(ini.ReadInteger("SType", "Stype", 2));
  form->RadioTabs->SetItemIndex(ini.ReadInteger("Tabs", "TabActive", 0));
  form->Home->SetText(m_homeFolder);
  form->CheckBox1->SetChecked(ini.ReadBool("column", "kioku", false));
  form->CheckMin->SetChecked(ini.ReadBool("column", "MinTray", false));
  form->CheckTab->SetChecked(ini.ReadBool("Tabs", "TabHide", false));
  form->TabMultiCheck->SetChecked(TabControl1->MultiLine());
  form->SortRadioG->SetItemIndex(ini.ReadInteger("sort", "sort", 0));
  form->SioriCheck->SetChecked(ini.ReadBool("window", "saveSiori", false));
  form->SPIEdit->SetText(ini.ReadString("spi", "path", ""));
  form->PreExEdit->SetText(ini.ReadString("text", "ext", ".txt;.htm;.html;.ini;"));

  if (!form->Execute()) return;

  // A failed write throws and ends the processing at that write.
  const int stype = form->RadioGroup1->ItemIndex();
  ini.WriteInteger("SType", "Stype", stype);
  if (stype >= 0 && stype <= 3) SetViewStyle(static_cast<TViewStyle>(stype));

  m_homeFolder = form->Home->GetText();
  ini.WriteString("Home", "ホーム", m_homeFolder);
  HomeButton->SetEnabled(!m_homeFolder.empty());

  ini.WriteBool("column", "kioku", form->CheckBox1->Checked());
  ini.WriteBool("column", "MinTray", form->CheckMin->Checked());
  SetMinTray(ini.ReadBool("column", "MinTray", false));

  ini.WriteBool("Tabs", "TabHide", form->CheckTab->Checked());

  ini.WriteBool("Tabs", "multi", form->TabMultiCheck->Checked());
  TabControl1->SetMultiLine(form->TabMultiCheck->Checked());

  static const char* const kColumnKeys[] = {"name", "size", "type", "update", "zoku"};
  static constexpr int kColumnDefaults[] = {140, 80, 100, 104, 38};
  const bool kioku = ini.ReadBool("column", "kioku", true);
  for (int i = 0; i < 5; ++i)
    ShellListView1->SetColumnWidth(
        i, kioku ? ini.ReadInteger("column", kColumnKeys[i], kColumnDefaults[i]) : kColumnDefaults[i]);

  ini.WriteInteger("Tabs", "TabActive", form->RadioTabs->ItemIndex());

  if (form->SortRadioG->ItemIndex() >= 0) ini.WriteInteger("sort", "sort", form->SortRadioG->ItemIndex());
  ApplySortOrder(ini.ReadInteger("sort", "sort", 0));

  ini.WriteString("spi", "path", form->SPIEdit->GetText());
  ini.WriteBool("window", "saveSiori", form->SioriCheck->Checked());
  ini.WriteString("text", "ext", form->PreExEdit->GetText());
}

}  // namespace orvane
