#include <gtest/gtest.h>

#include "os/change_gate.h"
#include "os/errors.h"
#include "os/profile.h"
#include "tests/support/test_machine.h"

namespace {

class ChangeGateTest : public testing::Test {
 protected:
  void TearDown() override {
    testing_support::SetEnvironment("BREVANE_FAIL_AT", "");
    os::ResetChangeGateForTesting();
  }
  static void FailAt(const std::string& setting) {
    testing_support::SetEnvironment("BREVANE_FAIL_AT", setting);
    os::ResetChangeGateForTesting();
  }
};

TEST_F(ChangeGateTest, FailsExactlyTheChosenChange) {
  FailAt("3");
  EXPECT_TRUE(os::AllowChange(os::ChangeKind::kFileCreate, "a"));
  EXPECT_TRUE(os::AllowChange(os::ChangeKind::kRegistrySet, "b"));
  os::SetLastError(0);
  EXPECT_FALSE(os::AllowChange(os::ChangeKind::kProfileWrite, "c"));
  EXPECT_EQ(os::LastError(), static_cast<unsigned long>(os::kErrorAccessDenied));
  EXPECT_TRUE(os::AllowChange(os::ChangeKind::kFileDelete, "d"));
}

TEST_F(ChangeGateTest, RealWritesFailAsAccessDenied) {
  const std::string file = testing_support::NewTestFolder() + "\\gate.ini";
  FailAt("2");
  EXPECT_TRUE(os::WriteProfileString(file, "S", "one", "1"));
  EXPECT_FALSE(os::WriteProfileString(file, "S", "two", "2"));
  EXPECT_EQ(os::LastError(), static_cast<unsigned long>(os::kErrorAccessDenied));
  std::string value;
  os::GetProfileString(file, "S", "two", "none", value);
  EXPECT_EQ(value, "none") << "the refused write changed nothing";
}

TEST_F(ChangeGateTest, OffListOrNonsenseFailNothing) {
  for (const char* setting : {"", "list", "0", "-4", "x"}) {
    FailAt(setting);
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(os::AllowChange(os::ChangeKind::kCommandRun, "c")) << setting;
  }
}

}  // namespace
