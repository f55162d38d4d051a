#include "tools/Lancher.h"

#include <vector>

#include "tools/LancherList.h"

namespace orvane {

TLancherForm::TLancherForm(fw::Component* owner, fw::IniFile& ini)
    : fw::DialogForm(owner, "LancherForm", "ランチャー設定", 465, 278), m_ini(ini) {
  BuildComponents();
  OnActivate = [this](fw::Object* s) { FormActivate(s); };
}

void TLancherForm::BuildComponents() {
  DisableAlign();
  ListView2 = fw::Make<fw::ListView>(this);
  ListView2->SetName("ListView2");
  ListView2->SetParent(this);
  ListView2->SetAlign(fw::TAlign::alLeft);
  ListView2->SetWidth(249);
  ListView2->AddColumn("Name", 150);
  ListView2->AddColumn("ExePath", 150);
  ListView2->AddColumn("Option", 120);
  ListView2->SetViewStyle(fw::TViewStyle::vsList);
  ListView2->OnClick = [this](fw::Object* s) { ListView2Click(s); };

  constexpr int x = 260;
  constexpr int w = 197;
  auto label = [this](const char* name, const char* caption, int top) {
    auto* l = fw::Make<fw::Label>(this);
    l->SetName(name);
    l->SetParent(this);
    l->SetText(caption);
    l->SetBounds(x, top, w, 13);
    return l;
  };
  auto edit = [this](const char* name, int top, int width) {
    auto* e = fw::Make<fw::Edit>(this);
    e->SetName(name);
    e->SetParent(this);
    e->SetBounds(x, top, width, 20);
    return e;
  };
  auto button = [this](const char* name, const char* caption, int left, int top, int width,
                       void (TLancherForm::*handler)(fw::Object*)) {
    auto* b = fw::Make<fw::Button>(this);
    b->SetName(name);
    b->SetParent(this);
    b->SetText(caption);
    b->SetBounds(left, top, width, 25);
    b->OnClick = [this, handler](fw::Object* s) { (this->*handler)(s); };
    return b;
  };

  Label3 = label("Label3", "名前", 8);
  NameEdit = edit("NameEdit", 24, w);
  Label1 = label("Label1", "実行ファイル", 52);
  ExeEdit = edit("ExeEdit", 68, w - 54);
  Button4 = button("Button4", "参照", x + w - 50, 66, 50, &TLancherForm::Button4Click);
  Label2 = label("Label2", "オプション", 96);
  OptionEdit = edit("OptionEdit", 112, w);
  Button1 = button("Button1", "追加と変更", x, 140, 96, &TLancherForm::Button1Click);
  Button2 = button("Button2", "削除", x + w - 96, 140, 96, &TLancherForm::Button2Click);

  RadioGroup1 = fw::Make<fw::RadioGroup>(this);
  RadioGroup1->SetName("RadioGroup1");
  RadioGroup1->SetParent(this);
  RadioGroup1->SetText("表示設定");
  RadioGroup1->SetBounds(x, 172, w, 66);
  RadioGroup1->SetColumns(2);
  RadioGroup1->SetItems({"大きいアイコン", "小さいアイコン", "リスト", "詳細"});

  Button3 = button("Button3", "閉じる", x + w - 96, 246, 96, &TLancherForm::Button3Click);

  OpenDialog1 = fw::Make<fw::OpenDialog>(this);
  OpenDialog1->SetName("OpenDialog1");
  OpenDialog1->SetFilter("実行ファイル(*.exe)|*.exe");
  EnableAlign();
}

void TLancherForm::FillList() {
  std::vector<std::string> names;
  m_ini.ReadSection(kLancherSection, names);
  ListView2->BeginUpdate();
  ListView2->Clear();
  for (const auto& name : names)
    ListView2->AddItem(name,
                       {m_ini.ReadString(kLancherSection, name, ""), m_ini.ReadString(kLancherArgsSection, name, "")});
  ListView2->EndUpdate();
}

void TLancherForm::FormActivate(fw::Object*) { FillList(); }

void TLancherForm::ListView2Click(fw::Object*) {
  const int row = ListView2->ItemIndex();
  if (row < 0) return;
  NameEdit->SetText(ListView2->ItemCaption(row));
  ExeEdit->SetText(ListView2->SubItem(row, 0));
  OptionEdit->SetText(ListView2->SubItem(row, 1));
}

void TLancherForm::Button1Click(fw::Object*) {
  const std::string name = NameEdit->GetText();
  m_ini.WriteString(kLancherSection, name, ExeEdit->GetText());
  m_ini.WriteString(kLancherArgsSection, name, OptionEdit->GetText());
  FillList();
}

void TLancherForm::Button2Click(fw::Object*) {
  const std::string name = NameEdit->GetText();
  m_ini.DeleteKey(kLancherSection, name);
  m_ini.DeleteKey(kLancherArgsSection, name);
  FillList();
}

void TLancherForm::Button3Click(fw::Object*) {
  ListView2->Clear();
  SetModalResult(fw::mrOk);
}

void TLancherForm::Button4Click(fw::Object*) {
  if (BrowseFolder) OpenDialog1->SetInitialDir(BrowseFolder());
  if (OpenDialog1->Execute()) ExeEdit->SetText(OpenDialog1->FileName());
}

}  // namespace orvane
