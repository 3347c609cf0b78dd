#include "sections/remove_registry_section.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/result_codes.h"
#include "engine/tests/engine_fixture.h"
#include "sections/tests/value_test_support.h"

namespace {

using testing_support::EngineFixture;
const os::RegRoot HKCU = os::RegRoot::kCurrentUser;

class RemoveRegistrySectionTest : public value_test::RegistryTestKey {
 protected:
  void Make(const std::string& items) {
    f = std::make_unique<EngineFixture>("[ProductInstall.Symbols]\r\nBASE=" + base_ +
                                        "\r\n[ProductInstall.RemoveRegistry]\r\n" + items);
    section = std::make_unique<CHFS_RemoveRegistrySection>(f->engine.get());
    record = std::make_unique<CHFS_InstallRecord>(f->engine.get());
    record->BeginStep(1);
    f->reporter.log.clear();
  }
  int Run() { return section->Run("ProductInstall.RemoveRegistry", *record); }
  int Rollback() { return section->Rollback("ProductInstall.RemoveRegistry", *record); }
  // A plain line: written as it stands, no time stamp.
  bool PlainLine(const std::string& line) const {
    return std::find(f->reporter.log.begin(), f->reporter.log.end(), line) != f->reporter.log.end();
  }
  std::vector<std::string> Entry(size_t i) const {
    const RecordEntry& e = record->Entries()[i];
    return {std::to_string(e.item), e.Param1, e.Param2, e.Param3};
  }
  // type:data of a value, or "missing".
  std::string Value(const std::string& sub, const std::string& name) const {
    os::RegistryKey key;
    unsigned long type = 0;
    std::string data;
    if (key.Open(HKCU, Path(sub), os::RegAccess::kRead) != 0 || key.QueryValue(name, type, data) != 0) {
      return "missing";
    }
    return std::to_string(type) + ":" + data;
  }

