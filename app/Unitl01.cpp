#include "app/Unitl01.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "app/Globals.h"
#include "app/Siori.h"
#include "app/WindowBounds.h"
#include "framework/base/Mbcs.h"
#include "framework/ui/Application.h"
#include "resources/resource.h"

namespace orvane {
namespace {

bool DirectoryExists(const std::string& path) {
  DWORD a = ::GetFileAttributesA(path.c_str());
  return !path.empty() && a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::string& path) {
  DWORD a = ::GetFileAttributesA(path.c_str());
  return !path.empty() && a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string FullPath(const std::string& path) {
  char buf[MAX_PATH * 2];
  DWORD n = ::GetFullPathNameA(path.c_str(), sizeof buf, buf, nullptr);
  return (n > 0 && n < sizeof buf) ? std::string(buf, n) : path;
}

// The folder that holds a file: its drive and directory part ("C:\" for a
// file in the root).
std::string FolderOfFile(const std::string& file) {
  std::size_t slash = fw::FindLastChar(file, '\\');
  if (slash == std::string::npos) return {};
  std::string dir = file.substr(0, slash);
  if (dir.size() == 2 && dir[1] == ':') dir += '\\';
  return dir;
}

std::string Key(const char* prefix, int i) { return prefix + std::to_string(i); }

constexpr int kBandWidth = 241;

std::string SioriPath() { return ExeDir() + "siori.dat"; }

}  // namespace

TForm1::TForm1(fw::Component* owner) : fw::Form(owner) {
  SetName("Form1");
  BuildComponents();
  OnCreate = [this](fw::Object* s) { FormCreate(s); };
  OnShow = [this](fw::Object* s) { FormShow(s); };
  OnDestroy = [this](fw::Object* s) { FormDestroy(s); };
}

// A minimise after this window is gone must not reach it.
TForm1::~TForm1() { fw::Application().OnMinimize = nullptr; }

// ------------------------------------------------------------------ designer

void TForm1::BuildComponents() {
  SetText("Orvane");
  SetBounds(251, 144, 728, 571);
  SetFont("ＭＳ Ｐゴシック", 12, SHIFTJIS_CHARSET);
  DisableAlign();

  ToolImageL = fw::Make<fw::ImageList>(this, 16, 16);
  ToolImageL->SetName("ToolImageL");
  if (HBITMAP bmp = static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_TOOLIMAGES),
                                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))) {
    fw::BitmapHandle owned(bmp);
    ToolImageL->AddMasked(owned.get(), RGB(255, 0, 255));
  }

  BuildActions();
  BuildMenus();

  // Band bar with the tool bar, the jump list and the path box.
  CoolBar1 = fw::Make<fw::CoolBar>(this);
  CoolBar1->SetName("CoolBar1");
  CoolBar1->SetParent(this);
  CoolBar1->SetAlign(fw::TAlign::alTop);
  CoolBar1->SetHeight(57);

  ToolBar1 = fw::Make<fw::ToolBar>(this);
  ToolBar1->SetName("ToolBar1");
  ToolBar1->SetFlat(true);
  ToolBar1->SetButtonWidth(26);
  ToolBar1->SetImages(ToolImageL);
  auto button = [this](const char* name, const std::string& caption, int image) {
    fw::ToolButton* b = ToolBar1->AddButton();
    b->SetName(name);
    b->SetHint(caption);
    b->SetImageIndex(image);
    return b;
  };
  auto separator = [this](const char* name) {
    fw::ToolButton* b = ToolBar1->AddButton(fw::TToolButtonStyle::tbsSeparator);
    b->SetName(name);
    return b;
  };
  ToolButton1 = button("ToolButton1", "戻る", 1);
  ToolButton1->SetEnabled(false);
  ToolButton1->OnClick = [this](fw::Object* s) { UndoClick(s); };
  ToolButton2 = button("ToolButton2", "進む", 0);
  ToolButton2->SetEnabled(false);
  ToolButton2->OnClick = [this](fw::Object* s) { RedoClick(s); };
  ToolButton5 = button("ToolButton5", "上へ", 3);
  ToolButton5->OnClick = [this](fw::Object* s) { ParentButtonClick(s); };
  HomeButton = button("HomeButton", "ホーム", 6);
  HomeButton->SetEnabled(false);
  HomeButton->OnClick = [this](fw::Object* s) { HomeButtonClick(s); };
  ToolButton3 = separator("ToolButton3");
  ToolButton4 = button("ToolButton4", "表示", 2);
  ToolButton4->SetStyle(fw::TToolButtonStyle::tbsDropDown);
  ToolButton4->SetDropdownMenu(PopupMenu2);
  ToolButton6 = separator("ToolButton6");
  ToolButton7 = button("ToolButton7", "栞を追加(Ctrl+S)", 4);
  ToolButton7->OnClick = [this](fw::Object* s) { SioriButtonClick(s); };
  ToolsButton = button("ToolsButton", "ツールタブ表示切替", 7);
  ToolsButton->SetAction(ToolsOC);
  ToolButton8 = separator("ToolButton8");
  JumpButton = button("JumpButton", "ジャンプ", 5);
  JumpButton->OnClick = [this](fw::Object* s) { JumpButtonClick(s); };

  Panel1 = fw::Make<fw::Panel>(this);
  Panel1->SetName("Panel1");
  Panel1->SetBevelOuter(fw::TBevelCut::bvNone);
  Panel1->SetBounds(0, 0, 241, 22);
  ComboBox2 = fw::Make<fw::ComboBox>(this);
  ComboBox2->SetName("ComboBox2");
  ComboBox2->SetParent(Panel1);
  ComboBox2->SetSorted(true);
  ComboBox2->SetDropDownCount(23);
  ComboBox2->SetAlign(fw::TAlign::alClient);
  ComboBox2->SetText("ジャンプ");
  ComboBox2->OnSelect = [this](fw::Object* s) { JumpButtonClick(s); };
  ComboBox2->OnKeyDown = [this](fw::Object* s, WORD& key, fw::TShiftState shift) { ComboBox2KeyDown(s, key, shift); };

  ShellComboBox1 = fw::Make<TShellComboBox>(this);
  ShellComboBox1->SetName("ShellComboBox1");
  ShellComboBox1->SetDropDownCount(22);
  ShellComboBox1->SetBounds(0, 0, 241, 22);

  fw::CoolBand* band0 = CoolBar1->AddBand();
  fw::CoolBand* band1 = CoolBar1->AddBand();
  fw::CoolBand* band2 = CoolBar1->AddBand();
  for (fw::CoolBand* b : {band0, band1, band2}) {
    b->SetMinWidth(241);
    b->SetMinHeight(24);
  }
  band0->SetControl(ToolBar1);
  band0->SetWidth(254);
  band1->SetControl(Panel1);
  band1->SetWidth(460);
  band2->SetControl(ShellComboBox1);
  band2->SetWidth(716);

  // Bottom, from the edge inwards: status bar, command line, tool tabs, splitter.
  ShellStatusBar1 = fw::Make<TShellStatusBar>(this);
  ShellStatusBar1->SetName("ShellStatusBar1");
  ShellStatusBar1->SetParent(this);
  ShellStatusBar1->SetAlign(fw::TAlign::alBottom);
  ShellStatusBar1->SetHeight(20);
  ShellStatusBar1->AddPanel(500);
  ShellStatusBar1->AddPanel(50);
  ShellStatusBar1->SetAutoHint(true);

  CommandPanel = fw::Make<fw::Panel>(this);
  CommandPanel->SetName("CommandPanel");
  CommandPanel->SetParent(this);
  CommandPanel->SetBevelOuter(fw::TBevelCut::bvNone);
  CommandPanel->SetAlign(fw::TAlign::alBottom);
  CommandPanel->SetHeight(19);
  Label1 = fw::Make<fw::Label>(this);
  Label1->SetName("Label1");
  Label1->SetParent(CommandPanel);
  Label1->SetText("コマンド：");
  Label1->SetBounds(2, 2, 60, 15);
  Edit1 = fw::Make<fw::Edit>(this);
  Edit1->SetName("Edit1");
  Edit1->SetParent(CommandPanel);
  Edit1->SetBorderStyle(fw::TBorderStyle::bsNone);
  Edit1->SetFont("ＭＳ Ｐゴシック", 15, SHIFTJIS_CHARSET);
  Edit1->SetBounds(64, 0, 600, 17);
  CommandPanel->OnResize = [this](fw::Object*) { Edit1->SetWidth(std::max(0, CommandPanel->Width() - Edit1->Left())); };

  PageControl1 = fw::Make<fw::PageControl>(this);
  PageControl1->SetName("PageControl1");
  PageControl1->SetParent(this);
  PageControl1->SetAlign(fw::TAlign::alBottom);
  PageControl1->SetHeight(110);
  PageControl1->SetTabPosition(fw::TTabPosition::tpBottom);
  PageControl1->SetHotTrack(true);
  PageControl1->SetMultiLine(true);
  auto sheet = [this](const char* name, const char* caption) {
    fw::TabSheet* s = PageControl1->AddPage(caption);
    s->SetName(name);
    return s;
  };
  TabSheet2 = sheet("TabSheet2", "ランチャー");
  TabSheet1 = sheet("TabSheet1", "実行結果");
  TabSheet3 = sheet("TabSheet3", "ファイル検索");
  TabSheet4 = sheet("TabSheet4", "プレビュー");

  ListView2 = fw::Make<fw::ListView>(this);
  ListView2->SetName("ListView2");
  ListView2->SetParent(TabSheet2);
  ListView2->SetAlign(fw::TAlign::alClient);
  ListView2->AddColumn("名前", 150);
  ListView2->AddColumn("実行ファイル", 250);
  ListView2->AddColumn("オプション", 100);
  ListView2->SetViewStyle(fw::TViewStyle::vsIcon);
  ListView2->SetPopupMenu(LancherPopup);
  BuildLancher();

  RichEdit1 = fw::Make<fw::RichEdit>(this);
  RichEdit1->SetName("RichEdit1");
  RichEdit1->SetParent(TabSheet1);
  RichEdit1->SetAlign(fw::TAlign::alClient);
  RichEdit1->SetReadOnly(true);
  RichEdit1->SetPlainText(true);
  RichEdit1->SetScrollBars(fw::TScrollStyle::ssVertical);
  RichEdit1->SetTabStop(false);
  RichEdit1->SetPopupMenu(ComPopupMenu);

  Splitter3 = fw::Make<fw::Splitter>(this);
  Splitter3->SetName("Splitter3");
  Splitter3->SetParent(this);
  Splitter3->SetAlign(fw::TAlign::alBottom);
  Splitter3->SetHeight(3);

  // Left: the folder tree and its splitter; the rest: the bookmark tabs around the list.
  ShellTreeView1 = fw::Make<TShellTreeView>(this);
  ShellTreeView1->SetName("ShellTreeView1");
  ShellTreeView1->SetParent(this);
  ShellTreeView1->SetAlign(fw::TAlign::alLeft);
  ShellTreeView1->SetWidth(225);
  ShellTreeView1->SetShowRoot(false);
  ShellTreeView1->SetShVirtuaItems(TShVirtuaItems{itBitBucket, itNetWork, itVirtual});
  ShellTreeView1->OnChange = [this](fw::Object* s, fw::TreeNode* node) { ShellTreeView1Change(s, node); };

  Splitter1 = fw::Make<fw::Splitter>(this);
  Splitter1->SetName("Splitter1");
  Splitter1->SetParent(this);
  Splitter1->SetAlign(fw::TAlign::alLeft);
  Splitter1->SetWidth(3);

  TabControl1 = fw::Make<fw::TabControl>(this);
  TabControl1->SetName("TabControl1");
  TabControl1->SetParent(this);
  TabControl1->SetAlign(fw::TAlign::alClient);
  TabControl1->SetHotTrack(true);
  TabControl1->SetMultiLine(true);
  TabControl1->SetPopupMenu(PopupMenu3);
  TabControl1->OnChange = [this](fw::Object* s) { TabControl1Change(s); };

  // The contents list brings its own five columns (name, size, type, date,
  // attributes); the tree shows the recycle bin, network and virtual
  // folders, and so does the list.
  ShellListView1 = fw::Make<TShellListView>(this);
  ShellListView1->SetName("ShellListView1");
  ShellListView1->SetParent(TabControl1);
  ShellListView1->SetAlign(fw::TAlign::alClient);
  ShellListView1->SetViewStyle(fw::TViewStyle::vsReport);
  ShellListView1->SetMultiSelect(true);
  ShellListView1->SetHideSelection(false);
  ShellListView1->SetPopupMenu(PopupMenu1);
  ShellListView1->SetShellPopupMenu(ShellPopupMenu1);
  ShellListView1->SetShVirtuaItems(TShVirtuaItems{itBitBucket, itNetWork, itVirtual});
  // The launcher and the search results are list views too, and come first
  // among the window's controls: the View menu and select all are meant for
  // the contents list whatever has the focus.
  for (TListViewAction* a :
       std::initializer_list<TListViewAction*>{LargeIcon2, SmallIcon2, ListIcon1, ReportIcon1, SelectAllItem1})
    a->SetControl(ShellListView1);

  // The tree is the one source of the current folder: the path box and the
  // contents list follow it, and ask it to move when the user navigates there.
  ShellTreeView1->SetShellComboBox(ShellComboBox1);
  ShellTreeView1->SetShellListView(ShellListView1);
  ShellTreeView1->SetShellPopupMenu(ShellPopupMenu1);

  ShellTrayIcon1 = fw::Make<TShellTrayIcon>(this);
  ShellTrayIcon1->SetName("ShellTrayIcon1");
  // Any button released over the icon brings the window back.
  ShellTrayIcon1->OnMouseUp = [this](fw::Object* s, fw::TMouseButton, fw::TShiftState, int, int) {
    ShellTrayIcon1MouseDown(s);
  };

  BuildCommandLine();
  BuildPreview();
  BuildSearch();
  BuildFileCommands();

  SetMenu(MainMenu1);
  SetActiveControl(Edit1);
  EnableAlign();
}

