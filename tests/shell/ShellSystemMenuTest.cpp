// The system menu component on real forms: own items in the window menu,
// their clicks, the standard commands' status and hints, the one-per-form
// rule, and giving the form's window procedure back.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "framework/base/Exception.h"
#include "framework/ui/Application.h"
#include "framework/ui/Form.h"
#include "shell/Shelladditns.h"

namespace {

std::vector<UINT> MenuIds(HMENU menu) {
  std::vector<UINT> ids;
  for (int i = 0; i < ::GetMenuItemCount(menu); ++i) ids.push_back(::GetMenuItemID(menu, i));
  return ids;
}

int PositionOf(HMENU menu, UINT id) {
  std::vector<UINT> ids = MenuIds(menu);
  for (size_t i = 0; i < ids.size(); ++i)
    if (ids[i] == id) return static_cast<int>(i);
  return -1;
}

class ShellSystemMenuTest : public testing::Test {
 protected:
  void SetUp() override {
    fw::Application().Initialize();
    form.reset(new fw::Form(nullptr));
    form->SetBounds(10, 10, 300, 200);
  }
  void TearDown() override {
    fw::TApplication::SetMessageBoxHook(nullptr);
    form.reset();
  }
  fw::MenuItem* AddItem(fw::Menu* menu, const std::string& caption, const std::string& hint = {}) {
    auto* item = fw::Make<fw::MenuItem>(form.get());
    item->SetCaption(caption);
    item->SetHint(hint);
    menu->Items()->Add(item);
    return item;
  }
  HMENU SystemMenu() { return ::GetSystemMenu(form->Handle(), FALSE); }
  void OpenSystemMenu() { ::SendMessageA(form->Handle(), WM_INITMENU, reinterpret_cast<WPARAM>(SystemMenu()), 0); }

  fw::ComponentPtr<fw::Form> form;
};

TEST_F(ShellSystemMenuTest, OwnItemsAppearAtTheTopOnEveryOpeningAndTheirClicksArrive) {
  auto* sm = fw::Make<TShellSystemMenu>(form.get());
  fw::MenuItem* a = AddItem(sm, "常に手前(&T)");
  fw::MenuItem* b = AddItem(sm, "トレイへ(&R)");
  int aClicks = 0, bClicks = 0;
  a->OnClick = [&](fw::Object*) { ++aClicks; };
  b->OnClick = [&](fw::Object*) { ++bClicks; };
  ASSERT_TRUE(form->Handle());
  sm->Loaded();
  OpenSystemMenu();
  std::vector<UINT> ids = MenuIds(SystemMenu());
  ASSERT_GE(ids.size(), 4u);
  EXPECT_EQ(ids[0], a->Command());
  EXPECT_EQ(ids[1], b->Command());
  EXPECT_NE(PositionOf(SystemMenu(), SC_CLOSE), -1);
  char text[64] = {};
  ::GetMenuStringA(SystemMenu(), a->Command(), text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "常に手前(&T)");

  // Opened again after a change: the current items, each once.
  b->SetCaption("通知領域へ(&R)");
  b->SetEnabled(false);
  OpenSystemMenu();
  EXPECT_EQ(MenuIds(SystemMenu()).size(), ids.size());
  ::GetMenuStringA(SystemMenu(), b->Command(), text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "通知領域へ(&R)");
  EXPECT_TRUE(::GetMenuState(SystemMenu(), b->Command(), MF_BYCOMMAND) & MF_GRAYED);

  // Chosen in the window menu the item arrives as a system command; as a
  // plain command (keyboard accelerator) it arrives too.
  ::SendMessageA(form->Handle(), WM_SYSCOMMAND, a->Command(), 0);
  ::SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(b->Command(), 0), 0);
  EXPECT_EQ(aClicks, 1);
  EXPECT_EQ(bClicks, 1);

  // An item freed while it is in the menu leaves it at the next opening.
  UINT bCommand = b->Command();
  fw::Free(b);
  OpenSystemMenu();
  EXPECT_EQ(PositionOf(SystemMenu(), bCommand), -1);
  EXPECT_EQ(PositionOf(SystemMenu(), a->Command()), 0);
}

