// The main window's launcher tab: the list of programs with their icons, its
// context menu and view styles, starting an entry, and the settings dialog.
#include "app/Globals.h"
#include "app/Unitl01.h"
#include "framework/ui/Application.h"

namespace orvane {

void TForm1::BuildLancher() {
  LancherImage = fw::Make<fw::ImageList>(this, 32, 32);
  LancherImage->SetName("LancherImage");
  LSImage = fw::Make<fw::ImageList>(this, 16, 16);
  LSImage->SetName("LSImage");
  ListView2->SetLargeImages(LancherImage);
  ListView2->SetSmallImages(LSImage);
  ListView2->OnDblClick = [this](fw::Object* s) { LancherEXEClick(s); };
  Lancher1 = std::make_unique<TLancherList>(ListView2, LancherImage, LSImage, LancherSettings(), ExePath());
}

void TForm1::BuildLancherPopup() {
  auto item = [this](fw::MenuItem* parent, const char* name, const std::string& caption,
                     void (TForm1::*handler)(fw::Object*)) {
    auto* m = fw::Make<fw::MenuItem>(this);
    m->SetName(name);
    m->SetCaption(caption);
    if (handler) m->OnClick = [this, handler](fw::Object* s) { (this->*handler)(s); };
    parent->Add(m);
    return m;
  };
  LancherPopup = fw::Make<fw::PopupMenu>(this);
  LancherPopup->SetName("LancherPopup");
  fw::MenuItem* root = LancherPopup->Items();
  N25 = item(root, "N25", "実行", &TForm1::LancherEXEClick);
  N25->SetDefault(true);
  LancherSetting = item(root, "LancherSetting", "設定", &TForm1::LancherSettingClick);
  Show3 = item(root, "Show3", "表示", nullptr);
  LargeIcon5 = item(Show3, "LargeIcon5", "大きいアイコン(&G)", &TForm1::LargeIcon5Click);
  SmallIcon = item(Show3, "SmallIcon", "小さいアイコン(&M)", &TForm1::SmallIconClick);
  ListIcon = item(Show3, "ListIcon", "リスト(&L)", &TForm1::ListIconClick);
  Detail4 = item(Show3, "Detail4", "詳細(&D)", &TForm1::Detail4Click);
}

void TForm1::FillLauncher() {
  Lancher1->Fill();
  Lancher1->ApplyStoredViewStyle();
}

void TForm1::LancherEXEClick(fw::Object*) { Lancher1->RunSelected(); }

// The menu's view styles act at once and are not stored.
void TForm1::LargeIcon5Click(fw::Object*) { Lancher1->SetViewStyle(0); }
void TForm1::SmallIconClick(fw::Object*) { Lancher1->SetViewStyle(1); }
void TForm1::ListIconClick(fw::Object*) { Lancher1->SetViewStyle(2); }
void TForm1::Detail4Click(fw::Object*) { Lancher1->SetViewStyle(3); }

TLancherForm* TForm1::LancherForm() {
  for (fw::Form* f : fw::Application().Forms())
    if (auto* form = dynamic_cast<TLancherForm*>(f)) return form;
  if (auto* own = dynamic_cast<TLancherForm*>(FindComponent("LancherForm"))) return own;
  return fw::Make<TLancherForm>(this, LancherSettings());
}

void TForm1::LancherSettingClick(fw::Object*) {
  fw::IniFile& ini = LancherSettings();
  TLancherForm* form = LancherForm();
  form->BrowseFolder = [this] { return TreePath(); };
  form->RadioGroup1->SetItemIndex(ini.ReadInteger(kLancherArgsSection, kLancherStyleKey, 0));
  form->ShowModal();
  // The chosen style is the one of the next start; the open list keeps its own.
  ini.WriteInteger(kLancherArgsSection, kLancherStyleKey, form->RadioGroup1->ItemIndex());
  Lancher1->Fill();
}

}  // namespace orvane
