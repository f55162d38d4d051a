// The main window's file commands on the contents list: new folder and new
// file through the name-input dialog, rename in place, refresh, permanent
// delete through purger.dll, and the status bar's object count and drive
// space.
#include <windows.h>
#include <commctrl.h>

#include "app/FileCommands.h"
#include "app/Folder.h"
#include "app/Unitl01.h"
#include "framework/ui/Application.h"
#include "purger/purger.h"

namespace orvane {
namespace {

// What purger.dll holds for one operation; a selection beyond it goes to the
// platform in several operations rather than losing its tail.
constexpr std::size_t kPurgeListCapacity = 4096;

}  // namespace

void TForm1::BuildFileCommands() {
  m_refreshAfterRename = std::make_unique<TDeferredCall>([this] { ShellListView1->RefreshFiles(); });
  ShellListView1->OnEdited = [this](fw::Object* s, fw::ListItem* item, std::string& text) {
    ShellListView1Edited(s, item, text);
  };
  ShellListView1->OnChange = [this](fw::Object* s, fw::ListItem*, fw::TItemChange) { ShellListView1Change(s); };
  // A folder read again (another folder, a refresh, a change on the disk)
  // reports no row change of its own, yet the count is another.
  ShellListView1->OnShListChange = [this](fw::Object* s, TShellFileList*) { ShellListView1Change(s); };
}

TForm3* TForm1::NameForm() {
  for (fw::Form* f : fw::Application().Forms())
    if (auto* form = dynamic_cast<TForm3*>(f)) return form;
  if (auto* own = dynamic_cast<TForm3*>(FindComponent("Form3"))) return own;
  return fw::Make<TForm3>(this);
}

void TForm1::Folder1Click(fw::Object*) {
  const std::string folder = TreePath();
  TForm3* form = NameForm();
  const std::string name = form->Execute() ? form->EnteredName() : std::string();
  // A folder outside the file system has no path: nothing to create in.
  if (!name.empty()) CreateFolderPath(folder, name);
  ShellListView1->RefreshFiles();
}

void TForm1::File2Click(fw::Object*) {
  TForm3* form = NameForm();
  // The folder texts come back whatever happens in between.
  struct FolderTextsBack {
    TForm3* form;
    ~FolderTextsBack() { form->SetFolderTexts(true); }
  } back{form};
  form->SetFileTexts();
  if (!form->Execute()) return;
  // The working folder follows the folder shown, but only for file-system
  // folders: with a virtual folder shown it still names the last real one,
  // where a new file would appear unseen. Relative names are taken in the
  // folder shown, and with none shown nothing is created.
  const std::string shown = ShellListView1->GetPath();
  if (!shown.empty()) CreateEmptyFile(shown, form->EnteredName());
  ShellListView1->RefreshFiles();
}

void TForm1::editselExecute(fw::Object*) {
  const int row = ShellListView1->GetNextItem(-1, LVNI_SELECTED);
  if (row < 0) return;
  if (fw::ListItem* item = ShellListView1->Item(row)) item->EditCaption();
}

void TForm1::ShellListView1Edited(fw::Object*, fw::ListItem*, std::string&) {
  // The list renames the item only after this event: refreshing now would
  // re-read the folder under the rename, which then acts on whatever row
  // took the edited one's place. Refresh once the edit is through.
  m_refreshAfterRename->Post(ShellListView1->Handle());
}

void TForm1::N1Click(fw::Object*) { ShellListView1->RefreshFiles(); }

void TForm1::Delete1Execute(fw::Object*) {
  const std::vector<int> rows = ShellListView1->SelectedIndices();
  if (rows.empty()) return;
  // Each item's own file-system path, from its item ID list. The caption is
  // no name to delete by: with extensions hidden "a.txt" shows as "a", and
  // the folder path + caption would name a folder "a" beside it. Items
  // outside the file system have no path and are left out.
  std::vector<std::string> paths;
  for (int row : rows) {
    if (TShellFileItem* item = ShellListView1->GetFileItem(row)) {
      std::string path = item->GetPath();
      if (!path.empty()) paths.push_back(std::move(path));
    }
  }
  ShellListView1->ClearSelection();
  // The paths go to the library only here, straight before each operation
  // that takes them out again, so none is left over for the next command.
  for (const auto& group : SplitForPurgeList(paths, kPurgeListCapacity)) {
    for (const auto& path : group) add_file(path.c_str());
    sh_op(fw::Application().Handle());
  }
  ShellListView1->RefreshFiles();
}

void TForm1::ShellListView1Change(fw::Object*) {
  // Rows change while the window goes away, too; nothing to show then.
  if (Destroying() || ShellListView1->WindowGone() || ShellStatusBar1->PanelCount() < 2) return;
  ShellStatusBar1->Panels(0)->SetText(ObjectCountText(ShellListView1->FileList()->Count()));
  std::uint64_t freeBytes = 0;
  std::uint64_t totalBytes = 0;
  if (DiskSpaceQuery) {
    DiskSpaceQuery(freeBytes, totalBytes);
  } else {
    freeBytes = ShellListView1->FileList()->GetDiskFree();
    totalBytes = ShellListView1->FileList()->GetDiskSize();
  }
  ShellStatusBar1->Panels(1)->SetText(DriveSpaceText(DrivePart(TreePath()), freeBytes, totalBytes));
}

}  // namespace orvane
