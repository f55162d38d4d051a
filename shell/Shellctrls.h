#pragma once
// The shell controls' unit: shell items and item sets, the control registry
// with its device-change window, and (as they come) the folder tree, the
// folder contents list and the path combo box, and the tray icon.
#include "shell/Shellcst.h"
#include "shell/ShellCtrlList.h"
#include "shell/ShellFileList.h"
#include "shell/ShellItems.h"
#include "shell/ShellListView.h"
#include "shell/ShellComboBox.h"
#include "shell/ShellPopupMenu.h"
#include "shell/ShellTreeView.h"
#include "shell/ShellTrayIcon.h"
