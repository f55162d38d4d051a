// The main window's command box, its result area and the tool-tab toggle.
// The runs themselves belong to TCommandLine; these handlers only connect it
// to the window's controls.
#include <windows.h>

#include "app/Globals.h"
#include "app/Unitl01.h"

namespace orvane {

void TForm1::BuildCommandLine() {
  CommandLine1 = fw::Make<TCommandLine>(this, Edit1, RichEdit1, CommandHistory());
  CommandLine1->SetName("CommandLine1");
  // The prompt shows the folder the tree shows; the child itself starts in
  // the process's current directory, which the contents list keeps there.
  CommandLine1->PromptPath = [this] { return TreePath(); };
  CommandLine1->OnBusyChange = [this](bool busy) { RichStop->SetEnabled(busy); };
  Edit1->OnKeyDown = [this](fw::Object* s, WORD& key, fw::TShiftState shift) { Edit1KeyDown(s, key, shift); };
}

void TForm1::Edit1KeyDown(fw::Object*, WORD& key, fw::TShiftState) { CommandLine1->KeyDown(key); }

void TForm1::ToolsButtonClick(fw::Object*) {
  // Hidden splitter first and shown splitter last: shown after the panel,
  // the splitter is laid out directly above it.
  if (PageControl1->Visible()) {
    Splitter3->SetVisible(false);
    PageControl1->SetVisible(false);
  } else {
    PageControl1->SetVisible(true);
    Splitter3->SetVisible(true);
  }
}

void TForm1::RichCopyClick(fw::Object*) { RichEdit1->CopyToClipboard(); }

void TForm1::RichSelectAllClick(fw::Object*) { RichEdit1->SelectAll(); }

void TForm1::RichStopClick(fw::Object*) { CommandLine1->Stop(); }

}  // namespace orvane
