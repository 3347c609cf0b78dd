#include <gtest/gtest.h>

#include "engine/tests/engine_fixture.h"
#include "sections/run_section.h"

namespace {

// A program that cannot be found fails its item (the shell's 127 did not).
TEST(RunSectionPosixTest, AProgramNotFoundFailsTheItem) {
  testing_support::EngineFixture f("[ProductInstall.Run]\r\nRunCount=1\r\nRun1.Command=no-such-program x\r\n");
  CHFS_InstallRecord record(f.engine.get());
  CHFS_RunSection section(f.engine.get());
  EXPECT_EQ(section.Run("ProductInstall.Run", record), -1) << "failed, not stopped by the user";
  EXPECT_TRUE(f.reporter.Logged("Failed to run 'no-such-program x' in folder '" + f.engine->GetModuleFolder() + "'"));
}

}  // namespace
