// The shell context menu component: own items and the shell's items merged
// into one native menu, the codes it returns, and the routing of the menu's
// messages. The shell's side is a double that behaves like the Windows shell
// (Wine's own menus number some commands differently and raise dialogs),
// except for one run against the real shell on a real file.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "framework/ui/Application.h"
#include "framework/ui/Form.h"
#include "framework/ui/ImageList.h"
#include "shell/Shellctrls.h"
#include "shell/Shellidfunc.h"
#include "tests/common/TempDir.h"
#include "tests/shell/MenuFakes.h"

namespace {

using menufakes::FakeIDList;
using menufakes::FakeMenuFolder;
using menufakes::FakeShellMenu;

struct NativeItem {
  UINT id;
  std::string text;
  UINT type;
  UINT state;
  HMENU sub;
  ULONG_PTR data;
};

std::vector<NativeItem> ReadMenu(HMENU menu) {
  std::vector<NativeItem> items;
  for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
    char text[256] = {};
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_DATA;
    ::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &mii);
    ::GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    items.push_back({mii.wID, text, mii.fType, mii.fState, mii.hSubMenu, mii.dwItemData});
  }
  return items;
}

class ShellPopupMenuTest : public testing::Test {
 protected:
  void SetUp() override {
    fw::Application().Initialize();
    form.reset(new fw::Form(nullptr));
    form->SetBounds(10, 10, 300, 200);
    menu = fw::Make<TShellPopupMenu>(form.get());
    folder.menu = &shellMenu;
  }
  void TearDown() override {
    fw::PopupMenu::SetPopupHook(nullptr);
    form.reset();
    // Everything the component borrowed went back.
    EXPECT_EQ(shellMenu.Refs(), 0u);
    EXPECT_EQ(folder.Refs(), 0u);
  }
  fw::MenuItem* AddItem(const std::string& caption, fw::MenuItem* parent = nullptr) {
    auto* item = fw::Make<fw::MenuItem>(form.get());
    item->SetCaption(caption);
    (parent ? parent : menu->Items())->Add(item);
    return item;
  }
  // Shows the menu; the hook sees the merged menu and chooses `choose(merged)`.
  int Show(const std::function<UINT(HMENU)>& choose) {
    fw::PopupMenu::SetPopupHook([&](fw::PopupMenu& m, HMENU built) -> UINT {
      EXPECT_EQ(&m, menu);
      ++shown;
      shownMenu = built;
      return choose(built);
    });
    return menu->DoContextMenu(list, POINT{20, 20});
  }

  fw::ComponentPtr<fw::Form> form;
  TShellPopupMenu* menu = nullptr;
  FakeShellMenu shellMenu;
  FakeMenuFolder folder;
  FakeIDList list{&folder, 2};
  int shown = 0;
  HMENU shownMenu = nullptr;
};

