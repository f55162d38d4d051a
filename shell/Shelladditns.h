#pragma once
// The shell library's additional components: the system menu component.
#include "shell/Shellcst.h"
#include "shell/ShellSystemMenu.h"
