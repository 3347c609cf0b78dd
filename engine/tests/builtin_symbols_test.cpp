#include <gtest/gtest.h>

#include <regex>

#include "engine/builtin_symbols.h"
#include "engine/tests/engine_fixture.h"

namespace {

struct OsTypeCase {
  unsigned long platform, major, minor;
  const char* expected;
};

class OsTypeTest : public testing::TestWithParam<OsTypeCase> {};

TEST_P(OsTypeTest, MapsVersionRecord) {
  const OsTypeCase& c = GetParam();
  EXPECT_EQ(OsTypeValue(os::VersionRecord{c.platform, c.major, c.minor}), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, OsTypeTest,
    testing::Values(OsTypeCase{1, 4, 0, "WIN95"}, OsTypeCase{1, 4, 10, "WIN98"},
                    OsTypeCase{1, 4, 90, "WINME"}, OsTypeCase{1, 4, 3, ""},
                    OsTypeCase{2, 5, 0, "WIN2K"}, OsTypeCase{2, 5, 1, "WINXP"},
                    OsTypeCase{2, 5, 2, "WIN.NET"}, OsTypeCase{2, 5, 7, "UNKNOWN"},
                    OsTypeCase{2, 4, 0, "NT4"}, OsTypeCase{2, 3, 51, "NT351"},
                    OsTypeCase{2, 6, 1, ""}, OsTypeCase{2, 10, 0, ""},
                    OsTypeCase{0, 3, 1, "UNKNOWN"}, OsTypeCase{3, 5, 1, "UNKNOWN"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(BuiltInSymbolsTest, DateAndTimeFormats) {
  os::LocalTime t;
  t.year = 2004;
  t.month = 3;
  t.day = 5;
  t.hour = 9;
  t.minute = 7;
  t.second = 3;
  EXPECT_EQ(DateText(t), "2004-03-05");
  EXPECT_EQ(TimeText(t), "09:07:03");
}

TEST(BuiltInSymbolsTest, TableHoldsNamedAndByteSymbols) {
  testing_support::EngineFixture f("[ProductInstall.Main]\r\n");
  const auto& global = f.engine->GlobalSymbols();
  EXPECT_EQ(global.size(), 13u + 255u);
  for (const char* name : {"WINDIR", "COMPUTER", "OS_TYPE", "TEMP", "SOURCEDIR", "DATE", "YEAR",
                           "MONTH", "DAY", "TIME", "HOUR", "MINUTE", "SECOND"}) {
    EXPECT_EQ(global.count(name), 1u) << name;
    EXPECT_TRUE(f.reporter.Logged(std::string("@ Update Global Symbol table: '") + name + "'='" +
                                  global.at(name) + "'"))
        << name;
  }
  EXPECT_EQ(global.count("x00"), 0u);
  EXPECT_EQ(global.at("xff"), std::string(1, '\xff'));
  EXPECT_EQ(global.at("TEMP").back(), '\\');
  EXPECT_NE(global.at("WINDIR").back(), '\\');
  EXPECT_EQ(global.at("SOURCEDIR"), f.engine->GetModuleFolder());
  EXPECT_TRUE(std::regex_match(global.at("DATE"), std::regex(R"(\d{4}-\d\d-\d\d)")));
  EXPECT_EQ(global.at("DATE"), global.at("YEAR") + "-" + global.at("MONTH") + "-" + global.at("DAY"));
  EXPECT_EQ(global.at("TIME"), global.at("HOUR") + ":" + global.at("MINUTE") + ":" + global.at("SECOND"));
  // Byte symbols are put in without log lines.
  EXPECT_FALSE(f.reporter.Logged("@ Update Global Symbol table: 'x41'='A'"));
}

}  // namespace