void TForm1::BuildActions() {
  ActionList1 = fw::Make<fw::ActionList>(this);
  ActionList1->SetName("ActionList1");
  ActionList1->SetImages(ToolImageL);
  AddActionList(ActionList1);
  auto action = [this](fw::Action*& slot, const char* name, const std::string& caption, fw::TShortCut sc,
                       fw::TNotifyEvent onExecute) {
    slot = fw::Make<fw::Action>(this);
    slot->SetName(name);
    slot->SetCaption(caption);
    slot->SetShortCut(sc);
    slot->OnExecute = std::move(onExecute);
    slot->SetActionList(ActionList1);
  };
  using fw::scCtrl;
  using fw::scShift;
  action(TabClose, "TabClose", "栞を閉じる(&W)", scCtrl | 'W', [this](fw::Object* s) { Close1Click(s); });
  action(ToolsOC, "ToolsOC", "ツールタブ表示切替", VK_F1, [this](fw::Object* s) { ToolsButtonClick(s); });
  ToolsOC->SetImageIndex(7);
  action(Delete, "Delete", "完全削除", scShift | VK_DELETE, [this](fw::Object* s) { Delete1Execute(s); });
  action(editsel, "editsel", "editsel", VK_F2, [this](fw::Object* s) { editselExecute(s); });
  // The shell's ready-made actions bring their captions, hints and keys.
  auto shellAction = [this](auto*& slot, const char* name) {
    slot = fw::Make<std::remove_reference_t<decltype(*slot)>>(this);
    slot->SetName(name);
    slot->SetActionList(ActionList1);
  };
  shellAction(ShellFileCut1, "ShellFileCut1");
  shellAction(ShellFileCopy1, "ShellFileCopy1");
  shellAction(ShellFilePaste1, "ShellFilePaste1");
  shellAction(SelectAllItem1, "SelectAllItem1");
  shellAction(ShellFileDelete1, "ShellFileDelete1");
  shellAction(LargeIcon2, "LargeIcon2");
  shellAction(SmallIcon2, "SmallIcon2");
  shellAction(ListIcon1, "ListIcon1");
  shellAction(ReportIcon1, "ReportIcon1");
  shellAction(ShellFileSortByName1, "ShellFileSortByName1");
  shellAction(ShellFileSortByLastWrite1, "ShellFileSortByLastWrite1");
  shellAction(ShellFileSortByAttr1, "ShellFileSortByAttr1");
  shellAction(ShellFileSortBySize1, "ShellFileSortBySize1");
  shellAction(ShellFileSortByType1, "ShellFileSortByType1");
}

