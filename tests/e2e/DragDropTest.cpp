// End to end: a user presses the mouse button on a file in the contents list
// of the running program, drags it over a folder row, sees that row marked as
// the drop target, and thinks better of it (Escape, then lets go). The mouse
// is real input on the same desktop (SendInput), so the program's own drag
// loop runs exactly as for a person.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "tests/common/TempDir.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/RemoteControls.h"

namespace {

using e2e::WaitFor;

int RowNamed(HWND list, const std::string& name) {
  int rows = e2e::ListRowCount(list);
  for (int i = 0; i < rows; ++i)
    if (e2e::ListCellText(list, i, 0) == name) return i;
  return -1;
}

// A point on the row's icon: the row's bounds span every column, but only
// the icon and the name count as the item (elsewhere the press starts a
// rubber-band selection instead of a drag).
POINT OnIcon(const RECT& r) { return POINT{r.left + 20, (r.top + r.bottom) / 2}; }

// Mouse input as the hardware would give it, at screen points.
void MouseTo(POINT screen) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = MulDiv(screen.x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = MulDiv(screen.y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  ::SendInput(1, &in, sizeof in);
  ::Sleep(40);
}

void Button(bool down) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  ::SendInput(1, &in, sizeof in);
  ::Sleep(40);
}

void EscapeKey() {
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = VK_ESCAPE;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(2, in, sizeof in[0]);
}

bool DropHighlighted(HWND list, int row) {
  DWORD_PTR state = 0;
  if (!::SendMessageTimeoutA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_DROPHILITED, SMTO_NORMAL, 2000,
                             &state))
    return false;
  return (state & LVIS_DROPHILITED) != 0;
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(EndToEnd, DraggingAFileOverAFolderRowMarksItAndEscapeChangesNothing) {
  testsupport::TempDir dir;
  ASSERT_TRUE(e2e::InstallCopy(dir.Path()));
  const std::string start = dir / "引く";
  ASSERT_TRUE(::CreateDirectoryA(start.c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryA((start + "\\箱").c_str(), nullptr));
  testsupport::WriteFile(start + "\\a.txt", "a");

  e2e::OrvaneProcess orvane;
  ASSERT_TRUE(orvane.Start(dir / "Orvane.exe", "\"" + start + "\""));
  HWND main = orvane.WaitForWindow("OrvaneForm", "", 30000);
  ASSERT_NE(main, nullptr);
  HWND list = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (list = e2e::ListWithRow(main, "a.txt")) != nullptr; }, 15000));
  int fileRow = RowNamed(list, "a.txt");
  int boxRow = RowNamed(list, "箱");
  ASSERT_GE(fileRow, 0);
  ASSERT_GE(boxRow, 0);
  RECT fileRect{}, boxRect{};
  ASSERT_TRUE(e2e::ListItemRect(list, fileRow, fileRect));
  ASSERT_TRUE(e2e::ListItemRect(list, boxRow, boxRect));
  POINT from = OnIcon(fileRect);
  POINT to = OnIcon(boxRect);

  MouseTo(from);
  Button(true);
  // Past the control's own click square and the 5-pixel threshold, then
  // over the folder row in small steps, as a hand moves.
  for (int step = 1; step <= 4; ++step) MouseTo(POINT{from.x + 3 * step, from.y + 3 * step});
  for (int step = 1; step <= 8; ++step)
    MouseTo(POINT{from.x + (to.x - from.x) * step / 8, from.y + (to.y - from.y) * step / 8});
  bool marked = WaitFor(
      [&] {
        MouseTo(POINT{to.x + 1, to.y});
        MouseTo(to);
        return DropHighlighted(list, boxRow);
      },
      8000);
  EXPECT_TRUE(marked) << "the folder row was never shown as the drop target";
  EXPECT_FALSE(DropHighlighted(list, fileRow));

  EscapeKey();
  // The drag loop reads its keys from the program's queue: a key for the
  // list reaches it even when another window has the keyboard.
  ::PostMessageA(list, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  ::Sleep(200);
  Button(false);

  EXPECT_TRUE(WaitFor([&] { return !DropHighlighted(list, boxRow); }, 8000));
  // Nothing moved or was copied, and the window still answers.
  EXPECT_TRUE(Exists(start + "\\a.txt"));
  EXPECT_FALSE(Exists(start + "\\箱\\a.txt"));
  DWORD_PTR answer = 0;
  EXPECT_NE(::SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer), 0);
  EXPECT_EQ(e2e::ListRowCount(list), 2);
  EXPECT_TRUE(orvane.CloseAndWait(main, 20000));
}

}  // namespace
