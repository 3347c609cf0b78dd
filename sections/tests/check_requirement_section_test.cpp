#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/reporter.h"
#include "engine/tests/engine_fixture.h"
#include "os/files.h"
#include "sections/check_requirement_section.h"

namespace {

using testing_support::EngineFixture;

struct Checks {
  explicit Checks(const std::string& keys)
      : f("[ProductInstall.CheckRequirement]\r\n" + keys), handler(f.engine.get()), record(f.engine.get()) {}
  int Run() { return handler.Run("ProductInstall.CheckRequirement", record); }

  EngineFixture f;
  CHFS_CheckRequirementSection handler;
  CHFS_InstallRecord record;
};

TEST(CheckRequirementNumbers, ConvertAsAtofDoes) {
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {"5", 5},        {"  -1.5e3x", -1500}, {"\t+7", 7},    {".5", 0.5},   {"5.", 5},
      {"1e1", 10},     {"1e", 1},            {"1e+", 1},     {"2E-1", 0.2}, {"abc", 0},
      {"+.e3", 0},     {"0x10", 0},          {"inf", 0},     {"nan", 0},    {"", 0},
      {"4.99", 4.99},  {"- 3", 0},           {"12,5", 12},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(c.value, CHFS_CheckRequirementSection::CFloatToDouble(c.text)) << c.text;
  }
}

struct CheckCase {
  const char* keys;  // the keys of check 1
  int result;        // with no event keys: 0 passed, -1 failed
  const char* line;  // a line the check logs, or ""
};

class CheckOutcome : public testing::TestWithParam<CheckCase> {};

TEST_P(CheckOutcome, PassesOrFailsWithItsLine) {
  Checks c(std::string("CheckCount=1\r\nCheck1.Description=d\r\n") + GetParam().keys);
  EXPECT_EQ(GetParam().result, c.Run());
  if (*GetParam().line != '\0') {
    EXPECT_TRUE(c.f.reporter.Logged(GetParam().line)) << GetParam().keys;
  }
  EXPECT_EQ(0u, c.record.size()) << "checks record nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, CheckOutcome,
    testing::Values(
        CheckCase{"Check1.Number=5\r\nCheck1.Number.Min=5\r\n", 0, ""},
        CheckCase{"Check1.Number=4.99\r\nCheck1.Number.Min=5\r\n", -1,
                  "CheckNumberMin(Min='5',value='4.99') failed!"},
        CheckCase{"Check1.Number=1e1\r\nCheck1.Number.Max=10\r\n", 0, ""},
        CheckCase{"Check1.Number=10.01\r\nCheck1.Number.Min=1\r\nCheck1.Number.Max=10\r\n", -1,
                  "CheckNumberMax(Max='10',value='10.01') failed!"},
        CheckCase{"Check1.Number=abc\r\nCheck1.Number.Min=0\r\n", 0, ""},
        CheckCase{"Check1.Number=-2\r\n", 0, ""},
        // Compared as numbers, not as text: "9" is below "10".
        CheckCase{"Check1.Number=9\r\nCheck1.Number.Min=10\r\n", -1,
                  "CheckNumberMin(Min='10',value='9') failed!"},
        // The first present kind wins: the failing string check is not run.
        CheckCase{"Check1.Number=3\r\nCheck1.String=x\r\nCheck1.String.List=y\r\n", 0, ""}));

INSTANTIATE_TEST_SUITE_P(
    Strings, CheckOutcome,
    testing::Values(
        CheckCase{"Check1.String=B\r\nCheck1.String.List=A,B,C\r\n", 0, ""},
        CheckCase{"Check1.String=b\r\nCheck1.String.List=A,B,C\r\n", -1,
                  "CheckString(list=',A,B,C,',value=',b,') failed!"},
        CheckCase{"Check1.String=\" B\"\r\nCheck1.String.List=A,B,C\r\n", -1, ""},
        CheckCase{"Check1.String=A,B\r\nCheck1.String.List=A,B,C\r\n", 0, ""},
        CheckCase{"Check1.String=AB\r\nCheck1.String.List=A,B,C\r\n", -1, ""},
        CheckCase{"Check1.String=\r\nCheck1.String.List=A,B,C\r\n", -1, ""},
        CheckCase{"Check1.String=\r\nCheck1.String.List=A,,B\r\n", 0, ""},
        CheckCase{"Check1.String=\r\nCheck1.String.List=\r\n", 0, ""},
        CheckCase{"Check1.String=x\r\n", -1, "CheckString(list=',(empty),',value=',x,') failed!"}));

TEST(CheckRequirement, DiskSpaceComparesUnsignedMegabytes) {
  std::string folder = testing_support::NewTestFolder();
  EXPECT_EQ(1, CHFS_CheckRequirementSection::CheckDiskSpaceMB(folder, 0));
  // Sign extension makes a negative requirement the largest unsigned numbers.
  EXPECT_EQ(-1, CHFS_CheckRequirementSection::CheckDiskSpaceMB(folder, -1));
  EXPECT_EQ(-1, CHFS_CheckRequirementSection::CheckDiskSpaceMB(folder, 0x7FFFFFFF));
  EXPECT_EQ(-2, CHFS_CheckRequirementSection::CheckDiskSpaceMB(folder + "\\no\\such\\folder", 1));
  // Exactly as many free megabytes as required: other writers may move the
  // figure, so try until it holds still across the call.
  for (int attempt = 0; attempt < 20; ++attempt) {
    os::DiskSpace before;
    os::DiskSpace after;
    ASSERT_TRUE(os::GetDiskFreeSpace(folder, before));
    int freeMB = static_cast<int>(before.totalFree / 0x100000u);
    int equal = CHFS_CheckRequirementSection::CheckDiskSpaceMB(folder, freeMB);
    int below = CHFS_CheckRequirementSection::CheckDiskSpaceMB(folder, freeMB + 1);
    ASSERT_TRUE(os::GetDiskFreeSpace(folder, after));
    if (before.totalFree / 0x100000u != after.totalFree / 0x100000u) continue;
    EXPECT_EQ(0, equal);
    EXPECT_EQ(-1, below);
    return;
  }
  ADD_FAILURE() << "free space never held still";
}

