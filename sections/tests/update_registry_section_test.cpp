#include "sections/update_registry_section.h"

#include <gtest/gtest.h>

#include "engine/result_codes.h"
#include "engine/tests/engine_fixture.h"
#include "sections/tests/value_test_support.h"

namespace {

const os::RegRoot HKCU = os::RegRoot::kCurrentUser;

class UpdateRegistrySectionTest : public value_test::SectionTest<CHFS_UpdateRegistrySection> {
 protected:
  UpdateRegistrySectionTest() : SectionTest("ProductInstall.UpdateRegistry") {}
};

TEST_F(UpdateRegistrySectionTest, RunAndRollbackRoundTrip) {
  MakeKey("Old", {{"Text", "1", "before"}, {"Num", "4", os::RegDwordData(0xFFFFFFFFul)}});
  const std::string before = value_test::DumpTree(HKCU, base_);
  Make("RegCount=5\r\n"
       "Reg1.Description=Text\r\nReg1.Key=Reg:REG_SZ,HKCU,%BASE%\\Old,Text\r\nReg1.Value=after\r\n"
       "Reg2.Key=Reg:REG_DWORD,HKCU,%BASE%\\Old,Num\r\nReg2.Value=0x1F\r\n"
       "Reg3.Key=Reg:REG_DWORD,HKCU,%BASE%\\New,Added\r\nReg3.Value=42abc\r\n"
       "Reg4.Key=Reg:REG_SZ,HKCU,%BASE%\\Old\r\nReg4.Value=default\r\n"
       "Reg5.Description=No value\r\nReg5.Key=Reg:REG_SZ,HKCU,%BASE%\\Old,X\r\n");
  EXPECT_EQ(0, Run());
  EXPECT_EQ((std::vector<std::string>{"1 before ", "2 -1 ", "3  AK", "4  A"}), Entries());
  EXPECT_TRUE(f->reporter.Logged("RegSetValueEx Success! ret=0 [Reg:REG_SZ,HKCU," + base_ + "\\Old,Text]"));
  EXPECT_EQ("No value\r\n", f->reporter.details.back()) << "shown, then passed over";
  EXPECT_EQ("4:" + os::RegDwordData(31), Value("Old", "Num"));
  EXPECT_EQ("4:" + os::RegDwordData(42), Value("New", "Added"));
  EXPECT_EQ("1:" + std::string("default\0", 8), Value("Old", ""));
  EXPECT_EQ(0, Rollback());
  EXPECT_EQ(0u, record->size());
  EXPECT_EQ(before, value_test::DumpTree(HKCU, base_)) << "values restored with their types, key New gone";
  EXPECT_EQ("Rollback:Text\r\n", f->reporter.details.back());
}

TEST_F(UpdateRegistrySectionTest, AKeyThatCannotBeCreatedIsAnItemFailure) {
  Make("RegCount=1\r\nReg1.Key=Reg:REG_SZ,HKCU,%BASE%\\Denied,V\r\nReg1.Value=x\r\n");
  value_test::FailNthChange(1);
  EXPECT_EQ(-1, Run());
  EXPECT_TRUE(f->reporter.Logged("RegCreateKeyEx Failed! ret=5 [Reg:REG_SZ,HKCU," + base_ + "\\Denied,V]"));
  EXPECT_TRUE(f->reporter.Logged("EventHandler('Reg1.Error.',OldRet=-1)"));
  EXPECT_EQ(0u, record->size());
}

TEST_F(UpdateRegistrySectionTest, RetryFullRecordAndSyntaxErrors) {
  MakeKey("");  // so that only R is made by the item
  Make("RegCount=2\r\nReg1.Key=Reg:REG_SZ,HKCU,%BASE%\\R,V\r\nReg1.Value=x\r\n"
       "Reg1.Success.AskYesNo=Again?\r\nReg1.Success.Yes=BRVN_RETRY\r\nReg1.Success.No=BRVN_CONTINUE\r\n"
       "Reg2.Key=Reg:REG_SZ,HKLM\r\nReg2.Value=x\r\n");
  f->reporter.answers = {kIdYes, kIdNo};
  EXPECT_EQ(-1, Run()) << "item 2 is malformed";
  EXPECT_FALSE(f->reporter.Logged("EventHandler('Reg2.Error.',OldRet=-1)"));
  EXPECT_EQ((std::vector<std::string>{"1  AK", "1 x "}), Entries());
  EXPECT_EQ(0, Rollback());
  EXPECT_EQ("<missing " + Path("R") + ">\n", value_test::DumpTree(HKCU, Path("R")));

  while (record->size() < CHFS_InstallRecord::kMaxRecords) record->AddRecord(9, "", "", "");
  EXPECT_EQ(BRVN_USERBREAK, Run());
  EXPECT_EQ("<missing " + Path("R") + ">\n", value_test::DumpTree(HKCU, Path("R")))
      << "a key created for a change that cannot be recorded goes again";
}

}  // namespace

