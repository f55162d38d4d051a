// The shell actions in the main window: where the menus show them, what the
// status bar says while the cursor is on them, and which list they act on.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "app/Globals.h"
#include "app/Unitl01.h"
#include "framework/ui/Application.h"
#include "shell/Shellcst.h"
#include "tests/common/MessagePump.h"
#include "tests/common/TempDir.h"
#include "tests/shell/ShellFakes.h"

namespace {

using orvane::TForm1;

class ActionsWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fw::Application().Initialize();
    orvane::UseProgramLocation(m_dir / "Orvane.exe");
    orvane::ProgramArgs().clear();
    m_form = fw::Application().CreateForm<TForm1>();
    m_form->Show();
    testsupport::PumpFor(50);
  }
  void TearDown() override { fw::Application().DestroyForms(); }

  // The sub-menu of the menu bar with this caption.
  fw::MenuItem* BarMenu(const std::string& caption) {
    fw::MenuItem* root = m_form->MainMenu1->Items();
    for (int i = 0; i < root->Count(); ++i)
      if (root->Items(i)->Caption() == caption) return root->Items(i);
    return nullptr;
  }
  static std::vector<fw::Action*> ActionsOf(fw::MenuItem* menu) {
    std::vector<fw::Action*> actions;
    for (int i = 0; i < menu->Count(); ++i)
      if (fw::Action* a = menu->Items(i)->GetAction()) actions.push_back(a);
    return actions;
  }

  testsupport::TempDir m_dir;
  TForm1* m_form = nullptr;
};

TEST_F(ActionsWindowTest, MenusShowTheShellActionsInTheirPlaces) {
  TForm1& f = *m_form;
  fw::MenuItem* edit = BarMenu("編集(&E)");
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(ActionsOf(edit),
            (std::vector<fw::Action*>{f.ShellFileCut1, f.ShellFileCopy1, f.ShellFilePaste1, f.SelectAllItem1}));
  EXPECT_EQ(edit->Items(1)->NativeText(), "コピー(&C)\tCtrl+C");
  fw::MenuItem* view = BarMenu("表示(&V)");
  ASSERT_NE(view, nullptr);
  const std::vector<fw::Action*> styles = {f.LargeIcon2, f.SmallIcon2, f.ListIcon1, f.ReportIcon1};
  std::vector<fw::Action*> viewActions = ActionsOf(view);
  viewActions.resize(4);
  EXPECT_EQ(viewActions, styles);
  fw::MenuItem* sort = view->Items(view->Count() - 1);
  EXPECT_EQ(sort->Caption(), "ソート(&S)");
  EXPECT_EQ(ActionsOf(sort),
            (std::vector<fw::Action*>{f.ShellFileSortByName1, f.ShellFileSortByLastWrite1, f.ShellFileSortByAttr1,
                                      f.ShellFileSortBySize1, f.ShellFileSortByType1}));
  EXPECT_EQ(ActionsOf(f.PopupMenu2->Items()), styles);
  // The delete action is reached by its key only.
  EXPECT_EQ(f.ShellFileDelete1->ShortCut(), VK_DELETE);
  EXPECT_EQ(f.ShellFileDelete1->GetActionList(), f.ActionList1);
  // The list's pop-up menu: its select all has Ctrl+A of its own.
  fw::MenuItem* selectAll = f.PopupMenu1->Items()->FindShortCut(fw::scCtrl | 'A');
  ASSERT_NE(selectAll, nullptr);
  EXPECT_EQ(selectAll->Caption(), "すべて選択(&A)");
  EXPECT_EQ(f.SelectAllItem1->ShortCut(), fw::scNone);
}