TEST_F(ShellSystemMenuTest, InsertPosPlacesTheItems) {
  auto* sm = fw::Make<TShellSystemMenu>(form.get());
  fw::MenuItem* a = AddItem(sm, "一");
  fw::MenuItem* b = AddItem(sm, "二");
  EXPECT_EQ(sm->InsertReference(), 0u);
  sm->SetInsertPos(mpClose);
  EXPECT_EQ(sm->InsertReference(), static_cast<UINT>(SC_CLOSE));
  OpenSystemMenu();
  int close = PositionOf(SystemMenu(), SC_CLOSE);
  EXPECT_EQ(PositionOf(SystemMenu(), a->Command()), close - 2);
  EXPECT_EQ(PositionOf(SystemMenu(), b->Command()), close - 1);

  sm->SetInsertPos(mpLast);
  EXPECT_EQ(sm->InsertReference(), static_cast<UINT>(-1));
  OpenSystemMenu();
  int count = ::GetMenuItemCount(SystemMenu());
  EXPECT_EQ(PositionOf(SystemMenu(), a->Command()), count - 2);
  EXPECT_EQ(PositionOf(SystemMenu(), b->Command()), count - 1);

  // Before a command that was taken out: at the end rather than nowhere.
  sm->SetInsertPos(mpSize);
  EXPECT_EQ(sm->InsertReference(), static_cast<UINT>(SC_SIZE));
  sm->SetEnableCommands(kAllSysMenuCommands - TShSysMenuCommands{scSize});
  OpenSystemMenu();
  count = ::GetMenuItemCount(SystemMenu());
  EXPECT_EQ(PositionOf(SystemMenu(), b->Command()), count - 1);
}

