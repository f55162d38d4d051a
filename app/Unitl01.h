#pragma once
// The main window: folder tree, bookmark tabs around the contents list, tool
// tabs, the command box, and the start-up and shutdown of the program's state.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/FileCommands.h"
#include "framework/ui/Actions.h"
#include "framework/ui/ComCtrls.h"
#include "framework/ui/Form.h"
#include "framework/ui/ImageList.h"
#include "framework/ui/Menus.h"
#include "framework/ui/Splitter.h"
#include "framework/ui/StdCtrls.h"
#include "framework/ui/ToolBar.h"
#include "shell/Shellactns.h"
#include "shell/Shelladditns.h"
#include "shell/Shellctrls.h"
#include "tools/CommandLine.h"
#include "tools/Lancher.h"
#include "tools/LancherList.h"
#include "tools/PreviewTab.h"
#include "tools/SearchTab.h"

namespace orvane {

class TForm3;
class TOptionF;

// The list view styles of the contents list, in the order of the "Stype" codes.
enum class TViewStyle { vsIcon, vsSmallIcon, vsReport, vsList };

class TForm1 : public fw::Form {
 public:
  explicit TForm1(fw::Component* owner);
  ~TForm1() override;

  // Designer components.
  fw::CoolBar* CoolBar1;
  fw::ToolBar* ToolBar1;
  fw::ToolButton* ToolButton1;  // back
  fw::ToolButton* ToolButton2;  // forward
  fw::ToolButton* ToolButton5;  // up
  fw::ToolButton* HomeButton;
  fw::ToolButton* ToolButton3;  // separator
  fw::ToolButton* ToolButton4;  // view (drop-down)
  fw::ToolButton* ToolButton6;  // separator
  fw::ToolButton* ToolButton7;  // add bookmark
  fw::ToolButton* ToolsButton;
  fw::ToolButton* ToolButton8;  // separator
  fw::ToolButton* JumpButton;
  fw::Panel* Panel1;
  fw::ComboBox* ComboBox2;  // jump list
  TShellComboBox* ShellComboBox1;
  TShellTreeView* ShellTreeView1;
  fw::Splitter* Splitter1;
  fw::TabControl* TabControl1;
  TShellListView* ShellListView1;
  fw::Splitter* Splitter3;
  fw::PageControl* PageControl1;
  fw::TabSheet* TabSheet2;  // launcher
  fw::TabSheet* TabSheet1;  // execution results
  fw::TabSheet* TabSheet3;  // file search
  fw::TabSheet* TabSheet4;  // preview
  fw::ListView* ListView2;  // launcher list
  fw::RichEdit* RichEdit1;
  fw::Panel* CommandPanel;  // the bottom line that holds Label1 and Edit1
  fw::Label* Label1;
  fw::Edit* Edit1;
  TShellStatusBar* ShellStatusBar1;
  TShellTrayIcon* ShellTrayIcon1;
  TShellPopupMenu* ShellPopupMenu1;
  TShellSystemMenu* ShellSystemMenu1;

  fw::ImageList* ToolImageL;
  fw::MainMenu* MainMenu1;
  fw::PopupMenu* PopupMenu1;    // contents list
  fw::PopupMenu* PopupMenu2;    // view drop-down
  fw::PopupMenu* PopupMenu3;    // tab strip
  fw::PopupMenu* ComPopupMenu;  // results pane
  // The results pane's stop item, enabled while a command runs.
  fw::MenuItem* RichStop;
  fw::PopupMenu* LancherPopup;
  fw::MenuItem* N25;  // run
  fw::MenuItem* LancherSetting;
  fw::MenuItem* Show3;
  fw::MenuItem* LargeIcon5;
  fw::MenuItem* SmallIcon;
  fw::MenuItem* ListIcon;
  fw::MenuItem* Detail4;
  // The launcher entries' icons, large and small; a row's image index points into both.
  fw::ImageList* LancherImage;
  fw::ImageList* LSImage;

  fw::ActionList* ActionList1;
  fw::Action* TabClose;
  fw::Action* ToolsOC;
  fw::Action* Delete;
  fw::Action* editsel;
  TShellFileCut* ShellFileCut1;
  TShellFileCopy* ShellFileCopy1;
  TShellFilePaste* ShellFilePaste1;
  TSelectAllItem* SelectAllItem1;
  TShellFileDelete* ShellFileDelete1;
  TLargeIcon* LargeIcon2;
  TSmallIcon* SmallIcon2;
  TListIcon* ListIcon1;
  TReportIcon* ReportIcon1;
  TShellFileSortByName* ShellFileSortByName1;
  TShellFileSortByLastWrite* ShellFileSortByLastWrite1;
  TShellFileSortByAttr* ShellFileSortByAttr1;
  TShellFileSortBySize* ShellFileSortBySize1;
  TShellFileSortByType* ShellFileSortByType1;

  // The command box's runs and their captured output.
  TCommandLine* CommandLine1;
  // The launcher tab's list (Unitl01Lancher.cpp).
  std::unique_ptr<TLancherList> Lancher1;
  // The preview page and its controls (Unitl01Preview.cpp).
  TPreviewTab* PreviewTab1;
  fw::Image* Image1;
  fw::Splitter* Splitter4;
  fw::Memo* PreMemo;
  // The file search tab's form, result list and worker.
  TSearchTab* SearchTab1 = nullptr;

  // Events of the form.
  void FormCreate(fw::Object* sender);
  void FormShow(fw::Object* sender);
  void FormDestroy(fw::Object* sender);