int TForm1::SortOrder() const {
  switch (ShellListView1->FileList()->GetSortColumn()) {
    case hcLastWrite:
      return 1;
    case hcAttr:
      return 2;
    case hcSize:
      return 3;
    case hcType:
      return 4;
    default:
      return 0;
  }
}

void TForm1::BuildMenus() {
  auto item = [this](fw::MenuItem* parent, const std::string& caption, fw::TShortCut sc = fw::scNone,
                     fw::TNotifyEvent onClick = nullptr, int image = -1) {
    auto* m = fw::Make<fw::MenuItem>(this);
    m->SetCaption(caption);
    m->SetShortCut(sc);
    m->SetImageIndex(image);
    m->OnClick = std::move(onClick);
    parent->Add(m);
    return m;
  };
  auto actionItem = [this](fw::MenuItem* parent, fw::Action* a) {
    auto* m = fw::Make<fw::MenuItem>(this);
    m->SetAction(a);
    parent->Add(m);
    return m;
  };
  auto handler = [this](void (TForm1::*fn)(fw::Object*)) { return [this, fn](fw::Object* s) { (this->*fn)(s); }; };
  using fw::scAlt;
  using fw::scCtrl;

  PopupMenu2 = fw::Make<fw::PopupMenu>(this);
  PopupMenu2->SetName("PopupMenu2");
  for (fw::Action* a : std::initializer_list<fw::Action*>{LargeIcon2, SmallIcon2, ListIcon1, ReportIcon1})
    actionItem(PopupMenu2->Items(), a);

  MainMenu1 = fw::Make<fw::MainMenu>(this);
  MainMenu1->SetName("MainMenu1");
  MainMenu1->SetImages(ToolImageL);
  fw::MenuItem* root = MainMenu1->Items();
  fw::MenuItem* file = item(root, "ファイル(&F)");
  item(file, "栞を追加(&S)", scCtrl | 'S', handler(&TForm1::SioriButtonClick), 4);
  actionItem(file, TabClose);
  item(file, "-");
  item(file, "戻る(&U)", scCtrl | 'U', handler(&TForm1::UndoClick), 1);
  item(file, "進む(&R)", scCtrl | 'R', handler(&TForm1::RedoClick), 0);
  item(file, "-");
  item(file, "アイコン化(&I)", scCtrl | 'I', handler(&TForm1::IconizeClick));
  item(file, "設定(&O)", fw::scNone, handler(&TForm1::OptionClick));
  item(file, "ランチャー設定(&L)", fw::scNone, handler(&TForm1::LancherSettingClick));
  item(file, "-");
  item(file, "終了(&X)", scAlt | VK_F4, handler(&TForm1::Exit1Click));

  fw::MenuItem* edit = item(root, "編集(&E)");
  actionItem(edit, ShellFileCut1);
  actionItem(edit, ShellFileCopy1);
  actionItem(edit, ShellFilePaste1);
  actionItem(edit, SelectAllItem1);
  item(edit, "-");
  item(edit, "最新の状態に更新 ", VK_F5, handler(&TForm1::N1Click));

  fw::MenuItem* view = item(root, "表示(&V)");
  for (fw::Action* a : std::initializer_list<fw::Action*>{LargeIcon2, SmallIcon2, ListIcon1, ReportIcon1})
    actionItem(view, a);
  item(view, "-");
  actionItem(view, ToolsOC);
  fw::MenuItem* sortMenu = item(view, "ソート(&S)");
  for (fw::Action* a :
       std::initializer_list<fw::Action*>{ShellFileSortByName1, ShellFileSortByLastWrite1, ShellFileSortByAttr1,
                                          ShellFileSortBySize1, ShellFileSortByType1})
    actionItem(sortMenu, a);

  fw::MenuItem* jump = item(root, "ジャンプ(&J)");
  item(jump, "ジャンプを追加(&J)", scCtrl | 'J', handler(&TForm1::JumpAddClick));
  item(jump, "ジャンプ削除(&D)", fw::scNone, handler(&TForm1::JumpDeleteClick));

  fw::MenuItem* help = item(root, "ヘルプ(&H)");
  item(help, "ヘルプ(&H)", fw::scNone, handler(&TForm1::Help2Click));
  item(help, "バージョン情報(&A)...", fw::scNone, handler(&TForm1::N2Click));

  PopupMenu1 = fw::Make<fw::PopupMenu>(this);
  PopupMenu1->SetName("PopupMenu1");
  fw::MenuItem* newMenu = item(PopupMenu1->Items(), "新規作成");
  item(newMenu, "フォルダ", fw::scNone, handler(&TForm1::Folder1Click));
  item(newMenu, "ファイル", fw::scNone, handler(&TForm1::File2Click));
  fw::MenuItem* popupView = item(PopupMenu1->Items(), "表示");
  for (fw::Action* a : std::initializer_list<fw::Action*>{LargeIcon2, SmallIcon2, ListIcon1, ReportIcon1})
    actionItem(popupView, a);
  item(PopupMenu1->Items(), "-");
  actionItem(PopupMenu1->Items(), ShellFilePaste1);
  // The pop-up's select all has a key of its own (Ctrl+A) that the action
  // lacks, so the item runs the action instead of showing it.
  item(PopupMenu1->Items(), SelectAllItem1->Caption(), scCtrl | 'A', [this](fw::Object*) {
    SelectAllItem1->Update();
    SelectAllItem1->Execute();
  })->SetHint(SelectAllItem1->Hint());
  item(PopupMenu1->Items(), "-");
  fw::MenuItem* popupSort = item(PopupMenu1->Items(), "ソート");
  for (fw::Action* a :
       std::initializer_list<fw::Action*>{ShellFileSortByName1, ShellFileSortByLastWrite1, ShellFileSortByAttr1,
                                          ShellFileSortBySize1, ShellFileSortByType1})
    actionItem(popupSort, a);

  PopupMenu3 = fw::Make<fw::PopupMenu>(this);
  PopupMenu3->SetName("PopupMenu3");
  actionItem(PopupMenu3->Items(), TabClose);

  ComPopupMenu = fw::Make<fw::PopupMenu>(this);
  ComPopupMenu->SetName("ComPopupMenu");
  item(ComPopupMenu->Items(), "コピー(&C)", scCtrl | 'C', handler(&TForm1::RichCopyClick));
  item(ComPopupMenu->Items(), "すべて選択(&A)", fw::scNone, handler(&TForm1::RichSelectAllClick));
  item(ComPopupMenu->Items(), "-");
  RichStop = item(ComPopupMenu->Items(), "中止", fw::scNone, handler(&TForm1::RichStopClick));
  RichStop->SetEnabled(false);

  BuildLancherPopup();

  // One shell context menu for the tree and the list: they show it
  // themselves (no automatic popup), with the shell's verbs first.
  ShellPopupMenu1 = fw::Make<TShellPopupMenu>(this);
  ShellPopupMenu1->SetName("ShellPopupMenu1");
  ShellPopupMenu1->SetAutoPopup(false);
  ShellPopupMenu1->SetInsertPos(0);
  ShellSystemMenu1 = fw::Make<TShellSystemMenu>(this);
  ShellSystemMenu1->SetName("ShellSystemMenu1");
  ShellSystemMenu1->SetInsertPos(mpTop);
}

