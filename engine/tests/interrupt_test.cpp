// A run asked to stop from outside (os/interrupt.h) stops at the next safe
// point, goes to no event, is rolled back in full however often it is asked
// again, and ends as stopped.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/main_section.h"
#include "engine/result_codes.h"
#include "engine/tests/engine_fixture.h"
#include "os/interrupt.h"

namespace {

using testing_support::EngineFixture;

// Records one entry per run; asks for a stop while running (or rolling back)
// the step given.
class StepHandler : public CHFS_Section {
 public:
  StepHandler(CHFS_Engine* engine, std::vector<int>* ran, int* undone, int stopInRun,
              int stopInRollback, int result)
      : CHFS_Section(engine), ran_(ran), undone_(undone), stopInRun_(stopInRun),
        stopInRollback_(stopInRollback), result_(result) {}
  int Run(const std::string& session, CHFS_InstallRecord& record) override {
    int step = static_cast<int>(ran_->size()) + 1;
    ran_->push_back(step);
    record.AddRecord(step, "", "", "");
    if (step == stopInRun_) os::RequestInterrupt(os::InterruptCause::kSigTerm);
    return step == stopInRun_ ? result_ : 0;
  }
  int Rollback(const std::string& session, CHFS_InstallRecord& record) override {
    int item = 0;
    while (record.PopRecord(item) == 0) {
      ++*undone_;
      if (item == stopInRollback_) {
        os::RequestInterrupt(os::InterruptCause::kSigInt);
        os::RequestInterrupt(os::InterruptCause::kSigInt);
      }
    }
    return 0;
  }

 private:
  std::vector<int>* ran_;
  int* undone_;
  int stopInRun_;
  int stopInRollback_;
  int result_;
};

bool HasLine(const EngineFixture& f, const std::string& text) {
  for (const std::string& line : f.reporter.Lines()) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

TEST(InterruptTest, StopsAtTheNextSafePointAndRollsBackInFull) {
  struct Case {
    const char* name;
    bool before;         // asked before the run began
    int stopInRun;       // asked while this step ran
    int stepResult;      // what that step returns
    int stopInRollback;  // asked again while this step's entry is undone
    int expectRan;
    const char* where;
  };
  const Case cases[] = {
      {"before the run", true, 0, 0, 0, 0, "stopping before step 1"},
      {"in a step that succeeds", false, 2, 0, 0, 2, "stopping after step 2"},
      // Its error event would go on: a stop goes to no event.
      {"in a step that fails", false, 2, -1, 0, 2, "stopping after step 2"},
      {"in a step that asks to stop", false, 3, BRVN_USERBREAK, 0, 3, "stopping after step 3"},
      {"again during the rollback", false, 3, 0, 2, 3, "stopping after step 3"},
      {"in the last step", false, 4, 0, 1, 4, "stopping after step 4"},
  };
  for (const Case& c : cases) {
    os::ResetInterruptsForTesting();
    const std::string folder = testing_support::NewTestFolder();
    EngineFixture f("[ProductInstall.Main]\r\nInstallRecordFile=" + folder + "\\fix.rec\r\n"
                    "StepCount=4\r\nStep1.Section=ProductInstall.Run\r\nStep2.Section=ProductInstall.Run\r\n"
                    "Step3.Section=ProductInstall.Run\r\nStep4.Section=ProductInstall.Run\r\n"
                    "Step2.Error.Default=BRVN_CONTINUE\r\nStep3.Error.Default=BRVN_CONTINUE\r\n");
    std::vector<int> ran;
    int undone = 0;
    CHFS_Engine* engine = f.engine.get();
    engine->SetStepRunnerSetup([&, engine](CHFS_MainSection& runner) {
      runner.RegisterHandler("ProductInstall.Run",
                             std::make_unique<StepHandler>(engine, &ran, &undone, c.stopInRun,
                                                           c.stopInRollback, c.stepResult));
    });
    if (c.before) os::RequestInterrupt(os::InterruptCause::kSigTerm);
    EXPECT_EQ(BRVN_USERBREAK, f.engine->Execute()) << c.name;
    EXPECT_EQ(c.expectRan, static_cast<int>(ran.size())) << c.name;
    EXPECT_EQ(c.expectRan, undone) << c.name << ": every entry undone";
    EXPECT_FALSE(testing_support::FileExists(folder + "\\fix.rec")) << c.name;
    EXPECT_TRUE(f.reporter.asked.empty()) << c.name << ": no failure box for a stop";
    EXPECT_EQ(f.reporter.details.back(), "Installation terminated by user!") << c.name;
    EXPECT_TRUE(HasLine(f, std::string("*** Interrupted: SIGTERM received; ") + c.where +
                               " and rolling back.")) << c.name;
    EXPECT_TRUE(HasLine(f, "*** Interrupted run rolled back.")) << c.name;
    EXPECT_EQ(c.stopInRollback != 0,
              HasLine(f, "*** Interrupted again during the rollback: SIGINT received (2 request(s)); "
                         "the rollback was not cut short."))
        << c.name;
  }
  os::ResetInterruptsForTesting();
}

// The item walks stop between items, whatever the item's events say.
TEST(InterruptTest, ItemWalkStopsBetweenItems) {
  os::ResetInterruptsForTesting();
  EngineFixture f("[S]\r\n");
  class Walker : public CHFS_Section {
   public:
    using CHFS_Section::CHFS_Section;
    int Run(const std::string&, CHFS_InstallRecord&) override { return 0; }
    int Rollback(const std::string&, CHFS_InstallRecord&) override { return 0; }
    int Walk(std::vector<int>& seen) {
      SetSectionName("S");
      return WalkItems(5, [&](int item, int& result) {
        seen.push_back(item);
        if (item == 2) os::RequestInterrupt(os::InterruptCause::kSigHup);
        result = 0;
        return ItemMove::kNext;
      });
    }
  } walker(f.engine.get());
  std::vector<int> seen;
  EXPECT_EQ(BRVN_USERBREAK, walker.Walk(seen));
  EXPECT_EQ((std::vector<int>{1, 2}), seen);
  EXPECT_TRUE(HasLine(f, "*** Interrupted: SIGHUP received; stopping before item 3 of section ['S'] "
                         "and rolling back."));
  os::ResetInterruptsForTesting();
}

}  // namespace
