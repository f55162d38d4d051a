// The main window's bookmark tabs: each tab holds a folder path, the
// selected one follows the current folder, selecting another goes there.
#include "app/Unitl01.h"

namespace orvane {

void TForm1::SioriButtonClick(fw::Object*) { TabControl1->AddTab(TreePath()); }

void TForm1::Close1Click(fw::Object*) {
  // The last tab stays: the list always sits in one.
  if (TabControl1->TabCount() < 2) return;
  const int closed = TabControl1->TabIndex();
  if (closed < 0) return;
  TabControl1->DeleteTab(closed);
  const int next = closed > 0 ? closed - 1 : 0;
  TabControl1->SetTabIndex(next);
  ShellTreeView1->SetPath(TabControl1->TabText(next));
}

void TForm1::TabControl1Change(fw::Object*) {
  const int tab = TabControl1->TabIndex();
  if (tab < 0) return;
  // A folder that is gone leaves everything as it is, the tab's text too.
  ShellTreeView1->SetPath(TabControl1->TabText(tab));
}

}  // namespace orvane