  std::unique_ptr<EngineFixture> f;
  std::unique_ptr<CHFS_RemoveRegistrySection> section;
  std::unique_ptr<CHFS_InstallRecord> record;
};

TEST_F(RemoveRegistrySectionTest, AKeyWithThreeValuesComesBackWithTypes) {
  MakeKey("Gone", {{"S", "1", "text"}, {"D", "4", os::RegDwordData(0xFFFFFFFFul)}, {"E", "2", "x%y%"}});
  Make("RegCount=1\r\nReg1.Description=Gone\r\nReg1.Key=Reg:REG_SZ,HKCU,%BASE%\\Gone\r\n");
  EXPECT_EQ(0, Run());
  EXPECT_TRUE(PlainLine("RegDeleteValue/Key Success! ret=0 [Reg:REG_SZ,HKCU," + base_ + "\\Gone]"));
  EXPECT_FALSE(f->reporter.Logged("CHFS_RemoveRegistrySection::Run(ProductInstall.RemoveRegistry)"));
  EXPECT_EQ("<missing " + Path("Gone") + ">\n", value_test::DumpTree(HKCU, Path("Gone")));
  ASSERT_EQ(4u, record->size());
  std::vector<std::vector<std::string>> entries = {Entry(0), Entry(1), Entry(2)};
  std::sort(entries.begin(), entries.end());  // Wine lists values sorted
  EXPECT_EQ((std::vector<std::vector<std::string>>{
                {"1", "D", "-1", "REG_DWORD"}, {"1", "E", "x%y%", "REG_SZ"}, {"1", "S", "text", "REG_SZ"}}),
            entries);
  EXPECT_EQ((std::vector<std::string>{"1", "", "", ""}), Entry(3));

  EXPECT_EQ(0, Rollback());
  EXPECT_EQ(0u, record->size());
  EXPECT_EQ("1:" + std::string("text\0", 5), Value("Gone", "S"));
  EXPECT_EQ("4:" + os::RegDwordData(0xFFFFFFFFul), Value("Gone", "D"));
  EXPECT_EQ("1:" + std::string("x%y%\0", 5), Value("Gone", "E")) << "other types come back as REG_SZ";
  EXPECT_TRUE(f->reporter.Logged("CHFS_RemoveRegistrySection::Rollback(ProductInstall.RemoveRegistry)"));
  EXPECT_EQ("Rollback:Gone\r\n", f->reporter.details.back());
}

TEST_F(RemoveRegistrySectionTest, ADefaultValueComesBackToo) {
  MakeKey("Gone", {{"", "1", "default"}, {"N", "1", "named"}});
  const std::string before = value_test::DumpTree(HKCU, base_);
  Make("RegCount=1\r\nReg1.Key=Reg:REG_SZ,HKCU,%BASE%\\Gone\r\n");
  EXPECT_EQ(0, Run());
  EXPECT_EQ(3u, record->size());
  EXPECT_EQ(0, Rollback());
  EXPECT_EQ(before, value_test::DumpTree(HKCU, base_));
}

TEST_F(RemoveRegistrySectionTest, AValueIsRemovedAndRestored) {
  MakeKey("K", {{"V", "1", "old"}, {"W", "4", os::RegDwordData(5)}});
  const std::string before = value_test::DumpTree(HKCU, base_);
  Make("RegCount=2\r\nReg1.Key=Reg:REG_SZ,HKCU,%BASE%\\K,V\r\nReg2.Key=Reg:REG_DWORD,HKCU,%BASE%\\K,W\r\n");
  EXPECT_EQ(0, Run());
  EXPECT_EQ("missing", Value("K", "V"));
  ASSERT_EQ(2u, record->size());
  EXPECT_EQ((std::vector<std::string>{"1", "V", "old", ""}), Entry(0));
  EXPECT_EQ((std::vector<std::string>{"2", "W", "5", ""}), Entry(1));
  EXPECT_EQ(0, Rollback());
  EXPECT_EQ(before, value_test::DumpTree(HKCU, base_));
}

TEST_F(RemoveRegistrySectionTest, MissingKeysAndValuesAreASuccessWithNothingRecorded) {
  MakeKey("K");
  Make("RegCount=2\r\nReg1.Key=Reg:REG_SZ,HKCU,%BASE%\\Nope\r\nReg2.Key=Reg:REG_SZ,HKCU,%BASE%\\K,Nope\r\n"
       "Reg1.Success.Action=BRVN_CONTINUE\r\n");
  EXPECT_EQ(0, Run());
  EXPECT_EQ(0u, record->size());
  EXPECT_TRUE(f->reporter.Logged("EventHandler('Reg1.Success.',OldRet=0)"));
  EXPECT_TRUE(PlainLine("RegDeleteValue/Key Success! ret=0 [Reg:REG_SZ,HKCU," + base_ + "\\K,Nope]"));
}

TEST_F(RemoveRegistrySectionTest, FailuresEndTheSection) {
  Make("RegCount=2\r\nReg1.Description=First\r\nReg2.Key=Reg:REG_SZ,HKCU,%BASE%\r\n");
  EXPECT_EQ(-1, Run());
  EXPECT_TRUE(PlainLine("Syntax error , incorrect registry description!"));
  EXPECT_TRUE(f->reporter.Logged("*** Syntax error: Incorrect registry description '(empty)'!"));
  EXPECT_EQ(std::vector<std::string>{"First\r\n"}, f->reporter.details);

  MakeKey("Parent\\Child");
  MakeKey("Parent", {{"V", "1", "v"}});
  Make("RegCount=1\r\nReg1.Key=Reg:REG_SZ,HKCU,%BASE%\\Parent\r\n");
  EXPECT_EQ(-1, Run()) << "a key with subkeys cannot be deleted";
  EXPECT_TRUE(PlainLine("RegDeleteValue/Key Failed! ret=5 [Reg:REG_SZ,HKCU," + base_ + "\\Parent]"));
  EXPECT_TRUE(f->reporter.Logged("EventHandler('Reg1.Error.',OldRet=-1)"));
  EXPECT_EQ("1:" + std::string("v\0", 2), Value("Parent", "V"));
}

TEST_F(RemoveRegistrySectionTest, AKeyIsKeptWhenNotAllItsValuesCanBeRecorded) {
  MakeKey("Kept", {{"A", "1", "a"}, {"B", "1", "b"}, {"C", "1", "c"}});
  const std::string before = value_test::DumpTree(HKCU, base_);
  Make("RegCount=1\r\nReg1.Key=Reg:REG_SZ,HKCU,%BASE%\\Kept\r\n");
  while (record->size() < CHFS_InstallRecord::kMaxRecords - 2) record->AddRecord(9, "", "", "");
  EXPECT_EQ(BRVN_USERBREAK, Run());
  EXPECT_EQ(before, value_test::DumpTree(HKCU, base_));
}

TEST_F(RemoveRegistrySectionTest, RetryRecordsTheItemAgain) {
  MakeKey("K", {{"V", "1", "old"}});
  Make("RegCount=1\r\nReg1.Key=Reg:REG_SZ,HKCU,%BASE%\\K,V\r\n"
       "Reg1.Success.AskYesNo=Again?\r\nReg1.Success.Yes=BRVN_RETRY\r\nReg1.Success.No=BRVN_CONTINUE\r\n");
  f->reporter.answers = {kIdYes, kIdNo};
  EXPECT_EQ(0, Run());
  EXPECT_EQ(1u, record->size()) << "the second pass finds nothing left to remove";
  MakeKey("K", {{"V", "1", "again"}});
  f->reporter.answers = {kIdYes, kIdNo};
  EXPECT_EQ(0, Run());
  EXPECT_EQ(2u, record->size());
  EXPECT_EQ(0, Rollback());
  EXPECT_EQ("1:" + std::string("old\0", 4), Value("K", "V")) << "newest entry first, oldest last";
}

}  // namespace