TEST_F(ShellSystemMenuTest, EnableCommandsGreysCloseAndDeletesTheOthers) {
  auto* sm = fw::Make<TShellSystemMenu>(form.get());
  EXPECT_EQ(sm->EnableCommands().ToBits(), 63);
  ASSERT_TRUE(form->Handle());
  sm->SetEnableCommands(TShSysMenuCommands{scMove, scMinimize, scMaximize, scRestore});
  EXPECT_TRUE(::GetMenuState(SystemMenu(), SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_EQ(::GetMenuState(SystemMenu(), SC_SIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_NE(::GetMenuState(SystemMenu(), SC_MOVE, MF_BYCOMMAND), static_cast<UINT>(-1));
  // Given back: the standard menu again.
  sm->SetEnableCommands(kAllSysMenuCommands);
  EXPECT_FALSE(::GetMenuState(SystemMenu(), SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_NE(::GetMenuState(SystemMenu(), SC_SIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
}

TEST_F(ShellSystemMenuTest, TheStatusReachesAWindowCreatedLater) {
  auto* sm = fw::Make<TShellSystemMenu>(form.get());
  sm->SetEnableCommands(kAllSysMenuCommands - TShSysMenuCommands{scClose, scMaximize});
  ASSERT_FALSE(form->HandleAllocated());
  ASSERT_TRUE(form->Handle());
  EXPECT_TRUE(::GetMenuState(SystemMenu(), SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_EQ(::GetMenuState(SystemMenu(), SC_MAXIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
}

TEST_F(ShellSystemMenuTest, OnlyOnePerFormAndOnlyOnForms) {
  auto* first = fw::Make<TShellSystemMenu>(form.get());
  int components = form->ComponentCount();
  try {
    fw::Make<TShellSystemMenu>(form.get());
    FAIL() << "a second system menu on one form was accepted";
  } catch (const TShSysMenuError& e) {
    EXPECT_STREQ(e.what(), "TShSystemMenu は同一フォーム上に1つ以上置けません。");
  }
  EXPECT_EQ(form->ComponentCount(), components);  // the refused one is gone
  EXPECT_EQ(first->OwnerForm(), form.get());

  fw::ComponentPtr<fw::Component> plain(new fw::Component(nullptr));
  EXPECT_THROW(fw::Make<TShellSystemMenu>(plain.get()), fw::EInvalidCast);

  // Gone, it leaves the form free for another.
  fw::Free(first);
  EXPECT_NO_THROW(fw::Make<TShellSystemMenu>(form.get()));
}

TEST_F(ShellSystemMenuTest, TheFormsWindowProcedureIsGivenBack) {
  int seen = 0;
  fw::Control::WindowMethod original = form->WindowProc();
  form->SetWindowProc([&](UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NULL) ++seen;
    return original(msg, wp, lp);
  });
  ASSERT_TRUE(form->Handle());
  auto* sm = fw::Make<TShellSystemMenu>(form.get());
  fw::MenuItem* a = AddItem(sm, "自前");
  int clicks = 0;
  a->OnClick = [&](fw::Object*) { ++clicks; };
  ::SendMessageA(form->Handle(), WM_NULL, 0, 0);
  EXPECT_EQ(seen, 1);  // passed on to the procedure it replaced
  OpenSystemMenu();
  ASSERT_NE(PositionOf(SystemMenu(), a->Command()), -1);

  fw::Free(sm);
  EXPECT_EQ(PositionOf(SystemMenu(), a->Command()), -1);  // its items left the menu
  ::SendMessageA(form->Handle(), WM_NULL, 0, 0);
  EXPECT_EQ(seen, 2);
  OpenSystemMenu();
  EXPECT_EQ(PositionOf(SystemMenu(), a->Command()), -1);
  ::SendMessageA(form->Handle(), WM_SYSCOMMAND, a->Command(), 0);
  EXPECT_EQ(clicks, 0);
}

TEST_F(ShellSystemMenuTest, TheWindowsDestructionGivesTheProcedureBack) {
  int seen = 0;
  fw::Control::WindowMethod original = form->WindowProc();
  form->SetWindowProc([&](UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NULL) ++seen;
    return original(msg, wp, lp);
  });
  ASSERT_TRUE(form->Handle());
  auto* sm = fw::Make<TShellSystemMenu>(form.get());
  AddItem(sm, "自前");
  OpenSystemMenu();
  ::DestroyWindow(form->Handle());
  EXPECT_EQ(sm->OwnerForm(), nullptr);
  form->DispatchWindowMessage(WM_NULL, 0, 0);
  EXPECT_EQ(seen, 1);
  fw::Free(sm);  // with no form left to touch
}

TEST_F(ShellSystemMenuTest, MenuSelectionsSetTheApplicationHint) {
  ASSERT_EQ(fw::Application().MainForm(), nullptr);
  int hooks = fw::Application().HookCount();
  auto* sm = fw::Make<TShellSystemMenu>(form.get());
  EXPECT_EQ(fw::Application().HookCount(), hooks + 1);  // no main form yet: the task-bar menu too
  fw::MenuItem* a = AddItem(sm, "自前", "自前|自前の説明");
  HWND w = form->Handle();
  LPARAM menu = reinterpret_cast<LPARAM>(SystemMenu());
  auto select = [&](HWND target, UINT id) {
    ::SendMessageA(target, WM_MENUSELECT, MAKEWPARAM(id, MF_HILITE | MF_SYSMENU), menu);
    return fw::Application().Hint();
  };
  EXPECT_EQ(select(w, SC_CLOSE), "このウインドウを閉じます。");
  EXPECT_EQ(select(w, SC_SIZE), "このウインドウのサイズを変更します。");
  EXPECT_EQ(select(w, a->Command()), "自前の説明");
  EXPECT_EQ(select(w, 0x1234), " ");
  HWND app = fw::Application().Handle();
  EXPECT_EQ(select(app, SC_RESTORE), "このウインドウを通常の大きさに戻します。");
  EXPECT_EQ(select(app, a->Command()), "自前の説明");
  EXPECT_EQ(select(app, SC_MINIMIZE), "このウインドウを最小化します。");
  // The menu closing leaves the hint alone.
  ::SendMessageA(w, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  EXPECT_EQ(fw::Application().Hint(), "このウインドウを最小化します。");
  fw::Free(sm);
  EXPECT_EQ(fw::Application().HookCount(), hooks);  // the hook does not outlive the component
}

TEST_F(ShellSystemMenuTest, ActivationWhileTheApplicationIsMinimisedRestoresIt) {
  auto* sm = fw::Make<TShellSystemMenu>(form.get());
  (void)sm;
  HWND app = fw::Application().Handle();
  int restores = 0;
  int token = fw::Application().HookMainWindow([&](UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg != WM_SYSCOMMAND || wp != SC_RESTORE) return false;
    ++restores;
    result = 0;
    return true;  // the test stands in for the restore
  });
  auto changing = [&](UINT flags) {
    WINDOWPOS pos{};
    pos.hwnd = form->Handle();
    pos.flags = flags;
    ::SendMessageA(form->Handle(), WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    MSG msg;
    while (::PeekMessageA(&msg, app, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
  };
  changing(SWP_NOSIZE | SWP_NOMOVE);
  EXPECT_EQ(restores, 0);  // not minimised
  // Minimised as far as IsIconic can tell, without showing the window.
  LONG style = ::GetWindowLongA(app, GWL_STYLE);
  ::SetWindowLongA(app, GWL_STYLE, style | WS_MINIMIZE);
  changing(SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  EXPECT_EQ(restores, 0);  // more than a change of order
  changing(SWP_NOSIZE | SWP_NOMOVE);
  EXPECT_EQ(restores, 1);
  ::SetWindowLongA(app, GWL_STYLE, style);
  fw::Application().UnhookMainWindow(token);
}

TEST_F(ShellSystemMenuTest, AnErrorInAHandlerReachesTheErrorBox) {
  auto* sm = fw::Make<TShellSystemMenu>(form.get());
  fw::MenuItem* a = AddItem(sm, "失敗");
  a->OnClick = [](fw::Object*) { throw fw::Exception("失敗しました。"); };
  std::string shown;
  fw::TApplication::SetMessageBoxHook([&](HWND, const std::string& text, const std::string&, UINT) {
    shown = text;
    return IDOK;
  });
  ::SendMessageA(form->Handle(), WM_SYSCOMMAND, a->Command(), 0);
  EXPECT_EQ(shown, "失敗しました。");
}

}  // namespace
