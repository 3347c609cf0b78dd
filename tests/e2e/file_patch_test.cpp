#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "os/files.h"
#include "platform/file_ops.h"
#include "tests/e2e/package_fixture.h"

namespace {

using testing_support::FileExists;
using testing_support::PackageFixture;

std::string Read(const std::string& path) {
  std::string bytes;
  if (!testing_support::ReadFileBytes(path, bytes)) return "<missing>";
  return bytes;
}

void Put(const std::string& path, const std::string& bytes) {
  ASSERT_TRUE(platform::CreateFolderTree(platform::DirectoryOf(path))) << path;
  ASSERT_TRUE(testing_support::WriteFileBytes(path, bytes)) << path;
}

// An installed product, a hotfix package for it and the folders its run uses.
struct LedgerFix {
  // laterStep: the keys of a fourth step's check section, run after the files
  // are in place; empty for a fix of three steps.
  explicit LedgerFix(const std::string& laterCheck = std::string())
      : machine(testing_support::NewTestFolder()),
        app(machine + "\\Sample Ledger"),
        record(machine + "\\Hotfixes\\HF-0012.rec"),
        package(Script(laterCheck)) {
    installed = {
        {app + "\\ledger.ini", "[Ledger]\r\nCurrency=EUR\r\n"},
        {app + "\\currency.xml", "<rates version=\"1\"/>\r\n"},
        {app + "\\lib\\rounding.js", "round = Math.floor;\r\n"},
        {app + "\\reports\\monthly.rpt", std::string("monthly\0v1", 10)},
        {app + "\\reports\\quarterly.rpt", "quarterly v1"},
        {app + "\\readme.txt", "not part of the fix"},
    };
    for (const auto& file : installed) Put(file.first, file.second);
    Put(package.Folder() + "\\FileGroup1\\currency.xml", "<rates version=\"2\"/>\r\n");
    Put(package.Folder() + "\\FileGroup1\\lib\\rounding.js", "round = Math.round;\r\n");
    Put(package.Folder() + "\\FileGroup1\\lib\\banker.js", "added by the fix");
    Put(package.Folder() + "\\FileGroup2\\reports\\monthly.rpt", std::string("monthly\0v2", 10));
    Put(package.Folder() + "\\FileGroup2\\reports\\quarterly.rpt", "quarterly v2");
  }

  std::string Script(const std::string& laterCheck) const {
    std::string steps = laterCheck.empty() ? "3" : "4";
    return "[ProductInstall.Symbols]\r\nAPP_DIR=" + app + "\r\nFIX_ID=HF-0012\r\n"
           "SAVE_DIR=" + machine + "\\Hotfixes\\%FIX_ID%\r\n"
           "[ProductInstall.Main]\r\nInstallRecordFile=" + record + "\r\nStepCount=" + steps + "\r\n"
           "Step1.Section=ProductInstall.CheckRequirement\r\n"
           "Step2.Section=ProductInstall.BackupFiles.Settings\r\n"
           "Step3.Section=ProductInstall.CopyFileGroupTo\r\n"
           "Step4.Section=ProductInstall.CheckRequirement.After\r\n"
           "[ProductInstall.CheckRequirement]\r\nCheckCount=2\r\n"
           "Check1.String=%FIX_ID%\r\nCheck1.String.List=HF-0011,HF-0012\r\n"
           "Check2.DiskSpace=%APP_DIR%\r\nCheck2.DiskSpace.SizeMB=1\r\n"
           "[ProductInstall.BackupFiles.Settings]\r\nFileCount=2\r\nBackup=%SAVE_DIR%\\Saved\r\n"
           "File1=%APP_DIR%\\ledger.ini\r\nFile2=%APP_DIR%\\reports\\monthly.rpt\r\n"
           "[ProductInstall.CopyFileGroupTo]\r\nFileGroupCount=2\r\n"
           "[FileGroup1]\r\nDescription=Rounding rules\r\nTarget=%APP_DIR%\r\n"
           "Backup=%SAVE_DIR%\\Program\r\nFileCount=2\r\nFile1=*.xml\r\nFile2=lib\\*.js\r\n"
           "[FileGroup2]\r\nDescription=Reports\r\nTarget=%APP_DIR%\r\n"
           "Backup=%SAVE_DIR%\\Reports\r\nFileCount=1\r\nFile1=reports\\*.rpt\r\n"
           "[ProductInstall.CheckRequirement.After]\r\n" + laterCheck +
           "[ProductRemove.Main]\r\nStepCount=1\r\nStep1.Section=ProductRemove.Rollback\r\n"
           "[ProductRemove.Rollback]\r\n";
  }

