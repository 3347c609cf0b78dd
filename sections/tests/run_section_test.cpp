#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <deque>

#include "engine/result_codes.h"
#include "engine/tests/engine_fixture.h"
#include "os/machine.h"
#include "sections/run_section.h"

namespace {

using testing_support::EngineFixture;

std::string Folded(std::string path) {
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  std::transform(path.begin(), path.end(), path.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return path;
}

std::string CurrentFolder() {
  std::string folder;
  EXPECT_TRUE(os::GetCurrentFolder(folder));
  return Folded(folder);
}

// A Run section over a test script whose commands are answered from a list
// of exit codes; each run notes the command and the folder it ran in.
struct RunFixture {
  explicit RunFixture(const std::string& keys)
      : f("[ProductInstall.Run]\r\n" + keys), record(f.engine.get()),
        section(f.engine.get(), [this](const std::string& command) {
          runs.push_back(command);
          folders.push_back(CurrentFolder());
          if (codes.empty()) return 0;
          int code = codes.front();
          codes.pop_front();
          return code;
        }) {
    record.BeginStep(1);
  }
  int Run() { return section.Run("ProductInstall.Run", record); }
  int Rollback() { return section.Rollback("ProductInstall.Run", record); }

  EngineFixture f;
  CHFS_InstallRecord record;
  CHFS_RunSection section;
  std::deque<int> codes;
  std::vector<std::string> runs;
  std::vector<std::string> folders;
};

struct ExitCase {
  int exitCode;
  int result;
  const char* line;
};

TEST(RunSectionTest, OnlyMinusThreeHundredIsAFailure) {
  for (ExitCase c : {ExitCase{0, 0, "Success to run 'cmd' in folder 'C:\\w'"},
                     ExitCase{1, 0, "Success to run 'cmd' in folder 'C:\\w'"},
                     ExitCase{-1, 0, "Success to run 'cmd' in folder 'C:\\w'"},
                     ExitCase{-300, -300, "Failed to run 'cmd' in folder 'C:\\w'"}}) {
    RunFixture r("RunCount=1\r\nRun1.Command=cmd\r\nRun1.Path=C:\\w\r\n");
    r.codes = {c.exitCode};
    EXPECT_EQ(r.Run(), c.result) << c.exitCode;
    EXPECT_TRUE(r.f.reporter.Logged("Run 'cmd' in folder 'C:\\w'"));
    EXPECT_TRUE(r.f.reporter.Logged("return code = " + std::to_string(c.exitCode)));
    EXPECT_TRUE(r.f.reporter.Logged(c.line)) << c.exitCode;
    EXPECT_TRUE(r.f.reporter.Logged(c.result == 0 ? "EventHandler('Run1.Success.',OldRet=0)"
                                                   : "EventHandler('Run1.Error.',OldRet=-300)"));
    EXPECT_EQ(r.record.size(), 1u) << "recorded whatever the outcome";
    EXPECT_TRUE(r.f.reporter.Logged("CHFS_RunSection::Run('ProductInstall.Run') Ret=" +
                                    std::to_string(c.result)));
  }
}

TEST(RunSectionTest, RunsInTheItemsFolderOrTheProgramsAndRestoresTheFolder) {
  std::string before = CurrentFolder();
  RunFixture r("RunCount=3\r\nRun1.Command=one\r\nRun2.Command=two\r\nRun2.Path=%FOLDER%\r\n"
               "Run3.Command=three\r\nRun3.Path=C:\\no\\such\\folder\r\n");
  r.f.engine->SetSymbol("FOLDER", r.f.folder);
  EXPECT_EQ(r.Run(), 0);
  ASSERT_EQ(r.folders.size(), 3u);
  EXPECT_EQ(r.folders[0], Folded(r.f.engine->GetModuleFolder()));
  EXPECT_TRUE(r.f.reporter.Logged("Run 'one' in folder '" + r.f.engine->GetModuleFolder() + "'"));
  EXPECT_EQ(r.folders[1], Folded(r.f.folder));
  EXPECT_EQ(r.folders[2], Folded(r.f.folder)) << "an unusable folder keeps the previous one";
  EXPECT_EQ(CurrentFolder(), before);
  EXPECT_EQ(r.Rollback(), 0);
  EXPECT_EQ(CurrentFolder(), before);
}

TEST(RunSectionTest, RollbackRunsRollbackCommandsNewestFirst) {
  RunFixture r(
      "RunCount=4\r\n"
      "Run1.Command=do1\r\nRun1.RollbackCommand=undo1\r\n"
      "Run2.RollbackCommand=undo2\r\n"
      "Run3.Description=nothing at all\r\n"
      "Run4.Command=do4\r\nRun4.RollbackCommand=undo4\r\nRun4.Description=fourth\r\n");
  EXPECT_EQ(r.Run(), 0);
  EXPECT_EQ(r.runs, (std::vector<std::string>{"do1", "do4"}));
  EXPECT_EQ(r.record.size(), 3u) << "item 3 has nothing to undo";
  r.runs.clear();
  EXPECT_EQ(r.Rollback(), 0);
  EXPECT_EQ(r.runs, (std::vector<std::string>{"undo4", "undo2", "undo1"}));
  EXPECT_EQ(r.record.size(), 0u);
  EXPECT_TRUE(r.f.reporter.Logged("Run rollback command 'undo4' in folder '" +
                                  r.f.engine->GetModuleFolder() + "'"));
  EXPECT_NE(std::find(r.f.reporter.details.begin(), r.f.reporter.details.end(), "Rollback:fourth\r\n"),
            r.f.reporter.details.end());
  EXPECT_TRUE(r.f.reporter.Logged("CHFS_RunSection::Rollback('ProductInstall.Run') Ret=0"));
}

TEST(RunSectionTest, AFailedRollbackCommandStopsTheRollback) {
  RunFixture r("RunCount=3\r\nRun1.RollbackCommand=undo1\r\nRun2.RollbackCommand=undo2\r\n"
               "Run3.RollbackCommand=undo3\r\n");
  EXPECT_EQ(r.Run(), 0);
  r.codes = {1, -300};
  EXPECT_EQ(r.Rollback(), -300);
  EXPECT_EQ(r.runs, (std::vector<std::string>{"undo3", "undo2"}));
  EXPECT_EQ(r.record.size(), 1u) << "the oldest entry stays undone";
  EXPECT_TRUE(r.f.reporter.Logged("Failed to run 'undo2' in folder '" + r.f.engine->GetModuleFolder() + "'"));
}

TEST(RunSectionTest, EventActionsRetryOrContinue) {
  RunFixture r("RunCount=2\r\nRun1.Command=flaky\r\nRun1.Error.Action=BRVN_RETRY\r\n"
               "Run2.Command=broken\r\nRun2.Error.Action=BRVN_CONTINUE\r\n");
  r.codes = {-300, 0, -300};
  EXPECT_EQ(r.Run(), 0);
  EXPECT_EQ(r.runs, (std::vector<std::string>{"flaky", "flaky", "broken"}));
  EXPECT_EQ(r.record.size(), 3u) << "each run of an item is recorded";
}

TEST(RunSectionTest, AFullRecordEndsTheSectionAfterTheCommand) {
  RunFixture r("RunCount=2\r\nRun1.Command=one\r\nRun2.Command=two\r\n");
  for (size_t i = 0; i < CHFS_InstallRecord::kMaxRecords; ++i) r.record.AddRecord(0, "", "", "");
  EXPECT_EQ(r.Run(), BRVN_USERBREAK);
  EXPECT_EQ(r.runs, (std::vector<std::string>{"one"}));
  EXPECT_FALSE(r.f.reporter.Logged("EventHandler('Run1.Success.',OldRet=0)"));
}

// The real interpreter: cmd.exe on Windows, /bin/sh here; both read these lines alike.
TEST(RunSectionTest, RealCommandsRunInTheirFolder) {
  EngineFixture f("[ProductInstall.Run]\r\nRunCount=2\r\nRun1.Command=echo one> out.txt\r\nRun1.Path=%FOLDER%\r\n"
                  "Run2.Command=exit 1\r\n");
  f.engine->SetSymbol("FOLDER", f.folder);
  CHFS_InstallRecord record(f.engine.get());
  CHFS_RunSection section(f.engine.get());
  EXPECT_EQ(section.Run("ProductInstall.Run", record), 0);
  std::string bytes;
  ASSERT_TRUE(testing_support::ReadFileBytes(f.folder + "\\out.txt", bytes));
  EXPECT_EQ(bytes.substr(0, 3), "one");
  EXPECT_TRUE(f.reporter.Logged("return code = 1"));
}

}  // namespace
