// The engine reads the descriptors of its Symbols sections with these
// readers unless it is given readers of its own.
#include "descriptors/value_queries.h"

#include <gtest/gtest.h>

#include "engine/tests/engine_fixture.h"
#include "os/tests/os_test_support.h"
#include "sections/tests/value_test_support.h"

namespace {

class SymbolDescriptorsTest : public value_test::RegistryTestKey {};

TEST_F(SymbolDescriptorsTest, SymbolsSectionsReadAllThreeKinds) {
  MakeKey("App", {{"Build", "4", os::RegDwordData(77)}});
  const std::string folder = testing_support::NewTestFolder();
  testing_support::WriteFileBytes(folder + "\\app.ini", "Top=first\r\n[Main]\r\nVer=3.1\r\n");
  const std::string dll = os_test::FixturePath("version_sample.dll");
  testing_support::EngineFixture f("[ProductInstall.Symbols]\r\nDIR=" + folder + "\r\n"
                                   "BUILD=[" + Descriptor("REG_DWORD", "App") + ",Build]\r\n"
                                   "TOP=[INI:%DIR%\\app.ini,,Top]\r\n"
                                   "FILEVER=[FileInfo:" + dll + ",FileVersion][INI:%DIR%\\app.ini,Main,Ver]\r\n");
  const auto& symbols = f.engine->ScriptSymbols();
  EXPECT_EQ("77", symbols.at("BUILD"));
  EXPECT_EQ("first", symbols.at("TOP"));
  EXPECT_EQ("", symbols.at("FILEVER")) << "the file reader takes the value whole: no such property";
}

struct FixedQueries : CHFS_ValueQueries {
  std::string QueryRegistryValue(const std::string& text) override { return "reg:" + text; }
  std::string QueryFileInfo(const std::string& text) override { return "file:" + text; }
  std::string QueryINIValue(const std::string& text) override { return "ini:" + text; }
};

TEST(ValueQueriesTest, AnEngineTakesReadersOfItsOwn) {
  const std::string folder = testing_support::NewTestFolder();
  testing_support::WriteFileBytes(folder + "\\HotFix.ini", "[ProductInstall.Symbols]\r\nA=[INI:x][Reg:q]\r\n");
  CHFS_RunFlags flags;
  flags.recordPath = folder + "\\HotFix.ini";
  FixedQueries queries;
  CHFS_Engine engine(nullptr, "HotFix.ini", flags, nullptr, &queries);
  EXPECT_EQ("reg:[INI:x][Reg:q]", engine.ScriptSymbols().at("A"));
}

}  // namespace
