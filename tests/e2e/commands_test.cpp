#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/package_fixture.h"

namespace {

using testing_support::PackageFixture;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

// These command lines mean the same to cmd.exe and to /bin/sh.
const char kPackage[] =
    "[ProductInstall.Symbols]\r\nWHO=Brevane user\r\n[ProductInstall.Main]\r\nStepCount=3\r\n"
    "Step1.Section=ProductInstall.Run\r\nStep1.Description=Commands\r\n"
    "Step2.Section=ProductInstall.ReplaceSymbolsInFile\r\nStep2.Description=Template\r\n"
    "Step3.Section=ProductInstall.ReplaceSymbolsInFile.Broken\r\nStep3.Description=Broken\r\n"
    "[ProductInstall.Run]\r\nRunCount=2\r\n"
    "Run1.Description=first\r\nRun1.Command=cmd /c echo one> one.txt\r\nRun1.RollbackCommand=cmd /c echo a>> undo.txt\r\n"
    "Run2.Description=second\r\nRun2.Command=cmd /c echo two> two.txt\r\nRun2.RollbackCommand=cmd /c echo b>> undo.txt\r\n"
    "[ProductInstall.ReplaceSymbolsInFile]\r\nFileCount=1\r\nFile1.Description=settings\r\n"
    "File1.Source=%SOURCEDIR%settings.tpl\r\nFile1.Output=%SOURCEDIR%settings.ini\r\n"
    "[ProductInstall.ReplaceSymbolsInFile.Broken]\r\nFileCount=1\r\n"
    "File1.Source=%SOURCEDIR%missing.tpl\r\nFile1.Output=%SOURCEDIR%never.ini\r\n";

std::string Contents(const std::string& path) {
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) return "(missing)";
  std::string plain;
  for (char c : bytes) {
    if (c != '\r') plain += c;
  }
  return plain;
}

// A package that runs commands and fills a template, then fails: the
// rollback commands run, newest first.
TEST(CommandsPackageTest, AFailingLaterStepRunsTheRollbackCommandsNewestFirst) {
  PackageFixture package(kPackage);
  ASSERT_TRUE(WriteFileBytes(package.Folder() + "\\settings.tpl", "[User]\r\nName=%WHO%\r\n"));
  testing_support::ProgramRun run = package.Run({"/s"});
  EXPECT_EQ(run.exitCode, 1) << package.Log();
  EXPECT_EQ(Contents(package.Folder() + "\\one.txt"), "one\n");
  EXPECT_EQ(Contents(package.Folder() + "\\two.txt"), "two\n");
  std::string settings;
  ASSERT_TRUE(ReadFileBytes(package.Folder() + "\\settings.ini", settings));
  EXPECT_EQ(settings, "[User]\r\nName=Brevane user\r\n");
  EXPECT_TRUE(package.LogHas("]Run 'cmd /c echo one> one.txt' in folder '" + package.Folder() + "\\'\r\n"));
  EXPECT_TRUE(package.LogHas("]Replace symboles in TXT file Failed! ret=2\r\n"));
  EXPECT_EQ(Contents(package.Folder() + "\\undo.txt"), "b\na\n") << package.Log();
  EXPECT_TRUE(package.LogHas("]Run rollback command 'cmd /c echo b>> undo.txt' in folder '" +
                             package.Folder() + "\\'\r\n"));
  EXPECT_TRUE(package.LogHas("]CHFS_RunSection::Rollback('ProductInstall.Run') Ret=0\r\n"));
  EXPECT_TRUE(package.LogHas("\r\nInstallation failed!\r\n"));
}

}  // namespace
