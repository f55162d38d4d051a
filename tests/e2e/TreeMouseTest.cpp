// End to end: in a running Orvane a user presses the left button on a folder
// in the tree -- the folder is only highlighted while the button is down --
// and releases it, and the folder becomes the one shown; then right-clicks a
// folder, picks the shell menu's delete, confirms, and finds the
// folder deleted on disk and gone from the tree.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "tests/common/TempDir.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/RemoteControls.h"

namespace {

using e2e::WaitFor;

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

HTREEITEM ChildNamed(HWND tree, HTREEITEM parent, const std::string& name) {
  for (HTREEITEM item : e2e::TreeChildren(tree, parent))
    if (e2e::TreeItemText(tree, item) == name) return item;
  return nullptr;
}

HTREEITEM DropHighlight(HWND tree) {
  return reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_DROPHILITE, 0));
}

// The middle of an item, in the tree's client coordinates.
LPARAM ItemPoint(HWND tree, HTREEITEM item) {
  RECT r{};
  if (!e2e::TreeItemRect(tree, item, r)) return 0;
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ::ScreenToClient(tree, &p);
  return MAKELPARAM(p.x, p.y);
}

TEST(EndToEnd, TreeSelectsOnReleaseAndDeletesFromTheShellMenu) {
  testsupport::TempDir dir;
  ASSERT_TRUE(e2e::InstallCopy(dir.Path()));
  const std::string home = dir / "ホーム";
  for (const std::string& d : {home, home + "\\甲", home + "\\乙"})
    ASSERT_TRUE(::CreateDirectoryA(d.c_str(), nullptr)) << d;
  testsupport::WriteFile(home + "\\乙\\中身.txt", "x");
  testsupport::WriteFile(dir / "Orvane.INI", "[Home]\r\nホーム=" + home + "\r\n");

  e2e::OrvaneProcess orvane;
  ASSERT_TRUE(orvane.Start(dir / "Orvane.exe"));
  HWND main = orvane.WaitForWindow("OrvaneForm", "", 30000);
  ASSERT_NE(main, nullptr);
  HWND tree = e2e::FindChild(main, "SysTreeView32");
  ASSERT_NE(tree, nullptr);
  ASSERT_TRUE(WaitFor([&] { return e2e::ReadText(main) == "ホーム"; })) << e2e::ReadText(main);
  HTREEITEM homeItem = e2e::TreeSelectedItem(tree);
  e2e::PostKey(tree, VK_RIGHT);
  ASSERT_TRUE(WaitFor([&] { return e2e::TreeChildren(tree, homeItem).size() == 2; }));
  HTREEITEM second = ChildNamed(tree, homeItem, "乙");
  ASSERT_NE(second, nullptr);

  // Button down: the folder is highlighted, the selection stays.
  LPARAM at = ItemPoint(tree, second);
  ::PostMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ASSERT_TRUE(WaitFor([&] { return DropHighlight(tree) == second; }));
  EXPECT_EQ(e2e::TreeSelectedItem(tree), homeItem);
  EXPECT_EQ(e2e::ReadText(main), "ホーム");
  // Button up: now it is the folder shown, in the tree and in the list.
  ::PostMessageA(tree, WM_LBUTTONUP, 0, at);
  ASSERT_TRUE(WaitFor([&] { return e2e::TreeSelectedItem(tree) == second; }));
  EXPECT_TRUE(WaitFor([&] { return e2e::ReadText(main) == "乙"; })) << e2e::ReadText(main);
  EXPECT_TRUE(WaitFor([&] { return e2e::ListWithRow(main, "中身.txt") != nullptr; }));
  EXPECT_EQ(DropHighlight(tree), nullptr);

  // Right click on the other folder: the shell's own menu. Its delete
  // (mnemonic D) asks for confirmation, removes the folder, and the tree
  // drops the node while the folder shown stays. (The shell here offers no
  // rename for folders; renaming from the menu is covered in-process.) The
  // menu belongs to the program's thread: keys reach its loop through the queue.
  HTREEITEM first = ChildNamed(tree, homeItem, "甲");
  ASSERT_NE(first, nullptr);
  at = ItemPoint(tree, first);
  ::PostMessageA(tree, WM_RBUTTONDOWN, MK_RBUTTON, at);
  ::PostMessageA(tree, WM_RBUTTONUP, 0, at);
  ::Sleep(500);
  e2e::PostText(tree, "d");
  HWND confirm = orvane.WaitForWindow("#32770", "", 15000);
  ASSERT_NE(confirm, nullptr) << "no confirmation";
  HWND yes = ::GetDlgItem(confirm, IDYES);
  ASSERT_NE(yes, nullptr);
  ::PostMessageA(confirm, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), reinterpret_cast<LPARAM>(yes));
  ASSERT_TRUE(WaitFor([&] { return !Exists(home + "\\甲"); }));
  EXPECT_TRUE(WaitFor([&] { return ChildNamed(tree, homeItem, "甲") == nullptr; }));
  EXPECT_EQ(e2e::TreeSelectedItem(tree), second);
  EXPECT_EQ(DropHighlight(tree), nullptr);

  DWORD code = 1;
  ASSERT_TRUE(orvane.CloseAndWait(main, 30000, &code));
  EXPECT_EQ(code, 0u);
}

}  // namespace