// ------------------------------------------------------------------ state

TViewStyle TForm1::ViewStyle() const {
  switch (ShellListView1->ViewStyle()) {
    case fw::TViewStyle::vsIcon:
      return TViewStyle::vsIcon;
    case fw::TViewStyle::vsSmallIcon:
      return TViewStyle::vsSmallIcon;
    case fw::TViewStyle::vsList:
      return TViewStyle::vsList;
    default:
      return TViewStyle::vsReport;
  }
}

void TForm1::SetViewStyle(TViewStyle style) {
  static constexpr fw::TViewStyle kStyles[] = {fw::TViewStyle::vsIcon, fw::TViewStyle::vsSmallIcon,
                                               fw::TViewStyle::vsReport, fw::TViewStyle::vsList};
  ShellListView1->SetViewStyle(kStyles[static_cast<int>(style)]);
}

std::vector<std::string> TForm1::TabTexts() const {
  std::vector<std::string> texts;
  for (int i = 0; i < TabControl1->TabCount(); ++i) texts.push_back(TabControl1->TabText(i));
  return texts;
}

fw::Control* TForm1::BandControlByName(const std::string& name) {
  // Only the length of the stored name is looked at (in bytes, as stored).
  switch (name.size()) {
    case 6:
      return Panel1;
    case 8:
      return ToolBar1;
    case 14:
      return ShellComboBox1;
    default:
      return nullptr;
  }
}

