// The status bar, tab control and tray icon components on real windows: hint
// mode and the panels it gives back, the progress bar, the height rule, tab
// hit-testing, and the tray icon's records and mouse events (the shell call
// replaced by a recorder, the shell's callback posted to the hidden window).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/base/Exception.h"
#include "framework/ui/Application.h"
#include "framework/ui/Form.h"
#include "framework/ui/Menus.h"
#include "shell/Shelladditns.h"
#include "shell/Shellctrls.h"
#include "tests/common/MessagePump.h"

namespace {

// ------------------------------------------------------------------ status bar

class ShellStatusBarTest : public testing::Test {
 protected:
  void SetUp() override {
    fw::Application().Initialize();
    form.reset(new fw::Form(nullptr));
    form->SetBounds(10, 10, 640, 300);
    bar = fw::Make<TShellStatusBar>(form.get());
    bar->SetParent(form.get());
    bar->AddPanel(500, "objects");
    bar->AddPanel(50, "free");
    bar->SetAutoHint(true);
    form->Show();
  }
  void TearDown() override {
    fw::Application().SetHint("");
    form.reset();
  }
  // The right edges of the window's parts (-1: to the end of the bar).
  std::vector<int> Parts() {
    int edges[16] = {};
    int n = static_cast<int>(::SendMessageA(bar->Handle(), SB_GETPARTS, 16, reinterpret_cast<LPARAM>(edges)));
    return std::vector<int>(edges, edges + n);
  }
  std::string PartText(int part) {
    char text[256] = {};
    ::SendMessageA(bar->Handle(), SB_GETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
    return text;
  }

  fw::ComponentPtr<fw::Form> form;
  TShellStatusBar* bar = nullptr;
};

TEST_F(ShellStatusBarTest, HintAcrossTheBarThenThePanelsExactlyAsTheyWere) {
  fw::Application().SetHint("短い|長いヒントの文");
  ASSERT_TRUE(bar->HintMode());
  ASSERT_EQ(bar->PanelCount(), 3);
  EXPECT_EQ(bar->Panels(0)->Width(), 0);
  EXPECT_EQ(bar->Panels(1)->Width(), 0);
  EXPECT_EQ(bar->Panels(2)->Width(), form->Width());
  EXPECT_EQ(bar->Panels(2)->Bevel(), fw::TStatusPanelBevel::pbNone);
  EXPECT_EQ(PartText(2), "長いヒントの文");
  EXPECT_EQ(Parts(), (std::vector<int>{0, 0, -1}));

  // A further hint only changes the text.
  fw::Application().SetHint("次のヒント");
  EXPECT_EQ(bar->PanelCount(), 3);
  EXPECT_EQ(PartText(2), "次のヒント");

  fw::Application().SetHint("");
  EXPECT_FALSE(bar->HintMode());
  ASSERT_EQ(bar->PanelCount(), 2);
  EXPECT_EQ(bar->Panels(0)->Width(), 500);
  EXPECT_EQ(bar->Panels(1)->Width(), 50);
  EXPECT_EQ(Parts(), (std::vector<int>{500, -1}));
  EXPECT_EQ(PartText(0), "objects");
  EXPECT_EQ(PartText(1), "free");
  // An empty hint outside hint mode changes nothing.
  fw::Application().SetHint("");
  EXPECT_EQ(bar->PanelCount(), 2);
}

TEST_F(ShellStatusBarTest, ABarInsideADoubleByteCharacterDoesNotSplitTheHint) {
  // "ポ" is 0x83 0x7C: the second byte is a bar, yet the hint has no long part.
  fw::Application().SetHint("ポイント");
  ASSERT_EQ(bar->PanelCount(), 3);
  EXPECT_EQ(PartText(2), "ポイント");
  EXPECT_EQ(fw::GetShortHint("ポ|ト"), "ポ");
  EXPECT_EQ(fw::GetLongHint("ポ|ト"), "ト");
}

TEST_F(ShellStatusBarTest, AnOwnHintHandlerOrNoPanelsLeaveTheHintToThePlainBar) {
  int calls = 0;
  bar->OnHint = [&](fw::Object*) { ++calls; };
  fw::Application().SetHint("ヒント");
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(bar->HintMode());
  EXPECT_EQ(bar->PanelCount(), 2);

  bar->OnHint = nullptr;
  bar->ClearPanels();
  fw::Application().SetHint("別のヒント");
  EXPECT_FALSE(bar->HintMode());
  EXPECT_EQ(bar->SimpleText(), "別のヒント");
}

TEST_F(ShellStatusBarTest, OwnerMustBeAControl) {
  EXPECT_THROW(TShellStatusBar(nullptr), fw::EInvalidCast);
  fw::ComponentPtr<fw::Component> plain(new fw::Component(nullptr));
  EXPECT_THROW(fw::Make<TShellStatusBar>(plain.get()), fw::EInvalidCast);
  EXPECT_EQ(plain->ComponentCount(), 0);
}

TEST_F(ShellStatusBarTest, ProgressBarIsMadeOnDemandInTheFirstPanel) {
  auto* lone = fw::Make<TShellStatusBar>(form.get());
  lone->SetParent(form.get());
  fw::ProgressBar* progress = lone->GetProgressBar();
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(lone->PanelCount(), 2);
  EXPECT_EQ(lone->GetProgressBar(), progress);
  EXPECT_EQ(progress->Parent(), lone);
  EXPECT_EQ(progress->Owner(), lone);
  EXPECT_FALSE(progress->Visible());
  EXPECT_EQ(progress->Left(), 1);
  EXPECT_EQ(progress->Top(), 2);
  EXPECT_EQ(progress->Width(), lone->Panels(0)->Width() - 2);
  EXPECT_EQ(progress->Height(), lone->Height() - 2);

  // Gone, it is made again on the next request.
  fw::Free(progress);
  fw::ProgressBar* again = lone->GetProgressBar();
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(lone->PanelCount(), 2);
}

TEST_F(ShellStatusBarTest, HeightFollowsTheFontAndTheProgressBarFollowsTheHeight) {
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  fw::ProgressBar* progress = bar->GetProgressBar();

  const int twelvePoints = ::MulDiv(12, dpi, 72);
  bar->SetFont("ＭＳ Ｐゴシック", twelvePoints);
  EXPECT_EQ(bar->Height(), twelvePoints + 6);
  EXPECT_EQ(progress->Height(), twelvePoints + 4);

  bar->SetFont("ＭＳ Ｐゴシック", ::MulDiv(9, dpi, 72));
  EXPECT_EQ(bar->Height(), 23);
  EXPECT_EQ(progress->Height(), 21);
  EXPECT_EQ(progress->Width(), 498);
}

// ------------------------------------------------------------------ tab control

class ShellTabControlTest : public testing::Test {
 protected:
  void SetUp() override {
    fw::Application().Initialize();
    form.reset(new fw::Form(nullptr));
    form->SetBounds(10, 10, 400, 200);
    tabs = fw::Make<TShellTabControl>(form.get());
    tabs->SetParent(form.get());
    tabs->SetBounds(0, 0, 380, 150);
    tabs->SetTabs({"一つ目", "二つ目", "三つ目"});
    tabs->SetTabIndex(0);
    form->Show();
    tabs->Loaded();
  }
  fw::ComponentPtr<fw::Form> form;
  TShellTabControl* tabs = nullptr;
};

TEST(ShTabHitTestTest, PlatformFlagsBecomeTheSet) {
  EXPECT_EQ(TabHitTestsFromFlags(TCHT_NOWHERE), TShTabHitTests{thNoWhere});
  EXPECT_EQ(TabHitTestsFromFlags(TCHT_ONITEM), TShTabHitTests{thOnItem});
  EXPECT_EQ(TabHitTestsFromFlags(TCHT_ONITEMICON), TShTabHitTests{thOnItemIcon});
  EXPECT_EQ(TabHitTestsFromFlags(TCHT_ONITEMLABEL), TShTabHitTests{thOnItemLavel});
  EXPECT_TRUE(TabHitTestsFromFlags(0).Empty());
  // Bit n for the member of ordinal n.
  EXPECT_EQ(TShTabHitTests({thOnItemIcon, thOnItemLavel}).ToBits(), 12u);
}

TEST_F(ShellTabControlTest, HitTestingFindsTheTabUnderEachPartAndNothingBeside) {
  for (int i = 0; i < 3; ++i) {
    RECT r = tabs->TabRect(i);
    ASSERT_LT(r.left, r.right) << i;
    // Left edge (where an icon sits), middle (the label) and right edge.
    const int left = r.left, right = r.right;
    for (int x : {left + 3, (left + right) / 2, right - 3}) {
      TShTabHitTests hit;
      EXPECT_EQ(tabs->GetHitTestInfoAt(x, (r.top + r.bottom) / 2, hit), i) << i << " at " << x;
      EXPECT_FALSE(hit.Empty());
      EXPECT_FALSE(hit.Contains(thNoWhere));
      EXPECT_EQ(tabs->GetTabAt(x, (r.top + r.bottom) / 2), i);
    }
  }
  RECT last = tabs->TabRect(2);
  TShTabHitTests hit;
  EXPECT_EQ(tabs->GetHitTestInfoAt(last.right + 20, (last.top + last.bottom) / 2, hit), -1);
  EXPECT_EQ(hit, TShTabHitTests{thNoWhere});
  // Below the strip, inside the page area.
  EXPECT_EQ(tabs->GetTabAt(100, 120), -1);
}

TEST_F(ShellTabControlTest, SelectingRunsTheChangeAndFocusMovesTheFocusedTab) {
  int changes = 0;
  tabs->OnChange = [&](fw::Object*) { ++changes; };
  tabs->SetSelectIndex(2);
  EXPECT_EQ(tabs->GetSelectIndex(), 2);
  EXPECT_EQ(changes, 1);
  tabs->SetFocusIndex(1);
  EXPECT_EQ(tabs->GetFocusIndex(), 1);
}

// ------------------------------------------------------------------ tray icon

struct NotifyCall {
  DWORD message;
  NOTIFYICONDATAA data;
};
std::vector<NotifyCall> g_calls;

BOOL WINAPI RecordNotify(DWORD message, PNOTIFYICONDATAA data) {
  NotifyCall call{message, {}};
  std::memcpy(&call.data, data, NOTIFYICONDATAA_V1_SIZE);
  g_calls.push_back(call);
  return TRUE;
}

class ShellTrayIconTest : public testing::Test {
 protected:
  void SetUp() override {
    fw::Application().Initialize();
    g_calls.clear();
    m_previous = TShellTrayIcon::SetNotifyIconFunc(RecordNotify);
    owner.reset(new fw::Component(nullptr));
    tray = fw::Make<TShellTrayIcon>(owner.get());
  }
  void TearDown() override {
    owner.reset();
    TShellTrayIcon::SetNotifyIconFunc(m_previous);
    fw::TApplication::SetMessageBoxHook(nullptr);
  }
  std::vector<DWORD> Messages() const {
    std::vector<DWORD> m;
    for (const auto& c : g_calls) m.push_back(c.message);
    return m;
  }
  void Callback(UINT mouseMsg) {
    ::PostMessageA(tray->MessageWindow(), TShellTrayIcon::kCallbackMessage, TShellTrayIcon::kIconId, mouseMsg);
    testsupport::PumpFor(20);
  }

