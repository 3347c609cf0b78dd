#include <gtest/gtest.h>

#include "os/errors.h"
#include "os/machine.h"
#include "os/process.h"
#include "os/tests/os_test_support.h"
#include "tests/support/test_machine.h"

namespace {

// cmd.exe and /bin/sh read these command lines alike; "cmd /c" asks for them.
TEST(RunCommandTest, RunsInTheCurrentFolderAndHandsBackTheExitCode) {
  std::string saved;
  ASSERT_TRUE(os::GetCurrentFolder(saved));
  std::string folder = testing_support::NewTestFolder();
  ASSERT_TRUE(os::SetCurrentFolder(folder));
  EXPECT_EQ(os::RunCommand("cmd /c echo made> made.txt"), 0);
  EXPECT_EQ(os::RunCommand("cmd /c exit 1"), 1);
  EXPECT_EQ(os::RunCommand("cmd /c exit 42"), 42);
  EXPECT_TRUE(os::SetCurrentFolder(saved));
  EXPECT_TRUE(testing_support::FileExists(folder + "\\made.txt"));
}

TEST(RunCommandTest, NothingStartedGivesMinusOne) {
  std::string folder = testing_support::NewTestFolder();
  EXPECT_EQ(os::RunCommandWith(folder + "\\missing.exe", "exit 0"), os::kCommandNotStarted);
  EXPECT_EQ(os::RunCommandWith(testing_support::HostPathOf(folder), "exit 0"), os::kCommandNotStarted);

  os_test::FailChangeAt("1");
  int refused = os::RunCommand("cmd /c echo ran> " + testing_support::HostPathOf(folder + "\\ran.txt"));
  unsigned long error = os::LastError();
  os_test::FailChangeAt("");
  EXPECT_EQ(refused, os::kCommandNotStarted);
  EXPECT_EQ(error, os::kErrorAccessDenied);
  EXPECT_FALSE(testing_support::FileExists(folder + "\\ran.txt"));
}

}  // namespace
