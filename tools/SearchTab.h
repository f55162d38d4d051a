#pragma once
// The file search tab: the search form (location, pattern, browse, search
// and stop), the result list and its menu. The rows live in a vector here
// and the list asks for the ones it draws, so adding a batch of rows is one
// count change, and a row's icon is fetched only when the row is first drawn.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/base/Handle.h"
#include "framework/ui/Component.h"
#include "tools/Searchthread.h"

namespace fw {
class Button;
class Control;
class Edit;
class ImageList;
class Label;
class ListView;
class MenuItem;
class Panel;
class PopupMenu;
class Splitter;
class StatusBar;
}  // namespace fw

namespace orvane {

class TSearchTab : public fw::Component {
 public:
  // parent: the page that holds the tab's controls; statusBar: whose first
  // panel tells which folder is being searched (may be null).
  TSearchTab(fw::Component* owner, fw::Control* parent, fw::StatusBar* statusBar);
  ~TSearchTab() override;
  void BeforeDestruction() override;
  void Notification(fw::Component* component, fw::Operation operation) override;

  // Designer components.
  fw::Panel* SearchPanel = nullptr;  // the framed search form
  fw::Label* Label4 = nullptr;
  fw::Button* Srefer = nullptr;
  fw::Edit* DirSEdit = nullptr;
  fw::Label* Label5 = nullptr;
  fw::Edit* SearchEdit = nullptr;
  fw::Button* SearchB = nullptr;
  fw::Button* StopSB = nullptr;
  fw::Splitter* Splitter2 = nullptr;
  fw::ListView* ListView1 = nullptr;
  fw::ImageList* IconImageList = nullptr;
  fw::PopupMenu* SearchPopupMenu = nullptr;
  fw::MenuItem* N21 = nullptr;  // open (default)
  fw::MenuItem* N22 = nullptr;  // open folder

  // "検索": a new search of DirSEdit's folder with SearchEdit's pattern. A
  // search still running is stopped first, then the list is cleared.
  void Search();
  // "中止": asks the worker to stop, waits until it has, and shows the
  // object count again. Rows found before the request stay; none follow.
  void Stop();
  // SearchEdit's key-down: Enter starts a search (the key is left for the box).
  void KeyDown(WORD key);
  // "参照": the folder browser; a chosen folder becomes the location.
  void Browse();
  // Double-click and "開く": a folder is shown in the main window, a file opened.
  void OpenSelected();
  // "フォルダを開く": the selected row's folder is shown in the main window.
  void OpenSelectedFolder();
  // The location follows the folder being browsed (one trailing "\" removed).
  void FollowFolder(const std::string& path);
  // Stops and frees the worker of the last search (the window is closing).
  void ReleaseSearch();

  bool Running() const noexcept { return m_running; }
  OSearchS* SearchThread() const noexcept { return m_thread.get(); }
  int RowCount() const noexcept { return static_cast<int>(m_rows.size()); }
  const TSearchRow& Row(int index) const { return m_rows.at(static_cast<std::size_t>(index)); }
  // Takes what the worker has handed over so far (the feed window does this
  // when its message arrives).
  void TakeRows();
  // The image index of a row, fetching its icon now if it has none yet.
  int RowImage(int index);

  // Seams, set to the platform's calls by default.
  // The icon associated with a file (owned by the caller), or null.
  std::function<HICON(const std::string& path)> AssociatedIcon;
  // Opens a file with its default verb.
  std::function<void(const std::string& path)> ShellOpen;
  // The folder browser: true and the folder when the user chose one.
  std::function<bool(std::string& folder)> BrowseFolder;
  // Shows a folder in the main window (the folder tree's path setter).
  std::function<void(const std::string& path)> Navigate;
  // Objects of the folder shown in the main window, for the status text.
  std::function<int()> ObjectCount;

 private:
  void BuildControls(fw::Control* parent);
  void ShowObjectCount();
  void SetStatus(const std::string& text);
  // Stops the running worker and waits for it; showFound: the rows it
  // handed over meanwhile are still added.
  void EndSearch(bool showFound);
  int SelectedRow() const;
  int PlaceholderImage(bool folder);

  fw::StatusBar* m_statusBar;
  fw::WindowHandle m_feedWindow;
  std::shared_ptr<TSearchFeed> m_feed;
  std::unique_ptr<OSearchS> m_thread;
  bool m_running = false;
  std::vector<TSearchRow> m_rows;
  std::vector<int> m_images;        // per row; kNoImageYet until first drawn
  int m_placeholder[2] = {-1, -1};  // file, folder; image indexes in this search's list
  fw::IconHandle m_placeholderIcon[2];
};

}  // namespace orvane