  // Commands.
  void SioriButtonClick(fw::Object* sender);
  void Close1Click(fw::Object* sender);
  void UndoClick(fw::Object* sender);
  void RedoClick(fw::Object* sender);
  void IconizeClick(fw::Object* sender);
  void OptionClick(fw::Object* sender);
  void LancherSettingClick(fw::Object* sender);
  void Exit1Click(fw::Object* sender);
  void N1Click(fw::Object* sender);
  void ToolsButtonClick(fw::Object* sender);
  void JumpAddClick(fw::Object* sender);
  void JumpDeleteClick(fw::Object* sender);
  void Help2Click(fw::Object* sender);
  void N2Click(fw::Object* sender);
  void Delete1Execute(fw::Object* sender);
  void editselExecute(fw::Object* sender);
  void Folder1Click(fw::Object* sender);
  void File2Click(fw::Object* sender);
  void RichCopyClick(fw::Object* sender);
  void RichSelectAllClick(fw::Object* sender);
  void RichStopClick(fw::Object* sender);
  void Edit1KeyDown(fw::Object* sender, WORD& key, fw::TShiftState shift);
  void HomeButtonClick(fw::Object* sender);
  void ShellTrayIcon1MouseDown(fw::Object* sender);

  // Tray and dialogs (Unitl01Tray.cpp).
  // Binds minimising to hiding into the tray (true) or unbinds it (false).
  void SetMinTray(bool minTray);
  // The help file's path: "index.html" in the program's folder.
  static std::string HelpFilePath();
  // The shell's open call that help uses; tests put a recorder in its place
  // (opening the file for real would start a browser). Returns the old one.
  using ShellOpenFunc = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
  static ShellOpenFunc SetShellOpenFunc(ShellOpenFunc fn);

  // Navigation (Unitl01Navigation.cpp).
  void ShellTreeView1Change(fw::Object* sender, fw::TreeNode* node);
  void ParentButtonClick(fw::Object* sender);
  void JumpButtonClick(fw::Object* sender);
  void ComboBox2KeyDown(fw::Object* sender, WORD& key, fw::TShiftState shift);
  // Launcher (Unitl01Lancher.cpp).
  void LancherEXEClick(fw::Object* sender);
  void LargeIcon5Click(fw::Object* sender);
  void SmallIconClick(fw::Object* sender);
  void ListIconClick(fw::Object* sender);
  void Detail4Click(fw::Object* sender);
  // The launcher settings dialog: the one created at start-up, or one of this
  // window's own when it runs without it (tests).
  TLancherForm* LancherForm();
  // File search (Unitl01Search.cpp).
  void SreferClick(fw::Object* sender);
  void SearchBClick(fw::Object* sender);
  void SearchEditKeyDown(fw::Object* sender, WORD& key, fw::TShiftState shift);
  void StopSBClick(fw::Object* sender);
  void ListView1DblClick(fw::Object* sender);
  void N22Click(fw::Object* sender);
  // Bookmark tabs (Unitl01Siori.cpp).
  void TabControl1Change(fw::Object* sender);
  // Preview (Unitl01Preview.cpp).
  void ShellListView1SelectItem(fw::Object* sender, fw::ListItem* item, bool selected);
  // File commands and the status bar's counts (Unitl01File.cpp).
  void ShellListView1Edited(fw::Object* sender, fw::ListItem* item, std::string& text);
  void ShellListView1Change(fw::Object* sender);
  // The name-input dialog: the one created at start-up, or one of this
  // window's own when it runs without it (tests).
  TForm3* NameForm();
  // The options dialog (Unitl01Option.cpp): the one created at start-up, or
  // one of this window's own when it runs without it (tests).
  TOptionF* OptionForm();
  // Runs the contents list's sort action for a stored sort order: 1 date,
  // 2 attributes, 3 size, 4 type, anything else name.
  void ApplySortOrder(int order);
  // The free and total bytes of the shown folder's volume. A seam: empty,
  // the contents list asks the volume; tests give figures no real volume has.
  std::function<void(std::uint64_t& freeBytes, std::uint64_t& totalBytes)> DiskSpaceQuery;

  // The folder tree's current path, and a move of the tree to a path.
  std::string TreePath() const { return ShellTreeView1->GetPath(); }
  void TreeSetPath(const std::string& path) { ShellTreeView1->SetPath(path); }

  // The view style of the contents list.
  TViewStyle ViewStyle() const;
  void SetViewStyle(TViewStyle style);

  // The home folder of the Home command.
  const std::string& HomeFolder() const noexcept { return m_homeFolder; }
  bool FirstShow() const noexcept { return m_firstShow != 0; }
  // The list's sort column as the first showing selects it: 0 name, 1 date, 2 attributes, 3 size, 4 type.
  int SortOrder() const;
  // The bookmark tab texts, in order.
  std::vector<std::string> TabTexts() const;

 private:
  void BuildComponents();
  void BuildMenus();
  void BuildActions();
  void BuildCommandLine();
  void BuildPreview();
  void BuildSearch();
  void RestoreLayout();
  void BuildLancher();
  void BuildLancherPopup();
  // Start-up: the launcher list from the settings, with the stored view style.
  void FillLauncher();
  fw::Control* BandControlByName(const std::string& name);
  // Fills the jump list with the keys of the "jump" section.
  void LoadJumpList();
  // Binds the contents list's rename and change events (Unitl01File.cpp).
  void BuildFileCommands();
  // The refresh after an in-place rename runs once the list has renamed.
  std::unique_ptr<TDeferredCall> m_refreshAfterRename;
  HICON m_trayIcon = nullptr;  // shared application icon, not owned
  std::string m_homeFolder;
  unsigned char m_firstShow = 1;
  bool m_startFromCommandLine = false;
  // The bookmark file was there but could not be read at start: it keeps the
  // user's bookmarks, so the close leaves it alone.
  bool m_keepSioriFile = false;
};

}  // namespace orvane
