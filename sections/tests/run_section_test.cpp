#include <gtest/gtest.h>

#include <deque>

#include "engine/tests/engine_fixture.h"
#include "os/machine.h"
#include "sections/run_section.h"

namespace {

std::string CurrentFolder() {
  std::string folder;
  EXPECT_TRUE(os::GetCurrentFolder(folder));
  return folder;
}

// A Run section whose commands answer with scripted exit codes; each run
// notes "command@folder".
struct RunFixture {
  explicit RunFixture(const std::string& keys)
      : f("[ProductInstall.Run]\r\n" + keys), record(f.engine.get()),
        section(f.engine.get(), [this](const std::string& command) {
          runs.push_back(command + "@" + CurrentFolder());
          int code = codes.empty() ? 0 : codes.front();
          if (!codes.empty()) codes.pop_front();
          return code;
        }) {
    f.engine->SetSymbol("HERE", f.folder);
  }
  int Run() { return section.Run("ProductInstall.Run", record); }
  int Rollback() { return section.Rollback("ProductInstall.Run", record); }

  testing_support::EngineFixture f;
  CHFS_InstallRecord record;
  CHFS_RunSection section;
  std::deque<int> codes;
  std::vector<std::string> runs;
};

TEST(RunSectionTest, OnlyMinusThreeHundredIsAFailure) {
  for (int code : {0, 1, -1, -300}) {
    RunFixture r("RunCount=1\r\nRun1.Command=go\r\nRun1.Path=%HERE%\r\n");
    r.codes = {code};
    EXPECT_EQ(r.Run(), code == -300 ? -300 : 0) << code;
    std::string where = "'go' in folder '" + r.f.folder + "'";
    EXPECT_TRUE(r.f.reporter.Logged((code == -300 ? "Failed to run " : "Success to run ") + where));
    EXPECT_EQ(r.record.size(), 1u) << "recorded whatever the outcome";
  }
}

TEST(RunSectionTest, ItemFolderOrProgramFolderThenTheOldFolderAgain) {
  const std::string before = CurrentFolder();
  RunFixture r("RunCount=3\r\nRun1.Command=a\r\nRun2.Command=b\r\nRun2.Path=%HERE%\r\n"
               "Run3.Command=c\r\nRun3.Path=C:\\no\\such\\folder\r\n");
  std::string program = r.f.engine->GetModuleFolder();
  EXPECT_EQ(r.Run(), 0);
  EXPECT_EQ(r.runs, (std::vector<std::string>{"a@" + program.substr(0, program.size() - 1),
                                               "b@" + r.f.folder, "c@" + r.f.folder}));
  EXPECT_TRUE(r.f.reporter.Logged("Run 'a' in folder '" + program + "'"));
  EXPECT_EQ(CurrentFolder(), before);
}

TEST(RunSectionTest, RollbackRunsRollbackCommandsNewestFirstUntilOneFails) {
  RunFixture r("RunCount=4\r\nRun1.Command=do1\r\nRun1.RollbackCommand=undo1\r\n"
               "Run2.RollbackCommand=undo2\r\nRun2.Path=%HERE%\r\nRun3.Description=nothing\r\n"
               "Run4.Command=do4\r\nRun4.RollbackCommand=undo4\r\nRun4.Path=%HERE%\r\n");
  EXPECT_EQ(r.Run(), 0);
  EXPECT_EQ(r.record.size(), 3u) << "item 3 has nothing to run or undo";
  r.runs.clear();
  EXPECT_EQ(r.Rollback(), 0);
  r.record.AddRecord(1, "", "", "");
  r.record.AddRecord(4, "", "", "");
  r.codes = {-300};
  EXPECT_EQ(r.Rollback(), -300);
  EXPECT_EQ(r.record.size(), 1u) << "entries older than the failure stay";
  std::string program = r.f.engine->GetModuleFolder();
  EXPECT_EQ(r.runs, (std::vector<std::string>{"undo4@" + r.f.folder, "undo2@" + r.f.folder,
                                               "undo1@" + program.substr(0, program.size() - 1),
                                               "undo4@" + r.f.folder}));
  EXPECT_TRUE(r.f.reporter.Logged("CHFS_RunSection::Rollback('ProductInstall.Run') Ret=-300"));
}

TEST(RunSectionTest, RetryRunsAndRecordsTheItemAgain) {
  RunFixture r("RunCount=1\r\nRun1.Command=flaky\r\nRun1.Error.Action=BRVN_RETRY\r\n");
  r.codes = {-300, 0};
  EXPECT_EQ(r.Run(), 0);
  EXPECT_EQ(r.runs.size(), 2u);
  EXPECT_EQ(r.record.size(), 2u);
}

// With a SuccessCodes list, any exit code outside it fails the item through
// its error events; -300 fails as it always does, and a command that could
// not be started (-1) is never a listed success.
TEST(RunSectionTest, SuccessCodesDecideTheOutcome) {
  struct Case {
    const char* list;
    int code;
    int result;
    const char* line;  // logged besides the outcome; null: the list is malformed
  };
  const Case cases[] = {
      {"0,3010", 3010, 0, ""},
      {" 0 , 3010 ", 0, 0, ""},
      {"4294967295", -1, -1, "Exit code -1 is not one of Run1.SuccessCodes=4294967295"},
      {"0,3010", 1, -1, "Exit code 1 is not one of Run1.SuccessCodes=0,3010"},
      {"0", -300, -300, ""},
      {"0;3010", 0, -1, nullptr},
      {"", 0, -1, nullptr},
      {"0,", 0, -1, nullptr},
      {"-1", -1, -1, nullptr},
      {"4294967296", 0, -1, nullptr},
  };
  for (const Case& c : cases) {
    RunFixture r(std::string("RunCount=1\r\nRun1.Command=go\r\nRun1.SuccessCodes=") + c.list + "\r\n");
    r.codes = {c.code};
    EXPECT_EQ(r.Run(), c.result) << c.list << " " << c.code;
    const std::string where = " to run 'go' in folder '" + r.f.engine->GetModuleFolder() + "'";
    EXPECT_TRUE(r.f.reporter.Logged((c.result == 0 ? "Success" : "Failed") + where)) << c.list;
    if (c.result != 0) {
      const int old = c.code == -300 ? -300 : -1;
      EXPECT_TRUE(r.f.reporter.Logged("EventHandler('Run1.Error.',OldRet=" + std::to_string(old) + ")"))
          << c.list;
    }
    const std::string line = c.line != nullptr ? c.line
                                               : "*** Syntax error: Run1.SuccessCodes='" + std::string(c.list) +
                                                     "' is not a list of exit codes in section "
                                                     "['ProductInstall.Run']. ";
    if (!line.empty()) {
      EXPECT_TRUE(r.f.reporter.Logged(line)) << c.list;
    }
  }
}

}  // namespace
