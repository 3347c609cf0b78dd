#include "sections/remove_registry_section.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/result_codes.h"
#include "sections/tests/value_test_support.h"

namespace {

const os::RegRoot HKCU = os::RegRoot::kCurrentUser;

class RemoveRegistrySectionTest : public value_test::SectionTest<CHFS_RemoveRegistrySection> {
 protected:
  RemoveRegistrySectionTest() : SectionTest("ProductInstall.RemoveRegistry") {}
  // Run's lines are plain: written as they stand, no time stamp.
  bool PlainLine(const std::string& line) const {
    return std::find(f->reporter.log.begin(), f->reporter.log.end(), line) != f->reporter.log.end();
  }
};

TEST_F(RemoveRegistrySectionTest, AKeyWithThreeValuesComesBackWithTypes) {
  MakeKey("Gone", {{"S", "1", "text"}, {"D", "4", os::RegDwordData(0xFFFFFFFFul)}, {"E", "2", "x%y%"}});
  Make("RegCount=1\r\nReg1.Description=Gone\r\nReg1.Key=Reg:REG_SZ,HKCU,%BASE%\\Gone\r\n");
  EXPECT_EQ(0, Run());
  EXPECT_TRUE(PlainLine("RegDeleteValue/Key Success! ret=0 [Reg:REG_SZ,HKCU," + base_ + "\\Gone]"));
  EXPECT_EQ("<missing " + Path("Gone") + ">\n", value_test::DumpTree(HKCU, Path("Gone")));
  std::vector<std::string> entries = Entries();
  ASSERT_EQ(4u, entries.size());
  EXPECT_EQ("1  ", entries[3]) << "the key's own entry comes last";
  std::sort(entries.begin(), entries.begin() + 3);  // Wine lists values sorted
  EXPECT_EQ((std::vector<std::string>{"1 D -1 REG_DWORD", "1 E x%y% REG_SZ", "1 S text REG_SZ", "1  "}), entries);
  EXPECT_EQ(0, Rollback());
  EXPECT_EQ(0u, record->size());
  EXPECT_EQ("1:" + std::string("text\0", 5), Value("Gone", "S"));
  EXPECT_EQ("4:" + os::RegDwordData(0xFFFFFFFFul), Value("Gone", "D"));
  EXPECT_EQ("1:" + std::string("x%y%\0", 5), Value("Gone", "E")) << "other types come back as REG_SZ";
  EXPECT_TRUE(f->reporter.Logged("CHFS_RemoveRegistrySection::Rollback(ProductInstall.RemoveRegistry)"));
}

TEST_F(RemoveRegistrySectionTest, DefaultAndNamedValuesComeBack) {
  MakeKey("Gone", {{"", "1", "default"}, {"N", "1", "named"}});
  MakeKey("K", {{"V", "1", "old"}, {"W", "4", os::RegDwordData(5)}});
  const std::string before = value_test::DumpTree(HKCU, base_);
  Make("RegCount=4\r\nReg1.Key=Reg:REG_SZ,HKCU,%BASE%\\Gone\r\nReg2.Key=Reg:REG_SZ,HKCU,%BASE%\\K,V\r\n"
       "Reg3.Key=Reg:REG_DWORD,HKCU,%BASE%\\K,W\r\nReg4.Key=Reg:REG_SZ,HKCU,%BASE%\\Nope\r\n");
  EXPECT_EQ(0, Run());
  EXPECT_EQ("missing", Value("K", "V"));
  const std::vector<std::string> entries = Entries();
  ASSERT_EQ(5u, entries.size()) << "a missing key is a success that records nothing";
  EXPECT_EQ((std::vector<std::string>{"2 V old", "3 W 5"}), std::vector<std::string>(entries.begin() + 3, entries.end()));
  EXPECT_EQ(0, Rollback());
  EXPECT_EQ(before, value_test::DumpTree(HKCU, base_));
}

TEST_F(RemoveRegistrySectionTest, FailuresEndTheSection) {
  Make("RegCount=2\r\nReg1.Description=First\r\nReg2.Key=Reg:REG_SZ,HKCU,%BASE%\r\n");
  EXPECT_EQ(-1, Run());
  EXPECT_TRUE(PlainLine("Syntax error , incorrect registry description!"));
  EXPECT_TRUE(f->reporter.Logged("*** Syntax error: Incorrect registry description '(empty)'!"));

  MakeKey("Parent\\Child");
  MakeKey("Big", {{"Small", "1", "s"}, {"Large", "1", std::string(5000, 'x')}});
  Make("RegCount=2\r\nReg1.Key=Reg:REG_SZ,HKCU,%BASE%\\Parent\r\nReg1.Error.Action=BRVN_CONTINUE\r\n"
       "Reg2.Key=Reg:REG_SZ,HKCU,%BASE%\\Big\r\n");
  EXPECT_EQ(-1, Run());
  EXPECT_TRUE(PlainLine("RegDeleteValue/Key Failed! ret=5 [Reg:REG_SZ,HKCU," + base_ + "\\Parent]"))
      << "a key with subkeys cannot be deleted";
  EXPECT_TRUE(PlainLine("RegDeleteValue/Key Failed! ret=234 [Reg:REG_SZ,HKCU," + base_ + "\\Big]"));
  EXPECT_EQ(std::string(5000, 'x') + '\0', Value("Big", "Large").substr(2)) << "a value too long to record stays";
}

TEST_F(RemoveRegistrySectionTest, AKeyIsKeptWhenNotAllItsValuesCanBeRecorded) {
  MakeKey("Kept", {{"A", "1", "a"}, {"B", "1", "b"}, {"C", "1", "c"}});
  const std::string before = value_test::DumpTree(HKCU, base_);
  Make("RegCount=1\r\nReg1.Key=Reg:REG_SZ,HKCU,%BASE%\\Kept\r\n");
  while (record->size() < CHFS_InstallRecord::kMaxRecords - 2) record->AddRecord(9, "", "", "");
  EXPECT_EQ(BRVN_USERBREAK, Run());
  EXPECT_EQ(before, value_test::DumpTree(HKCU, base_));
}

}  // namespace
