// Creating and freeing a form's worth of every control leaves no windows,
// window-system objects or drawing objects behind.
#include <gtest/gtest.h>
#include <winternl.h>

#include "framework/ui/ComCtrls.h"
#include "framework/ui/ImageList.h"
#include "framework/ui/Menus.h"
#include "framework/ui/Splitter.h"
#include "framework/ui/StdCtrls.h"
#include "framework/ui/ToolBar.h"
#include "tests/framework/ControlTestSupport.h"

namespace {

using controltest::Host;
using controltest::Place;

BOOL CALLBACK CountChild(HWND, LPARAM lp) {
  ++*reinterpret_cast<int*>(lp);
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND wnd, LPARAM lp) {
  ++*reinterpret_cast<int*>(lp);
  ::EnumChildWindows(wnd, CountChild, lp);
  return TRUE;
}

// Every window of this thread, tool tips and drop-down lists included.
int ThreadWindows() {
  int n = 0;
  ::EnumThreadWindows(::GetCurrentThreadId(), CountTopLevel, reinterpret_cast<LPARAM>(&n));
  return n;
}

// Live drawing objects of this process. Windows counts them for us; Wine
// reports 0 there, but keeps the count visible in the process's shared GDI
// handle table (entries of 24 bytes whose type byte is non-zero). The table
// reading is trusted only after it has seen one object come and go.
class GdiCounter {
 public:
  GdiCounter() {
    if (::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS) > 0) {
      m_system = true;
      return;
    }
    using Query = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION info{};
    if (!query || query(::GetCurrentProcess(), ProcessBasicInformation, &info, sizeof info, nullptr) != 0) return;
    // GdiSharedHandleTable of the 32-bit process environment block.
    m_table = *reinterpret_cast<const unsigned char* const*>(reinterpret_cast<const char*>(info.PebBaseAddress) + 0x94);
    if (!m_table) return;
    int before = TableCount();
    HBRUSH probe = ::CreateSolidBrush(RGB(1, 2, 3));
    int during = TableCount();
    ::DeleteObject(probe);
    if (during != before + 1 || TableCount() != before) m_table = nullptr;
  }
  bool Works() const { return m_system || m_table; }
  int Count() const {
    if (m_system) return static_cast<int>(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS));
    return TableCount();
  }

 private:
  int TableCount() const {
    int n = 0;
    for (int i = 0; i < 0x10000; ++i)
      if (m_table[i * 24 + 14] != 0) ++n;
    return n;
  }
  bool m_system = false;
  const unsigned char* m_table = nullptr;
};

void BuildEverything(Host& host) {
  fw::Panel* top = Place<fw::Panel>(host.get(), host.get());
  top->SetAlign(fw::TAlign::alTop);
  auto* images = fw::Make<fw::ImageList>(host.get(), 16, 16);
  auto* cool = Place<fw::CoolBar>(top, host.get());
  auto* tool = Place<fw::ToolBar>(cool, host.get());
  tool->SetAlign(fw::TAlign::alNone);
  tool->SetImages(images);
  auto* menu = fw::Make<fw::PopupMenu>(host.get());
  menu->Items()->Add(fw::Make<fw::MenuItem>(host.get()));
  for (int i = 0; i < 4; ++i) {
    auto* b = fw::Make<fw::ToolButton>(host.get());
    b->SetCaption("ボタン");
    if (i == 2) {
      b->SetStyle(fw::TToolButtonStyle::tbsDropDown);
      b->SetDropdownMenu(menu);
    }
    b->SetToolBar(tool);
  }
  auto* jump = Place<fw::Panel>(cool, host.get());
  auto* jumps = Place<fw::ComboBox>(jump, host.get());
  jumps->SetItems({"a", "b"});
  auto* path = Place<fw::ComboBox>(cool, host.get());
  for (fw::Control* c : std::initializer_list<fw::Control*>{tool, jump, path}) cool->AddBand()->SetControl(c);

  auto* tree = Place<fw::TreeView>(host.get(), host.get());
  tree->SetAlign(fw::TAlign::alLeft);
  fw::TreeNode* root = tree->Items().AddChild(nullptr, "デスクトップ");
  tree->Items().AddChild(root, "C:\\");
  root->Expand(false);
  auto* split = Place<fw::Splitter>(host.get(), host.get());
  split->SetAlign(fw::TAlign::alLeft);

  auto* status = Place<fw::StatusBar>(host.get(), host.get());
  status->AddPanel(500);
  status->AddPanel(50);
  status->SetAutoHint(true);
  auto* line = Place<fw::Panel>(host.get(), host.get());
  line->SetAlign(fw::TAlign::alBottom);
  auto* label = Place<fw::Label>(line, host.get());
  label->SetCaption("コマンド：");
  auto* edit = Place<fw::Edit>(line, host.get());
  edit->SetFont("ＭＳ Ｐゴシック", 15);
  auto* pages = Place<fw::PageControl>(host.get(), host.get());
  pages->SetAlign(fw::TAlign::alBottom);
  for (int i = 0; i < 4; ++i) {
    auto* sheet = fw::Make<fw::TabSheet>(host.get());
    sheet->SetCaption("ページ");
    sheet->SetPageControl(pages);
    if (i == 1) {
      auto* rich = Place<fw::RichEdit>(sheet, host.get());
      rich->SetPlainText(true);
      rich->AppendText("出力\r\n");
    }
    if (i == 2) {
      Place<fw::CheckBox>(sheet, host.get())->SetChecked(true);
      Place<fw::Button>(sheet, host.get())->SetDefault(true);
      auto* group = Place<fw::RadioGroup>(sheet, host.get());
      group->SetItems({"1", "2", "3"});
      Place<fw::Memo>(sheet, host.get())->SetText("memo");
      Place<fw::ProgressBar>(sheet, host.get())->SetPosition(50);
      Place<fw::GroupBox>(sheet, host.get());
    }
  }
  auto* tabs = Place<fw::TabControl>(host.get(), host.get());
  tabs->SetAlign(fw::TAlign::alClient);
  tabs->AddTab("C:\\");
  tabs->SetPopupMenu(menu);
  auto* list = Place<fw::ListView>(tabs, host.get());
  list->SetAlign(fw::TAlign::alClient);
  list->SetViewStyle(fw::TViewStyle::vsReport);
  list->SetSmallImages(images);
  list->AddColumn("名前", 140);
  list->AddItem("ファイル")->AddSubItem("1KB");
  controltest::Settle();
}

TEST(ControlLeaks, AFormOfEveryControlLeavesNothingBehind) {
  GdiCounter gdi;
  ASSERT_TRUE(gdi.Works());
  auto user = [] { return ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS); };
  {
    // Classes, libraries and cached system objects come into being once.
    Host warmUp;
    BuildEverything(warmUp);
  }
  controltest::Settle();
  int windows = ThreadWindows();
  int gdiBefore = gdi.Count();
  DWORD userBefore = user();
  for (int round = 0; round < 3; ++round) {
    Host host;
    BuildEverything(host);
    EXPECT_GT(ThreadWindows(), windows + 30);
    EXPECT_GT(gdi.Count(), gdiBefore);
  }
  controltest::Settle();
  EXPECT_EQ(ThreadWindows(), windows);
  EXPECT_LE(gdi.Count(), gdiBefore + 4);
  // Wine does not count window-system objects (it reports 0); Windows does.
  EXPECT_LE(user(), userBefore + 4);
}

}  // namespace