// ------------------------------------------------------------------ start-up

void TForm1::FormCreate(fw::Object*) {
  fw::IniFile& ini = Settings();

  // The folder tree builds its root; the path box and the contents list
  // then show the tree's folder.
  ShellTreeView1->Loaded();

  // 1. The command box lines up with its label.
  Edit1->SetTop(Label1->Top());

  // 2. The shell context menu carries the permanent delete as well.
  auto* permanentDelete = fw::Make<fw::MenuItem>(this);
  permanentDelete->SetAction(Delete);
  ShellPopupMenu1->Items()->Add(permanentDelete);

  // 3. Icons.
  HICON icon = fw::Application().Icon();
  SetIcon(icon);
  m_trayIcon = icon;
  // The tray icon gets its picture now but stays hidden until iconised.
  ShellTrayIcon1->SetPicture(icon);

  // 4. The jump list.
  LoadJumpList();

  // 5. One bookmark tab for the tree's current folder.
  TabControl1->AddTab(TreePath());
  TabControl1->SetTabIndex(0);

  // 6. The contents list's view style.
  int stype = ini.ReadInteger("SType", "Stype", 2);
  if (stype >= 0 && stype <= 3) SetViewStyle(static_cast<TViewStyle>(stype));

  // 7. A folder or file named on the command line is the start folder.
  const std::vector<std::string>& args = ProgramArgs();
  if (!args.empty() && !args[0].empty()) {
    std::string arg = FullPath(args[0]);
    if (DirectoryExists(arg)) {
      TreeSetPath(arg);
      m_startFromCommandLine = true;
    }
    if (FileExists(arg)) {
      TreeSetPath(FolderOfFile(arg));
      m_startFromCommandLine = true;
    }
  }

  // 8. The home folder.
  m_homeFolder = ini.ReadString("Home", "ホーム", "");
  if (DirectoryExists(m_homeFolder) && !m_startFromCommandLine) {
    HomeButton->SetEnabled(true);
    TreeSetPath(m_homeFolder);
  }

  // 9. Bookmarks kept from the last run. A bookmark file that cannot be read
  // is reported and the start-up goes on: the rest of the window is the
  // user's saved layout, which the close would otherwise overwrite with
  // defaults.
  if (ini.ReadBool("window", "saveSiori", false)) {
    const std::string sioriPath = SioriPath();
    std::vector<std::string> tabs;
    try {
      tabs = LoadSioriFile(sioriPath);
    } catch (const std::exception& e) {
      // The file may be there and only held by someone else (another
      // instance): then it still holds the user's bookmarks, and this run's
      // tabs must not replace it at the close.
      m_keepSioriFile = ::GetFileAttributesA(sioriPath.c_str()) != INVALID_FILE_ATTRIBUTES;
      fw::Application().HandleException(e);
    }
    tabs.push_back(TreePath());
    TabControl1->SetTabs(tabs);
    TabControl1->SetTabIndex(TabControl1->TabCount() - 1);
  }

  // 10. The tab strip wraps into rows or not.
  TabControl1->SetMultiLine(ini.ReadBool("Tabs", "multi", true));

  // 11. The saved layout, or the default column widths.
  if (ini.ReadBool("column", "kioku", false)) {
    RestoreLayout();
  } else {
    static constexpr int kWidths[] = {140, 80, 100, 104, 38};
    for (int i = 0; i < 5; ++i) ShellListView1->SetColumnWidth(i, kWidths[i]);
  }

  // 12. Minimising may hide into the tray.
  SetMinTray(ini.ReadBool("column", "MinTray", false));

  // 13, 14. The tool tabs.
  bool tabHide = ini.ReadBool("Tabs", "TabHide", false);
  PageControl1->SetVisible(!tabHide);
  Splitter3->SetVisible(!tabHide);
  PageControl1->SetActivePageIndex(ini.ReadInteger("Tabs", "TabActive", 0));

  // 15, 16. The launcher.
  FillLauncher();
}

