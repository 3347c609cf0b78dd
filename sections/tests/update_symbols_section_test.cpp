#include "sections/update_symbols_section.h"

#include <gtest/gtest.h>

#include "engine/result_codes.h"
#include "engine/tests/engine_fixture.h"
#include "os/tests/os_test_paths.h"
#include "sections/tests/value_test_support.h"

namespace {

using testing_support::EngineFixture;

class UpdateSymbolsSectionTest : public value_test::RegistryTestKey {
 protected:
  void Make(const std::string& symbols, const std::string& lines) {
    f = std::make_unique<EngineFixture>("[ProductInstall.Symbols]\r\n" + symbols +
                                        "[ProductInstall.UpdateSymbols]\r\n" + lines);
    section = std::make_unique<CHFS_UpdateSymbolsSection>(f->engine.get());
    record = std::make_unique<CHFS_InstallRecord>(f->engine.get());
    record->BeginStep(1);
    f->reporter.log.clear();
  }
  int Run(const std::string& name = "ProductInstall.UpdateSymbols") { return section->Run(name, *record); }
  int Rollback() { return section->Rollback("ProductInstall.UpdateSymbols", *record); }
  std::string Symbol(const std::string& name) const { return f->engine->ScriptSymbols().at(name); }

  std::unique_ptr<EngineFixture> f;
  std::unique_ptr<CHFS_UpdateSymbolsSection> section;
  std::unique_ptr<CHFS_InstallRecord> record;
};

TEST_F(UpdateSymbolsSectionTest, ReadsAllThreeKindsAndRollsBackInReverse) {
  MakeKey("App", {{"Build", "4", os::RegDwordData(12)}});
  const std::string folder = testing_support::NewTestFolder();
  testing_support::WriteFileBytes(folder + "\\a.ini", "Top=t\r\n[S]\r\nK=ini value\r\n");
  const std::string dll = os_test::FixturePath("version_sample.dll");
  Make("A=a0\r\nB=b0\r\nC=c0\r\nD=d0\r\nDIR=" + folder + "\r\n",
       "A=[Reg:REG_DWORD,HKCU," + base_ + "\\App,Build]\r\n"
       "no equals sign\r\n"
       "B=[INI:%DIR%\\a.ini,S,K]\r\n"
       "C=[FileInfo:" + dll + ",ProductVersion]\r\n"
       "D=%A%-%B%\r\n"
       "D=again %D%\r\n"
       "B=[Reg:REG_SZ,HKCU," + base_ + "\\Nope,x]\r\n");
  EXPECT_EQ(0, Run());
  EXPECT_EQ("12", Symbol("A"));
  EXPECT_EQ("", Symbol("B")) << "an unreadable descriptor gives the empty text";
  EXPECT_EQ("5, 2, 3790, 1234", Symbol("C"));
  EXPECT_EQ("again 12-ini value", Symbol("D")) << "each line sees the earlier lines' values";
  ASSERT_EQ(6u, record->size());
  EXPECT_EQ(6, record->Entries()[5].item) << "lines without '=' do not count";
  EXPECT_EQ("12-ini value", record->Entries()[4].Param2);
  EXPECT_TRUE(f->reporter.Logged("CHFS_UpdateSymbolsSection::Run(ProductInstall.UpdateSymbols)"));
  EXPECT_EQ(0, Rollback());
  EXPECT_EQ(0u, record->size());
  for (const char* name : {"A", "B", "C", "D"}) {
    EXPECT_EQ(std::string(1, static_cast<char>(name[0] + 32)) + "0", Symbol(name)) << name;
  }
  EXPECT_TRUE(f->reporter.Logged("CHFS_UpdateSymbolsSection::Rollback(ProductInstall.UpdateSymbols)"));
}

TEST_F(UpdateSymbolsSectionTest, UndefinedSymbolsAndEmptySections) {
  Make("A=a0\r\n", "A=a1\r\nZ=x\r\nA=a2\r\n");
  EXPECT_EQ(BRVN_USERBREAK, Run());
  EXPECT_TRUE(f->reporter.Logged("Error! Can't Update undefine symbol 'Z' to 'x'"));
  EXPECT_EQ(2u, record->size()) << "the refused symbol's entry stays";
  EXPECT_EQ("a1", Symbol("A"));
  EXPECT_EQ(0, Rollback());
  EXPECT_EQ("a0", Symbol("A"));
  EXPECT_EQ(0u, f->engine->ScriptSymbols().count("Z"));

  EXPECT_EQ(0, Run("ProductInstall.UpdateSymbols.Missing"));
  EXPECT_EQ(0u, record->size());
  while (record->size() < CHFS_InstallRecord::kMaxRecords) record->AddRecord(9, "", "", "");
  EXPECT_EQ(BRVN_USERBREAK, Run());
  EXPECT_EQ("a0", Symbol("A")) << "not changed when it cannot be recorded";
}

}  // namespace