TEST(CheckRequirement, DiskSpaceChecksInTheSection) {
  std::string folder = testing_support::NewTestFolder();
  Checks c("CheckCount=3\r\n"
           "Check1.DiskSpace=" + folder + "\r\n"  // no size: passes without a query
           "Check2.DiskSpace=" + folder + "\r\nCheck2.DiskSpace.SizeMB=1\r\n"
           "Check3.DiskSpace=" + folder + "\r\nCheck3.DiskSpace.SizeMB=-5\r\n");
  EXPECT_EQ(-1, c.Run());
  EXPECT_TRUE(c.f.reporter.Logged("CheckDiskSpaceMB('" + folder + "',-5) failed!"));
  const std::vector<std::string>& d = c.f.reporter.details;
  ASSERT_EQ(6u, d.size());
  EXPECT_EQ(" - " + folder + "\r\n", d[1]);
  EXPECT_EQ(" - " + folder + "\r\n", d[3]);
  EXPECT_EQ(" - " + folder + " (No pass)\r\n", d[5]);
}

TEST(CheckRequirement, BadPathFailsLikeTooLittleSpace) {
  Checks c("CheckCount=1\r\nCheck1.DiskSpace=Q:\\nowhere\r\nCheck1.DiskSpace.SizeMB=1\r\n");
  EXPECT_EQ(-1, c.Run());
  EXPECT_TRUE(c.f.reporter.Logged("CheckDiskSpaceMB('Q:\\nowhere',1) failed!"));
}

TEST(CheckRequirement, NoCountRunsNothing) {
  Checks none("Other=1\r\n");
  EXPECT_EQ(0, none.Run());
  EXPECT_TRUE(none.f.reporter.details.empty());
  Checks zero("CheckCount=0\r\nCheck1.Number=1\r\nCheck1.Number.Min=2\r\n");
  EXPECT_EQ(0, zero.Run());
}

TEST(CheckRequirement, CheckOfNoKindEndsTheSectionAtOnce) {
  Checks c("CheckCount=3\r\nCheck1.Number=1\r\nCheck2.Description=two\r\n"
           "Check2.Error.Action=BRVN_CONTINUE\r\nCheck3.Number=1\r\nCheck3.Number.Min=9\r\n");
  EXPECT_EQ(-1, c.Run());
  EXPECT_TRUE(c.f.reporter.Logged("*** Syntax error : Check item 2 not found !"));
  EXPECT_FALSE(c.f.reporter.Logged("EventHandler('Check2.Error.',OldRet=-1)")) << "no event keys read";
  EXPECT_FALSE(c.f.reporter.Logged("CheckNumberMin(Min='9',value='1') failed!")) << "check 3 never ran";
  EXPECT_EQ("two", c.f.reporter.details.back()) << "no pass/fail text for check 2";
}

TEST(CheckRequirement, EventActionsSteerTheChecks) {
  // Check 1 fails but continues; check 2 passes and jumps to step 7.
  Checks jump("CheckCount=3\r\n"
              "Check1.Number=1\r\nCheck1.Number.Min=2\r\nCheck1.Error.Action=BRVN_CONTINUE\r\n"
              "Check2.Number=3\r\nCheck2.Success.Action=BRVN_GOTOSTEP(7)\r\n"
              "Check3.Number=1\r\nCheck3.Number.Min=2\r\n");
  EXPECT_EQ(7, jump.Run());
  EXPECT_FALSE(jump.f.reporter.Logged("EventHandler('Check3.Error.',OldRet=-1)"));

  // A failed check that is not continued ends the section with its answer.
  Checks stop("CheckCount=2\r\nCheck1.String=a\r\nCheck1.String.List=b\r\n"
              "Check1.Error.Action=BRVN_USERBREAK\r\nCheck2.Number=1\r\n");
  EXPECT_EQ(-300, stop.Run());
}

TEST(CheckRequirement, RetryRunsTheSameCheckAgain) {
  Checks c("CheckCount=1\r\nCheck1.Number=1\r\nCheck1.Number.Min=2\r\n"
           "Check1.Error.AskRetryCancel=Try again?\r\nCheck1.Error.Retry=BRVN_RETRY\r\n"
           "Check1.Error.Cancel=BRVN_CONTINUE\r\n");
  c.f.reporter.answers = {kIdRetry, kIdRetry, kIdCancel};
  EXPECT_EQ(0, c.Run()) << "continued after the third try";
  int tries = 0;
  for (const std::string& line : c.f.reporter.Lines()) {
    if (line == "CheckNumberMin(Min='2',value='1') failed!") ++tries;
  }
  EXPECT_EQ(3, tries);
  EXPECT_EQ(3u, c.f.reporter.asked.size());
}

}  // namespace
