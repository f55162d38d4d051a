// Test entry point shared by every test executable: the program handles byte
// strings in the Japanese ANSI code page, so tests only make sense under it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (::GetACP() != 932) {
    std::fprintf(stderr, "ANSI code page is %u, not 932: run the tests under LANG=ja_JP.UTF-8\n", ::GetACP());
    return 2;
  }
  // A crash must end the test process, not wait for someone to click a dialog.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
