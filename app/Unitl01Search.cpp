// The main window's file search tab. The search itself belongs to
// TSearchTab; these handlers connect it to the window: the folder tree moves
// where a row leads, and the status bar counts the contents list's objects.
#include <windows.h>

#include "app/Unitl01.h"

namespace orvane {

void TForm1::BuildSearch() {
  SearchTab1 = fw::Make<TSearchTab>(this, TabSheet3, ShellStatusBar1);
  SearchTab1->SetName("SearchTab1");
  SearchTab1->Navigate = [this](const std::string& path) { TreeSetPath(path); };
  SearchTab1->ObjectCount = [this] { return ShellListView1->ItemCount(); };
  SearchTab1->Srefer->OnClick = [this](fw::Object* s) { SreferClick(s); };
  SearchTab1->SearchB->OnClick = [this](fw::Object* s) { SearchBClick(s); };
  SearchTab1->StopSB->OnClick = [this](fw::Object* s) { StopSBClick(s); };
  SearchTab1->SearchEdit->OnKeyDown = [this](fw::Object* s, WORD& key, fw::TShiftState shift) {
    SearchEditKeyDown(s, key, shift);
  };
  SearchTab1->ListView1->OnDblClick = [this](fw::Object* s) { ListView1DblClick(s); };
  SearchTab1->N21->OnClick = [this](fw::Object* s) { ListView1DblClick(s); };
  SearchTab1->N22->OnClick = [this](fw::Object* s) { N22Click(s); };
}

void TForm1::SreferClick(fw::Object*) { SearchTab1->Browse(); }

void TForm1::SearchBClick(fw::Object*) { SearchTab1->Search(); }

void TForm1::SearchEditKeyDown(fw::Object*, WORD& key, fw::TShiftState) { SearchTab1->KeyDown(key); }

void TForm1::StopSBClick(fw::Object*) { SearchTab1->Stop(); }

void TForm1::ListView1DblClick(fw::Object*) { SearchTab1->OpenSelected(); }

void TForm1::N22Click(fw::Object*) { SearchTab1->OpenSelectedFolder(); }

}  // namespace orvane
