// The shell library's units start once for the whole test program, on the main
// thread, as the program's start-up does; tests that start them again nest.
#include <gtest/gtest.h>

#include "shell/Shellidfunc.h"

namespace {

class ShellUnitEnvironment : public testing::Environment {
 public:
  void SetUp() override { ShellidfuncInitialize(); }
  void TearDown() override { ShellidfuncFinalize(); }
};

const testing::Environment* const kShellUnit = testing::AddGlobalTestEnvironment(new ShellUnitEnvironment);

}  // namespace
