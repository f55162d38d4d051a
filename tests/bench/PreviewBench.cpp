// Previewing a large text file against its floor, measured in the same run:
// the same text (already in memory, line breaks already converted) put into
// the same text box with one raw WM_SETTEXT. The preview reads the file once,
// converts its line breaks once and sets the text once, so it should stay
// close to the floor (target: at most 1.2 times).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "framework/settings/IniFile.h"
#include "framework/ui/Application.h"
#include "framework/ui/ComCtrls.h"
#include "framework/ui/Form.h"
#include "framework/ui/StdCtrls.h"
#include "tests/bench/BenchSupport.h"
#include "tests/common/TempDir.h"
#include "tools/PreviewTab.h"

namespace {

using benchsupport::Seconds;

void Pump() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

// About 10 MB of lines ending in LF alone, Japanese and ASCII mixed.
std::string MakeText() {
  std::string text;
  const std::string line =
      "プレビューの試験行 0123456789 abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ 日本語\n";
  text.reserve(10 * 1024 * 1024 + line.size());
  while (text.size() < 10 * 1024 * 1024) text += line;
  return text;
}

}  // namespace

void RunPreviewBenchmarks() {
  fw::Application().Initialize();
  testsupport::TempDir dir;
  fw::IniFile settings(dir / "Orvane.INI");
  const std::string raw = MakeText();
  testsupport::WriteFile(dir / "big.txt", raw);
  const std::string boxText = orvane::ToBoxLineBreaks(raw.data(), raw.size());

  // The page as the main window has it: the tool-tab panel at the bottom
  // of a window of the default size, the preview page in front.
  fw::ComponentPtr<fw::Form> form{new fw::Form(nullptr)};
  form->SetBounds(10, 10, 728, 571);
  auto* panel = fw::Make<fw::PageControl>(form.get());
  panel->SetParent(form.get());
  panel->SetAlign(fw::TAlign::alBottom);
  panel->SetHeight(110);
  fw::TabSheet* page = panel->AddPage("プレビュー");
  auto* tab = fw::Make<orvane::TPreviewTab>(form.get(), panel, page, [&]() -> fw::IniFile& { return settings; });
  form->Show();
  panel->SetActivePage(page);
  Pump();
  ::SetCurrentDirectoryA(dir.Path().c_str());

  double bestRaw = 1e9, bestPreview = 1e9;
  for (int round = 0; round < 2; ++round) {
    tab->PreMemo->Clear();
    Pump();
    double start = Seconds();
    ::SendMessageA(tab->PreMemo->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(boxText.c_str()));
    bestRaw = std::min(bestRaw, Seconds() - start);
    tab->PreMemo->Clear();
    Pump();
    start = Seconds();
    tab->PreviewCaption("big.txt");
    bestPreview = std::min(bestPreview, Seconds() - start);
    if (::GetWindowTextLengthA(tab->PreMemo->Handle()) != static_cast<int>(boxText.size()))
      std::printf("preview: the box holds %d bytes, expected %u\n", ::GetWindowTextLengthA(tab->PreMemo->Handle()),
                  static_cast<unsigned>(boxText.size()));
  }
  std::printf("Preview of a %.1f MB text file                 %10.1f ms (best of 2)\n", raw.size() / 1048576.0,
              bestPreview * 1e3);
  std::printf("  floor: one raw WM_SETTEXT of the same text   %10.1f ms (best of 2)  ratio %.2fx (target <= 1.2x)\n",
              bestRaw * 1e3, bestPreview / bestRaw);
  tab->PreMemo->Clear();
}
