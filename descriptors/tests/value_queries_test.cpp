// The engine reads the descriptors of its Symbols sections with these
// readers unless it is given readers of its own.
#include "descriptors/value_queries.h"

#include <gtest/gtest.h>

#include "engine/tests/engine_fixture.h"
#include "os/tests/os_test_paths.h"
#include "sections/tests/value_test_support.h"

namespace {

using testing_support::EngineFixture;

class SymbolDescriptorsTest : public value_test::RegistryTestKey {};

TEST_F(SymbolDescriptorsTest, SymbolsSectionsReadAllThreeKinds) {
  MakeKey("App", {{"Build", "4", os::RegDwordData(77)}, {"", "1", "default text"}});
  const std::string folder = testing_support::NewTestFolder();
  testing_support::WriteFileBytes(folder + "\\app.ini", "Top=first\r\n[Main]\r\nVer=3.1\r\n");
  const std::string dll = os_test::FixturePath("version_sample.dll");
  EngineFixture f("[ProductInstall.Symbols]\r\n"
                  "DIR=" + folder + "\r\n"
                  "BUILD=[" + Descriptor("REG_DWORD", "App") + ",Build]\r\n"
                  "DEFAULT=x[" + Descriptor("REG_SZ", "App") + "]y\r\n"
                  "VER=[INI:%DIR%\\app.ini,Main,Ver]\r\n"
                  "TOP=[INI:%DIR%\\app.ini,,Top]\r\n"
                  "FILEVER=[FileInfo:" + dll + ",FileVersion]\r\n"
                  "FIRST=[FileInfo:" + dll + ",FileVersion][INI:%DIR%\\app.ini,Main,Ver]\r\n"
                  "BROKEN=[Reg:REG_SZ,HKLM\r\n");
  const auto& symbols = f.engine->ScriptSymbols();
  EXPECT_EQ("77", symbols.at("BUILD"));
  EXPECT_EQ("default text", symbols.at("DEFAULT"));
  EXPECT_EQ("3.1", symbols.at("VER"));
  EXPECT_EQ("first", symbols.at("TOP"));
  EXPECT_EQ("5.2", symbols.at("FILEVER"));
  EXPECT_EQ("", symbols.at("FIRST")) << "the file reader takes the whole value and finds no property";
  EXPECT_EQ("", symbols.at("BROKEN"));
}

class FixedQueries : public CHFS_ValueQueries {
 public:
  std::string QueryRegistryValue(const std::string& text) override { return "reg:" + text; }
  std::string QueryFileInfo(const std::string& text) override { return "file:" + text; }
  std::string QueryINIValue(const std::string& text) override { return "ini:" + text; }
};

TEST(ValueQueriesTest, AnEngineTakesReadersOfItsOwn) {
  const std::string folder = testing_support::NewTestFolder();
  testing_support::WriteFileBytes(folder + "\\HotFix.ini",
                                  "[ProductInstall.Symbols]\r\nA=[INI:x,y,z][Reg:q]\r\nB=plain\r\n");
  CHFS_RunFlags flags;
  flags.recordPath = folder + "\\HotFix.ini";
  FixedQueries queries;
  CHFS_Engine engine(nullptr, "HotFix.ini", flags, nullptr, &queries);
  EXPECT_EQ("reg:[INI:x,y,z][Reg:q]", engine.ScriptSymbols().at("A"));
  EXPECT_EQ("plain", engine.ScriptSymbols().at("B"));
}

}  // namespace
