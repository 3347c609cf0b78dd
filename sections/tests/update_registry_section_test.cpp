#include "sections/update_registry_section.h"

#include <gtest/gtest.h>

#include "engine/result_codes.h"
#include "engine/tests/engine_fixture.h"
#include "sections/tests/value_test_support.h"

namespace {

using testing_support::EngineFixture;
const os::RegRoot HKCU = os::RegRoot::kCurrentUser;

class UpdateRegistrySectionTest : public value_test::RegistryTestKey {
 protected:
  // Builds the engine on an UpdateRegistry section; %BASE% is the test's key.
  void Make(const std::string& items) {
    f = std::make_unique<EngineFixture>("[ProductInstall.Symbols]\r\nBASE=" + base_ +
                                        "\r\n[ProductInstall.UpdateRegistry]\r\n" + items);
    section = std::make_unique<CHFS_UpdateRegistrySection>(f->engine.get());
    record = std::make_unique<CHFS_InstallRecord>(f->engine.get());
    record->BeginStep(1);
    f->reporter.log.clear();
  }
  int Run() { return section->Run("ProductInstall.UpdateRegistry", *record); }
  int Rollback() { return section->Rollback("ProductInstall.UpdateRegistry", *record); }
  std::string Flags(size_t i) const { return record->Entries()[i].Param2; }
  std::string Earlier(size_t i) const { return record->Entries()[i].Param1; }