namespace {

// A key made with the parents it lacked goes with them on rollback, but a
// parent that something else has come into stays; a value or key that
// cannot be deleted fails the rollback, and one already gone does not.
TEST_F(UpdateRegistrySectionTest, CreatedParentsGoAndFailedDeletesAreFailures) {
  MakeKey("");
  Make("RegCount=2\r\nReg1.Key=Reg:REG_SZ,HKCU,%BASE%\\A\\B\\C,V\r\nReg1.Value=x\r\n"
       "Reg2.Key=Reg:REG_SZ,HKCU,%BASE%,Added\r\nReg2.Value=y\r\n");
  ASSERT_EQ(0, Run());
  EXPECT_EQ((std::vector<std::string>{"1  AK3", "2  A"}), Entries());
  MakeKey("A", {{"Other", "1", "came later"}});
  value_test::FailNthChange(1);  // deleting the value Added
  EXPECT_EQ(-1, Rollback());
  value_test::FailNthChange(0);
  EXPECT_EQ("1:y" + std::string(1, '\0'), Value("", "Added"));
  EXPECT_EQ(1u, record->size()) << "the rollback stopped at the failed delete";
  EXPECT_EQ(0, Rollback());
  EXPECT_EQ("<missing " + Path("A\\B") + ">\n", value_test::DumpTree(HKCU, Path("A\\B")));
  EXPECT_EQ("1:came later" + std::string(1, '\0'), Value("A", "Other"));

  record->BeginStep(1);
  record->AddRecord(2, "", "A", "");
  record->AddRecord(1, "", "AK3", "");
  EXPECT_EQ(0, Rollback()) << "a value and keys already gone count as deleted";
}

}  // namespace

// A REG_DWORD value is written only when it reads as a number; text that
// would become 0 unseen is an item error and nothing is changed.
TEST_F(UpdateRegistrySectionTest, DwordValuesMustBeNumbers) {
  struct Case {
    const char* value;
    bool number;
  };
  const Case cases[] = {{"0", true},      {" -5", true}, {"+7", true},  {"12abc", true},
                        {"0x", true},     {"0xZZ", true}, {"seven", false}, {"", false},
                        {"- 5", false},   {"x1F", false}, {"0X1F", true}};
  for (const Case& c : cases) {
    MakeKey("");
    Make(std::string("RegCount=1\r\nReg1.Key=Reg:REG_DWORD,HKCU,%BASE%,N\r\nReg1.Value=") + c.value + "\r\n");
    EXPECT_EQ(c.number ? 0 : -1, Run()) << c.value;
    EXPECT_EQ(c.number, f->reporter.Logged("RegSetValueEx Success! ret=0 [Reg:REG_DWORD,HKCU," + base_ + ",N]"))
        << c.value;
    EXPECT_EQ(!c.number, f->reporter.Logged("*** Syntax error: Reg1.Value='" + std::string(c.value) +
                                            "' is not a number for REG_DWORD in section ['ProductInstall.UpdateRegistry']. "))
        << c.value;
    EXPECT_EQ(!c.number, f->reporter.Logged("EventHandler('Reg1.Error.',OldRet=-1)")) << c.value;
    EXPECT_EQ(c.number ? 1u : 0u, record->size()) << c.value;
  }
}
