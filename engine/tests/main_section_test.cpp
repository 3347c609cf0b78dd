#include <gtest/gtest.h>

#include <deque>

#include "engine/main_section.h"
#include "engine/result_codes.h"
#include "engine/tests/engine_fixture.h"

namespace {

using testing_support::EngineFixture;

// A handler that returns scripted results, records one entry per run when
// asked to, and logs what it was called with.
class ScriptedHandler : public CHFS_Section {
 public:
  ScriptedHandler(CHFS_Engine* engine, std::vector<std::string>* calls, bool records)
      : CHFS_Section(engine), calls_(calls), records_(records) {}

  int Run(const std::string& session, CHFS_InstallRecord& record) override {
    calls_->push_back("run " + session);
    if (records_) record.AddRecord(static_cast<int>(calls_->size()), session, "", "");
    if (results.empty()) return 0;
    int result = results.front();
    if (results.size() > 1) results.pop_front();
    return result;
  }

  int Rollback(const std::string& session, CHFS_InstallRecord& record) override {
    int item = 0;
    std::string param;
    while (record.PopRecord(item, param) == 0) calls_->push_back("undo " + param);
    return 0;
  }

  std::deque<int> results;

 private:
  std::vector<std::string>* calls_;
  bool records_;
};

struct Walk {
  explicit Walk(const std::string& mainKeys, bool records = true)
      : f("[ProductInstall.Main]\r\n" + mainKeys), runner(f.engine.get()), record(f.engine.get()) {
    auto a = std::make_unique<ScriptedHandler>(f.engine.get(), &calls, records);
    auto b = std::make_unique<ScriptedHandler>(f.engine.get(), &calls, records);
    first = a.get();
    second = b.get();
    runner.RegisterHandler("ProductInstall.Run", std::move(a));
    runner.RegisterHandler("ProductInstall.UpdateINI", std::move(b));
  }
  int Run() { return runner.Run("ProductInstall.Main", record); }

