#pragma once
// Resource identifiers shared by the .rc file and the code.
#define IDI_MAINICON 1
#define IDB_TOOLIMAGES 101
