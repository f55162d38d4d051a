// Band bar, tool bar, tool buttons with actions and drop-down menus.
#include <gtest/gtest.h>

#include "framework/ui/Actions.h"
#include "framework/ui/ImageList.h"
#include "framework/ui/Menus.h"
#include "framework/ui/StdCtrls.h"
#include "framework/ui/ToolBar.h"
#include "tests/framework/ControlTestSupport.h"

namespace {

using controltest::Host;
using controltest::Place;

HWND BandChild(fw::CoolBar* bar, int index) {
  REBARBANDINFOA info{};
  info.cbSize = REBARBANDINFOA_V6_SIZE;
  info.fMask = RBBIM_CHILD;
  ::SendMessageA(bar->Handle(), RB_GETBANDINFOA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&info));
  return info.hwndChild;
}

struct MainBands {
  fw::CoolBar* bar;
  fw::ToolBar* tool;
  fw::Panel* panel;
  fw::ComboBox* combo;
};

// The main window's band bar: three bands of at least 241 x 24 holding a
// tool bar, a panel and a combo box.
MainBands MakeBands(Host& host) {
  MainBands m{};
  m.bar = Place<fw::CoolBar>(host.get(), host.get());
  m.bar->SetHeight(57);
  m.bar->SetBandMaximize(fw::TCoolBandMaximize::bmNone);
  m.tool = Place<fw::ToolBar>(m.bar, host.get());
  m.tool->SetName("ToolBar1");  // aligned to the top by default, which a band bar ignores
  m.panel = Place<fw::Panel>(m.bar, host.get());
  m.panel->SetName("Panel1");
  m.combo = Place<fw::ComboBox>(m.bar, host.get());
  m.combo->SetName("ShellComboBox1");
  fw::Control* controls[] = {m.tool, m.panel, m.combo};
  int widths[] = {254, 460, 716};
  for (int i = 0; i < 3; ++i) {
    fw::CoolBand* band = m.bar->AddBand();
    band->SetMinWidth(241);
    band->SetMinHeight(24);
    band->SetControl(controls[i]);
    band->SetWidth(widths[i]);
  }
  controltest::Settle();
  return m;
}

TEST(BandBar, BandsHoldTheirControlsInTheWindow) {
  Host host;
  MainBands m = MakeBands(host);
  ASSERT_EQ(m.bar->BandCount(), 3);
  EXPECT_EQ(m.bar->Bands(0)->GetControl(), m.tool);
  EXPECT_EQ(BandChild(m.bar, 0), m.tool->Handle());
  EXPECT_EQ(BandChild(m.bar, 1), m.panel->Handle());
  EXPECT_EQ(BandChild(m.bar, 2), m.combo->Handle());
  EXPECT_EQ(m.bar->Height(), 57);
  EXPECT_EQ(m.tool->Align(), fw::TAlign::alTop);
  RECT band{};
  ::SendMessageA(m.bar->Handle(), RB_GETRECT, 0, reinterpret_cast<LPARAM>(&band));
  EXPECT_LT(m.tool->Width(), band.right - band.left);
  EXPECT_GT(m.tool->Left(), band.left);
  // The children sit where the bar put them, and report it.
  RECT r;
  ::GetWindowRect(m.panel->Handle(), &r);
  ::MapWindowPoints(HWND_DESKTOP, m.bar->Handle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(m.panel->Left(), r.left);
  EXPECT_EQ(m.panel->Top(), r.top);
  EXPECT_GT(m.panel->Left(), 0);
  // Each child lies inside its band (a combo box too, whose window height
  // includes its list on some systems until it is first sized).
  fw::Control* controls[] = {m.tool, m.panel, m.combo};
  for (int i = 0; i < 3; ++i) {
    RECT band{};
    ::SendMessageA(m.bar->Handle(), RB_GETRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&band));
    RECT child;
    ::GetWindowRect(controls[i]->Handle(), &child);
    ::MapWindowPoints(HWND_DESKTOP, m.bar->Handle(), reinterpret_cast<POINT*>(&child), 2);
    EXPECT_GE(child.top, band.top) << i;
    EXPECT_LE(child.bottom, band.bottom) << i;
  }
}

TEST(BandBar, GivingABandAControlOfAnotherBandTakesItFromThatBand) {
  Host host;
  MainBands m = MakeBands(host);
  m.bar->Bands(0)->SetControl(m.panel);
  EXPECT_EQ(m.bar->Bands(0)->GetControl(), m.panel);
  EXPECT_EQ(m.bar->Bands(1)->GetControl(), nullptr);
  EXPECT_EQ(m.bar->FindBand(m.tool), nullptr);
  EXPECT_EQ(BandChild(m.bar, 0), m.panel->Handle());
  EXPECT_EQ(BandChild(m.bar, 1), nullptr);

  // As the settings do when every band is given the tool bar in turn.
  for (int i = 0; i < 3; ++i) m.bar->Bands(i)->SetControl(m.tool);
  EXPECT_EQ(m.bar->Bands(0)->GetControl(), nullptr);
  EXPECT_EQ(m.bar->Bands(1)->GetControl(), nullptr);
  EXPECT_EQ(m.bar->Bands(2)->GetControl(), m.tool);
  EXPECT_EQ(BandChild(m.bar, 2), m.tool->Handle());
  EXPECT_EQ(m.tool->Parent(), m.bar);
}

