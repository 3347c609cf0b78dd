#include <gtest/gtest.h>

#include <cstdlib>

#include "os/errors.h"
#include "os/machine.h"
#include "os/process.h"
#include "os/tests/os_test_paths.h"
#include "tests/support/test_machine.h"

namespace {

void SetVariable(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value == nullptr ? "" : value);
#else
  if (value == nullptr) {
    unsetenv(name);
  } else {
    setenv(name, value, 1);
  }
#endif
}

// Puts COMSPEC back as it was when the test ends.
class ComspecKeeper {
 public:
  ComspecKeeper() {
    const char* value = std::getenv("COMSPEC");
    had_ = value != nullptr;
    if (had_) saved_ = value;
  }
  ~ComspecKeeper() { SetVariable("COMSPEC", had_ ? saved_.c_str() : nullptr); }

 private:
  bool had_ = false;
  std::string saved_;
};

// Runs the test in a new folder and returns to the old one afterwards.
class RunCommandTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(os::GetCurrentFolder(saved_));
    folder_ = testing_support::NewTestFolder();
    ASSERT_TRUE(os::SetCurrentFolder(folder_));
  }
  void TearDown() override { EXPECT_TRUE(os::SetCurrentFolder(saved_)); }

  std::string saved_;
  std::string folder_;
};

TEST_F(RunCommandTest, HandsBackTheExitCode) {
  EXPECT_EQ(os::RunCommand("exit 0"), 0);
  EXPECT_EQ(os::RunCommand("exit 1"), 1);
  EXPECT_EQ(os::RunCommand("exit 42"), 42);
}

TEST_F(RunCommandTest, RunsInTheCurrentFolderAndWaits) {
  EXPECT_EQ(os::RunCommand("echo made> made.txt"), 0);
  // Waited for: the file is complete when the call returns.
  std::string bytes;
  ASSERT_TRUE(testing_support::ReadFileBytes(folder_ + "\\made.txt", bytes));
  EXPECT_EQ(bytes.substr(0, 4), "made");
}

TEST_F(RunCommandTest, AnInterpreterThatCannotStartGivesMinusOne) {
  EXPECT_EQ(os::RunCommandWith(folder_ + "\\no-such-interpreter.exe", "exit 0"), os::kCommandNotStarted);
  EXPECT_NE(os::LastError(), 0u);
  EXPECT_EQ(os::RunCommandWith(testing_support::HostPathOf(folder_), "exit 0"), os::kCommandNotStarted)
      << "a folder is no program";
}

TEST_F(RunCommandTest, ComspecNamesTheInterpreterWhenItExists) {
  ComspecKeeper keep;
  std::string fallback = os::CommandInterpreter();
  ASSERT_FALSE(fallback.empty());
  SetVariable("COMSPEC", (testing_support::HostPathOf(folder_) + "/missing").c_str());
  EXPECT_EQ(os::CommandInterpreter(), fallback) << "a missing COMSPEC is passed over";
  EXPECT_EQ(os::RunCommand("exit 5"), 5);
  SetVariable("COMSPEC", fallback.c_str());
  EXPECT_EQ(os::CommandInterpreter(), fallback);
}

TEST_F(RunCommandTest, ARefusedChangeRunsNothing) {
  os_test::FailChangeAt("1");
  int code = os::RunCommand("echo ran> ran.txt");
  unsigned long error = os::LastError();
  os_test::FailChangeAt("");
  EXPECT_EQ(code, os::kCommandNotStarted);
  EXPECT_EQ(error, os::kErrorAccessDenied);
  EXPECT_FALSE(testing_support::FileExists(folder_ + "\\ran.txt"));
}

}  // namespace
