#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/tests/engine_fixture.h"
#include "sections/copy_file_group_to_section.h"
#include "os/tests/os_test_support.h"
#include "sections/tests/file_test_helpers.h"
#include "tests/support/under_wine.h"

namespace {

using section_tests::Get;
using section_tests::Put;
using testing_support::FileExists;

// File groups in a package folder of the test; %D% in the script stands for
// the test folder.
struct Patch {
  explicit Patch(std::string script)
      : dir(testing_support::NewTestFolder()), f(Expand(script, dir)), handler(f.engine.get()), record(f.engine.get()) {
    handler.SetPackageFolder(dir + "\\pkg\\");
    record.BeginStep(3);
  }
  static std::string Expand(std::string text, const std::string& dir) {
    for (size_t at = text.find("%D%"); at != std::string::npos; at = text.find("%D%", at)) text.replace(at, 3, dir);
    return text;
  }
  int Run() { return handler.Run("ProductInstall.CopyFileGroupTo", record); }
  int Rollback() {
    int step = 0;
    record.PeekStep(step);
    return handler.Rollback("ProductInstall.CopyFileGroupTo", record);
  }
  // The log lines that hold text, in order.
  std::vector<std::string> LinesWith(const std::string& text) const {
    std::vector<std::string> found;
    for (const std::string& line : f.reporter.Lines()) {
      if (line.find(text) != std::string::npos) found.push_back(line);
    }
    return found;
  }
  std::string dir;
  testing_support::EngineFixture f;
  CHFS_CopyFileGroupToSection handler;
  CHFS_InstallRecord record;
};

const char kTwoGroups[] =
    "[ProductInstall.CopyFileGroupTo]\r\nFileGroupCount=2\r\nFileGroupStartCount=4\r\n"
    "[FileGroup4]\r\nDescription=Program\r\nTarget=%D%\\app\r\nBackup=%D%\\bak\\g4\r\n"
    "FileCount=2\r\nFile1=*.dll\r\nFile2=bin\\*.exe\r\n"
    "[FileGroup5]\r\nDescription=Reports\r\nTarget=%D%\\app\\reports\r\nBackup=%D%\\bak\\g5\r\n"
    "FileCount=1\r\nFile1=*.rpt\r\n";

void PutPackage(const std::string& dir) {
  Put(dir + "\\pkg\\FileGroup4\\core.dll", "new core");
  Put(dir + "\\pkg\\FileGroup4\\extra.dll", "new extra");
  Put(dir + "\\pkg\\FileGroup4\\bin\\tool.exe", "new tool");
  Put(dir + "\\pkg\\FileGroup5\\month.rpt", "new month");
}

const char kOneFile[] =
    "[ProductInstall.CopyFileGroupTo]\r\nFileGroupCount=1\r\n"
    "[FileGroup1]\r\nTarget=%D%\\app\r\nBackup=%D%\\bak\r\nFileCount=2\r\nFile1=a.dll\r\nFile2=sub\\*.none\r\n";

TEST(CopyFileGroupTo, InstallsIntoAnEmptyTargetWithoutBackups) {
  Patch p(kTwoGroups);
  PutPackage(p.dir);
  EXPECT_EQ(0, p.Run());
  EXPECT_EQ("new tool", Get(p.dir + "\\app\\bin\\tool.exe"));
  EXPECT_EQ("new month", Get(p.dir + "\\app\\reports\\month.rpt"));
  EXPECT_FALSE(FileExists(p.dir + "\\bak\\g4\\core.dll"));
  EXPECT_TRUE(FileExists(p.dir + "\\bak\\g4\\bin")) << "backup folders mirror the target's";
  const std::string core = p.dir + "\\app\\core.dll";
  EXPECT_TRUE(p.f.reporter.Logged("[core.dll : " + core + "->" + p.dir + "\\bak\\g4\\core.dll skip extra files.]"));
  EXPECT_TRUE(p.f.reporter.Logged("[core.dll : " + p.dir + "\\pkg\\FileGroup4\\core.dll->" + core + "]"));
  ASSERT_EQ(2u, p.record.size());
  EXPECT_EQ(5, p.record.Entries()[1].item);
  EXPECT_EQ(" Success.\r\n", p.f.reporter.details.back());
}

TEST(CopyFileGroupTo, ReplacesAndRollsBackNewestGroupAndHighestSpecFirst) {
  Patch p(kTwoGroups);
  PutPackage(p.dir);
  const std::string core = p.dir + "\\app\\core.dll", tool = p.dir + "\\app\\bin\\tool.exe";
  Put(core, "old core");
  Put(tool, "old tool");
  Put(p.dir + "\\app\\reports\\month.rpt", "old month");
  section_tests::SetTimes(core, section_tests::OldTimes(3));
  // A hidden package file installs hidden; the old file must come back over it.
  ASSERT_TRUE(os::SetFileAttributes(p.dir + "\\pkg\\FileGroup4\\bin\\tool.exe", os::kAttributeHidden));
  ASSERT_EQ(0, p.Run());
  EXPECT_EQ("old tool", Get(p.dir + "\\bak\\g4\\bin\\tool.exe"));
  EXPECT_EQ("new core", Get(core));
  EXPECT_FALSE(FileExists(p.dir + "\\app\\core.dll.~brv")) << "the replacement was moved into place";

  EXPECT_EQ(0, p.Rollback());
  EXPECT_EQ("old core", Get(core));
  EXPECT_EQ("old tool", Get(tool));
  EXPECT_EQ("old month", Get(p.dir + "\\app\\reports\\month.rpt"));
  EXPECT_EQ("new extra", Get(p.dir + "\\app\\extra.dll")) << "added files stay";
  EXPECT_EQ(0u, section_tests::AttributeBits(tool));
  os::FileTimes times = section_tests::TimesOf(core);
  EXPECT_EQ(section_tests::OldTimes(3).lastWrite, times.lastWrite);
  if (!testing_support::RunningUnderWine()) {  // Wine cannot set creation times
    EXPECT_EQ(section_tests::OldTimes(3).creation, times.creation);
  }
  EXPECT_FALSE(FileExists(p.dir + "\\bak\\g4"));
  EXPECT_FALSE(FileExists(p.dir + "\\bak\\g5"));
  std::vector<std::string> restored = p.LinesWith("[" + p.dir + "\\bak\\");
  ASSERT_EQ(3u, restored.size());
  EXPECT_NE(std::string::npos, restored[0].find("month.rpt"));
  EXPECT_NE(std::string::npos, restored[1].find("tool.exe"));
  EXPECT_NE(std::string::npos, restored[2].find("core.dll"));
}

TEST(CopyFileGroupTo, SpecMatchingNothingFailsTheGroupAfterEarlierSpecs) {
  Patch p(kOneFile);
  Put(p.dir + "\\pkg\\FileGroup1\\a.dll", "new a");
  Put(p.dir + "\\app\\a.dll", "old a");
  EXPECT_EQ(-1190, p.handler.RunFileGroup("FileGroup1"));
  EXPECT_TRUE(p.f.reporter.Logged("[File not existed, patch stop: sub\\*.none]"));
  EXPECT_EQ(" Fail.\r\n", p.f.reporter.details.back());
  EXPECT_EQ("new a", Get(p.dir + "\\app\\a.dll"));
  Put(p.dir + "\\app\\a.dll", "old a");
  EXPECT_EQ(-1100, p.Run());
  EXPECT_EQ(0, p.Rollback());
  EXPECT_EQ("old a", Get(p.dir + "\\app\\a.dll")) << "the failed group's entry stays for rollback";
}

TEST(CopyFileGroupTo, ReadOnlyTargetIsLeftAsItWas) {
  if (testing_support::RunningUnderWine()) GTEST_SKIP() << "Wine running as root does not enforce read-only";
  Patch p(kOneFile);
  Put(p.dir + "\\pkg\\FileGroup1\\a.dll", "new a");
  const std::string target = p.dir + "\\app\\a.dll";
  Put(target, "old a");
  ASSERT_TRUE(os::SetFileAttributes(target, os::kAttributeReadOnly));
  EXPECT_EQ(-1140, p.handler.RunFileGroup("FileGroup1"));
  EXPECT_TRUE(p.f.reporter.Logged("[a.dll : " + p.dir + "\\pkg\\FileGroup1\\a.dll->" + target + " fail]"));
  EXPECT_EQ("old a", Get(target));
  EXPECT_EQ(os::kAttributeReadOnly, section_tests::AttributeBits(target));
  EXPECT_FALSE(FileExists(p.dir + "\\app\\a.dll.~brv")) << "no replacement left behind";
}

TEST(CopyFileGroupTo, GroupWithoutTargetOrBackupIsRefusedBeforeCopying) {
  Patch p("[ProductInstall.CopyFileGroupTo]\r\nFileGroupCount=1\r\n"
          "[FileGroup1]\r\nTarget=%D%\\app\r\nFileCount=1\r\nFile1=a.dll\r\n");
  Put(p.dir + "\\pkg\\FileGroup1\\a.dll", "new a");
  EXPECT_EQ(-1100, p.Run());
  EXPECT_TRUE(p.f.reporter.Logged("*** Syntax error: Backup='' can not be empty in section ['FileGroup1']. "));
  EXPECT_FALSE(FileExists(p.dir + "\\app\\a.dll"));
  EXPECT_EQ(0, p.Rollback());
  EXPECT_TRUE(p.LinesWith(" (empty)]").empty()) << "no folder named after a missing key";
}

}  // namespace

