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

// A real install that saved one file and wrote its record file; the file is
// then changed as a later step would.
struct Installed {
  Installed() : dir(testing_support::NewTestFolder()), file(dir + "\\a.cfg"), record(dir + "\\hf.rec") {
    Put(file, "original");
    EngineFixture install("[ProductInstall.Main]\r\nInstallRecordFile=" + record + "\r\nStepCount=1\r\n"
                          "Step1.Section=ProductInstall.BackupFiles\r\n[ProductInstall.BackupFiles]\r\n"
                          "FileCount=1\r\nBackup=" + dir + "\\saved\r\nFile1=" + file + "\r\n"
                          "[ProductRemove.Main]\r\nStepCount=1\r\nStep1.Section=ProductRemove.Rollback\r\n");
    EXPECT_EQ(0, install.engine->Execute());
    Put(file, "patched");
  }
  std::string dir, file, record;
};

TEST(RollbackSection, RemovalRestoresAndDeletesTheRecordFile) {
  Installed installed;
  EngineFixture removal("", true, installed.record);
  EXPECT_EQ(0, removal.engine->Execute());
  EXPECT_EQ("original", Get(installed.file));
  EXPECT_FALSE(FileExists(installed.record));
  EXPECT_TRUE(removal.reporter.Logged("CHFS_RollbackSection::Run('ProductRemove.Rollback') Ret=BRVN_CMD_ROLLBACK_SUCCESS; "
                                      "Delete Install record file '" + installed.record + "'"));
}

TEST(RollbackSection, FailedRemovalKeepsTheRecordFile) {
  Installed installed;
  ASSERT_TRUE(os::DeleteFile(installed.file));
  ASSERT_TRUE(os::CreateDirectory(installed.file));  // cannot be written over
  EngineFixture removal("", true, installed.record);
  EXPECT_EQ(-130, removal.engine->Execute());
  EXPECT_TRUE(FileExists(installed.record)) << "kept so the removal can be run again";
}

// A saved copy that is gone fails its restore with -100, the value of the
// continue action: the removal must still fail, not go on as a success.
TEST(RollbackSection, FailureWithTheContinueValueIsNoSuccess) {
  Installed installed;
  platform::DeleteFiles(installed.dir + "\\saved", "*.*");
  EngineFixture removal("", true, installed.record);
  EXPECT_EQ(-1, removal.engine->Execute());
  EXPECT_TRUE(FileExists(installed.record));
  EXPECT_TRUE(removal.reporter.Logged("EventHandler('Rollback.Error.',OldRet=-1)"));
}

TEST(RollbackSection, EntriesTheWalkCannotDispatchKeepTheRecordFile) {
  const std::string record = testing_support::NewTestFolder() + "\\odd.rec";
  Put(record, "[ProductInstall.Main]\r\nStep1.Section=ProductInstall.NoSuchKind\r\n"
              "[REC_0]\r\nTotalCount=1\r\n[REC_1]\r\nSectionIndex=1\r\nItemIndex=1\r\n");
  EngineFixture removal("", true, record);
  CHFS_RollbackSection handler(removal.engine.get());
  CHFS_InstallRecord unused(removal.engine.get());
  EXPECT_EQ(-1, handler.Run("ProductRemove.Rollback", unused));
  EXPECT_TRUE(FileExists(record));
}

TEST(RollbackSection, EventKeysAreReadFromTheRecordFileBeforeItGoes) {
  const std::string record = testing_support::NewTestFolder() + "\\empty.rec";
  Put(record, "[ProductRemove.Rollback]\r\nRollback.Success.Action=BRVN_GOTOSTEP(7)\r\n[REC_0]\r\nTotalCount=0\r\n");
  EngineFixture removal("", true, record);
  CHFS_RollbackSection handler(removal.engine.get());
  CHFS_InstallRecord unused(removal.engine.get());
  EXPECT_EQ(7, handler.Run("ProductRemove.Rollback", unused));
  EXPECT_FALSE(FileExists(record));

  EngineFixture noRecord("[ProductRemove.Rollback]\r\nRollback.Error.Action=BRVN_CONTINUE\r\n");
  CHFS_RollbackSection other(noRecord.engine.get());
  EXPECT_EQ(-1, other.Run("ProductRemove.Rollback", unused)) << "no record file: no event keys";
}

}  // namespace