TEST_F(ShellPopupMenuTest, ShellItemsAloneStartAtTheTopWithTheFirstAsDefault) {
  std::vector<NativeItem> seen;
  int defaultPos = -2;
  int code = Show([&](HMENU m) {
    seen = ReadMenu(m);
    defaultPos = static_cast<int>(::GetMenuDefaultItem(m, TRUE, 0));
    return 0u;
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(folder.lastCount, 2u);
  EXPECT_EQ(folder.lastOwner, form->Handle());
  EXPECT_EQ(shellMenu.indexMenu, 0u);
  EXPECT_EQ(shellMenu.idCmdFirst, 1u);
  EXPECT_EQ(shellMenu.idCmdLast, 0x7FFFu);
  EXPECT_EQ(shellMenu.queryFlags, static_cast<UINT>(CMF_EXPLORE));  // read-only: no rename
  ASSERT_EQ(seen.size(), 6u);
  EXPECT_EQ(seen[0].text, "開く(&O)");
  EXPECT_EQ(defaultPos, 0);
  EXPECT_TRUE(shellMenu.invokedVerbs.empty());
  EXPECT_FALSE(::IsMenu(shownMenu));  // destroyed afterwards
}

TEST_F(ShellPopupMenuTest, OwnItemsSurroundTheShellItemsAtInsertPosAndRunTheirHandler) {
  fw::MenuItem* first = AddItem("最初(&F)");
  fw::MenuItem* last = AddItem("完全削除(&X)");
  last->SetShortCut(fw::scCtrl | 'D');
  fw::MenuItem* parent = AddItem("その他");
  fw::MenuItem* child = AddItem("子", parent);
  int clicks = 0;
  last->OnClick = [&](fw::Object*) { ++clicks; };
  fw::MenuItem* after = nullptr;
  menu->OnShAfterPopup = [&](fw::Object*, fw::MenuItem* item, const TShellIDList& l) {
    after = item;
    EXPECT_EQ(&l, &list);
  };
  menu->SetInsertPos(1);

  std::vector<NativeItem> seen;
  int defaultPos = -2;
  int code = Show([&](HMENU m) {
    seen = ReadMenu(m);
    defaultPos = static_cast<int>(::GetMenuDefaultItem(m, TRUE, 0));
    return last->Command();
  });
  EXPECT_EQ(code, static_cast<int>(last->Command()));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(after, last);
  UINT highest = std::max({first->Command(), last->Command(), parent->Command()});
  EXPECT_EQ(shellMenu.idCmdFirst, highest + 1);
  EXPECT_EQ(shellMenu.indexMenu, 1u);
  ASSERT_EQ(seen.size(), 9u);
  EXPECT_EQ(seen[0].text, "最初(&F)");
  EXPECT_EQ(seen[0].id, first->Command());
  EXPECT_EQ(seen[0].data, reinterpret_cast<ULONG_PTR>(first));
  EXPECT_EQ(seen[1].text, "開く(&O)");
  EXPECT_EQ(defaultPos, 1);
  EXPECT_EQ(seen[7].text, "完全削除(&X)\tCtrl+D");
  EXPECT_EQ(seen[8].text, "その他");  // no shortcut text on an item with sub-items
  EXPECT_EQ(seen[8].sub, parent->SubMenuHandle());
  // The own items left the menu before it was destroyed: their sub-menu lives on.
  EXPECT_FALSE(::IsMenu(shownMenu));
  EXPECT_TRUE(::IsMenu(parent->SubMenuHandle()));
  EXPECT_EQ(::GetMenuItemID(parent->SubMenuHandle(), 0), child->Command());
}

TEST_F(ShellPopupMenuTest, InsertPosIsClampedToTheOwnItems) {
  AddItem("一");
  AddItem("二");
  menu->SetInsertPos(10);
  EXPECT_EQ(menu->GetInsertPos(), 2u);
  Show([](HMENU) { return 0u; });
  EXPECT_EQ(shellMenu.indexMenu, 2u);
  // An invisible item is not in the native menu, so it does not count there.
  menu->Items()->Items(1)->SetVisible(false);
  Show([](HMENU) { return 0u; });
  EXPECT_EQ(shellMenu.indexMenu, 1u);
}

TEST_F(ShellPopupMenuTest, ShellCommandsGiveTheirCodes) {
  AddItem("自前");
  menu->SetReadOnly(false);
  struct Case {
    UINT offset;
    int code;
    bool invoked;
  };
  const Case cases[] = {{menufakes::kCreateShortcut, 17, true},
                        {menufakes::kDelete, kShellMenuCodeDelete, true},
                        {menufakes::kRename, kShellMenuCodeRename, false},
                        {menufakes::kCut, kShellMenuCodeCut, true},
                        {menufakes::kProperties, 20, true}};
  for (const Case& c : cases) {
    shellMenu.invokedVerbs.clear();
    int code = Show([&](HMENU) { return shellMenu.idCmdFirst + c.offset; });
    EXPECT_EQ(code, c.code) << c.offset;
    EXPECT_EQ(shellMenu.queryFlags, static_cast<UINT>(CMF_EXPLORE | CMF_CANRENAME));
    if (c.invoked) {
      ASSERT_EQ(shellMenu.invokedVerbs.size(), 1u) << c.offset;
      EXPECT_EQ(shellMenu.invokedVerbs[0], c.offset);
      EXPECT_EQ(shellMenu.invokeOwner, form->Handle());
      EXPECT_EQ(shellMenu.invokeShow, SW_SHOWNORMAL);
      EXPECT_EQ(shellMenu.invokeSize, 36u);
    } else {
      EXPECT_TRUE(shellMenu.invokedVerbs.empty()) << "rename is left to the caller";
    }
  }
}

TEST_F(ShellPopupMenuTest, AFailingShellCommandGivesZero) {
  shellMenu.invokeResult = E_FAIL;
  EXPECT_EQ(Show([&](HMENU) { return shellMenu.idCmdFirst + menufakes::kCopy; }), 0);
  EXPECT_EQ(shellMenu.invokedVerbs.size(), 1u);
}

TEST_F(ShellPopupMenuTest, ContextTypeChoosesTheRequest) {
  menu->SetContextType(shctNormal);
  Show([](HMENU) { return 0u; });
  EXPECT_EQ(shellMenu.queryFlags, static_cast<UINT>(CMF_NORMAL));
  menu->SetContextType(shctDefaultOnly);
  Show([](HMENU) { return 0u; });
  EXPECT_EQ(shellMenu.queryFlags, static_cast<UINT>(CMF_DEFAULTONLY));
}

TEST_F(ShellPopupMenuTest, NothingIsShownWhenRefusedOrWithoutAShellMenu) {
  POINT asked{};
  menu->OnShBeforPopup = [&](fw::Object*, const TShellIDList&, POINT pt, bool& allow) {
    asked = pt;
    allow = false;
  };
  EXPECT_EQ(Show([](HMENU) { return 1u; }), 0);
  EXPECT_EQ(asked.x, 20);
  EXPECT_EQ(folder.uiObjectCalls, 0);
  menu->OnShBeforPopup = nullptr;

  folder.uiObjectResult = E_FAIL;
  EXPECT_EQ(Show([](HMENU) { return 1u; }), 0);
  folder.uiObjectResult = S_OK;

  FakeIDList noParent(nullptr, 1);
  FakeIDList empty(&folder, 0);
  fw::PopupMenu::SetPopupHook([&](fw::PopupMenu&, HMENU) -> UINT {
    ++shown;
    return 1;
  });
  EXPECT_EQ(menu->DoContextMenu(noParent, POINT{0, 0}), 0);
  EXPECT_EQ(menu->DoContextMenu(empty, POINT{0, 0}), 0);
  EXPECT_EQ(shown, 0);
}

TEST_F(ShellPopupMenuTest, MenuMessagesReachTheOwnItemsOrTheShell) {
  fw::MenuItem* parentItem = AddItem("自前(&W)");
  fw::MenuItem* own = parentItem;
  own->SetHint("自前|自前の項目です。");
  fw::MenuItem* child = AddItem("子", parentItem);
  parentItem->SetHelpContext(42);  // the child has none: its parent's counts
  int helpShown = 0;
  fw::Application().OnHelp = [&](int context, bool& handled) {
    helpShown = context;
    handled = true;
  };
  HWND wnd = menu->MenuWindow();
  ASSERT_TRUE(::IsWindow(wnd));
  std::string ownHint, copyHint, unknownHint;
  LRESULT drawn = 0, menuChar = 0;
  Show([&](HMENU m) {
    ::SendMessageA(wnd, WM_MENUSELECT, MAKEWPARAM(own->Command(), MF_HILITE), reinterpret_cast<LPARAM>(m));
    ownHint = fw::Application().Hint();
    UINT copy = shellMenu.idCmdFirst + menufakes::kCopy;
    ::SendMessageA(wnd, WM_MENUSELECT, MAKEWPARAM(copy, MF_HILITE), reinterpret_cast<LPARAM>(m));
    copyHint = fw::Application().Hint();
    ::SendMessageA(wnd, WM_MENUSELECT, MAKEWPARAM(shellMenu.idCmdFirst + 30, MF_HILITE), reinterpret_cast<LPARAM>(m));
    unknownHint = fw::Application().Hint();
    // A sub-menu of the shell's (send to) opens and is drawn by the shell.
    HMENU shellSub = ::CreatePopupMenu();
    ::SendMessageA(wnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(shellSub), 3);
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_MENU;
    dis.itemData = 0x1234;
    drawn = ::SendMessageA(wnd, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
    ::DestroyMenu(shellSub);
    menuChar = ::SendMessageA(wnd, WM_MENUCHAR, MAKEWPARAM('w', MF_POPUP), reinterpret_cast<LPARAM>(m));
    HELPINFO help{};
    help.cbSize = sizeof help;
    help.iContextType = HELPINFO_MENUITEM;
    help.iCtrlId = static_cast<int>(child->Command());
    ::SendMessageA(wnd, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
    return 0u;
  });
  EXPECT_EQ(ownHint, "自前の項目です。");
  EXPECT_EQ(copyHint, "help:コピー(&C)");
  ASSERT_FALSE(shellMenu.commandStrings.empty());
  EXPECT_EQ(shellMenu.commandStrings.front().first, static_cast<UINT_PTR>(menufakes::kCopy));
  EXPECT_EQ(shellMenu.commandStrings.front().second, static_cast<UINT>(GCS_HELPTEXTA));
  EXPECT_EQ(unknownHint, " ");  // the shell had no text: the last hint does not linger
  EXPECT_EQ(shellMenu.handled2, (std::vector<UINT>{WM_INITMENUPOPUP, WM_DRAWITEM}));
  EXPECT_TRUE(shellMenu.handled.empty());
  EXPECT_EQ(drawn, TRUE);
  // The own item follows the six shell items (InsertPos 0): its accelerator executes it.
  EXPECT_EQ(menuChar, MAKELRESULT(6, MNC_EXECUTE));
  EXPECT_EQ(helpShown, 42);
  fw::Application().OnHelp = nullptr;
}

TEST_F(ShellPopupMenuTest, WithoutIContextMenu3TheOlderInterfaceGetsTheMessages) {
  shellMenu.level = 2;
  Show([&](HMENU) {
    MEASUREITEMSTRUCT mis{};
    mis.CtlType = ODT_MENU;
    ::SendMessageA(menu->MenuWindow(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
    return 0u;
  });
  EXPECT_EQ(shellMenu.handled, (std::vector<UINT>{WM_MEASUREITEM}));
  EXPECT_TRUE(shellMenu.handled2.empty());
}

TEST_F(ShellPopupMenuTest, OwnItemsWithImagesAreDrawnByTheComponent) {
  fw::MenuItem* plain = AddItem("絵なし");
  auto* images = fw::Make<fw::ImageList>(form.get(), 16, 16);
  std::vector<NativeItem> seen;
  Show([&](HMENU m) {
    seen = ReadMenu(m);
    return 0u;
  });
  ASSERT_EQ(seen.back().id, plain->Command());  // after the shell's items (InsertPos 0)
  EXPECT_FALSE(seen.back().type & MFT_OWNERDRAW);

  menu->SetImages(images);
  MEASUREITEMSTRUCT mis{};
  Show([&](HMENU m) {
    seen = ReadMenu(m);
    mis.CtlType = ODT_MENU;
    mis.itemID = plain->Command();
    mis.itemData = reinterpret_cast<ULONG_PTR>(plain);
    ::SendMessageA(menu->MenuWindow(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
    return 0u;
  });
  ASSERT_EQ(seen.back().id, plain->Command());
  EXPECT_TRUE(seen.back().type & MFT_OWNERDRAW);
  EXPECT_GE(mis.itemHeight, 16u);
  EXPECT_GT(mis.itemWidth, 16u);
  EXPECT_TRUE(shellMenu.handled2.empty()) << "own items are not the shell's to measure";
}

// The transfer itself, into a menu of the test's own.
TEST_F(ShellPopupMenuTest, ApplyMenusTransfersTypeStateAndSubMenus) {
  fw::MenuItem* radio = AddItem("ラジオ");
  radio->SetRadioItem(true);
  radio->SetChecked(true);
  fw::MenuItem* line = AddItem("-");
  fw::MenuItem* off = AddItem("無効");
  off->SetEnabled(false);
  off->SetBreak(fw::TMenuBreak::mbBarBreak);
  fw::MenuItem* hidden = AddItem("見えない");
  hidden->SetVisible(false);
  fw::MenuItem* def = AddItem("既定");
  def->SetDefault(true);
  def->SetBreak(fw::TMenuBreak::mbBreak);
  fw::MenuItem* parent = AddItem("親");
  AddItem("子", parent);

  fw::MenuHandle native(::CreatePopupMenu());
  UINT highest = menu->ApplyMenus(native.get());
  EXPECT_EQ(highest, std::max({radio->Command(), line->Command(), off->Command(), def->Command(), parent->Command()}));
  std::vector<NativeItem> seen = ReadMenu(native.get());
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_TRUE(seen[0].type & MFT_RADIOCHECK);
  EXPECT_TRUE(seen[0].state & MFS_CHECKED);
  EXPECT_TRUE(seen[1].type & MFT_SEPARATOR);
  EXPECT_TRUE(seen[2].type & MFT_MENUBARBREAK);
  EXPECT_TRUE(seen[2].state & MFS_GRAYED);
  EXPECT_EQ(seen[3].id, def->Command());
  EXPECT_TRUE(seen[3].type & MFT_MENUBREAK);
  EXPECT_TRUE(seen[3].state & MFS_DEFAULT);
  EXPECT_EQ(seen[4].sub, parent->SubMenuHandle());
  EXPECT_EQ(::GetMenuItemCount(parent->SubMenuHandle()), 1);

  ::AppendMenuA(native.get(), MF_STRING, 0x7000, "よそ");
  menu->DeleteInsertMenu(native.get());
  seen = ReadMenu(native.get());
  ASSERT_EQ(seen.size(), 1u);  // only the foreign item is left
  EXPECT_EQ(seen[0].id, 0x7000u);
  EXPECT_TRUE(::IsMenu(parent->SubMenuHandle()));
}

TEST_F(ShellPopupMenuTest, AutoPopupOffLeavesTheRightClickToTheControl) {
  auto* panel = fw::Make<fw::Control>(form.get());
  panel->SetParent(form.get());
  panel->SetBounds(0, 0, 50, 50);
  panel->SetPopupMenu(menu);
  int popups = 0;
  fw::PopupMenu::SetPopupHook([&](fw::PopupMenu&, HMENU) -> UINT {
    ++popups;
    return 0;
  });
  HWND h = panel->Handle();
  ASSERT_TRUE(h);
  ::SendMessageA(h, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(h), MAKELPARAM(5, 5));
  EXPECT_EQ(popups, 1);
  menu->SetAutoPopup(false);
  ::SendMessageA(h, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(h), MAKELPARAM(5, 5));
  EXPECT_EQ(popups, 1);
}

// The real shell of Wine on a real file, for what it does as Windows does:
// the menu has the shell's items, and copy (offset 25) runs and gives 26.
TEST(ShellPopupMenuRealShell, CopyOfARealFileGivesItsCode) {
  fw::Application().Initialize();
  testsupport::TempDir temp;
  const std::string path = temp / "ソ表.txt";
  testsupport::WriteFile(path, "abc");
  UniqueIDList absolute, folderList;
  ASSERT_TRUE(GetIDListFromPath(path, absolute));
  ASSERT_TRUE(GetIDListFromPath(temp.Path(), folderList));
  UniqueIDList relative(GetLastItemID(absolute.get()));
  TShellIDList list;
  list.SetParentItemID(folderList.get());
  list.Add(relative.get());

  fw::ComponentPtr<fw::Form> form(new fw::Form(nullptr));
  auto* menu = fw::Make<TShellPopupMenu>(form.get());
  auto* own = fw::Make<fw::MenuItem>(form.get());
  own->SetCaption("完全削除");
  menu->Items()->Add(own);
  int shellItems = 0;
  UINT copyId = 0;
  HMENU shownMenu = nullptr;
  fw::PopupMenu::SetPopupHook([&](fw::PopupMenu&, HMENU m) -> UINT {
    shownMenu = m;
    shellItems = ::GetMenuItemCount(m) - 1;
    copyId = own->Command() + 1 + menufakes::kCopy;
    return ::GetMenuState(m, copyId, MF_BYCOMMAND) == static_cast<UINT>(-1) ? 0 : copyId;
  });
  ::OpenClipboard(nullptr);
  ::EmptyClipboard();
  ::CloseClipboard();
  int code = menu->DoContextMenu(list, POINT{10, 10});
  fw::PopupMenu::SetPopupHook(nullptr);
  EXPECT_GT(shellItems, 3);
  EXPECT_EQ(code, 26);
  EXPECT_TRUE(::IsClipboardFormatAvailable(CF_HDROP) ||
              ::IsClipboardFormatAvailable(::RegisterClipboardFormatA(kShellIDListArrayName)));
  EXPECT_FALSE(::IsMenu(shownMenu));
  ::OpenClipboard(nullptr);
  ::EmptyClipboard();
  ::CloseClipboard();
}

}  // namespace