  // Every installed file holds what it held before the fix.
  void ExpectAsBefore() const {
    for (const auto& file : installed) {
      EXPECT_TRUE(Read(file.first) == file.second) << file.first << " holds " << Read(file.first);
    }
    EXPECT_FALSE(FileExists(machine + "\\Hotfixes\\HF-0012\\Program"));
    EXPECT_FALSE(FileExists(machine + "\\Hotfixes\\HF-0012\\Reports"));
    std::vector<std::string> saved;
    EXPECT_EQ(0, platform::ListFiles(saved, machine + "\\Hotfixes\\HF-0012\\Saved", "*.*"));
  }

  std::string machine;
  std::string app;
  std::string record;
  PackageFixture package;
  std::map<std::string, std::string> installed;
};

TEST(FilePatchPackage, InstallsAndIsRemovedByItsRecordFile) {
  LedgerFix fix;
  testing_support::ProgramRun run = fix.package.Run({"/s"});
  ASSERT_EQ(0, run.exitCode) << fix.package.Log();
  const std::string& app = fix.app;
  EXPECT_EQ("<rates version=\"2\"/>\r\n", Read(app + "\\currency.xml"));
  EXPECT_EQ("added by the fix", Read(app + "\\lib\\banker.js"));
  EXPECT_TRUE(Read(app + "\\reports\\monthly.rpt") == std::string("monthly\0v2", 10));

  const std::string save = fix.machine + "\\Hotfixes\\HF-0012";
  EXPECT_EQ("round = Math.floor;\r\n", Read(save + "\\Program\\lib\\rounding.js"));
  EXPECT_EQ("quarterly v1", Read(save + "\\Reports\\reports\\quarterly.rpt"));
  EXPECT_FALSE(FileExists(save + "\\Program\\lib\\banker.js")) << "nothing to save for a new file";
  EXPECT_TRUE(fix.package.LogHas(" skip extra files.]")) << fix.package.Log();
  std::vector<std::string> saved;
  EXPECT_EQ(2, platform::ListFiles(saved, save + "\\Saved", "BAK*.TMP"));

  std::string record = Read(fix.record);
  EXPECT_NE(std::string::npos, record.find("[REC_0]\r\nTotalCount=4\r\n")) << record;
  EXPECT_NE(std::string::npos, record.find("Param1=" + app + "\\ledger.ini"));

  // What a removal takes back: the files the fix replaced.
  Put(app + "\\ledger.ini", "[Ledger]\r\nCurrency=changed after the install\r\n");
  testing_support::ProgramRun removal = fix.package.Run({"/U:" + fix.record, "/s"});
  ASSERT_EQ(0, removal.exitCode) << fix.package.Log();
  EXPECT_TRUE(fix.package.LogHas("Ret=BRVN_CMD_ROLLBACK_SUCCESS")) << fix.package.Log();
  EXPECT_FALSE(FileExists(fix.record));
  fix.ExpectAsBefore();
}

TEST(FilePatchPackage, LaterFailureRollsEverythingBack) {
  LedgerFix fix("CheckCount=1\r\nCheck1.Number=2.4\r\nCheck1.Number.Min=3\r\n");
  testing_support::ProgramRun run = fix.package.Run({"/s"});
  EXPECT_EQ(1, run.exitCode) << fix.package.Log();
  EXPECT_TRUE(fix.package.LogHas("CheckNumberMin(Min='3',value='2.4') failed!"));
  EXPECT_TRUE(fix.package.LogHas("ROLLBACK [Reports : FileGroup2]"));
  EXPECT_FALSE(FileExists(fix.record)) << "no record of a failed install";
  fix.ExpectAsBefore();
}

}  // namespace
