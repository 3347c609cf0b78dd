#include <gtest/gtest.h>

#include <cstdio>

#include "tests/e2e/package_fixture.h"

namespace {

using testing_support::PackageFixture;

TEST(StartUpTest, SilentFailingRunLogsBannerStartAndOutcome) {
  PackageFixture package(
      "[ProductInstall.Symbols]\r\nGREETING=Hello from %COMPUTER%\r\n"
      "[ProductInstall.Main]\r\nMainDescription=Sample %GREETING%\r\nStepCount=1\r\n"
      "Step1.Section=ProductInstall.NoSuchKind\r\nStep1.Description=Nothing\r\n");
  testing_support::ProgramRun run = package.Run({"/s"});
  EXPECT_EQ(run.exitCode, 1);
  const std::string at(37, '@');
  EXPECT_TRUE(package.LogHas("\r\r\n" + at + " Log Start " + at + "\r\r\n\r\n")) << package.Log();
  EXPECT_TRUE(package.LogHas("]*** Begin of debug log ***\r\n"));
  EXPECT_TRUE(package.LogHas("]Current Module Path = " + package.Folder() + "\\\r\n"));
  EXPECT_TRUE(package.LogHas("]@ Update Global Symbol table: 'SOURCEDIR'='" + package.Folder() + "\\'\r\n"));
  EXPECT_TRUE(package.LogHas("]@ Update Symbol table: 'GREETING'='Hello from "));
  EXPECT_TRUE(package.LogHas("]*** Syntax error: Session name ['ProductInstall.NoSuchKind'] not supported! \r\n"));
  EXPECT_TRUE(package.LogHas("\r\nInstallation failed!\r\n")) << package.Log();
}

TEST(StartUpTest, MissingRecordFileEndsWithOneLine) {
  PackageFixture package("[ProductInstall.Main]\r\nStepCount=0\r\n");
  const std::string record = package.Folder() + "\\gone.rec";
  testing_support::ProgramRun run = package.Run({"/U:" + record});
  EXPECT_EQ(run.exitCode, 3);
  const std::string line = "***Error: Can't open Install record file ('" + record + "')";
  EXPECT_NE(run.output.find(line), std::string::npos) << run.output;
  EXPECT_TRUE(package.LogHas("\r\n" + line + "\r\n")) << "a plain line, no date";
  EXPECT_FALSE(package.LogHas("*** Begin of debug log ***")) << "record path given";
}

TEST(StartUpTest, ShortRemoveArgumentRunsRemovalFromTheScriptBesideTheProgram) {
  PackageFixture package("[ProductInstall.Main]\r\nStepCount=0\r\n"
                         "[ProductRemove.Main]\r\nStepCount=1\r\nStep1.Section=ProductRemove.Nothing\r\n");
  testing_support::ProgramRun run = package.Run({"/U:abc", "-S"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(package.LogHas("*** Begin of debug log ***"));
  EXPECT_TRUE(package.LogHas("['ProductRemove.Nothing'] not supported! ")) << package.Log();
}

TEST(StartUpTest, UsageVersionAndMissingScriptEndBeforeAnyWindow) {
  PackageFixture package("[ProductInstall.Main]\r\nStepCount=0\r\n");
  for (const char* help : {"/?", "/H", "--help", "-HELP"}) {
    testing_support::ProgramRun run = package.Run({help});
    EXPECT_EQ(run.exitCode, 0) << help;
    EXPECT_NE(run.output.find("Usage: Brevane"), std::string::npos) << help << run.output;
  }
  for (const char* version : {"/V", "--version"}) {
    testing_support::ProgramRun run = package.Run({version});
    EXPECT_EQ(run.exitCode, 0) << version;
    EXPECT_EQ(run.output.compare(0, 8, "Brevane "), 0) << version << run.output;
  }
  EXPECT_TRUE(package.Log().empty()) << "no log for the usage or the version";

  ASSERT_EQ(std::remove(testing_support::HostPathOf(package.Folder() + "\\HotFix.ini").c_str()), 0);
  testing_support::ProgramRun run = package.Run({"/s"});
  EXPECT_EQ(run.exitCode, 5);
  const std::string line = "***Error: Can't read script file ('" + package.Folder() + "\\HotFix.ini'): ";
  EXPECT_NE(run.output.find(line), std::string::npos) << run.output;
  EXPECT_TRUE(package.LogHas(line)) << package.Log();
  EXPECT_FALSE(package.LogHas("Installation failed!")) << package.Log();
}

TEST(StartUpTest, LintChecksWithoutRunningAndExitsByWhatItFound) {
  PackageFixture package("[ProductInstall.Main]\r\nStepCount=1\r\nStep1.Section=ProductInstall.UpdateRegistery\r\n");
  testing_support::ProgramRun run = package.Run({"/LINT"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.output.find("HotFix.ini:3: error: [ProductInstall.Main] Step1.Section names the unknown section "
                            "kind 'UpdateRegistery' (did you mean 'UpdateRegistry'?)"),
            std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("HotFix.ini: 1 error, 0 warnings"), std::string::npos) << run.output;
  EXPECT_TRUE(package.Log().empty()) << "the checker changes nothing, the log included";

  const std::string other = package.Folder() + "\\other.ini";
  testing_support::WriteFileBytes(other, "[ProductInstall.Main]\r\nStepCount=0\r\n");
  run = package.Run({"-lint:" + other});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find(other + ": 0 errors, 0 warnings"), std::string::npos) << run.output;
}

}  // namespace
