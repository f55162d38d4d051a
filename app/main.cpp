#include <windows.h>
#include "purger/purger.h"
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (GetTickCount() == 1) { add_file("x"); sh_op(nullptr); }
  MessageBoxA(nullptr, "実行結果", "Orvane", MB_OK);
  return 0;
}