void TForm1::RestoreLayout() {
  fw::IniFile& ini = Settings();
  static const char* const kColumnKeys[] = {"name", "size", "type", "update", "zoku"};
  static constexpr int kColumnDefaults[] = {140, 80, 100, 104, 38};
  for (int i = 0; i < 5; ++i)
    ShellListView1->SetColumnWidth(i, ini.ReadInteger("column", kColumnKeys[i], kColumnDefaults[i]));

  // Read in the settings' own order, then made reachable: absurd values
  // (hand-edited, or from another monitor layout) would keep the window off
  // every screen, and the close would write them back.
  WindowBounds bounds;
  bounds.top = ini.ReadInteger("window", "top", 155);
  bounds.width = ini.ReadInteger("window", "width", 709);
  bounds.left = ini.ReadInteger("window", "left", 266);
  bounds.height = ini.ReadInteger("window", "height", 539);
  bounds = UsableWindowBounds(bounds, MonitorWorkAreas(), ::GetSystemMetrics(SM_CYCAPTION));
  SetBounds(bounds.left, bounds.top, bounds.width, bounds.height);

  ToolBar1->SetLeft(ini.ReadInteger("cool", "toolLeft", 9));
  ToolBar1->SetTop(ini.ReadInteger("cool", "toolTop", 0));
  Panel1->SetLeft(ini.ReadInteger("cool", "jumpLeft", 265));
  Panel1->SetTop(ini.ReadInteger("cool", "jumpTop", 2));
  ShellComboBox1->SetLeft(ini.ReadInteger("cool", "ScomboLeft", 9));
  ShellComboBox1->SetTop(ini.ReadInteger("cool", "ScomboTop", 27));

  for (int i = 0; i < 3; ++i) {
    int width = ini.ReadInteger("cool", Key("itemw", i), kBandWidth);
    // A band of no width cannot be grabbed again.
    if (width <= 0) width = kBandWidth;
    bool brk = ini.ReadBool("cool", Key("itemb", i), false);
    std::string name = ini.ReadString("cool", Key("item", i), "ToolBar1");
    if (fw::Control* c = BandControlByName(name)) {
      fw::CoolBand* band = CoolBar1->Bands(i);
      band->SetControl(c);
      band->SetWidth(width);
      band->SetBreak(brk);
    }
  }

  if (ini.ReadBool("window", "state", false)) SetWindowState(fw::TWindowState::wsMaximized);
}

