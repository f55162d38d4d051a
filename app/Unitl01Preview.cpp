// The main window's preview page: TPreviewTab builds and runs it; this only
// places it on the tool tabs and hands it the contents list's selections.
#include "app/Globals.h"
#include "app/Unitl01.h"

namespace orvane {

void TForm1::BuildPreview() {
  PreviewTab1 = fw::Make<TPreviewTab>(this, PageControl1, TabSheet4, []() -> fw::IniFile& { return Settings(); });
  Image1 = PreviewTab1->Image1;
  Splitter4 = PreviewTab1->Splitter4;
  PreMemo = PreviewTab1->PreMemo;
  PreviewTab1->TreePath = [this] { return TreePath(); };
  ShellListView1->OnSelectItem = [this](fw::Object* s, fw::ListItem* item, bool selected) {
    ShellListView1SelectItem(s, item, selected);
  };
}

void TForm1::ShellListView1SelectItem(fw::Object*, fw::ListItem* item, bool) {
  PreviewTab1->SelectItem(ShellListView1, item);
}

}  // namespace orvane
