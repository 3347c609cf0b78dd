#include <gtest/gtest.h>

#include "engine/main_section.h"
#include "engine/result_codes.h"
#include "engine/tests/change_faults.h"
#include "engine/tests/engine_fixture.h"
#include "os/tests/os_test_support.h"
#include "tests/support/test_machine.h"

namespace {

using testing_support::EngineFixture;

// A step handler with a fixed result that records one entry per run.
class FixedHandler : public CHFS_Section {
 public:
  FixedHandler(CHFS_Engine* engine, int result, int* undone)
      : CHFS_Section(engine), result_(result), undone_(undone) {}
  int Run(const std::string& session, CHFS_InstallRecord& record) override {
    record.AddRecord(1, "param %ONE%", "", "");
    return result_;
  }
  int Rollback(const std::string& session, CHFS_InstallRecord& record) override {
    int item = 0;
    while (record.PopRecord(item) == 0) ++*undone_;
    return 0;
  }

 private:
  int result_;
  int* undone_;
};

void UseFixedHandler(EngineFixture& f, int result, int* undone) {
  CHFS_Engine* engine = f.engine.get();
  engine->SetStepRunnerSetup([engine, result, undone](CHFS_MainSection& runner) {
    runner.RegisterHandler("ProductInstall.Run", std::make_unique<FixedHandler>(engine, result, undone));
    runner.RegisterHandler("ProductRemove.Run", std::make_unique<FixedHandler>(engine, result, undone));
  });
}

TEST(ExecuteTest, FailedRunAsksRollsBackAndReports) {
  EngineFixture f("[ProductInstall.Main]\r\nStepCount=1\r\nStep1.Section=ProductInstall.Run\r\n");
  int undone = 0;
  UseFixedHandler(f, -1, &undone);
  EXPECT_EQ(f.engine->Execute(), -1);
  EXPECT_EQ(undone, 1);
  ASSERT_EQ(f.reporter.asked.size(), 1u);
  EXPECT_EQ(f.reporter.asked[0].text, "Installation failed!");
  EXPECT_EQ(f.reporter.asked[0].style, 16);
  EXPECT_EQ(f.reporter.details.back(), "Installation failed!");
  EXPECT_EQ(f.reporter.progress.back(), std::make_pair(0, 0));
  EXPECT_NE(f.reporter.taskTexts.back(), "Installation failed!") << "install domain: detail only";
}

TEST(ExecuteTest, UserBreakShowsNoBoxButStillRollsBack) {
  EngineFixture f("[ProductRemove.Main]\r\nStepCount=1\r\nStep1.Section=ProductRemove.Run\r\n", true);
  int undone = 0;
  UseFixedHandler(f, BRVN_USERBREAK, &undone);
  EXPECT_EQ(f.engine->Execute(), BRVN_USERBREAK);
  EXPECT_TRUE(f.reporter.asked.empty());
  EXPECT_EQ(undone, 1);
  EXPECT_EQ(f.reporter.details.back(), "Installation terminated by user!");
  EXPECT_EQ(f.reporter.taskTexts.back(), "Installation terminated by user!") << "removal: task line too";
}

TEST(ExecuteTest, SuccessfulInstallWritesTheRecordFile) {
  const std::string folder = testing_support::NewTestFolder();
  const std::string recordPath = folder + "\\records\\deep\\hotfix.rec";
  EngineFixture f("[ProductInstall.Symbols]\r\nONE=1\r\n"
                  "[ProductInstall.Main]\r\nInstallRecordFile=" + recordPath + "\r\n"
                  "StepCount=1\r\nStep1.Section=ProductInstall.Run\r\n"
                  "[ProductRemove.Main]\r\nStepCount=0\r\n");
  EXPECT_EQ(f.engine->InstallRecordPath(), recordPath);
  EXPECT_TRUE(testing_support::FileExists(folder + "\\records\\deep")) << "folder made at start";
  int undone = 0;
  UseFixedHandler(f, 0, &undone);
  EXPECT_EQ(f.engine->Execute(), 0);
  EXPECT_EQ(undone, 0);
  EXPECT_EQ(f.reporter.taskTexts.back(), "Installation successful!");
  EXPECT_EQ(f.reporter.details.back(), "Installation successful!");
  EXPECT_EQ(f.reporter.progress.back(), std::make_pair(100, 100));

  std::string bytes;
  ASSERT_TRUE(testing_support::ReadFileBytes(recordPath, bytes));
  EXPECT_EQ(bytes.find("[ProductInstall.Symbols]"), 0u) << "starts with the script copy";
  EXPECT_NE(bytes.find("[ProductRemove.Main]"), std::string::npos);
  EXPECT_NE(bytes.find("[Symbols]"), std::string::npos);
  EXPECT_NE(bytes.find("Name.1=ONE"), std::string::npos);
  EXPECT_NE(bytes.find("[REC_1]"), std::string::npos);
  EXPECT_NE(bytes.find("Param1=param %ONE%"), std::string::npos);
}

TEST(ExecuteTest, RecordFileIsReplacedNotAppended) {
  const std::string folder = testing_support::NewTestFolder();
  const std::string recordPath = folder + "\\hotfix.rec";
  testing_support::WriteFileBytes(recordPath, "[Stale]\r\nOld=1\r\n");
  EngineFixture f("[ProductInstall.Main]\r\nInstallRecordFile=" + recordPath +
                  "\r\nStepCount=1\r\nStep1.Section=ProductInstall.Run\r\n");
  int undone = 0;
  UseFixedHandler(f, 0, &undone);
  EXPECT_EQ(f.engine->Execute(), 0);
  std::string bytes;
  ASSERT_TRUE(testing_support::ReadFileBytes(recordPath, bytes));
  EXPECT_EQ(bytes.find("[Stale]"), std::string::npos);
}

// The record file of an earlier install stays until the whole new one takes
// its place: with any one change call of the save refused, the file is the
// old one or the complete new one, and only it is in its folder.
TEST(ExecuteTest, RecordFileIsTheOldOrTheWholeNewOne) {
  const std::string folder = testing_support::NewTestFolder();
  const std::string recordPath = folder + "\\hotfix.rec";
  const std::string old = "[Old]\r\nKeep=1\r\n";
  EngineFixture f("[ProductInstall.Symbols]\r\nONE=1\r\n"
                  "[ProductInstall.Main]\r\nInstallRecordFile=" + recordPath +
                  "\r\nStepCount=1\r\nStep1.Section=ProductInstall.Run\r\n");
  int undone = 0;
  UseFixedHandler(f, 0, &undone);
  ASSERT_EQ(f.engine->Execute(), 0);
  std::string whole;
  ASSERT_TRUE(testing_support::ReadFileBytes(recordPath, whole));

  int kept = 0;
  for (int n = 1; n <= 50; ++n) {
    ASSERT_TRUE(testing_support::WriteFileBytes(recordPath, old));
    testing_support::FailChangeCall(n);
    int result = f.engine->Execute();
    testing_support::FailChangeCall(0);
    std::string bytes;
    ASSERT_TRUE(testing_support::ReadFileBytes(recordPath, bytes));
    if (bytes == old) {
      ++kept;
      EXPECT_EQ(result, -1) << "an install whose record cannot be written is rolled back";
    } else {
      EXPECT_EQ(bytes, whole) << "change call " << n << " refused";
      EXPECT_EQ(result, 0);
    }
    std::set<std::string> names = testing_support::FileNamesIn(folder);
    // A refused deletion of the journal leaves it beside the written record;
    // the next run finds the record and deletes it.
    if (result == 0) names.erase("hotfix.rec.journal");
    EXPECT_EQ(names, std::set<std::string>{"hotfix.rec"}) << n;
  }
  EXPECT_GE(kept, 10);
}

TEST(ExecuteTest, AReadOnlyScriptGivesAWritableRecordFile) {
  const std::string folder = testing_support::NewTestFolder();
  const std::string recordPath = folder + "\\hotfix.rec";
  EngineFixture f("[ProductInstall.Symbols]\r\nONE=1\r\n"
                  "[ProductInstall.Main]\r\nInstallRecordFile=" + recordPath +
                  "\r\nStepCount=1\r\nStep1.Section=ProductInstall.Run\r\n");
  ASSERT_TRUE(os::SetFileAttributes(f.scriptPath, os::kAttributeReadOnly));
  int undone = 0;
  UseFixedHandler(f, 0, &undone);
  EXPECT_EQ(f.engine->Execute(), 0);
  std::string bytes;
  ASSERT_TRUE(testing_support::ReadFileBytes(recordPath, bytes));
  EXPECT_NE(bytes.find("Name.1=ONE"), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("[REC_1]"), std::string::npos) << bytes;
  EXPECT_EQ(0u, os::GetFileAttributes(recordPath) & os::kAttributeReadOnly);
  EXPECT_TRUE(os::SetFileAttributes(f.scriptPath, os::kAttributeNormal));
}

TEST(ExecuteTest, SuccessWithoutRecordFileAndRemovalTexts) {
  EngineFixture f("[ProductInstall.Main]\r\nStepCount=1\r\nStep1.Section=ProductInstall.Run\r\n");
  int undone = 0;
  UseFixedHandler(f, 0, &undone);
  EXPECT_TRUE(f.engine->InstallRecordPath().empty());
  EXPECT_EQ(f.engine->Execute(), 0);
  EXPECT_EQ(f.reporter.details.back(), "Installation successful!");

  const std::string script = f.folder + "\\removal.ini";
  testing_support::WriteFileBytes(
      script, "[ProductRemove.Main]\r\nStepCount=1\r\nStep1.Section=ProductRemove.Run\r\n");
  testing_support::RecordingReporter reporter;
  testing_support::FakeWindows windows;
  CHFS_RunFlags flags;
  flags.remove = true;
  flags.recordPath = script;
  CHFS_Engine removal(&reporter, "HotFix.ini", flags, &windows);
  EXPECT_EQ(removal.MainSectionName(), "ProductRemove.Main");
  EXPECT_EQ(removal.InstallRecordPath(), script);
  removal.SetStepRunnerSetup([&removal, &undone](CHFS_MainSection& runner) {
    runner.RegisterHandler("ProductRemove.Run", std::make_unique<FixedHandler>(&removal, 0, &undone));
  });
  EXPECT_EQ(removal.Execute(), 0);
  EXPECT_EQ(reporter.taskTexts.back(), "Remove installation successful!");
  EXPECT_EQ(reporter.progress.back(), std::make_pair(0, 0));
}

TEST(EngineStartTest, DescriptionAndReadme) {
  const std::string folder = testing_support::NewTestFolder();
  testing_support::WriteFileBytes(folder + "\\readme.txt", std::string("Read me\r\nfirst\0hidden", 22));
  EngineFixture f("[ProductInstall.Main]\r\nMainDescription=Fixes %x41%\r\nReadmeFile=" + folder +
                  "\\readme.txt\r\n");
  EXPECT_EQ(f.reporter.description, "Fixes A");
  EXPECT_EQ(f.reporter.readme, "Read me\r\nfirst");

  EngineFixture missing("[ProductInstall.Main]\r\nReadmeFile=" + folder + "\\nothing.txt\r\n");
  EXPECT_EQ(missing.reporter.readme, "");
  EXPECT_EQ(missing.reporter.description, "(empty)");
  EXPECT_TRUE(missing.reporter.Logged(
      "*** Warning:  Item 'MainDescription' not found in Section 'ProductInstall.Main' !"));
}

TEST(EngineStartTest, RemovalLoadsSavedSymbolsThenRemoveSymbols) {
  const std::string folder = testing_support::NewTestFolder();
  const std::string record = folder + "\\hotfix.rec";
  testing_support::WriteFileBytes(record,
                                  "[ProductInstall.Symbols]\r\nA=install\r\nB=install\r\n"
                                  "[ProductRemove.Symbols]\r\nB=remove\r\n"
                                  "[Symbols]\r\nTotalCount=2\r\nName.1=A\r\nValue.1=saved\r\n"
                                  "Name.2=C\r\nValue.2=\"\"\r\n");
  testing_support::RecordingReporter reporter;
  CHFS_RunFlags flags;
  flags.remove = true;
  flags.recordPath = record;
  CHFS_Engine engine(&reporter, "HotFix.ini", flags, nullptr);
  EXPECT_EQ(engine.GetScriptPath(), record);
  EXPECT_EQ(engine.ScriptSymbols().at("A"), "saved");
  EXPECT_EQ(engine.ScriptSymbols().at("B"), "remove");
  EXPECT_EQ(engine.ScriptSymbols().at("C"), "");
  EXPECT_FALSE(reporter.Logged("*** Begin of debug log ***"));
}

}  // namespace

