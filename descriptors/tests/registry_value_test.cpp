#include "descriptors/registry_value.h"

#include <gtest/gtest.h>

#include "engine/tests/engine_fixture.h"
#include "sections/tests/value_test_support.h"

namespace {

using testing_support::EngineFixture;

class RegistryValueTest : public value_test::RegistryTestKey {};

TEST_F(RegistryValueTest, ReadsAsTheDescriptorTypeSaysAndLogsFailures) {
  MakeKey("K", {{"Minus", "4", os::RegDwordData(0xFFFFFFFFul)}, {"Abc", "4", std::string("ABC\0", 4)},
                {"Big", "1", std::string(5000, 'x')}});
  MakeKey("D", {{"", "1", "the default"}});
  EngineFixture f("");
  f.reporter.log.clear();
  const std::pair<std::string, std::string> cases[] = {
      {"[" + Descriptor("REG_DWORD", "K") + ",Minus]", "-1"},
      {"[" + Descriptor("REG_SZ", "K") + ",Abc]", "ABC"},  // a DWORD's bytes up to the first NUL
      {"x[" + Descriptor("REG_SZ", "D") + "]y", "the default"},
      {"[" + Descriptor("REG_SZ", "K") + ",Abc", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.second, QueryRegistryDescriptor(*f.engine, c.first)) << c.first;
  EXPECT_TRUE(f.reporter.log.empty());

  const std::pair<std::string, std::string> failures[] = {
      {"[" + Descriptor("REG_SZ", "K") + "]", "RegQueryValue Item ='' Failed! ret=2,lasterror="},
      {"[" + Descriptor("REG_SZ", "K") + ",Big]", "RegQueryValue Item ='Big' Failed! ret=234,lasterror="},
      {"[" + Descriptor("REG_SZ", "Gone") + ",x]", "RegOpenKeyEx key='" + Path("Gone") + "' Failed! ret=2,lasterror="},
      {"[Reg:reg_sz,HKLM,K]", "Syntax error , Incorrect registry description!"},
      {"[Reg:REG_SZ,HKXX,K]", "Syntax error , Incorrect registry description!"},
  };
  for (const auto& c : failures) {
    f.reporter.log.clear();
    EXPECT_EQ("", QueryRegistryDescriptor(*f.engine, c.first)) << c.first;
    EXPECT_EQ(0u, f.reporter.log.back().find(c.second)) << f.reporter.log.back();
  }
  EXPECT_EQ("(empty)", QueryRegistryValue(*f.engine, os::kRegSz, os::RegRoot::kCurrentUser, Path("K"), "No"));
}

TEST(RegistryDwordTextTest, Conversions) {
  const struct {
    const char* text;
    bool hex;
    unsigned long value;
  } cases[] = {
      {"0x1F", true, 31},          {"0X1F", true, 0},     {"42abc", true, 42},   {"0x  +ff", true, 255},
      {"0xFFFFFFFFF", true, 0xFFFFFFFFul}, {"-1", false, 0xFFFFFFFFul}, {"0x1F", false, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(c.value, RegistryDwordFromText(c.text, c.hex)) << c.text;
}

}  // namespace