namespace {

const char kReplaceOne[] =
    "[ProductInstall.CopyFileGroupTo]\r\nFileGroupCount=1\r\n"
    "[FileGroup1]\r\nTarget=%D%\\app\r\nBackup=%D%\\bak\r\nFileCount=1\r\nFile1=*.dll\r\n";

// Its backup folder holds the only copy of the old file: a restore that
// fails must keep it and fail the group, so the removal can be run again.
TEST(CopyFileGroupTo, FailedRestoreKeepsTheBackupAndFails) {
  Patch p(kReplaceOne);
  Put(p.dir + "\\pkg\\FileGroup1\\a.dll", "new a");
  Put(p.dir + "\\app\\a.dll", "old a");
  ASSERT_EQ(0, p.Run());
  os_test::FailChangeAt("1");  // opening a.dll to write the old content back
  EXPECT_EQ(kGroupRollbackFailed, p.Rollback());
  os_test::FailChangeAt("");
  EXPECT_EQ("old a", Get(p.dir + "\\bak\\a.dll"));
  EXPECT_TRUE(p.f.reporter.Logged("[Rollback failed , skip it : " + p.dir + "\\bak\\a.dll->" + p.dir + "\\app\\a.dll]"));
}

// A new file whose copy fails after the target was made is not left behind
// broken: no backup stands for it and a rollback would leave it there.
TEST(CopyFileGroupTo, FailedCopyOfANewFileLeavesNoTarget) {
  Patch p(kReplaceOne);
  Put(p.dir + "\\pkg\\FileGroup1\\a.dll", "new a");
  ASSERT_TRUE(platform::CreateFolderTree(p.dir + "\\app"));
  ASSERT_TRUE(platform::CreateFolderTree(p.dir + "\\bak"));
  os_test::FailChangeAt("2");  // reopening the new a.dll to set its times
  EXPECT_EQ(kGroupFailed, p.Run());
  os_test::FailChangeAt("");
  EXPECT_FALSE(FileExists(p.dir + "\\app\\a.dll"));
}

}  // namespace
