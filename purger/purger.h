#pragma once
// The two functions of purger.dll, bound by ordinal when Orvane.exe loads.
#include <windows.h>

extern "C" {
void __cdecl add_file(const char* path);
int __cdecl sh_op(HWND owner);
}