void TForm1::FormShow(fw::Object*) {
  if (!m_firstShow) return;
  ApplySortOrder(Settings().ReadInteger("sort", "sort", 0));
  m_firstShow = 0;
}

// ------------------------------------------------------------------ shutdown

void TForm1::FormDestroy(fw::Object*) {
  fw::IniFile& ini = Settings();

  // 1.
  ini.WriteBool("Tabs", "multi", TabControl1->MultiLine());

  // 2. Column widths, whatever "kioku" says. A folder outside the file system
  // shows a single name column; the widths kept for the file columns are the
  // ones to save then, and a column never shown keeps its stored width.
  static const char* const kColumnKeys[] = {"name", "size", "type", "update", "zoku"};
  for (int i = 0; i < 5; ++i) {
    int width = ShellListView1->FileList()->FileColumnWidth(i);
    if (width >= 0) ini.WriteInteger("column", kColumnKeys[i], width);
  }

  // 3. Window bounds only in the normal state.
  switch (WindowState()) {
    case fw::TWindowState::wsNormal:
      ini.WriteInteger("window", "left", Left());
      ini.WriteInteger("window", "top", Top());
      ini.WriteInteger("window", "height", Height());
      ini.WriteInteger("window", "width", Width());
      ini.WriteBool("window", "state", false);
      break;
    case fw::TWindowState::wsMaximized:
      ini.WriteBool("window", "state", true);
      break;
    case fw::TWindowState::wsMinimized:
      ini.WriteBool("window", "state", false);
      break;
  }

  // 4. Bookmarks.
  if (ini.ReadBool("window", "saveSiori", false) && !m_keepSioriFile) SaveSioriFile(SioriPath(), TabTexts());

  // 5. Positions inside the band bar.
  ini.WriteInteger("cool", "toolLeft", ToolBar1->Left());
  ini.WriteInteger("cool", "toolTop", ToolBar1->Top());
  ini.WriteInteger("cool", "jumpLeft", Panel1->Left());
  ini.WriteInteger("cool", "jumpTop", Panel1->Top());
  ini.WriteInteger("cool", "SComboLeft", ShellComboBox1->Left());
  ini.WriteInteger("cool", "SComboTop", ShellComboBox1->Top());

  // 6, 7. The bands.
  for (int i = 0; i < 3; ++i) {
    fw::Control* c = CoolBar1->Bands(i)->Control();
    ini.WriteString("cool", Key("item", i), c ? c->Name() : std::string());
  }
  for (int i = 0; i < 3; ++i) ini.WriteInteger("cool", Key("itemw", i), CoolBar1->Bands(i)->Width());
  for (int i = 0; i < 3; ++i) ini.WriteBool("cool", Key("itemb", i), CoolBar1->Bands(i)->Break());

  // 8. The file search thread.
  if (SearchTab1) SearchTab1->ReleaseSearch();
}

// ------------------------------------------------------------------ commands

void TForm1::Exit1Click(fw::Object*) { fw::Application().Terminate(); }

}  // namespace orvane
