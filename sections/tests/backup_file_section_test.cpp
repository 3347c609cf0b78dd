#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/tests/engine_fixture.h"
#include "sections/backup_file_section.h"
#include "sections/tests/file_test_helpers.h"

namespace {

using section_tests::Get;
using section_tests::Put;
using testing_support::EngineFixture;

struct Backup {
  Backup(const std::string& folder, const std::string& keys)
      : f("[ProductInstall.BackupFiles]\r\n" + keys), handler(f.engine.get()), record(f.engine.get()) {
    record.BeginStep(2);
  }
  int Run() { return handler.Run("ProductInstall.BackupFiles", record); }
  int Rollback() {
    int step = 0;
    record.PeekStep(step);
    return handler.Rollback("ProductInstall.BackupFiles", record);
  }

  EngineFixture f;
  CHFS_BackupFileSection handler;
  CHFS_InstallRecord record;
};

// The log lines that begin with text, in order.
std::vector<std::string> LinesStarting(const testing_support::RecordingReporter& reporter,
                                       const std::string& text) {
  std::vector<std::string> found;
  for (const std::string& line : reporter.Lines()) {
    if (line.compare(0, text.size(), text) == 0) found.push_back(line);
  }
  return found;
}

TEST(BackupFiles, SavesRecordsAndRestoresNewestFirst) {
  std::string dir = testing_support::NewTestFolder();
  Put(dir + "\\app\\one.cfg", "one");
  Put(dir + "\\app\\three.cfg", "three");
  const std::string saveTo = dir + "\\saved\\deep";
  Backup b(dir, "FileCount=3\r\nBackup=" + saveTo + "\r\nFile1=" + dir + "\\app\\one.cfg\r\n"
                "File3=" + dir + "\\app\\three.cfg\r\n");
  EXPECT_EQ(0, b.Run());
  EXPECT_TRUE(b.f.reporter.Logged("*** Syntax error: File2 can not be empty in section ['ProductInstall.BackupFiles']. "));
  EXPECT_TRUE(b.f.reporter.Logged("[Create dir : " + saveTo + "]"));
  EXPECT_TRUE(b.f.reporter.Logged("[CHFS_BackupFileSection::Run(...)=0]"));

  ASSERT_EQ(2u, b.record.size());
  const RecordEntry& first = b.record.Entries()[0];
  const RecordEntry& second = b.record.Entries()[1];
  EXPECT_EQ(1, first.item);
  EXPECT_EQ(3, second.item);
  EXPECT_EQ(2, second.step);
  EXPECT_EQ(dir + "\\app\\three.cfg", second.Param1);
  EXPECT_EQ(saveTo, platform::DirectoryOf(second.Param2).substr(0, saveTo.size()));
  EXPECT_EQ(0u, platform::FileNameOf(second.Param2).find("BAK"));
  EXPECT_EQ("one", Get(first.Param2));
  EXPECT_EQ("three", Get(second.Param2));
  EXPECT_TRUE(second.Param3.empty());

  Put(dir + "\\app\\one.cfg", "changed");
  Put(dir + "\\app\\three.cfg", "changed");
  std::string savedOne = first.Param2;
  std::string savedThree = second.Param2;
  EXPECT_EQ(0, b.Rollback());
  EXPECT_EQ("one", Get(dir + "\\app\\one.cfg"));
  EXPECT_EQ("three", Get(dir + "\\app\\three.cfg"));
  EXPECT_FALSE(testing_support::FileExists(savedOne)) << "saved copies go after their restore";
  EXPECT_FALSE(testing_support::FileExists(savedThree));
  EXPECT_EQ(0u, b.record.size());
  std::vector<std::string> restores = LinesStarting(b.f.reporter, "Restore file from");
  ASSERT_EQ(2u, restores.size());
  EXPECT_EQ("Restore file from '" + savedThree + "' to '" + dir + "\\app\\three.cfg'. result=0", restores[0]);
  EXPECT_EQ("Restore file from '" + savedOne + "' to '" + dir + "\\app\\one.cfg'. result=0", restores[1]);
}

TEST(BackupFiles, MissingBackupFolderKeyTouchesNothing) {
  std::string dir = testing_support::NewTestFolder();
  Put(dir + "\\a.cfg", "a");
  Backup b(dir, "FileCount=1\r\nFile1=" + dir + "\\a.cfg\r\n");
  EXPECT_EQ(-1, b.Run());
  EXPECT_TRUE(b.f.reporter.Logged("*** Syntax error: Backup='' can not be empty in section ['ProductInstall.BackupFiles']. "));
  EXPECT_EQ(0u, b.record.size());
}

// A listed file that is not there must not leave the files after it unsaved:
// later steps would change them with no way back.
TEST(BackupFiles, MissingFileStillSavesTheRestAndEndsWithContinue) {
  std::string dir = testing_support::NewTestFolder();
  Put(dir + "\\a.cfg", "a");
  Put(dir + "\\c.cfg", "c");
  Backup b(dir, "FileCount=3\r\nBackup=" + dir + "\\saved\r\nFile1=" + dir + "\\a.cfg\r\n"
                "File2=" + dir + "\\gone.cfg\r\nFile3=" + dir + "\\c.cfg\r\n");
  EXPECT_EQ(-100, b.Run());
  ASSERT_EQ(2u, b.record.size());
  EXPECT_EQ(3, b.record.Entries()[1].item);
  EXPECT_EQ("c", Get(b.record.Entries()[1].Param2));
  std::vector<std::string> saves = LinesStarting(b.f.reporter, "Backup file from '" + dir + "\\gone.cfg'");
  ASSERT_EQ(1u, saves.size());
  EXPECT_EQ("result=-100", saves[0].substr(saves[0].size() - 11));
  EXPECT_TRUE(b.f.reporter.Logged("[CHFS_BackupFileSection::Run(...)=-100]"));
}

TEST(BackupFiles, CopyFailureEndsTheSectionWithItsCode) {
  std::string dir = testing_support::NewTestFolder();
  Put(dir + "\\a.cfg", "a");
  Put(dir + "\\blocker", "a file where the backup folder should be");
  Backup b(dir, "FileCount=2\r\nBackup=" + dir + "\\blocker\r\nFile1=" + dir + "\\gone.cfg\r\n"
                "File2=" + dir + "\\a.cfg\r\n");
  EXPECT_EQ(-130, b.Run()) << "not masked by the missing file before it";
  EXPECT_EQ(0u, b.record.size());
}

TEST(BackupFiles, RestoredReadOnlyFileIsReadOnlyAgain) {
  std::string dir = testing_support::NewTestFolder();
  const std::string file = dir + "\\locked.cfg";
  Put(file, "original");
  section_tests::SetTimes(file, section_tests::OldTimes(1));
  ASSERT_TRUE(os::SetFileAttributes(file, os::kAttributeReadOnly | os::kAttributeHidden));
  Backup b(dir, "FileCount=1\r\nBackup=" + dir + "\\saved\r\nFile1=" + file + "\r\n");
  ASSERT_EQ(0, b.Run());
  std::string saved = b.record.Entries()[0].Param2;
  EXPECT_EQ(os::kAttributeReadOnly | os::kAttributeHidden, section_tests::AttributeBits(saved));

  ASSERT_TRUE(os::SetFileAttributes(file, os::kAttributeNormal));
  Put(file, "changed");
  ASSERT_TRUE(os::SetFileAttributes(file, os::kAttributeReadOnly));
  EXPECT_EQ(0, b.Rollback()) << "a read-only file still takes its old content back";
  EXPECT_EQ("original", Get(file));
  EXPECT_EQ(os::kAttributeReadOnly | os::kAttributeHidden, section_tests::AttributeBits(file));
  EXPECT_EQ(section_tests::OldTimes(1).lastWrite, section_tests::TimesOf(file).lastWrite);
  EXPECT_FALSE(testing_support::FileExists(saved)) << "the read-only saved copy is removed too";
}

TEST(BackupFiles, FailedRestoreStopsAndKeepsTheSavedCopy) {
  std::string dir = testing_support::NewTestFolder();
  Put(dir + "\\a.cfg", "a");
  Put(dir + "\\b.cfg", "b");
  Backup b(dir, "FileCount=2\r\nBackup=" + dir + "\\saved\r\nFile1=" + dir + "\\a.cfg\r\n"
                "File2=" + dir + "\\b.cfg\r\n");
  ASSERT_EQ(0, b.Run());
  std::string savedB = b.record.Entries()[1].Param2;
  // A folder in the file's place cannot be written over.
  ASSERT_TRUE(os::DeleteFile(dir + "\\b.cfg"));
  ASSERT_TRUE(os::CreateDirectory(dir + "\\b.cfg"));
  EXPECT_EQ(-130, b.Rollback());
  EXPECT_TRUE(testing_support::FileExists(savedB));
  EXPECT_EQ(1u, b.record.size()) << "file 1 is still to be restored";
}

}  // namespace