  std::unique_ptr<EngineFixture> f;
  std::unique_ptr<CHFS_UpdateRegistrySection> section;
  std::unique_ptr<CHFS_InstallRecord> record;
};

TEST_F(UpdateRegistrySectionTest, RunAndRollbackRoundTrip) {
  MakeKey("Old", {{"Text", "1", "before"}, {"Num", "4", os::RegDwordData(0xFFFFFFFFul)}});
  const std::string before = value_test::DumpTree(HKCU, base_);
  Make("RegCount=4\r\n"
       "Reg1.Description=Text\r\nReg1.Key=Reg:REG_SZ,HKCU,%BASE%\\Old,Text\r\nReg1.Value=after\r\n"
       "Reg2.Key=Reg:REG_DWORD,HKCU,%BASE%\\Old,Num\r\nReg2.Value=0x1F\r\n"
       "Reg3.Key=Reg:REG_DWORD,HKCU,%BASE%\\New,Added\r\nReg3.Value=42abc\r\n"
       "Reg4.Key=Reg:REG_SZ,HKCU,%BASE%\\Old\r\nReg4.Value=default\r\n");
  EXPECT_EQ(0, Run());
  ASSERT_EQ(4u, record->size());
  EXPECT_EQ((std::vector<std::string>{"before", "-1", "", ""}),
            (std::vector<std::string>{Earlier(0), Earlier(1), Earlier(2), Earlier(3)}));
  EXPECT_EQ((std::vector<std::string>{"", "", "AK", "A"}),
            (std::vector<std::string>{Flags(0), Flags(1), Flags(2), Flags(3)}));
  EXPECT_TRUE(f->reporter.Logged("RegSetValueEx Success! ret=0 [Reg:REG_SZ,HKCU," + base_ + "\\Old,Text]"));
  EXPECT_TRUE(f->reporter.Logged("CHFS_UpdateRegistrySection::Run(ProductInstall.UpdateRegistry)"));
  os::RegistryKey key;
  ASSERT_EQ(0, key.Open(HKCU, Path("Old"), os::RegAccess::kRead));
  unsigned long type = 0;
  std::string data;
  ASSERT_EQ(0, key.QueryValue("Num", type, data));
  EXPECT_EQ(os::RegDwordData(31), data);
  ASSERT_EQ(0, key.QueryValue("", type, data));
  EXPECT_EQ(std::string("default\0", 8), data);
  os::RegistryKey added;
  ASSERT_EQ(0, added.Open(HKCU, Path("New"), os::RegAccess::kRead));
  ASSERT_EQ(0, added.QueryValue("Added", type, data));
  EXPECT_EQ(os::RegDwordData(42), data);
  key.Close();
  added.Close();

  EXPECT_EQ(0, Rollback());
  EXPECT_EQ(0u, record->size());
  EXPECT_EQ(before, value_test::DumpTree(HKCU, base_)) << "values restored with their types, key New gone";
  EXPECT_TRUE(f->reporter.Logged("CHFS_UpdateRegistrySection::Rollback(ProductInstall.UpdateRegistry)"));
  EXPECT_EQ("Rollback:Text\r\n", f->reporter.details.back());
}

TEST_F(UpdateRegistrySectionTest, CapitalXAndTheEmptyLiteral) {
  MakeKey("K", {{"Lit", "1", "(empty)"}});
  Make("RegCount=2\r\nReg1.Key=Reg:REG_DWORD,HKCU,%BASE%\\K,Cap\r\nReg1.Value=0X1F\r\n"
       "Reg2.Key=Reg:REG_SZ,HKCU,%BASE%\\K,Lit\r\nReg2.Value=x\r\n");
  EXPECT_EQ(0, Run());
  os::RegistryKey key;
  ASSERT_EQ(0, key.Open(HKCU, Path("K"), os::RegAccess::kRead));
  unsigned long type = 0;
  std::string data;
  ASSERT_EQ(0, key.QueryValue("Cap", type, data));
  EXPECT_EQ(os::RegDwordData(0), data);
  EXPECT_EQ("A", Flags(1)) << "a value reading \"(empty)\" counts as missing";
}

TEST_F(UpdateRegistrySectionTest, ItemsWithoutKeyOrValueArePassedOverButShown) {
  Make("RegCount=3\r\nReg1.Description=One\r\nReg1.Value=x\r\n"
       "Reg2.Description=Two\r\nReg2.Key=Reg:REG_SZ,HKCU,%BASE%,V\r\n"
       "Reg3.Description=Three\r\nReg3.Key=Reg:REG_SZ,HKLM\r\nReg3.Value=x\r\n");
  EXPECT_EQ(-1, Run()) << "the third item's descriptor is malformed";
  EXPECT_EQ((std::vector<std::string>{"One\r\n", "Two\r\n", "Three\r\n"}), f->reporter.details);
  EXPECT_EQ(0u, record->size());
  EXPECT_FALSE(f->reporter.Logged("EventHandler('Reg3.Error.',OldRet=-1)"));
}

TEST_F(UpdateRegistrySectionTest, AKeyThatCannotBeCreatedIsAnItemFailure) {
  Make("RegCount=1\r\nReg1.Key=Reg:REG_SZ,HKCU,%BASE%\\Denied,V\r\nReg1.Value=x\r\n");
  value_test::FailNthChange(1);
  EXPECT_EQ(-1, Run());
  value_test::FailNthChange(0);
  EXPECT_TRUE(f->reporter.Logged("RegCreateKeyEx Failed! ret=5 [Reg:REG_SZ,HKCU," + base_ + "\\Denied,V]"));
  EXPECT_TRUE(f->reporter.Logged("EventHandler('Reg1.Error.',OldRet=-1)"));
  EXPECT_EQ(0u, record->size());
}

TEST_F(UpdateRegistrySectionTest, RetryAddsASecondEntryAndFullRecordStops) {
  Make("RegCount=1\r\nReg1.Key=Reg:REG_SZ,HKCU,%BASE%\\R,V\r\nReg1.Value=x\r\n"
       "Reg1.Success.AskYesNo=Again?\r\nReg1.Success.Yes=BRVN_RETRY\r\nReg1.Success.No=BRVN_CONTINUE\r\n");
  f->reporter.answers = {kIdYes, kIdNo};
  EXPECT_EQ(0, Run());
  ASSERT_EQ(2u, record->size());
  EXPECT_EQ("AK", Flags(0));
  EXPECT_EQ("", Flags(1));
  EXPECT_EQ("x", Earlier(1));
  EXPECT_EQ(0, Rollback());
  EXPECT_EQ("<missing " + Path("R") + ">\n", value_test::DumpTree(HKCU, Path("R")));

  while (record->size() < CHFS_InstallRecord::kMaxRecords) record->AddRecord(9, "", "", "");
  f->reporter.answers = {kIdNo};
  EXPECT_EQ(BRVN_USERBREAK, Run());
  EXPECT_EQ("<missing " + Path("R") + ">\n", value_test::DumpTree(HKCU, Path("R")))
      << "a key created for a change that cannot be recorded goes again";
}

TEST_F(UpdateRegistrySectionTest, AFailedRollbackWriteStopsWithMinusOne) {
  MakeKey("K", {{"V", "1", "old"}});
  Make("RegCount=2\r\nReg1.Key=Reg:REG_SZ,HKCU,%BASE%\\K,V\r\nReg1.Value=new\r\n"
       "Reg2.Key=Reg:REG_SZ,HKCU,%BASE%\\K,W\r\nReg2.Value=w\r\n");
  EXPECT_EQ(0, Run());
  value_test::FailNthChange(2);  // item 2's value delete goes through, item 1's write back fails
  EXPECT_EQ(-1, Rollback());
  EXPECT_TRUE(f->reporter.Logged("RegSetValueEx Failed! ret=5 [Reg:REG_SZ,HKCU," + base_ + "\\K,V]"));
}

}  // namespace
