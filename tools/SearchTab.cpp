#include "tools/SearchTab.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

#include "framework/base/Mbcs.h"
#include "framework/ui/Application.h"
#include "framework/ui/ComCtrls.h"
#include "framework/ui/Form.h"
#include "framework/ui/ImageList.h"
#include "framework/ui/ListView.h"
#include "framework/ui/Menus.h"
#include "framework/ui/Splitter.h"
#include "framework/ui/StdCtrls.h"
#include "shell/Shellidfunc.h"

namespace orvane {
namespace {

constexpr int kNoImageYet = -2;
constexpr UINT kFeedMessage = WM_APP + 0x51;
const char kFeedWindowClass[] = "OrvaneSearchFeed";

// The result list: rows come from the tab's vector when the list draws them.
class TSearchListView : public fw::ListView {
 public:
  TSearchListView(fw::Component* owner, TSearchTab* tab) : fw::ListView(owner), m_tab(tab) {}
  void Forget() noexcept { m_tab = nullptr; }

 protected:
  void OwnerDataFetch(fw::ListItem* item, fw::TItemRequest request) override {
    if (!m_tab || item->Index() >= m_tab->RowCount()) return;
    const TSearchRow& row = m_tab->Row(item->Index());
    item->SetCaption(row.name);
    item->SetSubItems({*row.folder, SearchSizeText(row.size), SearchDateText(row.lastWrite)});
    // Only drawing asks for the image; a reader of the texts costs no icon.
    if (request.Contains(fw::TItemRequestItem::irImage)) item->SetImageIndex(m_tab->RowImage(item->Index()));
  }

 private:
  TSearchTab* m_tab;
};

LRESULT CALLBACK FeedWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != kFeedMessage) return ::DefWindowProcA(wnd, msg, wp, lp);
  auto* tab = reinterpret_cast<TSearchTab*>(::GetWindowLongPtrA(wnd, GWLP_USERDATA));
  try {
    if (tab) tab->TakeRows();
  } catch (const std::exception& e) {
    fw::Application().HandleException(e);
  } catch (...) {
  }
  return 0;
}

HWND MakeFeedWindow() {
  HINSTANCE inst = ::GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  wc.lpfnWndProc = &FeedWndProc;
  wc.hInstance = inst;
  wc.lpszClassName = kFeedWindowClass;
  ::RegisterClassA(&wc);  // fails harmlessly once registered
  return ::CreateWindowExA(0, kFeedWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, inst, nullptr);
}

HICON PlatformAssociatedIcon(const std::string& path) {
  char buf[MAX_PATH];
  if (path.size() >= sizeof buf) return nullptr;
  std::memcpy(buf, path.c_str(), path.size() + 1);
  WORD index = 2;
  return ::ExtractAssociatedIconA(::GetModuleHandleA(nullptr), buf, &index);
}

HWND AppWindow() {
  fw::Form* main = fw::Application().MainForm();
  return main ? main->Handle() : fw::Application().Handle();
}

