#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/tests/engine_fixture.h"
#include "sections/backup_file_section.h"
#include "sections/tests/file_test_helpers.h"

namespace {

using section_tests::Get;
using section_tests::Put;

struct Backup {
  explicit Backup(const std::string& keys)
      : f("[ProductInstall.BackupFiles]\r\n" + keys), handler(f.engine.get()), record(f.engine.get()) {
    record.BeginStep(2);
  }
  int Run() { return handler.Run("ProductInstall.BackupFiles", record); }
  int Rollback() {
    int step = 0;
    record.PeekStep(step);
    return handler.Rollback("ProductInstall.BackupFiles", record);
  }
  testing_support::EngineFixture f;
  CHFS_BackupFileSection handler;
  CHFS_InstallRecord record;
};

TEST(BackupFiles, SavesRecordsAndRestoresNewestFirst) {
  std::string dir = testing_support::NewTestFolder();
  Put(dir + "\\one.cfg", "one");
  Put(dir + "\\three.cfg", "three");
  Backup b("FileCount=3\r\nBackup=" + dir + "\\saved\\deep\r\nFile1=" + dir + "\\one.cfg\r\nFile3=" + dir +
           "\\three.cfg\r\n");
  EXPECT_EQ(0, b.Run());
  EXPECT_TRUE(b.f.reporter.Logged("*** Syntax error: File2 can not be empty in section ['ProductInstall.BackupFiles']. "));
  ASSERT_EQ(2u, b.record.size());
  const RecordEntry one = b.record.Entries()[0];
  const RecordEntry three = b.record.Entries()[1];
  EXPECT_EQ(3, three.item);
  EXPECT_EQ(dir + "\\three.cfg", three.Param1);
  EXPECT_EQ(dir + "\\saved\\deep\\BAK", three.Param2.substr(0, dir.size() + 15));
  EXPECT_EQ("three", Get(three.Param2));
  // The progress: each file as it starts, with what was done before it, then
  // the end; the empty item is not counted.
  const std::vector<CHFS_FileProgress>& files = b.f.reporter.files;
  ASSERT_EQ(3u, files.size());
  const std::string names[] = {dir + "\\one.cfg", dir + "\\three.cfg", ""};
  const std::uint64_t bytesDone[] = {0, 3, 8};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(i, files[i].filesDone);
    EXPECT_EQ(2, files[i].filesTotal);
    EXPECT_EQ(bytesDone[i], files[i].bytesDone);
    EXPECT_EQ(8u, files[i].bytesTotal);
    EXPECT_EQ(names[i], files[i].currentFile);
  }

  Put(dir + "\\one.cfg", "changed");
  Put(dir + "\\three.cfg", "changed");
  EXPECT_EQ(0, b.Rollback());
  EXPECT_EQ("one", Get(dir + "\\one.cfg"));
  EXPECT_EQ("three", Get(dir + "\\three.cfg"));
  EXPECT_FALSE(testing_support::FileExists(three.Param2)) << "saved copies go after their restore";
  std::vector<std::string> lines = b.f.reporter.Lines();
  auto at = [&](const RecordEntry& e) {
    return std::find(lines.begin(), lines.end(), "Restore file from '" + e.Param2 + "' to '" + e.Param1 + "'. result=0");
  };
  EXPECT_LT(at(three), at(one)) << "newest first";
  EXPECT_NE(lines.end(), at(one));
}

// A listed file that is not there must not leave the files after it unsaved:
// later steps would change them with no way back.
TEST(BackupFiles, MissingFileStillSavesTheRestAndEndsWithContinue) {
  std::string dir = testing_support::NewTestFolder();
  Put(dir + "\\c.cfg", "c");
  Backup b("FileCount=2\r\nBackup=" + dir + "\\saved\r\nFile1=" + dir + "\\gone.cfg\r\nFile2=" + dir + "\\c.cfg\r\n");
  EXPECT_EQ(-100, b.Run());
  ASSERT_EQ(1u, b.record.size());
  EXPECT_EQ("c", Get(b.record.Entries()[0].Param2));
  // Other failures are not masked by it, and no Backup key saves nothing.
  Backup blocked("FileCount=2\r\nBackup=" + dir + "\\c.cfg\r\nFile1=" + dir + "\\gone.cfg\r\nFile2=" + dir + "\\c.cfg\r\n");
  EXPECT_EQ(-130, blocked.Run());
  Backup noFolder("FileCount=1\r\nFile1=" + dir + "\\c.cfg\r\n");
  EXPECT_EQ(-1, noFolder.Run());
  EXPECT_EQ(0u, noFolder.record.size());
}

TEST(BackupFiles, ReadOnlyFileIsRestoredReadOnly) {
  std::string dir = testing_support::NewTestFolder();
  const std::string file = dir + "\\locked.cfg";
  Put(file, "original");
  section_tests::SetTimes(file, section_tests::OldTimes(1));
  ASSERT_TRUE(os::SetFileAttributes(file, os::kAttributeReadOnly));
  Backup b("FileCount=1\r\nBackup=" + dir + "\\saved\r\nFile1=" + file + "\r\n");
  ASSERT_EQ(0, b.Run());
  std::string saved = b.record.Entries()[0].Param2;
  ASSERT_TRUE(os::SetFileAttributes(file, os::kAttributeNormal));
  Put(file, "changed");
  ASSERT_TRUE(os::SetFileAttributes(file, os::kAttributeReadOnly | os::kAttributeHidden));
  EXPECT_EQ(0, b.Rollback());
  EXPECT_EQ("original", Get(file));
  EXPECT_EQ(os::kAttributeReadOnly, section_tests::AttributeBits(file));
  EXPECT_EQ(section_tests::OldTimes(1).lastWrite, section_tests::TimesOf(file).lastWrite);
  EXPECT_FALSE(testing_support::FileExists(saved)) << "the read-only saved copy is removed too";
}

}  // namespace

namespace {

// A removal that failed part way is run again: the copies it put back are
// gone from the backup folder and count as restored; the others come back.
TEST(BackupFiles, SavedCopyAlreadyPutBackCountsAsRestored) {
  std::string dir = testing_support::NewTestFolder();
  Put(dir + "\\one.cfg", "one");
  Put(dir + "\\two.cfg", "two");
  Backup b("FileCount=2\r\nBackup=" + dir + "\\saved\r\nFile1=" + dir + "\\one.cfg\r\nFile2=" + dir + "\\two.cfg\r\n");
  ASSERT_EQ(0, b.Run());
  const std::string savedTwo = b.record.Entries()[1].Param2;
  Put(dir + "\\one.cfg", "changed");
  ASSERT_TRUE(os::DeleteFile(savedTwo));
  EXPECT_EQ(0, b.Rollback());
  EXPECT_EQ("one", Get(dir + "\\one.cfg"));
  EXPECT_EQ("two", Get(dir + "\\two.cfg"));
  EXPECT_TRUE(b.f.reporter.Logged("*** Warning: Saved copy '" + savedTwo + "' not found; '" + dir +
                                  "\\two.cfg' taken as restored."));
}

}  // namespace
