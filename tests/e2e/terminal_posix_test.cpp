#include <gtest/gtest.h>

#include "tests/e2e/package_fixture.h"

namespace {

using testing_support::PackageFixture;

const char kScript[] =
    "[ProductInstall.Main]\r\nMainDescription=A sample fix\r\nWelcomeWindowTitle=Sample Setup\r\n"
    "StepCount=1\r\nStep1.Section=ProductInstall.Nothing\r\n";

TEST(TerminalTest, CancelOrEndOfInputRunsNothing) {
  for (const char* input : {"cancel\n", "C\n", ""}) {
    PackageFixture package(kScript);
    testing_support::ProgramRun run = package.Run({}, input);
    EXPECT_EQ(run.exitCode, 4) << input;
    EXPECT_NE(run.output.find("-- Sample Setup --"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("A sample fix"), std::string::npos);
    EXPECT_NE(run.output.find("[Install/Cancel]?"), std::string::npos);
    EXPECT_FALSE(package.LogHas("Installation failed!"));
  }
}

TEST(TerminalTest, InstallAnswersTheFailureBox) {
  PackageFixture package(kScript);
  // "install" confirms, then the failure box takes "o" for OK, then the end
  // of the run waits for OK.
  testing_support::ProgramRun run = package.Run({}, "maybe\ninstall\no\nok\n");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("-- Ostrel Install package --\nInstallation failed!"), std::string::npos)
      << run.output;
  EXPECT_TRUE(package.LogHas("Installation failed!"));
}

TEST(TerminalTest, RemoveFlagLabelsTheButtonRemove) {
  PackageFixture package(kScript);
  const std::string record = package.Folder() + "\\HotFix.ini";
  testing_support::ProgramRun run = package.Run({"/U:" + record}, "");
  EXPECT_EQ(run.exitCode, 4);
  EXPECT_NE(run.output.find("[Remove/Cancel]?"), std::string::npos) << run.output;
}

}  // namespace
