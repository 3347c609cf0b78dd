#include <gtest/gtest.h>

#include "engine/tests/engine_fixture.h"

namespace {

using testing_support::EngineFixture;

const char kPlainScript[] = "[ProductInstall.Main]\r\nStepCount=0\r\n";

struct ReplaceCase {
  const char* text;
  const char* expected;
};

class ReplaceSymbolsTest : public testing::TestWithParam<ReplaceCase> {
 protected:
  static void SetUpTestSuite() {
    fixture = new EngineFixture(kPlainScript);
    CHFS_Engine& engine = *fixture->engine;
    engine.SetGlobalSymbol("TEMP", "C:\\TEMP\\");
    engine.SetSymbol("A", "%B%x");
    engine.SetSymbol("B", "y");
    engine.SetSymbol("C", "z");
    engine.SetSymbol("D", "%C%-%A%");
    engine.SetSymbol("E", "");
    engine.SetSymbol("SELF", "<%SELF%>");
    engine.SetSymbol("TEMP", "script-temp");
    engine.SetSymbol("DIR", "C:\\dir\\");
  }
  static void TearDownTestSuite() {
    delete fixture;
    fixture = nullptr;
  }
  static EngineFixture* fixture;
};

EngineFixture* ReplaceSymbolsTest::fixture = nullptr;

TEST_P(ReplaceSymbolsTest, Substitutes) {
  EXPECT_EQ(fixture->engine->ReplaceSymbols(GetParam().text), GetParam().expected)
      << "text: " << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceSymbolsTest,
    testing::Values(
        // Walk order: A is replaced before B, so B inside A's value is found.
        ReplaceCase{"%A%", "yx"},
        // D sorts after C and A, so references to earlier names stay.
        ReplaceCase{"%D%", "%C%-%A%"},
        ReplaceCase{"\"abc\"", "abc"},
        ReplaceCase{"\"\"", "\"\""},
        ReplaceCase{"\"%B%\"", "%B%"},
        ReplaceCase{"\"a", "\"a"},
        ReplaceCase{"%TEMP%\\file", "C:\\TEMP\\file"},
        ReplaceCase{"%TEMP%\\", "C:\\TEMP\\\\"},
        ReplaceCase{"%TEMP%\\\\x", "C:\\TEMP\\\\x"},
        ReplaceCase{"%DIR%\\a%DIR%\\b", "C:\\dir\\aC:\\dir\\b"},
        ReplaceCase{"%windir%", "%windir%"},
        ReplaceCase{"%E%abc", "abc"},
        // With an empty value the backslash before the pattern counts.
        ReplaceCase{"a\\%E%\\b", "a\\b"},
        ReplaceCase{"%SELF%", "<%SELF%>"},
        ReplaceCase{"%B%%B%%B%", "yyy"},
        ReplaceCase{"100% %B", "100% %B"},
        ReplaceCase{"%%", "%%"},
        ReplaceCase{"%x09%", "\t"},
        ReplaceCase{"%x0d%%x0a%", "\r\n"},
        ReplaceCase{"%x25%", "%"},
        ReplaceCase{"%x00%", "%x00%"},
        ReplaceCase{"%X41%", "%X41%"},
        ReplaceCase{"%x41%", "A"},
        ReplaceCase{"%x4A%", "%x4A%"},
        ReplaceCase{"%x4a%", "J"},
        ReplaceCase{"", ""}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(SymbolTableTest, GlobalValueWinsAndUpdateNeedsAScriptSymbol) {
  EngineFixture f(kPlainScript);
  CHFS_Engine& engine = *f.engine;
  engine.SetSymbol("TEMP", "mine");
  EXPECT_NE(engine.GetSymbol("TEMP"), "mine");
  EXPECT_EQ(engine.GetSymbol("TEMP"), engine.GlobalSymbols().at("TEMP"));
  EXPECT_EQ(engine.GetSymbol("NOPE"), "");

  EXPECT_EQ(engine.UpdateSymbol("WINDIR", "x"), -1);
  EXPECT_TRUE(f.reporter.Logged("Error! Can't Update undefine symbol 'WINDIR' to 'x'"));
  EXPECT_EQ(engine.ScriptSymbols().count("WINDIR"), 0u);

  EXPECT_EQ(engine.UpdateSymbol("TEMP", "again"), 0);
  EXPECT_TRUE(f.reporter.Logged("@ Update Symbol table: 'TEMP'='again'"));
  EXPECT_EQ(engine.ScriptSymbols().at("TEMP"), "again");
}

TEST(SymbolTableTest, SymbolsSectionLoadsInOrderWithSubstitution) {
  EngineFixture f(
      "[ProductInstall.Symbols]\r\n"
      "ROOT=C:\\App\r\n"
      "BIN=%ROOT%\\bin\r\n"
      "; a comment line\r\n"
      "QUOTED=\"a b\"\r\n"
      "no equals sign here\r\n"
      "ROOT=D:\\Later\r\n"
      "EMPTY=\r\n");
  const auto& symbols = f.engine->ScriptSymbols();
  EXPECT_EQ(symbols.at("BIN"), "C:\\App\\bin");
  EXPECT_EQ(symbols.at("QUOTED"), "a b");
  EXPECT_EQ(symbols.at("ROOT"), "D:\\Later");
  EXPECT_EQ(symbols.at("EMPTY"), "");
  EXPECT_EQ(symbols.size(), 4u);
  EXPECT_TRUE(f.reporter.Logged("@ Update Symbol table: 'BIN'='C:\\App\\bin'"));
}

TEST(SymbolTableTest, LargeSymbolsSectionIsLoadedWhole) {
  // Far beyond an 8 KiB section buffer: every definition must arrive.
  std::string script = "[ProductInstall.Symbols]\r\n";
  for (int i = 0; i < 600; ++i) {
    script += "SYMBOL_NUMBER_" + std::to_string(i) + "=value number " + std::to_string(i) + "\r\n";
  }
  ASSERT_GT(script.size(), 2u * 8192u);
  EngineFixture f(script);
  const auto& symbols = f.engine->ScriptSymbols();
  EXPECT_EQ(symbols.size(), 600u);
  EXPECT_EQ(symbols.at("SYMBOL_NUMBER_599"), "value number 599");
}

// Symbols that double one another stop at the growth bound with a script
// error naming the symbol; the value reads as missing and the run fails.
TEST(SymbolTableTest, DoublingSymbolsStopAtTheBound) {
  std::string script = "[ProductInstall.Symbols]\r\nS0=ab\r\n";
  for (int i = 1; i <= 30; ++i) {
    script += "S" + std::to_string(i) + "=%S" + std::to_string(i - 1) + "%%S" + std::to_string(i - 1) + "%\r\n";
  }
  EngineFixture f(script + "[ProductInstall.Main]\r\nStepCount=0\r\n");
  const auto& symbols = f.engine->ScriptSymbols();
  EXPECT_EQ(symbols.at("S19").size(), kMaxSubstitutionGrowth);
  EXPECT_EQ(symbols.at("S20"), "(empty)");
  EXPECT_EQ(f.engine->RefusedInput(), "S19");
  EXPECT_TRUE(f.reporter.Logged(
      "*** Syntax error: Symbol 'S19' makes a value more than 1048576 bytes longer! \r\n"));
  EXPECT_EQ(f.engine->Execute(), -1);
  EXPECT_EQ(f.reporter.details.back(), "Installation failed!");
}

TEST(SymbolTableTest, SaveAndLoadRoundTrip) {
  EngineFixture f(kPlainScript);
  f.engine->SetSymbol("C", "3");
  f.engine->SetSymbol("a", "");
  f.engine->SetSymbol("B", "%x41%");  // saved as stored; read back substituted
  const std::string record = f.folder + "\\record.ini";
  EXPECT_EQ(f.engine->SaveSymbols(record), 0);

  std::string bytes;
  ASSERT_TRUE(testing_support::ReadFileBytes(record, bytes));
  size_t b = bytes.find("Name.1=B");
  size_t c = bytes.find("Name.2=C");
  size_t a = bytes.find("Name.3=a");
  ASSERT_NE(b, std::string::npos) << bytes;
  EXPECT_LT(b, c);
  EXPECT_LT(c, a);
  EXPECT_NE(bytes.find("TotalCount=3"), std::string::npos);
  EXPECT_NE(bytes.find("Value.3=\"\""), std::string::npos) << bytes;

  EngineFixture loader(kPlainScript);
  EXPECT_EQ(loader.engine->LoadSavedSymbols(record), 0);
  const auto& loaded = loader.engine->ScriptSymbols();
  EXPECT_EQ(loaded.at("a"), "");
  EXPECT_EQ(loaded.at("C"), "3");
  EXPECT_EQ(loaded.at("B"), "A");
  EXPECT_TRUE(loader.reporter.Logged("Read item from file '" + record + "'!"));
}

TEST(SymbolTableTest, MissingSavedSymbolsLoadNothingButWarn) {
  EngineFixture f(kPlainScript);
  EXPECT_EQ(f.engine->LoadSavedSymbols(f.folder + "\\missing.ini"), 0);
  EXPECT_TRUE(f.engine->ScriptSymbols().empty());
  EXPECT_TRUE(f.reporter.Logged("*** Warning:  Item 'TotalCount' not found in Section 'Symbols' !"));
}

}  // namespace