TEST_F(ActionsWindowTest, TheStatusBarShowsTheLongHintOfTheMenuItemUnderTheCursor) {
  TShellStatusBar* bar = m_form->ShellStatusBar1;
  fw::MenuItem* copy = BarMenu("編集(&E)")->Items(1);
  HWND wnd = m_form->Handle();
  HMENU barMenu = ::GetMenu(wnd);
  ::SendMessageA(wnd, WM_MENUSELECT, MAKEWPARAM(copy->Command(), MF_STRING), reinterpret_cast<LPARAM>(barMenu));
  ASSERT_TRUE(bar->HintMode());
  ASSERT_EQ(bar->PanelCount(), 3);
  EXPECT_EQ(bar->Panels(2)->Text(),
            "選択されたオブジェクトをクリップボードにコピーします。新しい位置に挿入するには [貼り付け] "
            "を選んでください。");
  // Another item replaces it; closing the menu gives the panels back.
  fw::MenuItem* view = BarMenu("表示(&V)");
  fw::MenuItem* byDate = view->Items(view->Count() - 1)->Items(1);
  ::SendMessageA(wnd, WM_MENUSELECT, MAKEWPARAM(byDate->Command(), MF_STRING), reinterpret_cast<LPARAM>(barMenu));
  EXPECT_EQ(bar->Panels(2)->Text(), "オブジェクトを日付順に並び替えます。");
  ::SendMessageA(wnd, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  EXPECT_FALSE(bar->HintMode());
  ASSERT_EQ(bar->PanelCount(), 2);
  EXPECT_EQ(bar->Panels(0)->Width(), 500);
  EXPECT_EQ(bar->Panels(1)->Width(), 50);
}

// The launcher's list comes before the contents list among the window's
// controls; the View menu must still change the contents list.
TEST_F(ActionsWindowTest, ViewMenuAndSelectAllActOnTheContentsListWhateverHasTheFocus) {
  testsupport::WriteFile(m_dir / "a.txt", "a");
  testsupport::WriteFile(m_dir / "b.txt", "b");
  m_form->ShellListView1->SetPath(m_dir.Path());
  ASSERT_EQ(m_form->ShellListView1->ItemCount(), 2);
  m_form->ListView2->InsertItem(0, "x");
  const fw::TViewStyle launcherStyle = m_form->ListView2->ViewStyle();
  ::SetFocus(m_form->ListView2->Handle());
  fw::MenuItem* view = BarMenu("表示(&V)");
  view->Items(2)->Click();  // list
  EXPECT_EQ(m_form->ShellListView1->ViewStyle(), fw::TViewStyle::vsList);
  EXPECT_EQ(m_form->ListView2->ViewStyle(), launcherStyle);
  m_form->ListIcon1->Update();
  EXPECT_TRUE(m_form->ListIcon1->Checked());
  m_form->ReportIcon1->Update();
  EXPECT_FALSE(m_form->ReportIcon1->Checked());

  ::SetFocus(m_form->Edit1->Handle());
  BarMenu("編集(&E)")->Items(3)->Click();
  EXPECT_EQ(m_form->ShellListView1->SelCount(), 2);
  EXPECT_EQ(m_form->ListView2->SelCount(), 0);
  EXPECT_TRUE(m_form->ShellListView1->Focused());

  // The edit commands follow the contents list's selection at idle time.
  m_form->ShellListView1->ClearSelection();
  m_form->ActionList1->UpdateActions();
  EXPECT_FALSE(m_form->ShellFileCopy1->Enabled());
  m_form->ShellListView1->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
  m_form->ActionList1->UpdateActions();
  EXPECT_TRUE(m_form->ShellFileCopy1->Enabled());
  EXPECT_TRUE(m_form->ShellFileDelete1->Enabled());
}

// Ctrl+A in the contents list reaches its pop-up menu's select all through
// the application's key routing (the key state says Ctrl is down).
TEST_F(ActionsWindowTest, CtrlAInTheContentsListSelectsEveryRow) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) testsupport::WriteFile(m_dir / name, name);
  TShellListView* lv = m_form->ShellListView1;
  lv->SetPath(m_dir.Path());
  ASSERT_EQ(lv->ItemCount(), 3);
  lv->SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
  ::SetFocus(lv->Handle());
  BYTE keys[256] = {};
  ASSERT_TRUE(::GetKeyboardState(keys));
  BYTE withCtrl[256];
  std::copy(std::begin(keys), std::end(keys), withCtrl);
  withCtrl[VK_CONTROL] = 0x80;
  ASSERT_TRUE(::SetKeyboardState(withCtrl));
  ::PostMessageA(lv->Handle(), WM_KEYDOWN, 'A', 0x001E0001);
  fw::Application().ProcessMessages();
  ::SetKeyboardState(keys);
  EXPECT_EQ(lv->SelCount(), 3);
  // Without Ctrl the key is the list's own (type-ahead), not select all.
  lv->ClearSelection();
  ::PostMessageA(lv->Handle(), WM_KEYDOWN, 'A', 0x001E0001);
  fw::Application().ProcessMessages();
  EXPECT_LT(lv->SelCount(), 3);
}

// Del, Ctrl+C, Ctrl+V and the like typed into the command box edit its text;
// in the contents list they are the file commands.
TEST_F(ActionsWindowTest, EditingKeysInTheCommandBoxNeverReachTheFileCommands) {
  testsupport::WriteFile(m_dir / "keep.txt", "k");
  TShellListView* lv = m_form->ShellListView1;
  lv->SetPath(m_dir.Path());
  ASSERT_EQ(lv->ItemCount(), 1);
  lv->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
  // The shell's menu is replaced by a recorder: a real delete would ask.
  shellfakes::FakeContextMenu menu;
  TShellIDList::SetContextMenuSource([&](TShellIDList&, HWND, IContextMenu** out) {
    menu.AddRef();
    *out = &menu;
    return S_OK;
  });
  BYTE keys[256] = {};
  ASSERT_TRUE(::GetKeyboardState(keys));
  auto press = [&](HWND wnd, WORD key, bool ctrl) {
    BYTE state[256];
    std::copy(std::begin(keys), std::end(keys), state);
    state[VK_CONTROL] = ctrl ? 0x80 : 0;
    ::SetKeyboardState(state);
    ::PostMessageA(wnd, WM_KEYDOWN, key, 1);
    fw::Application().ProcessMessages();
    ::SetKeyboardState(keys);
  };
  m_form->Edit1->SetText("dir");
  ::SetFocus(m_form->Edit1->Handle());
  press(m_form->Edit1->Handle(), VK_DELETE, false);
  press(m_form->Edit1->Handle(), 'C', true);
  press(m_form->Edit1->Handle(), 'X', true);
  EXPECT_EQ(menu.invokeCalls, 0) << "a key of the command box ran a file command";

  ::SetFocus(lv->Handle());
  press(lv->Handle(), VK_DELETE, false);
  EXPECT_EQ(menu.invokeCalls, 1);
  EXPECT_EQ(menu.verb, 17u);
  press(lv->Handle(), 'C', true);
  EXPECT_EQ(menu.invokeCalls, 2);
  EXPECT_EQ(menu.verb, 25u);
  TShellIDList::SetContextMenuSource(nullptr);
  EXPECT_EQ(menu.Refs(), 0u);
}

}  // namespace
