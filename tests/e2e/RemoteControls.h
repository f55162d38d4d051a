#pragma once
// Reading the contents of another process's common controls: their item
// texts live in that process, so a request record and a text buffer are
// placed in its memory, the control fills them, and the bytes are read back.
#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// Texts of a tab control's tabs, in order.
std::vector<std::string> TabTexts(HWND tabControl);
// The selected tab, or -1.
int SelectedTab(HWND tabControl);
// Rows of a list view (owner-data or not).
int ListRowCount(HWND listView);
// Text of a row's column (0 = the item caption).
std::string ListCellText(HWND listView, int row, int column);
// Width of a list view's column in pixels.
int ListColumnWidth(HWND listView, int column);
// The selected rows, in order.
std::vector<int> ListSelectedRows(HWND listView);
// Screen rectangle of a header item of a list view (for clicks and drags).
bool ListHeaderItemRect(HWND listView, int column, RECT& screen);

}  // namespace e2e
