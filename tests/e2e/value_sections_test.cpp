// A package that sets INI entries and registry values, removes a key and
// updates symbols from all three descriptor kinds, then fails: the rollback
// leaves the INI file and the registry as they were.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "os/registry.h"
#include "os/tests/os_test_support.h"
#include "sections/tests/value_test_support.h"
#include "tests/e2e/package_fixture.h"

namespace {

using testing_support::PackageFixture;
const os::RegRoot HKCU = os::RegRoot::kCurrentUser;

// The sandbox's registry store file for HKEY_CURRENT_USER; empty where the
// registry is a real one (the dump of the test's keys covers that).
std::string StoreBytes() {
  const char* prefix = std::getenv("BREVANE_PREFIX");
  if (prefix == nullptr || prefix[0] != '/') return std::string();
  std::ifstream in(std::string(prefix) + "/registry/HKEY_CURRENT_USER.reg", std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string Script(const std::string& folder, const std::string& base) {
  const std::string dll = os_test::FixturePath("version_sample.dll");
  return "[ProductInstall.Symbols]\r\nDIR=" + folder + "\r\nBASE=" + base +
         "\r\nVER=old\r\nTOP=old\r\nFILEVER=old\r\n"
         "[ProductInstall.Main]\r\nStepCount=6\r\n"
         "Step1.Section=ProductInstall.UpdateINI\r\nStep2.Section=ProductInstall.UpdateRegistry\r\n"
         "Step3.Section=ProductInstall.RemoveRegistry\r\nStep4.Section=ProductInstall.UpdateSymbols\r\n"
         "Step5.Section=ProductInstall.UpdateINI.Echo\r\nStep6.Section=ProductInstall.UpdateRegistry.Broken\r\n"
         "[ProductInstall.UpdateINI]\r\nItemCount=3\r\n"
         "Item1.Key=INI:%DIR%\\app.ini,Main,Ver\r\nItem1.Value=2\r\n"
         "Item2.Key=INI:%DIR%\\app.ini,Main,New\r\nItem2.Value=n\r\n"
         "Item3.Key=INI:%DIR%\\app.ini,,Top\r\nItem3.Value=changed\r\n"
         "[ProductInstall.UpdateRegistry]\r\nRegCount=3\r\n"
         "Reg1.Key=Reg:REG_SZ,HKCU,%BASE%\\App,Version\r\nReg1.Value=2.0\r\n"
         "Reg2.Key=Reg:REG_DWORD,HKCU,%BASE%\\App,Build\r\nReg2.Value=0x10\r\n"
         "Reg3.Key=Reg:REG_DWORD,HKCU,%BASE%\\New,Flag\r\nReg3.Value=1\r\n"
         "[ProductInstall.RemoveRegistry]\r\nRegCount=1\r\nReg1.Key=Reg:REG_SZ,HKCU,%BASE%\\Old\r\n"
         "[ProductInstall.UpdateSymbols]\r\n"
         "VER=[Reg:REG_SZ,HKCU,%BASE%\\App,Version]\r\nTOP=[INI:%DIR%\\app.ini,,Top]\r\n"
         "FILEVER=[FileInfo:" + dll + ",FileVersion]\r\n"
         "[ProductInstall.UpdateINI.Echo]\r\nItemCount=1\r\n"
         "Item1.Key=INI:%DIR%\\app.ini,Main,Seen\r\nItem1.Value=%VER%|%TOP%|%FILEVER%\r\n"
         "[ProductInstall.UpdateRegistry.Broken]\r\nRegCount=1\r\n"
         "Reg1.Key=Reg:REG_SZ,HKLM\r\nReg1.Value=x\r\n";
}

class ValueSectionsE2E : public value_test::RegistryTestKey {};

TEST_F(ValueSectionsE2E, AFailingStepRollsEverythingBack) {
  MakeKey("App", {{"Version", "1", "1.0"}, {"Build", "4", os::RegDwordData(7)}});
  MakeKey("Old", {{"Setting", "1", "keep me"}});
  const std::string folder = testing_support::NewTestFolder();
  PackageFixture package(Script(folder, base_));
  const std::string ini = folder + "\\app.ini";
  // Already in the form Wine's profile writer leaves a file in.
  const std::string iniBefore = "Top=top\r\n[Main]\r\nVer=1\r\n";
  testing_support::WriteFileBytes(ini, iniBefore);
  const std::string treeBefore = value_test::DumpTree(HKCU, base_);
  const std::string storeBefore = StoreBytes();
  const char* prefix = std::getenv("BREVANE_PREFIX");
  if (prefix != nullptr && prefix[0] == '/') {
    ASSERT_FALSE(storeBefore.empty());
  }

  testing_support::ProgramRun run = package.Run({"/s"});
  EXPECT_EQ(1, run.exitCode) << package.Log();
  EXPECT_TRUE(package.LogHas("RegDeleteValue/Key Success! ret=0 [Reg:REG_SZ,HKCU," + base_ + "\\Old]\r\n"));
  EXPECT_TRUE(package.LogHas("]@ Update Symbol table: 'VER'='2.0'\r\n")) << package.Log();
  EXPECT_TRUE(package.LogHas("]@ Update Symbol table: 'TOP'='changed'\r\n"));
  EXPECT_TRUE(package.LogHas("]@ Update Symbol table: 'FILEVER'='5.2'\r\n"));
  EXPECT_TRUE(package.LogHas("]Update INI: Write Seen='2.0|changed|5.2':len=15 in section [Main]!\r\n"));
  EXPECT_TRUE(package.LogHas("]@ Update Symbol table: 'VER'='old'\r\n")) << "symbols rolled back";
  EXPECT_TRUE(package.LogHas("]CHFS_UpdateINISection::Rollback(ProductInstall.UpdateINI)\r\n"));

  std::string iniAfter;
  ASSERT_TRUE(testing_support::ReadFileBytes(ini, iniAfter));
  EXPECT_EQ(iniBefore, iniAfter);
  EXPECT_TRUE(testing_support::FileExists(ini + ".bak"));
  EXPECT_EQ(treeBefore, value_test::DumpTree(HKCU, base_));
  EXPECT_EQ(storeBefore, StoreBytes());
}

}  // namespace
