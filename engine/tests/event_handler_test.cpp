#include <gtest/gtest.h>

#include "engine/result_codes.h"
#include "engine/section.h"
#include "engine/tests/engine_fixture.h"

namespace {

using testing_support::EngineFixture;

struct EventCase {
  const char* name;
  const char* keys;   // lines of section [S]
  bool silent;
  int answer;         // what the user presses (0: nothing shown)
  int oldResult;
  int expected;
  int expectedStyle;  // style of the box shown, 0 for none
};

class EventHandlerTest : public testing::TestWithParam<EventCase> {};

TEST_P(EventHandlerTest, ChoosesTheAction) {
  const EventCase& c = GetParam();
  EngineFixture f(std::string("[S]\r\n") + c.keys);
  f.flags.silent = c.silent;
  if (c.answer != 0) f.reporter.answers.push_back(c.answer);
  CHFS_Section section(f.engine.get());
  section.SetSectionName("S");
  EXPECT_EQ(section.EventHandler("Step3.Error.", c.oldResult), c.expected) << c.name;
  if (c.expectedStyle == 0) {
    EXPECT_TRUE(f.reporter.asked.empty()) << c.name;
  } else {
    ASSERT_EQ(f.reporter.asked.size(), 1u) << c.name;
    EXPECT_EQ(f.reporter.asked[0].style, c.expectedStyle) << c.name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, EventHandlerTest,
    testing::Values(
        EventCase{"no keys hand the old result back", "", false, 0, -7, -7, 0},
        EventCase{"action wins over a question",
                  "Step3.Error.Action=BRVN_CONTINUE\r\nStep3.Error.AskYesNo=Go?\r\n", false, 0, -1,
                  BRVN_CONTINUE, 0},
        EventCase{"empty action is used and unknown", "Step3.Error.Action=\r\nStep3.Error.AskOK=x\r\n",
                  false, 0, -1, -1, 0},
        EventCase{"silent without default", "Step3.Error.AskYesNo=Go?\r\n", true, 0, -5, -5, 0},
        EventCase{"silent default", "Step3.Error.Default=BRVN_RETRY\r\nStep3.Error.AskYesNo=Go?\r\n",
                  true, 0, -5, BRVN_RETRY, 0},
        EventCase{"yes", "Step3.Error.AskYesNo=Go?\r\nStep3.Error.Yes=BRVN_GOTOSTEP(7)\r\nStep3.Error.No=BRVN_USERBREAK\r\n",
                  false, 6, -1, 7, 36},
        EventCase{"no", "Step3.Error.AskYesNo=Go?\r\nStep3.Error.Yes=BRVN_GOTOSTEP(7)\r\nStep3.Error.No=BRVN_USERBREAK\r\n",
                  false, 7, -1, BRVN_USERBREAK, 36},
        EventCase{"no answer reads No", "Step3.Error.AskYesNo=Go?\r\nStep3.Error.No=BRVN_CONTINUE\r\n",
                  false, 0, -1, BRVN_CONTINUE, 36},
        EventCase{"missing answer key", "Step3.Error.AskYesNo=Go?\r\n", false, 6, -1, -1, 36},
        EventCase{"retry", "Step3.Error.AskRetryCancel=Again?\r\nStep3.Error.Retry=BRVN_RETRY\r\nStep3.Error.Cancel=BRVN_USERBREAK\r\n",
                  false, 4, -1, BRVN_RETRY, 37},
        EventCase{"cancel", "Step3.Error.AskRetryCancel=Again?\r\nStep3.Error.Retry=BRVN_RETRY\r\nStep3.Error.Cancel=BRVN_USERBREAK\r\n",
                  false, 2, -1, BRVN_USERBREAK, 37},
        EventCase{"ok after failure", "Step3.Error.AskOK=Note\r\nStep3.Error.OK=BRVN_CONTINUE\r\n", false,
                  1, -1, BRVN_CONTINUE, 16},
        EventCase{"ok after success", "Step3.Error.AskOK=Note\r\nStep3.Error.OK=BRVN_CONTINUE\r\n", false,
                  1, 0, BRVN_CONTINUE, 64}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(ActionCodeTest, Keywords) {
  EngineFixture f("[S]\r\n");
  CHFS_Section section(f.engine.get());
  EXPECT_EQ(section.ActionCode("BRVN_CONTINUE"), BRVN_CONTINUE);
  EXPECT_EQ(section.ActionCode("BRVN_RETRY"), BRVN_RETRY);
  EXPECT_EQ(section.ActionCode("BRVN_USERBREAK"), BRVN_USERBREAK);
  EXPECT_EQ(section.ActionCode("BRVN_GOTOSTEP(12)"), 12);
  EXPECT_EQ(section.ActionCode("BRVN_GOTOSTEP(12"), 12);
  EXPECT_EQ(section.ActionCode("BRVN_GOTOSTEP( 3)"), 3);
  EXPECT_EQ(section.ActionCode("BRVN_GOTOSTEP(x)"), 0);
  EXPECT_EQ(section.ActionCode("BRVN_GOTOSTEP(99999999999)"), 2147483647);
  EXPECT_EQ(section.ActionCode(" BRVN_GOTOSTEP(4)"), -1);
  f.reporter.log.clear();
  EXPECT_EQ(section.ActionCode("brvn_continue"), -1);
  EXPECT_TRUE(f.reporter.Logged("!!!Error Action not found. 'brvn_continue'"));
}

TEST(EventHandlerLogTest, WritesItsLines) {
  EngineFixture f("[S]\r\nStep1.Success.AskYesNo=Sure?\r\nStep1.Success.Yes=BRVN_CONTINUE\r\n");
  f.reporter.answers.push_back(6);
  CHFS_Section section(f.engine.get());
  section.SetSectionName("S");
  f.reporter.log.clear();
  EXPECT_EQ(section.EventHandler("Step1.Success.", 0), BRVN_CONTINUE);
  std::vector<std::string> lines = f.reporter.Lines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "EventHandler('Step1.Success.',OldRet=0)");
  EXPECT_EQ(lines[1], "AskYesNo=Sure?");
  EXPECT_EQ(lines[2], "After Ask user, user choose YES to continue installation.");
}

}  // namespace
