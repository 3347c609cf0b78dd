#include "sections/update_symbols_section.h"

#include <gtest/gtest.h>

#include "engine/result_codes.h"
#include "os/tests/os_test_support.h"
#include "sections/tests/value_test_support.h"

namespace {

class UpdateSymbolsSectionTest : public value_test::SectionTest<CHFS_UpdateSymbolsSection> {
 protected:
  UpdateSymbolsSectionTest() : SectionTest("ProductInstall.UpdateSymbols") {}
  std::string Symbol(const std::string& name) const { return f->engine->ScriptSymbols().at(name); }
};

TEST_F(UpdateSymbolsSectionTest, ReadsAllThreeKindsAndRollsBackInReverse) {
  MakeKey("App", {{"Build", "4", os::RegDwordData(12)}});
  const std::string folder = testing_support::NewTestFolder();
  testing_support::WriteFileBytes(folder + "\\a.ini", "[S]\r\nK=ini value\r\n");
  Make("A=[Reg:REG_DWORD,HKCU,%BASE%\\App,Build]\r\nno equals sign\r\nB=[INI:%DIR%\\a.ini,S,K]\r\n"
       "C=[FileInfo:" + os_test::FixturePath("version_sample.dll") + ",ProductVersion]\r\n"
       "D=%A%-%B%\r\nD=again %D%\r\nB=[Reg:REG_SZ,HKCU,%BASE%\\Nope,x]\r\n",
       "A=a0\r\nB=b0\r\nC=c0\r\nD=d0\r\nDIR=" + folder + "\r\n");
  EXPECT_EQ(0, Run());
  EXPECT_EQ((std::vector<std::string>{"12", "", "5, 2, 3790, 1234", "again 12-ini value"}),
            (std::vector<std::string>{Symbol("A"), Symbol("B"), Symbol("C"), Symbol("D")}));
  ASSERT_EQ(6u, record->size()) << "lines without '=' do not count";
  EXPECT_EQ("5 D 12-ini value", Entries()[4]);
  EXPECT_EQ(0, Rollback());
  EXPECT_EQ((std::vector<std::string>{"a0", "b0", "c0", "d0"}),
            (std::vector<std::string>{Symbol("A"), Symbol("B"), Symbol("C"), Symbol("D")}));
}

TEST_F(UpdateSymbolsSectionTest, UndefinedSymbolsFullRecordAndNoSection) {
  Make("A=a1\r\nZ=x\r\nA=a2\r\n", "A=a0\r\n");
  EXPECT_EQ(BRVN_USERBREAK, Run());
  EXPECT_TRUE(f->reporter.Logged("Error! Can't Update undefine symbol 'Z' to 'x'"));
  EXPECT_EQ(2u, record->size()) << "the refused symbol's entry stays";
  EXPECT_EQ(0, Rollback());
  EXPECT_EQ("a0", Symbol("A"));
  EXPECT_EQ(0, section->Run("ProductInstall.UpdateSymbols.Missing", *record));
  while (record->size() < CHFS_InstallRecord::kMaxRecords) record->AddRecord(9, "", "", "");
  EXPECT_EQ(BRVN_USERBREAK, Run());
  EXPECT_EQ("a0", Symbol("A")) << "not changed when it cannot be recorded";
}

}  // namespace
