#include <gtest/gtest.h>

#include "brevane_version.h"
#include "descriptors/file_info_value.h"
#include "tests/support/run_program.h"

namespace {

// The program carries the one project version that --version prints.
TEST(VersionResourceWinTest, TheProgramCarriesTheProjectVersion) {
  std::string version;
  ASSERT_EQ(ReadVersionString(testing_support::BuiltProgramPath(), "FileVersion", version), 1);
  EXPECT_EQ(version, BREVANE_VERSION);
}

}  // namespace
