#pragma once
// Reading the contents of another process's common controls: their item
// texts live in that process, so a request record and a text buffer are
// placed in its memory, the control fills them, and the bytes are read back.
#include <windows.h>
#include <commctrl.h>

#include <functional>
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
// Screen rectangle of a row of a list view (for clicks).
bool ListItemRect(HWND listView, int row, RECT& screen);
// Screen rectangle of a header item of a list view (for clicks and drags).
bool ListHeaderItemRect(HWND listView, int column, RECT& screen);

// Tree views: the selected item, an item's text, the children of an item
// (TVI_ROOT for the top level), and an item's rectangle on the screen.
HTREEITEM TreeSelectedItem(HWND tree);
std::string TreeItemText(HWND tree, HTREEITEM item);
std::vector<HTREEITEM> TreeChildren(HWND tree, HTREEITEM parent);
bool TreeItemRect(HWND tree, HTREEITEM item, RECT& screen);

// Screen rectangle of a tab (for clicks).
bool TabRect(HWND tabControl, int index, RECT& screen);
// Tool bar buttons by position: rectangle on the screen and enabled state.
bool ToolButtonRect(HWND toolBar, int index, RECT& screen);
bool ToolButtonEnabled(HWND toolBar, int index);

// A left click at a screen point, as the window under it receives it.
void PostClick(HWND wnd, POINT screen);
// A left double click at a screen point: press, release, the second press
// as the system reports it (a double-click message), release.
void PostDoubleClick(HWND wnd, POINT screen);

// Polls done every 50 ms until it holds or ms have passed; the last answer.
bool WaitFor(const std::function<bool()>& done, DWORD ms = 15000);

// The list view among main's descendants whose first 50 rows include a row
// captioned name, or null: tells the contents list from the tool tabs' lists.
HWND ListWithRow(HWND main, const std::string& name);

}  // namespace e2e
