#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/tests/engine_fixture.h"
#include "sections/copy_file_group_to_section.h"
#include "sections/tests/file_test_helpers.h"
#include "tests/support/under_wine.h"

namespace {

using section_tests::Get;
using section_tests::Put;
using testing_support::EngineFixture;
using testing_support::FileExists;

// A package folder with file groups, an installed product and an engine over
// a script whose CopyFileGroupTo section is ProductInstall.CopyFileGroupTo.
struct Patch {
  explicit Patch(const std::string& scriptText)
      : dir(testing_support::NewTestFolder()),
        f(Expand(scriptText, dir)),
        handler(f.engine.get()),
        record(f.engine.get()) {
    handler.SetPackageFolder(dir + "\\pkg\\");
    record.BeginStep(3);
  }
  // %D% in the script stands for the test folder.
  static std::string Expand(std::string text, const std::string& dir) {
    for (size_t at = text.find("%D%"); at != std::string::npos; at = text.find("%D%", at + dir.size())) {
      text.replace(at, 3, dir);
    }
    return text;
  }
  int Run() { return handler.Run("ProductInstall.CopyFileGroupTo", record); }
  int Rollback() {
    int step = 0;
    record.PeekStep(step);
    return handler.Rollback("ProductInstall.CopyFileGroupTo", record);
  }
  std::vector<std::string> LinesWith(const std::string& text) const {
    std::vector<std::string> found;
    for (const std::string& line : f.reporter.Lines()) {
      if (line.find(text) != std::string::npos) found.push_back(line);
    }
    return found;
  }

