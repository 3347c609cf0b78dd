#include <gtest/gtest.h>

#include "engine/builtin_symbols.h"
#include "engine/trace_log.h"
#include "tests/support/test_machine.h"

namespace {

TEST(TraceLogChoiceTest, FixedLogWhenWritableElseTemporaryFolder) {
  EXPECT_EQ(ChooseTraceLogPath(), "c:\\Brevane.log");
  // A folder in the way makes the fixed log unopenable.
  std::string host = testing_support::HostPathOf("c:\\Brevane.log");
  ASSERT_EQ(std::remove(host.c_str()), 0);
  ASSERT_EQ(std::system(("mkdir '" + host + "'").c_str()), 0);
  EXPECT_EQ(ChooseTraceLogPath(), TempFolderValue() + "Brevane.log");
  EXPECT_EQ(ChooseTraceLogPath(), "C:\\TEMP\\Brevane.log");
}

}  // namespace