void PlatformShellOpen(const std::string& path) {
  // A file that went away or has no program fails here; nothing is reported.
  ::ShellExecuteA(AppWindow(), nullptr, path.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
}

bool PlatformBrowseFolder(std::string& folder) {
  BROWSEINFOA bi{};
  bi.hwndOwner = AppWindow();
  bi.lpszTitle = "フォルダ選択";
  bi.ulFlags = BIF_RETURNONLYFSDIRS;
  char name[MAX_PATH] = {};
  bi.pszDisplayName = name;
  UniqueIDList chosen(::SHBrowseForFolderA(&bi));
  if (!chosen) return false;
  char path[MAX_PATH] = {};
  if (!::SHGetPathFromIDListA(chosen.get(), path)) return false;
  folder = path;
  return true;
}

bool IsDirectory(const std::string& path) {
  DWORD a = ::GetFileAttributesA(path.c_str());
  return !path.empty() && a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// An empty location means the root of the current drive. It is fixed to that
// drive now: the contents list moves the current directory whenever it shows
// a folder, and rows relative to "whatever drive is current" would later open
// files on another drive.
std::string CurrentDriveRoot() {
  char buf[MAX_PATH];
  DWORD n = ::GetFullPathNameA("\\", sizeof buf, buf, nullptr);
  return (n > 0 && n < sizeof buf) ? SearchStartFolder(std::string(buf, n)) : std::string();
}

}  // namespace

TSearchTab::TSearchTab(fw::Component* owner, fw::Control* parent, fw::StatusBar* statusBar)
    : fw::Component(owner), m_statusBar(statusBar) {
  AssociatedIcon = &PlatformAssociatedIcon;
  ShellOpen = &PlatformShellOpen;
  BrowseFolder = &PlatformBrowseFolder;
  m_feedWindow.reset(MakeFeedWindow());
  if (m_feedWindow) ::SetWindowLongPtrA(m_feedWindow.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  // The status bar may go before this tab while the window closes.
  if (m_statusBar) FreeNotification(m_statusBar);
  BuildControls(parent);
}

TSearchTab::~TSearchTab() {
  ReleaseSearch();
  // The list outlives this object's fields by a moment (components go last).
  if (ListView1) static_cast<TSearchListView*>(ListView1)->Forget();
  if (m_feedWindow) ::SetWindowLongPtrA(m_feedWindow.get(), GWLP_USERDATA, 0);
}

void TSearchTab::Notification(fw::Component* component, fw::Operation operation) {
  fw::Component::Notification(component, operation);
  if (operation == fw::Operation::opRemove && component == m_statusBar) m_statusBar = nullptr;
}

void TSearchTab::BeforeDestruction() {
  ReleaseSearch();
  fw::Component::BeforeDestruction();
}

void TSearchTab::BuildControls(fw::Control* parent) {
  SearchPanel = fw::Make<fw::Panel>(this);
  SearchPanel->SetName("SearchPanel");
  SearchPanel->SetParent(parent);
  SearchPanel->SetAlign(fw::TAlign::alLeft);
  SearchPanel->SetWidth(214);
  SearchPanel->SetBevelOuter(fw::TBevelCut::bvLowered);

  Label4 = fw::Make<fw::Label>(this);
  Label4->SetName("Label4");
  Label4->SetParent(SearchPanel);
  Label4->SetText("検索場所");
  Label4->SetBounds(6, 8, 48, 12);
  DirSEdit = fw::Make<fw::Edit>(this);
  DirSEdit->SetName("DirSEdit");
  DirSEdit->SetParent(SearchPanel);
  DirSEdit->SetBounds(56, 4, 112, 20);
  Srefer = fw::Make<fw::Button>(this);
  Srefer->SetName("Srefer");
  Srefer->SetParent(SearchPanel);
  Srefer->SetText("参照");
  Srefer->SetBounds(170, 4, 38, 20);
  Srefer->OnClick = [this](fw::Object*) { Browse(); };

  Label5 = fw::Make<fw::Label>(this);
  Label5->SetName("Label5");
  Label5->SetParent(SearchPanel);
  Label5->SetText("検索条件");
  Label5->SetBounds(6, 32, 48, 12);
  SearchEdit = fw::Make<fw::Edit>(this);
  SearchEdit->SetName("SearchEdit");
  SearchEdit->SetParent(SearchPanel);
  SearchEdit->SetText("*.*");
  SearchEdit->SetBounds(56, 28, 112, 20);
  SearchEdit->OnKeyDown = [this](fw::Object*, WORD& key, fw::TShiftState) { KeyDown(key); };

  SearchB = fw::Make<fw::Button>(this);
  SearchB->SetName("SearchB");
  SearchB->SetParent(SearchPanel);
  SearchB->SetText("検索");
  SearchB->SetBounds(56, 52, 54, 22);
  SearchB->OnClick = [this](fw::Object*) { Search(); };
  StopSB = fw::Make<fw::Button>(this);
  StopSB->SetName("StopSB");
  StopSB->SetParent(SearchPanel);
  StopSB->SetText("中止");
  StopSB->SetBounds(114, 52, 54, 22);
  StopSB->OnClick = [this](fw::Object*) { Stop(); };

  Splitter2 = fw::Make<fw::Splitter>(this);
  Splitter2->SetName("Splitter2");
  Splitter2->SetParent(parent);
  Splitter2->SetAlign(fw::TAlign::alLeft);
  Splitter2->SetWidth(3);

  IconImageList = fw::Make<fw::ImageList>(this, 16, 16);
  IconImageList->SetName("IconImageList");

  SearchPopupMenu = fw::Make<fw::PopupMenu>(this);
  SearchPopupMenu->SetName("SearchPopupMenu");
  N21 = fw::Make<fw::MenuItem>(this);
  N21->SetName("N21");
  N21->SetCaption("開く");
  N21->SetDefault(true);
  N21->OnClick = [this](fw::Object*) { OpenSelected(); };
  SearchPopupMenu->Items()->Add(N21);
  N22 = fw::Make<fw::MenuItem>(this);
  N22->SetName("N22");
  N22->SetCaption("フォルダを開く");
  N22->OnClick = [this](fw::Object*) { OpenSelectedFolder(); };
  SearchPopupMenu->Items()->Add(N22);

  ListView1 = fw::Make<TSearchListView>(this, this);
  ListView1->SetName("ListView1");
  ListView1->SetParent(parent);
  ListView1->SetAlign(fw::TAlign::alClient);
  ListView1->SetOwnerData(true);
  ListView1->SetViewStyle(fw::TViewStyle::vsReport);
  ListView1->SetRowSelect(true);
  ListView1->SetReadOnly(true);
  ListView1->SetHideSelection(false);
  ListView1->SetSmallImages(IconImageList);
  ListView1->AddColumn("名前", 120);
  ListView1->AddColumn("場所", 120);
  ListView1->AddColumn("サイズ", 70);
  ListView1->AddColumn("更新日時", 98);
  ListView1->SetPopupMenu(SearchPopupMenu);
  ListView1->OnDblClick = [this](fw::Object*) { OpenSelected(); };
}

// ------------------------------------------------------------------ search

void TSearchTab::Search() {
  std::string start = SearchStartFolder(DirSEdit->GetText());
  if (start.empty()) start = CurrentDriveRoot();
  const std::string mask = SearchEdit->GetText();

  // The earlier worker must be over before the list is emptied: it would
  // otherwise add its rows to the new search's.
  EndSearch(false);
  m_rows.clear();
  m_images.clear();
  ListView1->SetItemCount(0);
  IconImageList->Clear();
  m_placeholder[0] = m_placeholder[1] = -1;

  m_feed = std::make_shared<TSearchFeed>(m_feedWindow.get(), kFeedMessage);
  auto thread = std::make_unique<OSearchS>(m_feed);
  thread->StartFolder = start;
  thread->Mask = mask;
  thread->SetPriority(fw::ThreadPriority::tpLower);
  m_thread = std::move(thread);
  m_running = true;
  m_thread->Start();
}

void TSearchTab::EndSearch(bool showFound) {
  if (m_thread && m_thread->Started() && !m_thread->Finished()) {
    m_thread->Terminate();
    m_thread->WaitFor();
  }
  // What it found before it stopped is shown; later messages find no feed.
  if (m_feed) {
    if (showFound) TakeRows();
    m_feed->Detach();
    m_feed.reset();
  }
  m_running = false;
}

void TSearchTab::Stop() {
  EndSearch(true);
  ShowObjectCount();
}

void TSearchTab::ReleaseSearch() {
  EndSearch(false);
  m_thread.reset();
}

void TSearchTab::KeyDown(WORD key) {
  if (key == VK_RETURN) Search();
}

void TSearchTab::TakeRows() {
  if (!m_feed) return;
  TSearchFeed::Batch batch = m_feed->Take();
  if (!batch.rows.empty()) {
    const std::string folder = *batch.rows.back().folder;
    if (m_rows.empty())
      m_rows.swap(batch.rows);
    else
      m_rows.insert(m_rows.end(), std::make_move_iterator(batch.rows.begin()),
                    std::make_move_iterator(batch.rows.end()));
    m_images.resize(m_rows.size(), kNoImageYet);
    // One count change for the whole batch; rows already shown stay as drawn.
    ListView1->SetItemCount(RowCount(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    // The folder text of a row ends in the "\" the worker added.
    SetStatus(folder.substr(0, folder.size() - 1) + "を捜しています...");
  }
  if (batch.finished && m_running) {
    m_running = false;
    ShowObjectCount();
  }
}

int TSearchTab::RowImage(int index) {
  int& image = m_images.at(static_cast<std::size_t>(index));
  if (image != kNoImageYet) return image;
  const TSearchRow& row = Row(index);
  fw::IconHandle icon(AssociatedIcon ? AssociatedIcon(*row.folder + row.name) : nullptr);
  image = icon ? IconImageList->AddIcon(icon.get()) : -1;
  // Many files and every folder have no associated icon: such a row gets the
  // placeholder of its kind, never a neighbour's picture.
  if (image < 0) image = PlaceholderImage((row.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
  return image;
}

int TSearchTab::PlaceholderImage(bool folder) {
  int& index = m_placeholder[folder ? 1 : 0];
  if (index >= 0) return index;
  fw::IconHandle& icon = m_placeholderIcon[folder ? 1 : 0];
  if (!icon) {
    // The shell's generic picture for the kind, without touching the disk.
    SHFILEINFOA info{};
    if (::SHGetFileInfoA("x", folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                         SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES))
      icon.reset(info.hIcon);
  }
  if (icon) index = IconImageList->AddIcon(icon.get());
  return index;
}

// ------------------------------------------------------------------ rows

int TSearchTab::SelectedRow() const {
  int i = ListView1->ItemIndex();
  return (i >= 0 && i < RowCount()) ? i : -1;
}

void TSearchTab::OpenSelected() {
  int i = SelectedRow();
  if (i < 0) return;
  const TSearchRow& row = Row(i);
  const std::string path = *row.folder + row.name;
  if (IsDirectory(path)) {
    if (Navigate) Navigate(path);
  } else if (ShellOpen) {
    ShellOpen(path);
  }
}

void TSearchTab::OpenSelectedFolder() {
  int i = SelectedRow();
  if (i >= 0 && Navigate) Navigate(*Row(i).folder);
}

void TSearchTab::Browse() {
  std::string folder;
  if (BrowseFolder && BrowseFolder(folder)) DirSEdit->SetText(folder);
}

void TSearchTab::FollowFolder(const std::string& path) { DirSEdit->SetText(SearchStartFolder(path)); }

// ------------------------------------------------------------------ status

void TSearchTab::ShowObjectCount() { SetStatus(std::to_string(ObjectCount ? ObjectCount() : 0) + "個のオブジェクト"); }

void TSearchTab::SetStatus(const std::string& text) {
  if (m_statusBar && m_statusBar->PanelCount() > 0) m_statusBar->Panels(0)->SetText(text);
}

}  // namespace orvane
