#include <gtest/gtest.h>

#include <string>

#include "engine/tests/engine_fixture.h"
#include "sections/rollback_section.h"
#include "sections/tests/file_test_helpers.h"

namespace {

using section_tests::Get;
using section_tests::Put;
using testing_support::EngineFixture;
using testing_support::FileExists;

// An installation that saved one file, with its install record file written
// by a real run; the file is then changed as a later step would.
struct Installed {
  Installed()
      : dir(testing_support::NewTestFolder()), file(dir + "\\app\\a.cfg"), record(dir + "\\hf.rec") {
    Put(file, "original");
    EngineFixture install(
        "[ProductInstall.Main]\r\nInstallRecordFile=" + record + "\r\nStepCount=1\r\n"
        "Step1.Section=ProductInstall.BackupFiles\r\n"
        "[ProductInstall.BackupFiles]\r\nFileCount=1\r\nBackup=" + dir + "\\saved\r\nFile1=" + file + "\r\n"
        "[ProductRemove.Main]\r\nStepCount=1\r\nStep1.Section=ProductRemove.Rollback\r\n"
        "[ProductRemove.Rollback]\r\n");
    EXPECT_EQ(0, install.engine->Execute());
    EXPECT_TRUE(FileExists(record));
    Put(file, "patched");
  }
  // The record's saved copy of the file.
  std::string SavedCopy() const {
    std::string text = Get(record);
    size_t at = text.find("Param2=");
    return text.substr(at + 7, text.find('\r', at) - at - 7);
  }

  std::string dir;
  std::string file;
  std::string record;
};

TEST(RollbackSection, RemovalRestoresAndDeletesTheRecordFile) {
  Installed installed;
  EngineFixture removal("", true, installed.record);
  EXPECT_EQ(0, removal.engine->Execute());
  EXPECT_EQ("original", Get(installed.file));
  EXPECT_FALSE(FileExists(installed.record));
  EXPECT_TRUE(removal.reporter.Logged(
      "CHFS_RollbackSection::Run('ProductRemove.Rollback') Ret=BRVN_CMD_ROLLBACK_SUCCESS; "
      "Delete Install record file '" + installed.record + "'"));
  EXPECT_TRUE(removal.reporter.Logged("CHFS_RollbackSection::Run('ProductRemove.Rollback') Ret=0"));
  EXPECT_TRUE(removal.reporter.Logged("EventHandler('Rollback.Success.',OldRet=0)"));
}

TEST(RollbackSection, FailedRemovalKeepsTheRecordFile) {
  Installed installed;
  // A folder in the file's place cannot be written over.
  ASSERT_TRUE(os::DeleteFile(installed.file));
  ASSERT_TRUE(os::CreateDirectory(installed.file));
  EngineFixture removal("", true, installed.record);
  EXPECT_EQ(-130, removal.engine->Execute());
  EXPECT_TRUE(FileExists(installed.record)) << "kept so the removal can be run again";
  EXPECT_TRUE(removal.reporter.Logged("EventHandler('Rollback.Error.',OldRet=-130)"));
}

// A restore that fails because its saved copy is gone gives the copy code
// -100, the value of the continue action: the removal must still fail.
TEST(RollbackSection, FailureWithTheContinueValueIsNoSuccess) {
  Installed installed;
  ASSERT_TRUE(os::DeleteFile(installed.SavedCopy()));
  EngineFixture removal("", true, installed.record);
  EXPECT_GT(0, removal.engine->Execute());
  EXPECT_TRUE(FileExists(installed.record));
  EXPECT_TRUE(removal.reporter.Logged("EventHandler('Rollback.Error.',OldRet=-1)"));
  EXPECT_NE("Remove installation successful!", removal.reporter.details.back());
}

TEST(RollbackSection, RecordWithNoEntriesSucceedsAndAnswersWithItsEventKeys) {
  const std::string dir = testing_support::NewTestFolder();
  const std::string record = dir + "\\empty.rec";
  Put(record, "[ProductRemove.Main]\r\nStepCount=1\r\nStep1.Section=ProductRemove.Rollback\r\n"
              "[ProductRemove.Rollback]\r\nRollback.Success.Action=BRVN_GOTOSTEP(7)\r\n"
              "[REC_0]\r\nTotalCount=0\r\n");
  EngineFixture removal("", true, record);
  CHFS_RollbackSection handler(removal.engine.get());
  CHFS_InstallRecord unused(removal.engine.get());
  EXPECT_EQ(7, handler.Run("ProductRemove.Rollback", unused));
  EXPECT_FALSE(FileExists(record));
  EXPECT_EQ(0, handler.Rollback("ProductRemove.Rollback", unused));
  EXPECT_TRUE(removal.reporter.Logged("CHFS_RollbackSection::Rollback('ProductRemove.Rollback') "));
}

TEST(RollbackSection, NoRecordFileGivesMinusOneWithoutEventKeys) {
  EngineFixture run("[ProductRemove.Rollback]\r\nRollback.Error.Action=BRVN_CONTINUE\r\n");
  ASSERT_TRUE(run.engine->InstallRecordPath().empty());
  CHFS_RollbackSection handler(run.engine.get());
  CHFS_InstallRecord unused(run.engine.get());
  EXPECT_EQ(-1, handler.Run("ProductRemove.Rollback", unused));
  EXPECT_FALSE(run.reporter.Logged("EventHandler('Rollback.Error.',OldRet=-1)"));
}

}  // namespace
