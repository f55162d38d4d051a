#pragma once
// The shell library's additional components: the system menu component, the
// status bar with long hints and a progress bar, and the tab control with
// hit-testing.
#include "shell/Shellcst.h"
#include "shell/ShellStatusBar.h"
#include "shell/ShellSystemMenu.h"
#include "shell/ShellTabControl.h"