  fw::ComponentPtr<fw::Component> owner;
  TShellTrayIcon* tray = nullptr;
  TShellTrayIcon::NotifyIconFunc m_previous = nullptr;
};

TEST_F(ShellTrayIconTest, AddModifyAndRemoveHandTheShellTheFirstVersionRecord) {
  HICON appIcon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  tray->Add();
  tray->Add();
  ASSERT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD}));
  const NOTIFYICONDATAA& added = g_calls[0].data;
  EXPECT_EQ(added.cbSize, 88u);
  EXPECT_EQ(added.hWnd, tray->MessageWindow());
  EXPECT_NE(added.hWnd, nullptr);
  EXPECT_EQ(added.uID, 1u);
  EXPECT_EQ(added.uFlags, 7u);
  EXPECT_EQ(added.uCallbackMessage, 1026u);

  tray->SetIcon(nullptr);  // ignored
  tray->SetIcon(appIcon);
  tray->SetTipHelp("フォルダ");
  tray->SetTipHelp("フォルダ");  // unchanged: nothing to tell
  ASSERT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_MODIFY, NIM_MODIFY}));
  EXPECT_NE(g_calls[1].data.hIcon, nullptr);
  EXPECT_NE(g_calls[1].data.hIcon, appIcon);  // a copy of its own
  EXPECT_STREQ(g_calls[2].data.szTip, "フォルダ");

  tray->Remove();
  tray->Remove();
  EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_MODIFY, NIM_MODIFY, NIM_DELETE}));
  EXPECT_FALSE(tray->GetRegistered());

  // A new tip on a hidden icon shows it; destruction takes it away again.
  tray->SetTipHelp("別のフォルダ");
  EXPECT_TRUE(tray->GetRegistered());
  EXPECT_EQ(g_calls.back().message, static_cast<DWORD>(NIM_ADD));
  const HWND window = tray->MessageWindow();
  fw::Free(tray);
  EXPECT_EQ(g_calls.back().message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(g_calls.back().data.uID, 1u);
  EXPECT_FALSE(::IsWindow(window));
}