namespace {

// Whichever write of the record file fails, a successful run either leaves
// a complete record file or counts as failed and is rolled back: a hotfix
// without its record could never be removed.
TEST(ExecuteTest, RecordFileThatCannotBeWrittenFailsTheRun) {
  int failedRuns = 0;
  for (int n = 1; n <= 12; ++n) {
    const std::string record = testing_support::NewTestFolder() + "\\fix.rec";
    EngineFixture f("[ProductInstall.Main]\r\nInstallRecordFile=" + record +
                    "\r\nStepCount=1\r\nStep1.Section=ProductInstall.Run\r\n");
    int undone = 0;
    UseFixedHandler(f, 0, &undone);
    os_test::FailChangeAt(std::to_string(n).c_str());
    int result = f.engine->Execute();
    os_test::FailChangeAt("");
    if (result == 0) {
      CHFS_InstallRecord loaded(f.engine.get());
      ASSERT_EQ(0, loaded.LoadRecords(record)) << "change " << n;
      EXPECT_EQ(1u, loaded.size()) << "change " << n;
      continue;
    }
    ++failedRuns;
    EXPECT_EQ(-1, result) << "change " << n;
    EXPECT_EQ(1, undone) << "change " << n;
    EXPECT_FALSE(testing_support::FileExists(record)) << "change " << n;
    EXPECT_EQ("Installation failed!", f.reporter.details.back());
  }
  EXPECT_GE(failedRuns, 8);
}

}  // namespace

