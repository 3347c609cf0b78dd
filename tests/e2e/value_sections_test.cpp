// A package that sets INI entries and registry values, removes a key and
// updates symbols from all three descriptor kinds. When a later step fails,
// or when the installed package is removed again, the INI file and the
// registry are left as they were.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
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

// With failing set, step 6 fails; otherwise the run ends after step 5 and
// leaves its install record in folder\hotfix.rec.
std::string Script(const std::string& folder, const std::string& base, bool failing) {
  const std::string dll = os_test::FixturePath("version_sample.dll");
  return "[ProductInstall.Symbols]\r\nDIR=" + folder + "\r\nBASE=" + base +
         "\r\nVER=old\r\nTOP=old\r\nFILEVER=old\r\n"
         "[ProductInstall.Main]\r\nInstallRecordFile=" + folder + "\\hotfix.rec\r\n"
         "StepCount=" + (failing ? "6" : "5") + "\r\n"
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
         "Reg1.Key=Reg:REG_SZ,HKLM\r\nReg1.Value=x\r\n"
         "[ProductRemove.Main]\r\nStepCount=1\r\nStep1.Section=ProductRemove.Rollback\r\n"
         "[ProductRemove.Rollback]\r\n";
}

class ValueSectionsE2E : public value_test::RegistryTestKey {
 protected:
  void Prepare(bool failing) {
    MakeKey("App", {{"Version", "1", "1.0"}, {"Build", "4", os::RegDwordData(7)}});
    MakeKey("Old", {{"Setting", "1", "keep me"}});
    package = std::make_unique<PackageFixture>(Script(folder, base_, failing));
    testing_support::WriteFileBytes(ini, iniBefore);
    treeBefore = value_test::DumpTree(HKCU, base_);
    storeBefore = StoreBytes();
    const char* prefix = std::getenv("BREVANE_PREFIX");
    if (prefix != nullptr && prefix[0] == '/') {
      ASSERT_FALSE(storeBefore.empty());
    }
  }
  void ExpectAsBefore() {
    std::string iniAfter;
    ASSERT_TRUE(testing_support::ReadFileBytes(ini, iniAfter));
    EXPECT_EQ(iniBefore, iniAfter);
    EXPECT_TRUE(testing_support::FileExists(ini + ".bak"));
    EXPECT_EQ(treeBefore, value_test::DumpTree(HKCU, base_));
    EXPECT_EQ(storeBefore, StoreBytes());
  }

  std::string folder = testing_support::NewTestFolder();
  std::string ini = folder + "\\app.ini";
  // Already in the form Wine's profile writer leaves a file in.
  std::string iniBefore = "Top=top\r\n[Main]\r\nVer=1\r\n";
  std::string treeBefore;
  std::string storeBefore;
  std::unique_ptr<PackageFixture> package;
};

TEST_F(ValueSectionsE2E, AFailingStepRollsEverythingBack) {
  Prepare(true);
  PackageFixture& p = *package;
  testing_support::ProgramRun run = p.Run({"/s"});
  EXPECT_EQ(1, run.exitCode) << p.Log();
  EXPECT_TRUE(p.LogHas("RegDeleteValue/Key Success! ret=0 [Reg:REG_SZ,HKCU," + base_ + "\\Old]\r\n"));
  EXPECT_TRUE(p.LogHas("]@ Update Symbol table: 'VER'='2.0'\r\n")) << p.Log();
  EXPECT_TRUE(p.LogHas("]@ Update Symbol table: 'TOP'='changed'\r\n"));
  EXPECT_TRUE(p.LogHas("]@ Update Symbol table: 'FILEVER'='5.2'\r\n"));
  EXPECT_TRUE(p.LogHas("]Update INI: Write Seen='2.0|changed|5.2':len=15 in section [Main]!\r\n"));
  EXPECT_TRUE(p.LogHas("]@ Update Symbol table: 'VER'='old'\r\n")) << "symbols rolled back";
  EXPECT_TRUE(p.LogHas("]CHFS_UpdateINISection::Rollback(ProductInstall.UpdateINI)\r\n"));

  EXPECT_FALSE(testing_support::FileExists(folder + "\\hotfix.rec"));
  ExpectAsBefore();
}

TEST_F(ValueSectionsE2E, RemovalTakesTheInstallBack) {
  Prepare(false);
  ASSERT_EQ(0, package->Run({"/s"}).exitCode) << package->Log();
  EXPECT_EQ("<missing " + Path("Old") + ">\n", value_test::DumpTree(HKCU, Path("Old")));
  const std::string record = folder + "\\hotfix.rec";
  testing_support::ProgramRun removal = package->Run({"/U:" + record, "/s"});
  ASSERT_EQ(0, removal.exitCode) << package->Log();
  EXPECT_TRUE(package->LogHas("Ret=BRVN_CMD_ROLLBACK_SUCCESS")) << package->Log();
  EXPECT_FALSE(testing_support::FileExists(record));
  ExpectAsBefore();
}

}  // namespace