  EngineFixture f;
  CHFS_MainSection runner;
  CHFS_InstallRecord record;
  ScriptedHandler* first;
  ScriptedHandler* second;
  std::vector<std::string> calls;
};

TEST(StepWalkTest, NoStepsIsAFailure) {
  for (const char* keys : {"", "StepCount=\r\n", "StepCount=0\r\n", "StepCount=x\r\n"}) {
    Walk w(keys);
    EXPECT_EQ(w.Run(), -1) << keys;
    EXPECT_TRUE(w.calls.empty());
  }
}

TEST(StepWalkTest, MissingSectionsFailTheWalk) {
  Walk w("StepCount=2\r\n");
  EXPECT_EQ(w.Run(), -1);
  EXPECT_TRUE(w.f.reporter.Logged(
      "*** Syntax error: Session name ['Step1.Section'] not found, skip and continue. "));
  EXPECT_TRUE(w.f.reporter.Logged(
      "*** Script error: Step1 has no section key ['Step1.Section']; the run fails and is rolled back. "));
  EXPECT_FALSE(w.f.reporter.Logged(
      "*** Syntax error: Session name ['Step2.Section'] not found, skip and continue. "))
      << "the walk ends at the first";
}

// Once a step has completed, a script mistake further on must still fail the
// run, not end it as finished.
TEST(StepWalkTest, ScriptErrorsAfterACompletedStepFailTheWalk) {
  struct Case {
    const char* step2;
    const char* line;
  };
  const Case cases[] = {
      {"", "*** Script error: Step2 has no section key ['Step2.Section']; the run fails and is rolled back. "},
      {"Step2.Section=ProductInstall.UpdateRegistery\r\n",
       "*** Script error: Step2 names an unknown section kind ['ProductInstall.UpdateRegistery']; "
       "the run fails and is rolled back. "},
      {"Step2.Section=ProductRemove.Run\r\n",
       "*** Script error: Step2 names an unknown section kind ['ProductRemove.Run']; "
       "the run fails and is rolled back. "},
  };
  for (const Case& c : cases) {
    Walk w(std::string("StepCount=3\r\nStep1.Section=ProductInstall.Run\r\n") + c.step2 +
           "Step3.Section=ProductInstall.UpdateINI\r\n");
    EXPECT_EQ(w.Run(), -1) << c.step2;
    EXPECT_EQ(w.calls, (std::vector<std::string>{"run ProductInstall.Run"})) << c.step2;
    EXPECT_TRUE(w.f.reporter.Logged(c.line)) << c.step2;
  }
}

// A kind that counts its items needs its count key: a misspelt key or
// section header is a script error, found before the handler runs.
TEST(StepWalkTest, AMissingCountKeyFailsTheWalk) {
  const char* main = "StepCount=1\r\nStep1.Section=ProductInstall.Run.Two\r\n";
  for (const char* section : {"[ProductInstall.Run.Two]\r\nRunCnt=1\r\n", "[ProductInstall.Run.To]\r\nRunCount=1\r\n",
                              "[ProductInstall.Run.Two]\r\nRunCount=0\r\n", "[ProductInstall.Run.Two]\r\nRunCount=\r\n"}) {
    Walk w(std::string(main) + section);
    w.runner.RegisterHandler("ProductInstall.Run",
                             std::make_unique<ScriptedHandler>(w.f.engine.get(), &w.calls, false), "RunCount");
    const bool hasKey = std::string(section).find("Two]\r\nRunCount") != std::string::npos;
    EXPECT_EQ(w.Run(), hasKey ? 0 : -1) << section;
    EXPECT_EQ(w.calls.size(), hasKey ? 1u : 0u) << section;
    EXPECT_EQ(w.f.reporter.Logged("*** Script error: Step1 section ['ProductInstall.Run.Two'] has no count key "
                                  "'RunCount'; the run fails and is rolled back. "),
              !hasKey)
        << section;
  }
}

TEST(StepWalkTest, DomainAndKindChecksEndTheWalkAsAFailure) {
  Walk w("StepCount=4\r\nStep1.Section=ProductInstall.Run\r\nStep2.Section=ProductInstall.Run.Second\r\n"
         "Step3.Section=ProductRemove.Run\r\nStep4.Section=ProductInstall.Run\r\n");
  EXPECT_EQ(w.Run(), -1);
  EXPECT_EQ(w.calls, (std::vector<std::string>{"run ProductInstall.Run", "run ProductInstall.Run.Second"}));
  EXPECT_TRUE(w.f.reporter.Logged(
      "*** Syntax error: Session name ['ProductRemove.Run'] not supported in this function domain! "));

  Walk empty("StepCount=1\r\nStep1.Section=\r\n");
  EXPECT_EQ(empty.Run(), -1);
  EXPECT_TRUE(empty.f.reporter.Logged(
      "*** Syntax error: Session name [''] not supported in this function domain! "));

  Walk unknown("StepCount=1\r\nStep1.Section=ProductInstall.Rollback\r\n");
  EXPECT_EQ(unknown.Run(), -1);
  EXPECT_TRUE(unknown.f.reporter.Logged(
      "*** Syntax error: Session name ['ProductInstall.Rollback'] not supported! "));

  Walk malformed("");
  EXPECT_EQ(malformed.runner.Run("NoDot", malformed.record), -1);
  EXPECT_TRUE(malformed.f.reporter.Logged("*** Syntax error: Session name ['NoDot'] incorrect. "));
}

TEST(StepWalkTest, KindKeyCutsAfterTheKindWord) {
  EXPECT_EQ(CHFS_MainSection::KindKey("ProductInstall.Run.Second", "ProductInstall."),
            "ProductInstall.Run");
  EXPECT_EQ(CHFS_MainSection::KindKey("ProductInstall.Run", "ProductInstall."), "ProductInstall.Run");
  EXPECT_EQ(CHFS_MainSection::KindKey("ProductInstall..x.y", "ProductInstall."), "ProductInstall..x");
}

TEST(StepWalkTest, PositiveResultJumpsWithoutEvents) {
  Walk w("StepCount=4\r\nStep1.Section=ProductInstall.Run\r\nStep2.Section=ProductInstall.UpdateINI\r\n"
         "Step3.Section=ProductInstall.Run.Three\r\nStep4.Section=ProductInstall.Run.Four\r\n"
         "Step2.Success.Action=BRVN_USERBREAK\r\n");
  w.second->results = {4};
  EXPECT_EQ(w.Run(), 0);
  EXPECT_EQ(w.calls, (std::vector<std::string>{"run ProductInstall.Run", "run ProductInstall.UpdateINI",
                                               "run ProductInstall.Run.Four"}));
  EXPECT_FALSE(w.f.reporter.Logged("EventHandler('Step2.Success.',OldRet=0)"));
  EXPECT_TRUE(w.f.reporter.Logged("@@@ Session name ['ProductInstall.UpdateINI'] return code = 4 "));
}

TEST(StepWalkTest, HandlerCodesWithoutEventKeysActAsActions) {
  Walk w("StepCount=2\r\nStep1.Section=ProductInstall.Run\r\nStep2.Section=ProductInstall.UpdateINI\r\n");
  w.first->results = {BRVN_RETRY, BRVN_CONTINUE};
  EXPECT_EQ(w.Run(), 0);
  EXPECT_EQ(w.calls.size(), 3u) << "step 1 twice, then step 2";
}

TEST(StepWalkTest, ErrorActionsDecide) {
  Walk past("StepCount=2\r\nStep1.Section=ProductInstall.Run\r\nStep1.Error.Action=BRVN_GOTOSTEP(9)\r\n"
            "Step2.Section=ProductInstall.UpdateINI\r\n");
  past.first->results = {-1};
  EXPECT_EQ(past.Run(), 0) << "a step past StepCount ends the walk";
  EXPECT_EQ(past.calls.size(), 1u);

  Walk fail("StepCount=2\r\nStep1.Section=ProductInstall.Run\r\nStep2.Section=ProductInstall.UpdateINI\r\n");
  fail.second->results = {-42};
  EXPECT_EQ(fail.Run(), -42);
  EXPECT_TRUE(fail.f.reporter.Logged("EventHandler return code = -42 "));

  Walk userBreak("StepCount=3\r\nStep1.Section=ProductInstall.Run\r\nStep1.Success.Action=BRVN_USERBREAK\r\n"
                 "Step2.Section=ProductInstall.UpdateINI\r\n");
  EXPECT_EQ(userBreak.Run(), BRVN_USERBREAK);
  EXPECT_EQ(userBreak.calls.size(), 1u);
}

TEST(StepWalkTest, ReportsEachStep) {
  Walk w("StepCount=9\r\nStep1.Section=ProductInstall.Run\r\nStep1.Description=First\r\n"
         "Step2.Section=ProductRemove.Run\r\n");
  w.Run();
  ASSERT_FALSE(w.f.reporter.progress.empty());
  EXPECT_EQ(w.f.reporter.progress[0], std::make_pair(1, 10));
  EXPECT_EQ(w.f.reporter.taskTexts[0], "First");
}

TEST(StepWalkTest, DeadLoopsEndTheWalk) {
  // A step that records and retries forever fills the record.
  Walk filling("StepCount=1\r\nStep1.Section=ProductInstall.Run\r\nStep1.Error.Action=BRVN_RETRY\r\n");
  filling.first->results = {-1};
  EXPECT_EQ(filling.Run(), -1);
  EXPECT_EQ(filling.record.size(), CHFS_InstallRecord::kMaxRecords);
  EXPECT_TRUE(filling.f.reporter.Logged(
      "*** Runtime error: Found dead loop in your script file (Need less than 4096 steps) ! \r\n"));

  // A step that records nothing and jumps back to itself must end as well.
  Walk idle("StepCount=1\r\nStep1.Section=ProductInstall.Run\r\nStep1.Success.Action=BRVN_GOTOSTEP(1)\r\n",
            false);
  EXPECT_EQ(idle.Run(), -1);
  EXPECT_EQ(idle.calls.size(), static_cast<size_t>(CHFS_MainSection::kMaxStepRuns));
}

TEST(RollbackWalkTest, UndoesNewestFirstGroupedByStep) {
  Walk w("StepCount=3\r\nStep1.Section=ProductInstall.Run\r\nStep2.Section=ProductInstall.UpdateINI\r\n"
         "Step2.Description=Second\r\n");
  w.record.BeginStep(1);
  w.record.AddRecord(1, "s1-a", "", "");
  w.record.BeginStep(2);
  w.record.AddRecord(1, "s2-a", "", "");
  w.record.AddRecord(2, "s2-b", "", "");
  w.record.BeginStep(1);
  w.record.AddRecord(3, "s1-b", "", "");
  w.record.BeginStep(3);  // no section: dropped without undoing
  w.record.AddRecord(1, "s3", "", "");
  EXPECT_EQ(w.runner.Rollback("ProductInstall.Main", w.record), 0);
  EXPECT_EQ(w.calls, (std::vector<std::string>{"undo s1-b", "undo s2-b", "undo s2-a", "undo s1-a"}));
  EXPECT_EQ(w.record.size(), 0u);
  EXPECT_EQ(w.f.reporter.taskTexts[1], "Rollback:Second");
}

}  // namespace