namespace {

// A handler that records until the record refuses, and answers the refusal
// as the built-in handlers do.
class FillingHandler : public CHFS_Section {
 public:
  using CHFS_Section::CHFS_Section;
  int Run(const std::string&, CHFS_InstallRecord& record) override {
    while (record.AddRecord(1, "", "", "") == 0) {
    }
    return BRVN_USERBREAK;
  }
  int Rollback(const std::string&, CHFS_InstallRecord& record) override {
    int item = 0;
    while (record.PopRecord(item) == 0) {
    }
    return 0;
  }
};

// A full record names its cap and fails the run (rolled back, failure box),
// even when the script's events go on past the refusal.
TEST(ExecuteTest, AFullRecordFailsTheRunAndSaysWhy) {
  for (const char* onError : {"", "Step1.Error.Action=BRVN_CONTINUE\r\n"}) {
    EngineFixture f(std::string("[ProductInstall.Main]\r\nStepCount=1\r\nStep1.Section=ProductInstall.Run\r\n") +
                    onError);
    CHFS_Engine* engine = f.engine.get();
    engine->SetStepRunnerSetup([engine](CHFS_MainSection& runner) {
      runner.RegisterHandler("ProductInstall.Run", std::make_unique<FillingHandler>(engine));
    });
    EXPECT_EQ(f.engine->Execute(), -1) << onError;
    EXPECT_TRUE(f.reporter.Logged("*** Runtime error: Install record full (at most 4096 entries) ! \r\n"));
    ASSERT_EQ(f.reporter.asked.size(), 1u);
    EXPECT_EQ(f.reporter.details.back(), "Installation failed!");
  }
}

}  // namespace
