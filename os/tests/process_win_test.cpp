#include <gtest/gtest.h>

#include "os/process.h"

// The whole 32-bit exit code comes back, so a script can signal -300.
TEST(RunCommandWinTest, NegativeExitCodesComeBackWhole) {
  EXPECT_EQ(os::RunCommand("exit /b -300"), -300);
}
