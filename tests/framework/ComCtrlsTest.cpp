// Page control, tab control, status bar and rich edit on real windows.
#include <gtest/gtest.h>

#include <string>

#include "framework/base/Handle.h"
#include "framework/ui/ComCtrls.h"
#include "framework/ui/Menus.h"
#include "tests/framework/ControlTestSupport.h"

namespace {

using controltest::Host;
using controltest::Place;

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

RECT BoundsInParent(fw::Control* c) {
  RECT r;
  ::GetWindowRect(c->Handle(), &r);
  ::MapWindowPoints(HWND_DESKTOP, ::GetParent(c->Handle()), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

struct Pages {
  fw::PageControl* pc;
  fw::TabSheet* sheets[4];
  fw::RichEdit* rich;
};

// The tool tabs of the main window: at the bottom, tabs below, four pages.
Pages MakePages(Host& host) {
  Pages p{};
  p.pc = Place<fw::PageControl>(host.get(), host.get());
  p.pc->SetHeight(110);
  p.pc->SetAlign(fw::TAlign::alBottom);
  p.pc->SetTabPosition(fw::TTabPosition::tpBottom);
  p.pc->SetHotTrack(true);
  p.pc->SetMultiLine(true);
  const char* captions[] = {"ランチャー", "実行結果", "ファイル検索", "プレビュー"};
  for (int i = 0; i < 3; ++i) {
    p.sheets[i] = fw::Make<fw::TabSheet>(host.get());
    p.sheets[i]->SetCaption(captions[i]);
    p.sheets[i]->SetPageControl(p.pc);
  }
  p.sheets[3] = p.pc->AddPage(captions[3]);
  p.rich = Place<fw::RichEdit>(p.sheets[1], host.get());
  p.rich->SetAlign(fw::TAlign::alClient);
  controltest::Settle();
  return p;
}

TEST(PageControl, OnlyTheActivePageShowsAndSettingItRaisesNoEvent) {
  Host host;
  Pages p = MakePages(host);
  int changes = 0;
  p.pc->OnChange = [&](fw::Object*) { ++changes; };
  EXPECT_EQ(p.pc->PageCount(), 4);
  EXPECT_EQ(p.pc->ActivePageIndex(), 0);
  EXPECT_TRUE(::IsWindowVisible(p.sheets[0]->Handle()));
  EXPECT_FALSE(::IsWindowVisible(p.sheets[1]->Handle()));
  EXPECT_EQ(::SendMessageA(p.pc->Handle(), TCM_GETITEMCOUNT, 0, 0), 4);

  p.pc->SetActivePageIndex(3);
  EXPECT_EQ(p.pc->ActivePageIndex(), 3);
  EXPECT_EQ(p.pc->ActivePage(), p.sheets[3]);
  EXPECT_EQ(::SendMessageA(p.pc->Handle(), TCM_GETCURSEL, 0, 0), 3);
  EXPECT_TRUE(::IsWindowVisible(p.sheets[3]->Handle()));
  EXPECT_FALSE(::IsWindowVisible(p.sheets[0]->Handle()));
  EXPECT_EQ(changes, 0);
  // The active sheet fills the display area, which lies above the tabs.
  RECT display = p.pc->DisplayRect();
  EXPECT_TRUE(SameRect(BoundsInParent(p.sheets[3]), display));
  RECT tab = p.pc->TabRect(0);
  EXPECT_GE(tab.top, display.bottom - 2);
  EXPECT_NE(::GetWindowLongA(p.pc->Handle(), GWL_STYLE) & TCS_BOTTOM, 0);
  // The rich edit on its page fills that page.
  p.pc->SetActivePage(p.sheets[1]);
  RECT client;
  ::GetClientRect(p.sheets[1]->Handle(), &client);
  EXPECT_EQ(p.rich->Width(), client.right);
  EXPECT_EQ(p.rich->Height(), client.bottom);
}

TEST(PageControl, ClickingATabChangesThePageUnlessRefused) {
  Host host;
  Pages p = MakePages(host);
  int changes = 0;
  bool refuse = false;
  p.pc->OnChange = [&](fw::Object*) { ++changes; };
  p.pc->OnChanging = [&](fw::Object*, bool& allow) { allow = !refuse; };
  RECT r = p.pc->TabRect(2);
  controltest::Click(p.pc->Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  controltest::Settle();
  EXPECT_EQ(p.pc->ActivePageIndex(), 2);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(::IsWindowVisible(p.sheets[2]->Handle()));
  EXPECT_FALSE(::IsWindowVisible(p.sheets[0]->Handle()));

  refuse = true;
  r = p.pc->TabRect(1);
  controltest::Click(p.pc->Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  controltest::Settle();
  EXPECT_EQ(p.pc->ActivePageIndex(), 2);
  EXPECT_EQ(changes, 1);
}

TEST(PageControl, HiddenTabsAndMovedPages) {
  Host host;
  Pages p = MakePages(host);
  p.pc->SetActivePageIndex(2);
  p.sheets[0]->SetTabVisible(false);
  EXPECT_EQ(::SendMessageA(p.pc->Handle(), TCM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(p.sheets[2]->TabIndex(), 1);
  EXPECT_EQ(::SendMessageA(p.pc->Handle(), TCM_GETCURSEL, 0, 0), 1);
  p.sheets[3]->SetPageIndex(0);
  EXPECT_EQ(p.pc->Pages(0), p.sheets[3]);
  EXPECT_EQ(p.pc->ActivePage(), p.sheets[2]);
  char text[64] = {};
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  ::SendMessageA(p.pc->Handle(), TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(text, "プレビュー");
  // A page that goes takes its tab with it.
  fw::Free(p.sheets[3]);
  EXPECT_EQ(p.pc->PageCount(), 3);
  EXPECT_EQ(::SendMessageA(p.pc->Handle(), TCM_GETITEMCOUNT, 0, 0), 2);
}

TEST(TabControl, ItsClientControlFillsTheDisplayAreaAsRowsChange) {
  Host host;
  auto* tabs = Place<fw::TabControl>(host.get(), host.get());
  tabs->SetAlign(fw::TAlign::alClient);
  tabs->SetHotTrack(true);
  tabs->SetMultiLine(true);
  auto* list = Place<fw::ListView>(tabs, host.get());
  list->SetAlign(fw::TAlign::alClient);
  tabs->AddTab("C:\\");
  controltest::Settle();
  EXPECT_EQ(tabs->TabIndex(), 0);
  EXPECT_TRUE(SameRect(BoundsInParent(list), tabs->DisplayRect()));
  int oneRowTop = tabs->DisplayRect().top;
  // Enough tabs for several rows: the display area shrinks and the list follows.
  for (int i = 0; i < 30; ++i) tabs->AddTab("C:\\Program Files\\フォルダ" + std::to_string(i));
  controltest::Settle();
  ASSERT_GT(tabs->RowCount(), 1);
  EXPECT_GT(tabs->DisplayRect().top, oneRowTop);
  EXPECT_TRUE(SameRect(BoundsInParent(list), tabs->DisplayRect()));
  tabs->SetTabIndex(5);
  EXPECT_EQ(tabs->TabIndex(), 5);
  tabs->DeleteTab(5);
  EXPECT_EQ(tabs->TabCount(), 30);
  RECT r = tabs->TabRect(3);
  EXPECT_EQ(tabs->IndexOfTabAt((r.left + r.right) / 2, (r.top + r.bottom) / 2), 3);
}

std::string StatusText(fw::StatusBar* bar, int part) {
  char buf[256] = {};
  ::SendMessageA(bar->Handle(), SB_GETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(buf));
  return buf;
}

TEST(StatusBar, PanelsSimpleTextAndTheApplicationsHint) {
  Host host;
  auto* bar = Place<fw::StatusBar>(host.get(), host.get());
  bar->SetHeight(20);
  bar->AddPanel(500, "12 個のオブジェクト");
  bar->AddPanel(50);
  controltest::Settle();
  EXPECT_EQ(bar->Top(), host->ClientHeight() - 20);
  int parts[4] = {};
  ASSERT_EQ(::SendMessageA(bar->Handle(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(parts)), 2);
  EXPECT_EQ(parts[0], 500);
  EXPECT_EQ(StatusText(bar, 0), "12 個のオブジェクト");
  bar->Panels(1)->SetText("1.5GB");
  EXPECT_EQ(StatusText(bar, 1), "1.5GB");

  bar->SetAutoHint(true);
  fw::Application().SetHint("選択した項目を削除します");
  EXPECT_EQ(bar->Panels(0)->Text(), "選択した項目を削除します");
  EXPECT_EQ(StatusText(bar, 0), "選択した項目を削除します");
  bar->SetSimplePanel(true);
  fw::Application().SetHint("コピー");
  EXPECT_EQ(bar->SimpleText(), "コピー");
  EXPECT_TRUE(::SendMessageA(bar->Handle(), SB_ISSIMPLE, 0, 0));
  fw::Application().SetHint("");
  bar->SetAutoHint(false);
  fw::Application().SetHint("もう表示しない");
  EXPECT_EQ(bar->SimpleText(), "");
  fw::Application().SetHint("");
}

TEST(StatusBar, AFreedBarStopsListeningToHints) {
  Host host;
  auto* bar = Place<fw::StatusBar>(host.get(), host.get());
  bar->SetAutoHint(true);
  fw::Free(bar);
  fw::Application().SetHint("解放後");  // must not reach the freed bar
  fw::Application().SetHint("");
}

// Equal texts, or where they part (long texts make unreadable failure messages).
::testing::AssertionResult SameText(const std::string& actual, const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  size_t i = 0;
  while (i < actual.size() && i < expected.size() && actual[i] == expected[i]) ++i;
  return ::testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size()
                                       << ", first difference at " << i << ": [" << actual.substr(i, 20) << "] vs ["
                                       << expected.substr(i, 20) << "]";
}

std::string ClipboardText() {
  std::string text;
  for (int attempt = 0; attempt < 20 && !::OpenClipboard(nullptr); ++attempt) ::Sleep(10);
  if (HANDLE h = ::GetClipboardData(CF_TEXT)) {
    fw::GlobalLockGuard<char> lock(h);
    if (lock) text = lock.get();
  }
  ::CloseClipboard();
  return text;
}

TEST(RichEdit, AppendedOutputCanBeSelectedAndCopied) {
  Host host;
  auto* rich = Place<fw::RichEdit>(host.get(), host.get());
  rich->SetAlign(fw::TAlign::alClient);
  rich->SetReadOnly(true);
  rich->SetPlainText(true);
  rich->SetScrollBars(fw::TScrollStyle::ssBoth);
  controltest::Settle();
  std::string expected;
  rich->BeginUpdate();
  for (int i = 0; i < 200; ++i) {
    std::string line = "実行結果の行 " + std::to_string(i) + " ソ表\r\n";
    rich->AppendText(line);
    expected += line;
  }
  rich->EndUpdate();
  EXPECT_EQ(rich->LineCount(), 201);
  EXPECT_EQ(rich->Line(150), "実行結果の行 150 ソ表");
  // More than the default 32K characters fit.
  std::string big(40000, 'x');
  rich->AppendText(big);
  expected += big;
  EXPECT_TRUE(SameText(rich->GetText(), expected));

  ::OpenClipboard(nullptr);
  ::EmptyClipboard();
  ::CloseClipboard();
  rich->SetSelStart(0);
  rich->SetSelLength(7);
  EXPECT_EQ(rich->SelText(), "実行結果の行 ");
  rich->CopyToClipboard();
  EXPECT_EQ(ClipboardText(), "実行結果の行 ");
  rich->SelectAll();
  rich->CopyToClipboard();
  EXPECT_TRUE(SameText(ClipboardText(), expected));
}

TEST(RichEdit, ContextMenuShowsItsPopupMenu) {
  Host host;
  auto* rich = Place<fw::RichEdit>(host.get(), host.get());
  rich->SetBounds(0, 0, 200, 100);
  auto* menu = fw::Make<fw::PopupMenu>(host.get());
  auto* copy = fw::Make<fw::MenuItem>(host.get());
  copy->SetCaption("コピー(&C)");
  menu->Items()->Add(copy);
  rich->SetPopupMenu(menu);
  int shown = 0;
  fw::PopupMenu::SetPopupHook([&](fw::PopupMenu& m, HMENU) -> UINT {
    ++shown;
    EXPECT_EQ(m.PopupComponent(), rich);
    return 0;
  });
  ::SendMessageA(rich->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(rich->Handle()), MAKELPARAM(-1, -1));
  fw::PopupMenu::SetPopupHook(nullptr);
  EXPECT_EQ(shown, 1);
}

}  // namespace
