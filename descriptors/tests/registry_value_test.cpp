#include "descriptors/registry_value.h"

#include <gtest/gtest.h>

#include "engine/tests/engine_fixture.h"
#include "sections/tests/value_test_support.h"

namespace {

using testing_support::EngineFixture;
const os::RegRoot HKCU = os::RegRoot::kCurrentUser;

class RegistryValueTest : public value_test::RegistryTestKey {
 protected:
  void SetUp() override {
    RegistryTestKey::SetUp();
    MakeKey("K", {{"Minus", "4", os::RegDwordData(0xFFFFFFFFul)},
                  {"Abc", "4", std::string("ABC\0", 4)},
                  {"Text", "1", std::string("hello\0junk", 10)},
                  {"Big", "1", std::string(5000, 'x')},
                  {"Long", "3", "12345"}});
    MakeKey("WithDefault", {{"", "1", "the default"}});
    f.reporter.log.clear();
  }
  std::string Query(unsigned long type, const std::string& sub, const std::string& name) {
    return QueryRegistryValue(*f.engine, type, HKCU, Path(sub), name);
  }
  EngineFixture f{""};
};

TEST_F(RegistryValueTest, ReadsAsTheCallerTypeSays) {
  EXPECT_EQ("-1", Query(os::kRegDword, "K", "Minus"));
  EXPECT_EQ("ABC", Query(os::kRegSz, "K", "Abc")) << "a DWORD's bytes up to the first NUL";
  EXPECT_EQ("hello", Query(os::kRegSz, "K", "Text"));
  EXPECT_EQ("the default", Query(os::kRegSz, "WithDefault", ""));
  EXPECT_TRUE(f.reporter.log.empty());
}

TEST_F(RegistryValueTest, FailuresGiveEmptyItemAndAPlainLine) {
  const struct {
    unsigned long type;
    const char* sub;
    const char* name;
    const char* line;
  } cases[] = {
      {os::kRegSz, "K", "", "RegQueryValue Item ='' Failed! ret=2,lasterror="},
      {os::kRegSz, "K", "Nope", "RegQueryValue Item ='Nope' Failed! ret=2,lasterror="},
      {os::kRegSz, "K", "Big", "RegQueryValue Item ='Big' Failed! ret=234,lasterror="},
      {os::kRegDword, "K", "Long", "RegQueryValue Item ='Long' Failed! ret=234,lasterror="},
  };
  for (const auto& c : cases) {
    f.reporter.log.clear();
    EXPECT_EQ("(empty)", Query(c.type, c.sub, c.name)) << c.name;
    ASSERT_EQ(1u, f.reporter.log.size()) << c.name;
    EXPECT_EQ(0u, f.reporter.log[0].find(c.line)) << f.reporter.log[0];
  }
  f.reporter.log.clear();
  EXPECT_EQ("(empty)", Query(os::kRegSz, "Gone", "x"));
  ASSERT_EQ(1u, f.reporter.log.size());
  EXPECT_EQ(0u, f.reporter.log[0].find("RegOpenKeyEx key='" + Path("Gone") + "' Failed! ret=2,lasterror="))
      << f.reporter.log[0];
}

TEST_F(RegistryValueTest, BracketedReader) {
  EXPECT_EQ("-1", QueryRegistryDescriptor(*f.engine, "[" + Descriptor("REG_DWORD", "K") + ",Minus]"));
  EXPECT_EQ("the default", QueryRegistryDescriptor(*f.engine, "x[" + Descriptor("REG_SZ", "WithDefault") + "]y"));
  EXPECT_TRUE(f.reporter.log.empty());
  EXPECT_EQ("", QueryRegistryDescriptor(*f.engine, "[" + Descriptor("REG_SZ", "K") + ",Nope]"));
  EXPECT_EQ("", QueryRegistryDescriptor(*f.engine, "[" + Descriptor("REG_SZ", "K") + ",Text"));
  for (const char* bad : {"[Reg:REG_SZ,HKLM]", "[Reg:reg_sz,HKLM,K]", "[Reg:REG_SZ,HKXX,K]"}) {
    f.reporter.log.clear();
    EXPECT_EQ("", QueryRegistryDescriptor(*f.engine, bad));
    ASSERT_EQ(2u, f.reporter.log.size()) << bad;
    EXPECT_EQ("Syntax error , Incorrect registry description!", f.reporter.log[1]);
  }
}

TEST(RegistryDwordTextTest, Conversions) {
  const struct {
    const char* text;
    bool hex;
    unsigned long value;
  } cases[] = {
      {"0x1F", true, 31},         {"0X1F", true, 0},          {"42abc", true, 42},
      {"0x1f", true, 31},         {"0x  +ff", true, 255},     {"0xFFFFFFFFF", true, 0xFFFFFFFFul},
      {"-1", true, 0xFFFFFFFFul}, {"-1", false, 0xFFFFFFFFul}, {"0x1F", false, 0},
      {"", true, 0},              {" 7", true, 7},            {"2147483647", false, 0x7FFFFFFFul},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.value, RegistryDwordFromText(c.text, c.hex)) << c.text << " hex=" << c.hex;
  }
}

TEST_F(RegistryValueTest, WritesDwordsAsFourBytesAndTextWithoutItsNul) {
  os::RegistryKey key;
  ASSERT_EQ(0, key.Open(HKCU, Path("K"), os::RegAccess::kAllAccess));
  ASSERT_EQ(0, WriteRegistryText(key, "D", os::kRegDword, "0x1F", true));
  ASSERT_EQ(0, WriteRegistryText(key, "S", os::kRegSz, "text", true));
  unsigned long type = 0;
  std::string data;
  ASSERT_EQ(0, key.QueryValue("D", type, data));
  EXPECT_EQ(os::kRegDword, type);
  EXPECT_EQ(os::RegDwordData(31), data);
  ASSERT_EQ(0, key.QueryValue("S", type, data));
  EXPECT_EQ(os::kRegSz, type);
  EXPECT_EQ(std::string("text\0", 5), data);
}

}  // namespace