TEST(BandBar, WidthsAndBreaksRoundTrip) {
  Host host;
  MainBands m = MakeBands(host);
  EXPECT_EQ(m.bar->Bands(0)->Width(), 254);
  EXPECT_EQ(m.bar->Bands(1)->Width(), 460);
  EXPECT_EQ(m.bar->Bands(2)->Width(), 716);
  m.bar->Bands(1)->SetBreak(true);
  m.bar->Bands(2)->SetBreak(false);
  m.bar->Bands(0)->SetWidth(300);
  EXPECT_TRUE(m.bar->Bands(1)->Break());
  EXPECT_FALSE(m.bar->Bands(2)->Break());
  EXPECT_FALSE(m.bar->Bands(0)->Break());
  EXPECT_EQ(m.bar->Bands(0)->Width(), 300);
  // The window holds the same: the bar reads it back from there.
  REBARBANDINFOA info{};
  info.cbSize = REBARBANDINFOA_V6_SIZE;
  info.fMask = RBBIM_STYLE | RBBIM_SIZE;
  ::SendMessageA(m.bar->Handle(), RB_GETBANDINFOA, 1, reinterpret_cast<LPARAM>(&info));
  EXPECT_TRUE(info.fStyle & RBBS_BREAK);
  EXPECT_EQ(info.cx, 460u);
}

TEST(BandBar, BandOrderFollowsTheWindowWhenBandsAreMoved) {
  Host host;
  MainBands m = MakeBands(host);
  fw::CoolBand* comboBand = m.bar->Bands(2);
  // What a user's drag does to the window: the last band moves to the front.
  ::SendMessageA(m.bar->Handle(), RB_MOVEBAND, 2, 0);
  EXPECT_EQ(m.bar->Bands(0), comboBand);
  EXPECT_EQ(m.bar->Bands(0)->GetControl(), m.combo);
  EXPECT_EQ(m.bar->Bands(1)->GetControl(), m.tool);
  EXPECT_EQ(comboBand->Index(), 0);
  EXPECT_EQ(comboBand->Width(), 716);
  // And the program can move bands too.
  comboBand->SetIndex(2);
  EXPECT_EQ(m.bar->Bands(2)->GetControl(), m.combo);
  EXPECT_EQ(BandChild(m.bar, 2), m.combo->Handle());
}

TEST(BandBar, BandsSurviveANewWindow) {
  Host host;
  MainBands m = MakeBands(host);
  m.bar->Bands(2)->SetBreak(true);
  ::SendMessageA(m.bar->Handle(), RB_MOVEBAND, 0, 1);
  m.bar->SetParent(nullptr);  // the window goes
  ASSERT_FALSE(m.bar->HandleAllocated());
  m.bar->SetParent(host.get());
  ASSERT_TRUE(m.bar->HandleAllocated());
  EXPECT_EQ(m.bar->Bands(0)->GetControl(), m.panel);
  EXPECT_EQ(m.bar->Bands(1)->GetControl(), m.tool);
  EXPECT_TRUE(m.bar->Bands(2)->Break());
  EXPECT_EQ(BandChild(m.bar, 1), m.tool->Handle());
}

struct Bar {
  fw::ToolBar* tool;
  fw::ToolButton* back;
  fw::ToolButton* sep;
  fw::ToolButton* view;
  fw::ToolButton* tools;
};

Bar MakeToolBar(Host& host) {
  Bar b{};
  b.tool = Place<fw::ToolBar>(host.get(), host.get());
  b.tool->SetFlat(true);
  b.tool->SetButtonWidth(26);
  auto* images = fw::Make<fw::ImageList>(host.get(), 16, 16);
  b.tool->SetImages(images);
  b.back = fw::Make<fw::ToolButton>(host.get());
  b.back->SetCaption("戻る");
  b.back->SetImageIndex(1);
  b.back->SetToolBar(b.tool);
  b.sep = b.tool->AddButton(fw::TToolButtonStyle::tbsSeparator);
  b.view = fw::Make<fw::ToolButton>(host.get());
  b.view->SetCaption("表示");
  b.view->SetStyle(fw::TToolButtonStyle::tbsDropDown);
  b.view->SetToolBar(b.tool);
  b.tools = fw::Make<fw::ToolButton>(host.get());
  b.tools->SetToolBar(b.tool);
  controltest::Settle();
  return b;
}

POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

TEST(ToolBar, ClickingAButtonRunsItsHandlerUnlessDisabled) {
  Host host;
  Bar b = MakeToolBar(host);
  ASSERT_EQ(b.tool->ButtonCount(), 4);
  EXPECT_EQ(::SendMessageA(b.tool->Handle(), TB_BUTTONCOUNT, 0, 0), 4);
  RECT r = b.back->BoundsRect();
  EXPECT_EQ(r.right - r.left, 26);
  int clicks = 0;
  b.back->OnClick = [&](fw::Object* sender) {
    EXPECT_EQ(sender, b.back);
    ++clicks;
  };
  POINT c = Centre(r);
  controltest::Click(b.tool->Handle(), c.x, c.y);
  EXPECT_EQ(clicks, 1);
  b.back->SetEnabled(false);
  EXPECT_FALSE(::SendMessageA(b.tool->Handle(), TB_ISBUTTONENABLED, b.back->CommandId(), 0));
  controltest::Click(b.tool->Handle(), c.x, c.y);
  EXPECT_EQ(clicks, 1);
}

TEST(ToolBar, ButtonBoundToAnActionShowsItAndExecutesIt) {
  Host host;
  Bar b = MakeToolBar(host);
  auto* list = fw::Make<fw::ActionList>(host.get());
  auto* action = fw::Make<fw::Action>(host.get());
  action->SetActionList(list);
  action->SetCaption("ツールタブ表示切替");
  action->SetImageIndex(7);
  int executed = 0;
  action->OnExecute = [&](fw::Object*) { ++executed; };
  b.tools->SetAction(action);
  EXPECT_EQ(b.tools->Caption(), "ツールタブ表示切替");
  EXPECT_EQ(b.tools->ImageIndex(), 7);
  TBBUTTONINFOA info{};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_IMAGE;
  ::SendMessageA(b.tool->Handle(), TB_GETBUTTONINFOA, b.tools->CommandId(), reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.iImage, 7);

  POINT c = Centre(b.tools->BoundsRect());
  controltest::Click(b.tool->Handle(), c.x, c.y);
  EXPECT_EQ(executed, 1);
  action->SetEnabled(false);
  EXPECT_FALSE(b.tools->Enabled());
  EXPECT_FALSE(::SendMessageA(b.tool->Handle(), TB_ISBUTTONENABLED, b.tools->CommandId(), 0));
}

TEST(ToolBar, TipsShowTheHintOrElseTheCaption) {
  Host host;
  Bar b = MakeToolBar(host);
  b.view->SetHint("表示の切り替え");
  auto tip = [&](fw::ToolButton* button) {
    NMTTDISPINFOA di{};
    di.hdr.hwndFrom = nullptr;
    di.hdr.idFrom = button->CommandId();
    di.hdr.code = TTN_GETDISPINFOA;
    ::SendMessageA(b.tool->Handle(), WM_NOTIFY, di.hdr.idFrom, reinterpret_cast<LPARAM>(&di));
    return std::string(di.lpszText ? di.lpszText : "");
  };
  EXPECT_EQ(tip(b.back), "戻る");
  EXPECT_EQ(tip(b.view), "表示の切り替え");
}

TEST(ToolBar, TheDropDownArrowShowsTheButtonsMenu) {
  Host host;
  Bar b = MakeToolBar(host);
  auto* menu = fw::Make<fw::PopupMenu>(host.get());
  auto* large = fw::Make<fw::MenuItem>(host.get());
  large->SetCaption("大きいアイコン(&G)");
  auto* small = fw::Make<fw::MenuItem>(host.get());
  small->SetCaption("小さいアイコン(&M)");
  menu->Items()->Add(large);
  menu->Items()->Add(small);
  int chosen = 0;
  small->OnClick = [&](fw::Object*) { ++chosen; };
  b.view->SetDropdownMenu(menu);

  int shown = 0;
  POINT shownAt{};
  fw::PopupMenu::SetPopupHook([&](fw::PopupMenu& m, HMENU built) -> UINT {
    ++shown;
    EXPECT_EQ(&m, menu);
    EXPECT_EQ(::GetMenuItemCount(built), 2);
    ::GetCursorPos(&shownAt);
    return small->Command();
  });
  RECT r = b.view->BoundsRect();
  // The arrow is the right-hand part of the button.
  controltest::MouseDown(b.tool->Handle(), r.right - 3, (r.top + r.bottom) / 2);
  controltest::MouseUp(b.tool->Handle(), r.right - 3, (r.top + r.bottom) / 2);
  fw::PopupMenu::SetPopupHook(nullptr);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(chosen, 1);
  EXPECT_EQ(menu->PopupComponent(), b.tool);
}

}  // namespace
