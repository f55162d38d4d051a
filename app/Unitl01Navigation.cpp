// The main window's navigation: what every folder change updates, back and
// forward, up, home, and the jump list of favourite folders.
#include <windows.h>

#include "app/Globals.h"
#include "app/Unitl01.h"
#include "framework/base/Mbcs.h"
#include "framework/ui/Application.h"

namespace orvane {
namespace {

bool IsDirectory(const std::string& path) {
  DWORD a = ::GetFileAttributesA(path.c_str());
  return !path.empty() && a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder's own name: "work" for D:\data\work; empty for a drive root
// ("D:\") and for a folder outside the file system.
std::string LastComponent(const std::string& path) {
  std::size_t slash = fw::FindLastChar(path, '\\');
  return slash == std::string::npos ? std::string() : path.substr(slash + 1);
}

}  // namespace

void TForm1::ShellTreeView1Change(fw::Object*, fw::TreeNode* node) {
  // The window's parts may already be gone while it closes.
  if (Destroying()) return;
  // 1, 2. Back and forward change state only at the edges of their lists,
  // which is where a single step can take them.
  const int undo = ShellTreeView1->UndoCount();
  if (undo == 0) ToolButton1->SetEnabled(false);
  if (undo == 1) ToolButton1->SetEnabled(true);
  const int redo = ShellTreeView1->RedoCount();
  if (redo == 1) ToolButton2->SetEnabled(true);
  if (redo == 0) ToolButton2->SetEnabled(false);
  // 3. Up: not at the desktop root.
  ToolButton5->SetEnabled(node && node->Parent() != nullptr);

  const std::string path = TreePath();
  // 4. The selected bookmark follows the folder.
  const int tab = TabControl1->TabIndex();
  if (tab >= 0) TabControl1->SetTab(tab, path);

  // 5. Caption and taskbar title: the folder's own name, or the whole path
  // for a drive root. A folder outside the file system has no path at all;
  // it shows its display name rather than an empty caption.
  std::string caption = LastComponent(path);
  if (caption.empty()) caption = path;
  if (caption.empty() && node) caption = node->Text();
  fw::Application().SetTitle(caption);
  SetText(caption);

  // 6. The search location follows the folder being browsed.
  if (SearchTab1) SearchTab1->FollowFolder(path);
}

void TForm1::UndoClick(fw::Object*) { ShellTreeView1->Undo(ShellTreeView1->UndoCount() - 1); }

void TForm1::RedoClick(fw::Object*) { ShellTreeView1->Redo(ShellTreeView1->RedoCount() - 1); }

void TForm1::ParentButtonClick(fw::Object*) {
  fw::TreeNode* node = ShellTreeView1->Selected();
  if (node && node->Parent()) ShellTreeView1->SelectNode(node->Parent());
}

void TForm1::HomeButtonClick(fw::Object*) { ShellTreeView1->SetPath(m_homeFolder); }

void TForm1::LoadJumpList() {
  std::vector<std::string> jumps;
  Settings().ReadSection("jump", jumps);
  // Replacing the entries of a drop-down box keeps what is typed in it.
  const std::string text = ComboBox2->GetText();
  ComboBox2->SetItems(jumps);
  ComboBox2->SetText(text);
}

void TForm1::JumpAddClick(fw::Object*) {
  const std::string path = TreePath();
  // A folder outside the file system has no path to jump back to.
  if (path.empty()) return;
  // Keys compare without regard to case: the same folder typed differently
  // overwrites its entry instead of adding a second one.
  Settings().WriteString("jump", path, path);
  LoadJumpList();
}

void TForm1::JumpDeleteClick(fw::Object*) {
  const std::string text = ComboBox2->GetText();
  if (!text.empty()) Settings().DeleteKey("jump", text);
  LoadJumpList();
}

void TForm1::JumpButtonClick(fw::Object*) {
  const std::string text = ComboBox2->GetText();
  if (IsDirectory(text)) ShellTreeView1->SetPath(text);
}

void TForm1::ComboBox2KeyDown(fw::Object* sender, WORD& key, fw::TShiftState) {
  if (key == VK_RETURN) JumpButtonClick(sender);
}

}  // namespace orvane
