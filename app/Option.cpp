#include "app/Option.h"

#include <shlobj.h>

#include "app/Globals.h"
#include "shell/Shellidfunc.h"

namespace orvane {

TOptionF::TOptionF(fw::Component* owner) : fw::DialogForm(owner, "OptionF", "設定", 247, 266) {
  DisableAlign();
  PageControl1 = fw::Make<fw::PageControl>(this);
  PageControl1->SetName("PageControl1");
  PageControl1->SetParent(this);
  PageControl1->SetBounds(0, 0, 247, 228);
  auto sheet = [this](const char* name, const char* caption) {
    fw::TabSheet* s = PageControl1->AddPage(caption);
    s->SetName(name);
    return s;
  };
  TabSheet1 = sheet("TabSheet1", "表示設定");
  TabSheet2 = sheet("TabSheet2", "初期設定");
  TabSheet3 = sheet("TabSheet3", "ツールタブ設定");

  auto radioGroup = [this](const char* name, fw::Control* parent, const char* caption, std::vector<std::string> items,
                           int top, int height) {
    auto* g = fw::Make<fw::RadioGroup>(this);
    g->SetName(name);
    g->SetParent(parent);
    g->SetText(caption);
    g->SetBounds(6, top, 228, height);
    g->SetColumns(2);
    g->SetItems(items);
    return g;
  };
  auto checkBox = [this](const char* name, fw::Control* parent, const char* caption, int top) {
    auto* c = fw::Make<fw::CheckBox>(this);
    c->SetName(name);
    c->SetParent(parent);
    c->SetText(caption);
    c->SetBounds(8, top, 228, 17);
    return c;
  };
  auto button = [this](const char* name, fw::Control* parent, const char* caption, int left, int top, int width) {
    auto* b = fw::Make<fw::Button>(this);
    b->SetName(name);
    b->SetParent(parent);
    b->SetText(caption);
    b->SetBounds(left, top, width, 23);
    return b;
  };
  auto label = [this](const char* name, fw::Control* parent, const char* caption, int top) {
    auto* l = fw::Make<fw::Label>(this);
    l->SetName(name);
    l->SetParent(parent);
    l->SetText(caption);
    l->SetBounds(8, top, 228, 13);
    return l;
  };
  auto edit = [this](const char* name, fw::Control* parent, int top, int width) {
    auto* e = fw::Make<fw::Edit>(this);
    e->SetName(name);
    e->SetParent(parent);
    e->SetBounds(8, top, width, 21);
    return e;
  };

  // Display page.
  RadioGroup1 = radioGroup("RadioGroup1", TabSheet1, "デフォルトの表示形式",
                           {"大きなアイコン", "小さなアイコン", "詳細", "一覧"}, 6, 62);
  SortRadioG = radioGroup("SortRadioG", TabSheet1, "デフォルトのソート形式",
                          {"名前順", "日付順", "属性順", "サイズ順", "種類順"}, 74, 80);
  TabMultiCheck = checkBox("TabMultiCheck", TabSheet1, "栞（タブ）を複数行表示にする", 164);

  // Start-up page.
  Label1 = label("Label1", TabSheet2, "ホーム登録", 8);
  Home = edit("Home", TabSheet2, 24, 168);
  Refer = button("Refer", TabSheet2, "参照", 182, 23, 50);
  CheckBox1 = checkBox("CheckBox1", TabSheet2, "終了時の状態を保存する", 54);
  CheckMin = checkBox("CheckMin", TabSheet2, "最小化の代わりに、トレイアイコンにする", 76);
  SioriCheck = checkBox("SioriCheck", TabSheet2, "終了時の栞を保存する", 98);
  StartMButton = button("StartMButton", TabSheet2, "スタートメニュー登録", 8, 124, 150);
  StartUpButton = button("StartUpButton", TabSheet2, "スタートアップ登録", 8, 151, 150);
  SendButton = button("SendButton", TabSheet2, "送る登録", 8, 178, 150);

  // Tool tab page.
  CheckTab = checkBox("CheckTab", TabSheet3, "デフォルトでツールタブを表示しない", 6);
  RadioTabs = radioGroup("RadioTabs", TabSheet3, "デフォルトの表示タブ",
                         {"ランチャー", "実行結果", "ファイル検索", "プレビュー"}, 28, 62);
  Label2 = label("Label2", TabSheet3, "Susie Pluginのあるフォルダ", 96);
  SPIEdit = edit("SPIEdit", TabSheet3, 112, 168);
  R1Button = button("R1Button", TabSheet3, "参照", 182, 111, 50);
  Label3 = label("Label3", TabSheet3, "プレビューで表示するテキスト形式の拡張子", 142);
  PreExEdit = edit("PreExEdit", TabSheet3, 158, 224);

  OK = button("OK", this, "OK", 84, 236, 75);
  OK->SetDefault(true);
  Cancel = button("Cancel", this, "キャンセル", 166, 236, 75);
  Cancel->SetCancel(true);
  EnableAlign();
  PageControl1->SetActivePageIndex(0);

  ShortcutMaker1 = fw::Make<TShortcutMaker>(this);
  ShortcutMaker1->SetName("ShortcutMaker1");
  ShortcutMaker1->ShortcutCaption = "Orvane Desk";
  // The designed folder only lets the folder destination be chosen; each
  // registration replaces it with the real special folder.
  ShortcutMaker1->ShortcutFolder = "a";
  ShortcutMaker1->SetDestination(sdFolder);

  OK->OnClick = [this](fw::Object* s) { OKClick(s); };
  Cancel->OnClick = [this](fw::Object* s) { CancelClick(s); };
  Refer->OnClick = [this](fw::Object* s) { ReferClick(s); };
  R1Button->OnClick = [this](fw::Object* s) { R1ButtonClick(s); };
  StartMButton->OnClick = [this](fw::Object* s) { StartMButtonClick(s); };
  StartUpButton->OnClick = [this](fw::Object* s) { StartUpButtonClick(s); };
  SendButton->OnClick = [this](fw::Object* s) { SendButtonClick(s); };
  OnActivate = [this](fw::Object* s) { FormActivate(s); };

  BrowseFolder = [this](const std::string& caption, std::string& folder) {
    return SelectFolderDialog(HandleAllocated() ? Handle() : nullptr, caption, folder);
  };
  ProgramPath = [] { return ExePath(); };
}

void TOptionF::FormActivate(fw::Object*) {}

void TOptionF::OKClick(fw::Object*) {
  m_okPressed = true;
  SetModalResult(fw::mrOk);
}

void TOptionF::CancelClick(fw::Object*) { SetModalResult(fw::mrCancel); }

bool TOptionF::Execute() {
  m_okPressed = false;
  const int result = ShowModal();
  return result == fw::mrOk && m_okPressed;
}

void TOptionF::ReferClick(fw::Object*) {
  std::string folder;
  if (BrowseFolder && BrowseFolder("フォルダ選択", folder)) Home->SetText(folder);
}

void TOptionF::R1ButtonClick(fw::Object*) {
  std::string folder;
  if (BrowseFolder && BrowseFolder("フォルダ選択", folder)) SPIEdit->SetText(folder);
}

void TOptionF::Register(const std::string& valueName) {
  ShortcutMaker1->FullExePath = ProgramPath ? ProgramPath() : ExePath();
  // An unknown folder stays empty: the maker then writes nothing rather than
  // a file at the root of the current drive.
  ShortcutMaker1->ShortcutFolder = ShortcutMaker1->Folders.Resolve(valueName);
  ShortcutMaker1->Execute();
}

void TOptionF::StartMButtonClick(fw::Object*) { Register("Programs"); }
void TOptionF::StartUpButtonClick(fw::Object*) { Register("Startup"); }
void TOptionF::SendButtonClick(fw::Object*) { Register("SendTo"); }

bool SelectFolderDialog(HWND owner, const std::string& caption, std::string& folder) {
  BROWSEINFOA info{};
  info.hwndOwner = owner;
  info.pidlRoot = nullptr;  // the desktop
  info.lpszTitle = caption.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  UniqueIDList chosen(::SHBrowseForFolderA(&info));
  if (!chosen) return false;
  char path[MAX_PATH] = {};
  if (!::SHGetPathFromIDListA(chosen.get(), path) || path[0] == '\0') return false;
  folder = path;
  return true;
}

}  // namespace orvane