TEST_F(ShellTrayIconTest, APictureGivenWhileHiddenStaysHiddenAndGoesWithTheNextAdd) {
  HICON appIcon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  tray->SetPicture(nullptr);  // ignored
  tray->SetPicture(appIcon);
  EXPECT_TRUE(g_calls.empty());
  EXPECT_FALSE(tray->GetRegistered());
  EXPECT_NE(tray->GetIcon(), nullptr);
  EXPECT_NE(tray->GetIcon(), appIcon);  // a copy of its own
  tray->Add();
  ASSERT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD}));
  EXPECT_EQ(g_calls[0].data.hIcon, tray->GetIcon());
  // A shown icon takes a new picture at once.
  tray->SetPicture(::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_INFORMATION)));
  EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_MODIFY}));
  EXPECT_EQ(g_calls[1].data.hIcon, tray->GetIcon());
}

TEST_F(ShellTrayIconTest, TipIsCutAt63BytesOnAWholeCharacter) {
  EXPECT_EQ(TShellTrayIcon::FittedTip(std::string(70, 'a')), std::string(63, 'a'));
  std::string wide;
  for (int i = 0; i < 40; ++i) wide += "あ";
  EXPECT_EQ(TShellTrayIcon::FittedTip(wide).size(), 62u);  // 31 characters: the 32nd would need byte 64
  EXPECT_EQ(TShellTrayIcon::FittedTip("a" + wide).size(), 63u);
  EXPECT_EQ(TShellTrayIcon::FittedTip(std::string(62, 'a') + "あ"), std::string(62, 'a'));

  tray->SetTipHelp(std::string(62, 'a') + "あ");
  ASSERT_FALSE(g_calls.empty());
  EXPECT_EQ(std::string(g_calls.back().data.szTip), std::string(62, 'a'));
}

