#include <gtest/gtest.h>

#include <string>

#include "engine/tests/engine_fixture.h"
#include "os/files.h"
#include "sections/check_requirement_section.h"

namespace {

struct Checks {
  explicit Checks(const std::string& keys)
      : f("[ProductInstall.CheckRequirement]\r\n" + keys), handler(f.engine.get()), record(f.engine.get()) {}
  int Run() { return handler.Run("ProductInstall.CheckRequirement", record); }
  testing_support::EngineFixture f;
  CHFS_CheckRequirementSection handler;
  CHFS_InstallRecord record;
};

TEST(CheckRequirement, NumbersConvertAsAtofDoes) {
  const struct { const char* text; double value; } cases[] = {
      {"  -1.5e3x", -1500}, {"\t+7", 7}, {".5", 0.5}, {"5.", 5}, {"1e1", 10}, {"1e+", 1},
      {"2E-1", 0.2}, {"abc", 0}, {"+.e3", 0}, {"0x10", 0}, {"inf", 0}, {"nan", 0}, {"- 3", 0}};
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(c.value, CHFS_CheckRequirementSection::CFloatToDouble(c.text)) << c.text;
  }
}

// Keys of check 1, and the result with no event keys: 0 passed, -1 failed.
struct CheckCase { const char* keys; int result; const char* line; };
class CheckOutcome : public testing::TestWithParam<CheckCase> {};

TEST_P(CheckOutcome, PassesOrFailsWithItsLine) {
  Checks c(std::string("CheckCount=1\r\n") + GetParam().keys);
  EXPECT_EQ(GetParam().result, c.Run());
  if (*GetParam().line != '\0') {
    EXPECT_TRUE(c.f.reporter.Logged(GetParam().line)) << GetParam().keys;
  }
  EXPECT_EQ(0u, c.record.size());
}

INSTANTIATE_TEST_SUITE_P(Cases, CheckOutcome, testing::Values(
    CheckCase{"Check1.Number=5\r\nCheck1.Number.Min=5\r\n", 0, ""},
    CheckCase{"Check1.Number=4.99\r\nCheck1.Number.Min=5\r\n", -1, "CheckNumberMin(Min='5',value='4.99') failed!"},
    CheckCase{"Check1.Number=1e1\r\nCheck1.Number.Max=10\r\n", 0, ""},
    CheckCase{"Check1.Number=10.01\r\nCheck1.Number.Max=10\r\n", -1, "CheckNumberMax(Max='10',value='10.01') failed!"},
    CheckCase{"Check1.Number=9\r\nCheck1.Number.Min=10\r\n", -1, ""},  // numbers, not text
    CheckCase{"Check1.Number=abc\r\nCheck1.Number.Min=0\r\n", 0, ""},
    CheckCase{"Check1.Number=3\r\nCheck1.String=x\r\nCheck1.String.List=y\r\n", 0, ""},  // Number wins
    CheckCase{"Check1.String=B\r\nCheck1.String.List=A,B,C\r\n", 0, ""},
    CheckCase{"Check1.String=b\r\nCheck1.String.List=A,B,C\r\n", -1, "CheckString(list=',A,B,C,',value=',b,') failed!"},
    CheckCase{"Check1.String=\" B\"\r\nCheck1.String.List=A,B,C\r\n", -1, ""},
    CheckCase{"Check1.String=A,B\r\nCheck1.String.List=A,B,C\r\n", 0, ""},
    CheckCase{"Check1.String=AB\r\nCheck1.String.List=A,B,C\r\n", -1, ""},
    CheckCase{"Check1.String=\r\nCheck1.String.List=A,B\r\n", -1, ""},
    CheckCase{"Check1.String=\r\nCheck1.String.List=A,,B\r\n", 0, ""},
    CheckCase{"Check1.String=x\r\n", -1, "CheckString(list=',(empty),',value=',x,') failed!"},
    CheckCase{"Check1.DiskSpace=Q:\\nowhere\r\n", 0, ""},  // no size: no query
    CheckCase{"Check1.DiskSpace=Q:\\nowhere\r\nCheck1.DiskSpace.SizeMB=1\r\n", -1, "CheckDiskSpaceMB('Q:\\nowhere',1) failed!"},
    CheckCase{"Check1.Number.Min=1\r\n", -1, "*** Syntax error : Check item 1 not found !"}));

TEST(CheckRequirement, DiskSpaceComparesUnsignedMegabytes) {
  std::string folder = testing_support::NewTestFolder();
  EXPECT_EQ(1, CHFS_CheckRequirementSection::CheckDiskSpaceMB(folder, 0));
  EXPECT_EQ(-1, CHFS_CheckRequirementSection::CheckDiskSpaceMB(folder, -1)) << "sign-extended";
  EXPECT_EQ(-2, CHFS_CheckRequirementSection::CheckDiskSpaceMB(folder + "\\none", 1));
  // Exactly the free megabytes passes; other writers may move the figure, so
  // try until it holds still across the calls.
  for (int attempt = 0; attempt < 20; ++attempt) {
    os::DiskSpace before, after;
    ASSERT_TRUE(os::GetDiskFreeSpace(folder, before));
    int freeMB = static_cast<int>(before.totalFree / 0x100000u);
    int equal = CHFS_CheckRequirementSection::CheckDiskSpaceMB(folder, freeMB);
    int above = CHFS_CheckRequirementSection::CheckDiskSpaceMB(folder, freeMB + 1);
    ASSERT_TRUE(os::GetDiskFreeSpace(folder, after));
    if (before.totalFree / 0x100000u != after.totalFree / 0x100000u) continue;
    EXPECT_EQ(0, equal);
    EXPECT_EQ(-1, above);
    return;
  }
  ADD_FAILURE() << "free space never held still";
}

TEST(CheckRequirement, EventAnswersSteerTheChecks) {
  // Check 1 fails but is continued; check 2 has no kind and ends the section
  // at once, without its event keys or check 3.
  Checks noKind("CheckCount=3\r\nCheck1.Number=1\r\nCheck1.Number.Min=2\r\nCheck1.Error.Action=BRVN_CONTINUE\r\n"
                "Check2.Error.Action=BRVN_CONTINUE\r\nCheck3.Number=1\r\nCheck3.Number.Min=9\r\n");
  EXPECT_EQ(-1, noKind.Run());
  EXPECT_FALSE(noKind.f.reporter.Logged("EventHandler('Check2.Error.',OldRet=-1)"));
  EXPECT_EQ(" - 1 (No pass)\r\n", noKind.f.reporter.details[1]);

  Checks jump("CheckCount=2\r\nCheck1.Number=3\r\nCheck1.Success.Action=BRVN_GOTOSTEP(7)\r\nCheck2.Number=1\r\n");
  EXPECT_EQ(7, jump.Run());

  Checks retry("CheckCount=1\r\nCheck1.Number=1\r\nCheck1.Number.Min=2\r\nCheck1.Error.AskRetryCancel=Again?\r\n"
               "Check1.Error.Retry=BRVN_RETRY\r\nCheck1.Error.Cancel=BRVN_CONTINUE\r\n");
  retry.f.reporter.answers = {kIdRetry, kIdRetry, kIdCancel};
  EXPECT_EQ(0, retry.Run());
  EXPECT_EQ(3u, retry.f.reporter.asked.size()) << "the same check ran three times";
}

}  // namespace