  std::string dir;
  EngineFixture f;
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

TEST(CopyFileGroupTo, InstallsIntoAnEmptyTargetWithoutBackups) {
  Patch p(kTwoGroups);
  PutPackage(p.dir);
  EXPECT_EQ(0, p.Run());
  EXPECT_EQ("new core", Get(p.dir + "\\app\\core.dll"));
  EXPECT_EQ("new tool", Get(p.dir + "\\app\\bin\\tool.exe"));
  EXPECT_EQ("new month", Get(p.dir + "\\app\\reports\\month.rpt"));
  EXPECT_FALSE(FileExists(p.dir + "\\bak\\g4\\core.dll"));
  EXPECT_TRUE(FileExists(p.dir + "\\bak\\g4\\bin")) << "backup folders mirror the target's";
  const std::string core = p.dir + "\\app\\core.dll";
  const std::string saved = p.dir + "\\bak\\g4\\core.dll";
  EXPECT_TRUE(p.f.reporter.Logged("[core.dll : " + core + "->" + saved + " skip extra files.]"));
  EXPECT_TRUE(p.f.reporter.Logged("[core.dll : " + p.dir + "\\pkg\\FileGroup4\\core.dll->" + core + "]"));
  EXPECT_TRUE(p.f.reporter.Logged("Patch [Program : FileGroup4]"));
  EXPECT_TRUE(p.f.reporter.Logged("[CHFS_CopyFileGroupToSection::Run(...)=0]"));
  ASSERT_EQ(2u, p.record.size());
  EXPECT_EQ(4, p.record.Entries()[0].item);
  EXPECT_EQ(5, p.record.Entries()[1].item);
  EXPECT_TRUE(p.record.Entries()[1].Param1.empty());
  std::vector<std::string>& d = p.f.reporter.details;
  EXPECT_NE(d.end(), std::find(d.begin(), d.end(), "Patch Reports : FileGroup5."));
  EXPECT_EQ(" Success.\r\n", d.back());
}

TEST(CopyFileGroupTo, ReplacesInstalledFilesAfterSavingThem) {
  Patch p(kTwoGroups);
  PutPackage(p.dir);
  Put(p.dir + "\\app\\core.dll", "old core");
  Put(p.dir + "\\app\\bin\\tool.exe", "old tool");
  section_tests::SetTimes(p.dir + "\\app\\bin\\tool.exe", section_tests::OldTimes(2));
  EXPECT_EQ(0, p.Run());
  EXPECT_EQ("old core", Get(p.dir + "\\bak\\g4\\core.dll"));
  EXPECT_EQ("old tool", Get(p.dir + "\\bak\\g4\\bin\\tool.exe"));
  EXPECT_EQ(section_tests::OldTimes(2).lastWrite, section_tests::TimesOf(p.dir + "\\bak\\g4\\bin\\tool.exe").lastWrite);
  EXPECT_EQ("new core", Get(p.dir + "\\app\\core.dll"));
  EXPECT_EQ("new tool", Get(p.dir + "\\app\\bin\\tool.exe"));
  EXPECT_FALSE(FileExists(p.dir + "\\app\\$B$_core.dll")) << "safety copies are removed";
  EXPECT_TRUE(p.LinesWith("skip extra files.").size() == 2u) << "extra.dll and month.rpt only";
}

TEST(CopyFileGroupTo, SpecMatchingNothingStopsAfterEarlierSpecs) {
  Patch p("[ProductInstall.CopyFileGroupTo]\r\nFileGroupCount=2\r\n"
          "[FileGroup1]\r\nDescription=G\r\nTarget=%D%\\app\r\nBackup=%D%\\bak\r\n"
          "FileCount=3\r\nFile1=a.dll\r\nFile2=sub\\*.none\r\nFile3=c.dll\r\n"
          "[FileGroup2]\r\nTarget=%D%\\app\r\nBackup=%D%\\bak\r\nFileCount=1\r\nFile1=c.dll\r\n");
  Put(p.dir + "\\pkg\\FileGroup1\\a.dll", "new a");
  Put(p.dir + "\\pkg\\FileGroup1\\c.dll", "new c");
  Put(p.dir + "\\pkg\\FileGroup2\\c.dll", "new c");
  Put(p.dir + "\\app\\a.dll", "old a");
  EXPECT_EQ(-1190, p.handler.RunFileGroup("FileGroup1"));
  EXPECT_TRUE(p.f.reporter.Logged("[File not existed, patch stop: sub\\*.none]"));
  EXPECT_EQ(" Fail.\r\n", p.f.reporter.details.back());
  EXPECT_FALSE(FileExists(p.dir + "\\app\\c.dll")) << "specs after the failure are not run";

  Put(p.dir + "\\app\\a.dll", "old a");
  EXPECT_EQ(-1100, p.Run());
  EXPECT_EQ(1u, p.record.size()) << "the failed group is recorded; the next is never begun";
  EXPECT_EQ(0, p.Rollback());
  EXPECT_EQ("old a", Get(p.dir + "\\app\\a.dll")) << "its replaced file comes back";
}

TEST(CopyFileGroupTo, ReadOnlyTargetIsLeftAsItWas) {
  if (testing_support::RunningUnderWine()) {
    GTEST_SKIP() << "Wine running as root does not enforce the read-only attribute";
  }
  Patch p("[ProductInstall.CopyFileGroupTo]\r\nFileGroupCount=1\r\n"
          "[FileGroup1]\r\nTarget=%D%\\app\r\nBackup=%D%\\bak\r\nFileCount=1\r\nFile1=a.dll\r\n");
  Put(p.dir + "\\pkg\\FileGroup1\\a.dll", "new a");
  Put(p.dir + "\\app\\a.dll", "old a");
  ASSERT_TRUE(os::SetFileAttributes(p.dir + "\\app\\a.dll", os::kAttributeReadOnly));
  EXPECT_EQ(-1140, p.handler.RunFileGroup("FileGroup1"));
  const std::string target = p.dir + "\\app\\a.dll";
  EXPECT_TRUE(p.f.reporter.Logged("[a.dll : " + p.dir + "\\pkg\\FileGroup1\\a.dll->" + target + " fail]"));
  EXPECT_EQ("old a", Get(target));
  EXPECT_EQ(os::kAttributeReadOnly, section_tests::AttributeBits(target));
  // The read-only safety copy must not be left beside the target.
  EXPECT_FALSE(FileExists(p.dir + "\\app\\$B$_a.dll"));
  EXPECT_EQ("old a", Get(p.dir + "\\bak\\a.dll")) << "saved before the copy was tried";
}

TEST(CopyFileGroupTo, GroupWithoutTargetOrBackupIsRefusedBeforeCopying) {
  Patch p("[ProductInstall.CopyFileGroupTo]\r\nFileGroupCount=2\r\n"
          "[FileGroup1]\r\nTarget=%D%\\app\r\nFileCount=1\r\nFile1=a.dll\r\n"
          "[FileGroup2]\r\nBackup=%D%\\bak\r\nFileCount=1\r\nFile1=a.dll\r\n");
  Put(p.dir + "\\pkg\\FileGroup1\\a.dll", "new a");
  Put(p.dir + "\\pkg\\FileGroup2\\a.dll", "new a");
  EXPECT_EQ(-1100, p.Run());
  EXPECT_TRUE(p.f.reporter.Logged("*** Syntax error: Backup='' can not be empty in section ['FileGroup1']. "));
  EXPECT_FALSE(FileExists(p.dir + "\\app\\a.dll"));
  EXPECT_EQ(-1100, p.handler.RunFileGroup("FileGroup2"));
  EXPECT_TRUE(p.f.reporter.Logged("*** Syntax error: Target='' can not be empty in section ['FileGroup2']. "));
  EXPECT_EQ(0, p.Rollback());
  EXPECT_FALSE(p.f.reporter.Logged("[Not exist (empty)]")) << "no folder named after a missing key";
}

TEST(CopyFileGroupTo, NoGroupCountRunsNothing) {
  Patch p("[ProductInstall.CopyFileGroupTo]\r\nDescription=none\r\n");
  EXPECT_EQ(0, p.Run());
  EXPECT_EQ(0u, p.record.size());
  EXPECT_TRUE(p.f.reporter.Logged("[CHFS_CopyFileGroupToSection::Run(...)=0]"));
}

TEST(CopyFileGroupTo, RollbackRestoresEveryFileNewestGroupFirst) {
  Patch p(kTwoGroups);
  PutPackage(p.dir);
  const std::string core = p.dir + "\\app\\core.dll";
  const std::string tool = p.dir + "\\app\\bin\\tool.exe";
  const std::string month = p.dir + "\\app\\reports\\month.rpt";
  Put(core, "old core");
  Put(tool, "old tool");
  Put(month, "old month");
  section_tests::SetTimes(core, section_tests::OldTimes(3));
  section_tests::SetTimes(tool, section_tests::OldTimes(4));
  // A hidden package file installs hidden; the old one must come back over it.
  ASSERT_TRUE(os::SetFileAttributes(p.dir + "\\pkg\\FileGroup4\\bin\\tool.exe", os::kAttributeHidden));
  ASSERT_EQ(0, p.Run());
  ASSERT_EQ("new tool", Get(tool));
  ASSERT_EQ(os::kAttributeHidden, section_tests::AttributeBits(tool));

  EXPECT_EQ(0, p.Rollback());
  EXPECT_EQ("old core", Get(core));
  EXPECT_EQ("old tool", Get(tool));
  EXPECT_EQ("old month", Get(month));
  EXPECT_EQ("new extra", Get(p.dir + "\\app\\extra.dll")) << "added files stay";
  EXPECT_EQ(0u, section_tests::AttributeBits(tool));
  os::FileTimes times = section_tests::TimesOf(core);
  EXPECT_EQ(section_tests::OldTimes(3).lastWrite, times.lastWrite);
  EXPECT_EQ(section_tests::OldTimes(4).lastWrite, section_tests::TimesOf(tool).lastWrite);
  if (!testing_support::RunningUnderWine()) {
    EXPECT_EQ(section_tests::OldTimes(3).creation, times.creation);
  }  // else: Wine cannot set creation times
  EXPECT_FALSE(FileExists(p.dir + "\\bak\\g4"));
  EXPECT_FALSE(FileExists(p.dir + "\\bak\\g5"));
  EXPECT_EQ(0u, p.record.size());

  // Newest group first, and within a group the highest spec first.
  std::vector<std::string> order = p.LinesWith("ROLLBACK [");
  ASSERT_EQ(2u, order.size());
  EXPECT_EQ("ROLLBACK [Reports : FileGroup5]", order[0]);
  std::vector<std::string> restores = p.LinesWith("->" + p.dir + "\\app\\");
  std::vector<std::string> fromBackup;
  for (const std::string& line : restores) {
    if (line.find("[" + p.dir + "\\bak\\") == 0) fromBackup.push_back(line);
  }
  ASSERT_EQ(3u, fromBackup.size());
  EXPECT_NE(std::string::npos, fromBackup[0].find("month.rpt"));
  EXPECT_NE(std::string::npos, fromBackup[1].find("tool.exe"));
  EXPECT_NE(std::string::npos, fromBackup[2].find("core.dll"));
  EXPECT_TRUE(p.f.reporter.Logged("[Remove " + p.dir + "\\bak\\g5]"));
  EXPECT_FALSE(p.f.reporter.Logged("[File not existed, skip it: *.rpt]"));
}

TEST(CopyFileGroupTo, RollbackPutsBackOverAReadOnlyInstalledFile) {
  // Package files may be read-only; copies keep that, and the old file must
  // still come back on rollback.
  Patch p("[ProductInstall.CopyFileGroupTo]\r\nFileGroupCount=1\r\n"
          "[FileGroup1]\r\nTarget=%D%\\app\r\nBackup=%D%\\bak\r\nFileCount=1\r\nFile1=a.dll\r\n");
  Put(p.dir + "\\pkg\\FileGroup1\\a.dll", "new a");
  ASSERT_TRUE(os::SetFileAttributes(p.dir + "\\pkg\\FileGroup1\\a.dll", os::kAttributeReadOnly));
  Put(p.dir + "\\app\\a.dll", "old a");
  ASSERT_EQ(0, p.Run());
  ASSERT_EQ(os::kAttributeReadOnly, section_tests::AttributeBits(p.dir + "\\app\\a.dll"));
  EXPECT_EQ(0, p.Rollback());
  EXPECT_EQ("old a", Get(p.dir + "\\app\\a.dll"));
  EXPECT_EQ(0u, section_tests::AttributeBits(p.dir + "\\app\\a.dll"));
  EXPECT_FALSE(p.f.reporter.Logged("[Rollback failed , skip it : " + p.dir + "\\bak\\a.dll->" + p.dir +
                                   "\\app\\a.dll]"));
}

TEST(CopyFileGroupTo, ReplaceFileSafelyKeepsTheTargetWhenTheCopyFails) {
  Patch p("[ProductInstall.CopyFileGroupTo]\r\n");
  const std::string target = p.dir + "\\t.dll";
  Put(target, "installed");
  EXPECT_EQ(-100, p.handler.ReplaceFileSafely(p.dir + "\\none.dll", target));
  EXPECT_EQ("installed", Get(target));
  EXPECT_FALSE(FileExists(p.dir + "\\$B$_t.dll"));
  Put(p.dir + "\\s.dll", "source");
  EXPECT_EQ(0, p.handler.ReplaceFileSafely(p.dir + "\\s.dll", target));
  EXPECT_EQ("source", Get(target));
  EXPECT_FALSE(FileExists(p.dir + "\\$B$_t.dll"));
}

TEST(CopyFileGroupTo, FolderThatCannotBeMadeFailsTheGroup) {
  Patch p("[ProductInstall.CopyFileGroupTo]\r\nFileGroupCount=1\r\n"
          "[FileGroup1]\r\nTarget=%D%\\blocker\\app\r\nBackup=%D%\\bak\r\nFileCount=1\r\nFile1=a.dll\r\n");
  Put(p.dir + "\\pkg\\FileGroup1\\a.dll", "new a");
  Put(p.dir + "\\blocker", "a file where a folder should be");
  EXPECT_EQ(-1130, p.handler.RunFileGroup("FileGroup1"));
  EXPECT_TRUE(p.f.reporter.Logged("[Create dir fail: " + p.dir + "\\blocker\\app]"));
}

}  // namespace