TEST_F(ShellTrayIconTest, CallbackMessagesBecomeMouseEvents) {
  std::vector<std::string> events;
  POINT at{};
  auto name = [](fw::TMouseButton b) {
    return b == fw::TMouseButton::mbLeft ? "L" : b == fw::TMouseButton::mbRight ? "R" : "M";
  };
  auto flags = [](fw::TShiftState s) {
    std::string f;
    if (s.Contains(fw::TShiftStateItem::ssLeft)) f += "l";
    if (s.Contains(fw::TShiftStateItem::ssRight)) f += "r";
    if (s.Contains(fw::TShiftStateItem::ssMiddle)) f += "m";
    if (s.Contains(fw::TShiftStateItem::ssDouble)) f += "d";
    return f;
  };
  tray->OnDblClick = [&](fw::Object*) { events.push_back("dbl"); };
  tray->OnMouseMove = [&](fw::Object*, fw::TShiftState s, int x, int y) {
    events.push_back("move" + flags(s));
    at = POINT{x, y};
  };
  tray->OnMouseDown = [&](fw::Object*, fw::TMouseButton b, fw::TShiftState s, int, int) {
    events.push_back(std::string("down") + name(b) + flags(s));
  };
  tray->OnMouseUp = [&](fw::Object*, fw::TMouseButton b, fw::TShiftState s, int, int) {
    events.push_back(std::string("up") + name(b) + flags(s));
  };

  ::SetCursorPos(123, 45);
  POINT cursor{};
  ::GetCursorPos(&cursor);
  for (UINT m : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP,
                 WM_RBUTTONDBLCLK, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MOUSEWHEEL})
    Callback(m);
  EXPECT_EQ(events, (std::vector<std::string>{"move", "downLl", "upLl", "dbl", "downLd", "downRr", "upRr", "downRd",
                                              "downMm", "upMm"}));
  EXPECT_EQ(at.x, cursor.x);
  EXPECT_EQ(at.y, cursor.y);
}

TEST_F(ShellTrayIconTest, AnErrorInAHandlerReachesTheErrorBox) {
  std::string shown;
  fw::TApplication::SetMessageBoxHook([&](HWND, const std::string& text, const std::string&, UINT) {
    shown = text;
    return IDOK;
  });
  tray->OnMouseUp = [](fw::Object*, fw::TMouseButton, fw::TShiftState, int, int) {
    throw std::runtime_error("復元できません");
  };
  Callback(WM_LBUTTONUP);
  EXPECT_EQ(shown, "復元できません");
}

TEST(ShellTrayIconShellTest, TheShellKnowsTheIconWhileItIsShown) {
  // Against the real notification call: while the icon is shown the shell
  // accepts a change for its identifier; once removed it refuses one.
  fw::Application().Initialize();
  fw::ComponentPtr<fw::Component> owner(new fw::Component(nullptr));
  auto* tray = fw::Make<TShellTrayIcon>(owner.get());
  tray->SetIcon(::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION)));
  ASSERT_TRUE(tray->GetRegistered());
  NOTIFYICONDATAA probe = tray->Record();
  EXPECT_TRUE(::Shell_NotifyIconA(NIM_MODIFY, &probe));
  tray->Remove();
  probe = tray->Record();
  EXPECT_FALSE(::Shell_NotifyIconA(NIM_MODIFY, &probe));
}

}  // namespace
