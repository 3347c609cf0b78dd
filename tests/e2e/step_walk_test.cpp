#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/package_fixture.h"
#include "tests/support/under_wine.h"

namespace {

using testing_support::PackageFixture;

// Step 1 runs a command with a rollback command, step 2 jumps over step 3,
// step 4 fails a requirement: the walk's lines, the outcome and the rollback
// walk must all be in the log, in that order.
const char kPackage[] =
    "[ProductInstall.Main]\r\nStepCount=4\r\n"
    "Step1.Section=ProductInstall.Run\r\nStep1.Description=Prepare\r\n"
    "Step2.Section=ProductInstall.CheckRequirement.Pass\r\nStep2.Description=Check\r\n"
    "Step2.Success.Action=BRVN_GOTOSTEP(4)\r\n"
    "Step3.Section=ProductInstall.Run.Skipped\r\nStep3.Description=Never\r\n"
    "Step4.Section=ProductInstall.CheckRequirement.Fail\r\nStep4.Description=Refuse\r\n"
    "[ProductInstall.Run]\r\nRunCount=1\r\nRun1.Description=mark\r\n"
    "Run1.Command=cmd /c echo done> mark.txt\r\nRun1.RollbackCommand=cmd /c echo undone> mark.txt\r\n"
    "[ProductInstall.Run.Skipped]\r\nRunCount=1\r\nRun1.Command=cmd /c echo skipped> skipped.txt\r\n"
    "[ProductInstall.CheckRequirement.Pass]\r\nCheckCount=1\r\nCheck1.Description=number\r\n"
    "Check1.Number=5\r\nCheck1.Number.Min=1\r\nCheck1.Number.Max=9\r\n"
    "[ProductInstall.CheckRequirement.Fail]\r\nCheckCount=1\r\nCheck1.Description=string\r\n"
    "Check1.String=WIN95\r\nCheck1.String.List=WINXP,WIN2K\r\n";

size_t Position(const std::string& log, const std::string& text) {
  size_t at = log.find(text);
  EXPECT_NE(at, std::string::npos) << "missing: " << text << "\n" << log;
  return at;
}

TEST(StepWalkPackageTest, FailingStepEndsTheWalkAndRollsBack) {
  PackageFixture package(kPackage);
  testing_support::ProgramRun run = package.Run({"/s"});
  EXPECT_EQ(run.exitCode, 1);
  const std::string& log = package.Log();
  size_t step1 = Position(log, "]@@@ Session name ['ProductInstall.Run'] return code = 0 \r\n");
  size_t jump = Position(log, "]@@@ Session name ['ProductInstall.CheckRequirement.Pass'] return code = 0 \r\n");
  size_t step4 = Position(log, "]@@@ Session name ['ProductInstall.CheckRequirement.Fail'] return code = ");
  size_t error = Position(log, "]EventHandler('Step4.Error.',OldRet=");
  size_t failed = Position(log, "\r\nInstallation failed!\r\n");
  size_t rollback = Position(log, "\r\nRollback:Prepare\r\n");
  EXPECT_LT(step1, jump);
  EXPECT_LT(jump, step4);
  EXPECT_LT(step4, error);
  EXPECT_LT(error, rollback);
  EXPECT_LT(rollback, failed) << "the outcome follows the rollback walk";
  EXPECT_EQ(log.find("ProductInstall.Run.Skipped"), std::string::npos) << "step 3 was jumped over";
  EXPECT_FALSE(testing_support::FileExists(package.Folder() + "\\skipped.txt"));
  std::string mark;
  ASSERT_TRUE(testing_support::ReadFileBytes(package.Folder() + "\\mark.txt", mark));
  EXPECT_EQ(mark.substr(0, 6), "undone");
}

TEST(StepWalkPackageTest, ScriptBreakStopsWithStatusTwo) {
  PackageFixture package(
      "[ProductInstall.Main]\r\nStepCount=2\r\n"
      "Step1.Section=ProductInstall.CheckRequirement\r\nStep1.Success.Action=BRVN_USERBREAK\r\n"
      "Step2.Section=ProductInstall.Run\r\n"
      "[ProductInstall.CheckRequirement]\r\nCheckCount=0\r\n"
      "[ProductInstall.Run]\r\nRunCount=1\r\nRun1.Command=cmd /c echo ran> ran.txt\r\n");
  testing_support::ProgramRun run = package.Run({"/s"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_TRUE(package.LogHas("\r\nInstallation terminated by user!\r\n")) << package.Log();
  EXPECT_FALSE(testing_support::FileExists(package.Folder() + "\\ran.txt"));
}

// A script mistake after a completed step fails the run, which then undoes
// that step: a typo in a section name must not end as "Installation
// successful!" with the later steps never run.
TEST(StepWalkPackageTest, ScriptMistakesFailTheRunAndRollBack) {
  struct Case {
    const char* step2;
    const char* line;
  };
  const Case cases[] = {
      {"Step2.Section=ProductInstall.UpdateRegistery\r\n",
       "*** Script error: Step2 names an unknown section kind ['ProductInstall.UpdateRegistery']; "
       "the run fails and is rolled back. "},
      {"Step2.Section=ProductInstall.Run.Typo\r\n",
       "*** Script error: Step2 section ['ProductInstall.Run.Typo'] has no count key 'RunCount'; "
       "the run fails and is rolled back. "},
  };
  for (const Case& c : cases) {
    PackageFixture package(std::string("[ProductInstall.Main]\r\nStepCount=3\r\n"
                                       "Step1.Section=ProductInstall.Run\r\nStep1.Description=Prepare\r\n") +
                           c.step2 + "Step3.Section=ProductInstall.Run.Later\r\n"
                           "[ProductInstall.Run]\r\nRunCount=1\r\nRun1.Command=cmd /c echo done> mark.txt\r\n"
                           "Run1.RollbackCommand=cmd /c echo undone> mark.txt\r\n"
                           "[ProductInstall.Run.Typo]\r\nRunCnt=1\r\nRun1.Command=cmd /c echo typo> typo.txt\r\n"
                           "[ProductInstall.Run.Later]\r\nRunCount=1\r\nRun1.Command=cmd /c echo later> later.txt\r\n");
    testing_support::ProgramRun run = package.Run({"/s"});
    EXPECT_EQ(run.exitCode, 1) << c.step2;
    EXPECT_TRUE(package.LogHas(c.line)) << package.Log();
    EXPECT_TRUE(package.LogHas("\r\nInstallation failed!\r\n")) << package.Log();
    EXPECT_FALSE(testing_support::FileExists(package.Folder() + "\\later.txt")) << c.step2;
    EXPECT_FALSE(testing_support::FileExists(package.Folder() + "\\typo.txt")) << c.step2;
    std::string mark;
    ASSERT_TRUE(testing_support::ReadFileBytes(package.Folder() + "\\mark.txt", mark));
    EXPECT_EQ(mark.substr(0, 6), "undone") << c.step2;
  }
}

// A runaway item walk ends the run as a script error naming its section:
// a count past the item bound runs nothing, and an item whose error event
// retries it (unattended, for ever) stops at the bound of runs in a row.
TEST(StepWalkPackageTest, RunawayItemWalksFailTheRunAndRollBack) {
  struct Case {
    const char* checks;
    const char* line;
  };
  const Case cases[] = {
      {"CheckCount=2147483647\r\n",
       "*** Script error: CheckCount=2147483647 in section ['ProductInstall.CheckRequirement'] is "
       "more than 100000 items! "},
      {"CheckCount=1\r\nCheck1.Number=5\r\nCheck1.Number.Min=10\r\n"
       "Check1.Error.Action=BRVN_RETRY\r\n",
       "*** Script error: Item 1 of section ['ProductInstall.CheckRequirement'] was run 4096 times "
       "in a row! "},
  };
  for (const Case& c : cases) {
    // Under Wine a retry of the item was measured at about 0.28 s, so the
    // 4,096 runs would take most of the test program's time limit; the walk
    // is the same code on both builds and the Linux run covers it.
    if (testing_support::RunningUnderWine() && &c != &cases[0]) continue;
    PackageFixture package(std::string("[ProductInstall.Main]\r\nStepCount=2\r\n"
                                       "Step1.Section=ProductInstall.Run\r\n"
                                       "Step2.Section=ProductInstall.CheckRequirement\r\n"
                                       "[ProductInstall.Run]\r\nRunCount=1\r\n"
                                       "Run1.Command=cmd /c echo done> mark.txt\r\n"
                                       "Run1.RollbackCommand=cmd /c echo undone> mark.txt\r\n"
                                       "[ProductInstall.CheckRequirement]\r\n") +
                           c.checks);
    testing_support::ProgramRun run = package.Run({"/s"});
    EXPECT_EQ(run.exitCode, 1) << c.checks;
    EXPECT_TRUE(package.LogHas(c.line)) << package.Log().substr(0, 4000);
    EXPECT_TRUE(package.LogHas("\r\nInstallation failed!\r\n")) << c.checks;
    std::string mark;
    ASSERT_TRUE(testing_support::ReadFileBytes(package.Folder() + "\\mark.txt", mark));
    EXPECT_EQ(mark.substr(0, 6), "undone") << c.checks;
  }
}

}  // namespace
