#include "app/Folder.h"

namespace orvane {

TForm3::TForm3(fw::Component* owner) : fw::DialogForm(owner, "Form3", "", 287, 69) {
  DisableAlign();
  Label1 = fw::Make<fw::Label>(this);
  Label1->SetName("Label1");
  Label1->SetParent(this);
  Label1->SetBounds(8, 10, 180, 13);

  Edit1 = fw::Make<fw::Edit>(this);
  Edit1->SetName("Edit1");
  Edit1->SetParent(this);
  Edit1->SetBounds(8, 30, 185, 20);
  Edit1->OnKeyDown = [this](fw::Object* s, WORD& key, fw::TShiftState shift) { Edit1KeyDown(s, key, shift); };

  Button1 = fw::Make<fw::Button>(this);
  Button1->SetName("Button1");
  Button1->SetParent(this);
  Button1->SetText("OK");
  Button1->SetBounds(204, 6, 75, 25);
  Button1->OnClick = [this](fw::Object* s) { Button1Click(s); };

  CANCEL = fw::Make<fw::Button>(this);
  CANCEL->SetName("CANCEL");
  CANCEL->SetParent(this);
  CANCEL->SetText("キャンセル");
  CANCEL->SetBounds(204, 37, 75, 25);
  CANCEL->SetCancel(true);
  CANCEL->OnClick = [this](fw::Object* s) { CANCELClick(s); };
  EnableAlign();

  SetFolderTexts(true);
  SetActiveControl(Edit1);
  OnActivate = [this](fw::Object* s) { FormActivate(s); };
}

void TForm3::SetFolderTexts(bool presetName) {
  SetText("フォルダ作成");
  Label1->SetText("フォルダ名入力");
  if (presetName) Edit1->SetText("新規");
}

void TForm3::SetFileTexts() {
  SetText("ファイル作成");
  Label1->SetText("ファイル名入力");
  Edit1->SetText("新規.txt");
}

void TForm3::FormActivate(fw::Object*) {
  m_okPressed = false;
  Edit1->SelectAll();
}

void TForm3::Button1Click(fw::Object*) {
  m_enteredName = Edit1->GetText();
  m_okPressed = true;
  SetModalResult(fw::mrOk);
}

void TForm3::CANCELClick(fw::Object*) { SetModalResult(fw::mrCancel); }

void TForm3::Edit1KeyDown(fw::Object* sender, WORD& key, fw::TShiftState) {
  if (key != VK_RETURN) return;
  key = 0;
  Button1Click(sender);
}

bool TForm3::Execute() {
  // A dialog closed by its title bar or by Escape counts as cancelled, even
  // if an OK of an earlier showing is still remembered.
  m_okPressed = false;
  const int result = ShowModal();
  return result == fw::mrOk && m_okPressed;
}

}  // namespace orvane
