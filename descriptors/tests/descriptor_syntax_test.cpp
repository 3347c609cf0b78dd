#include "descriptors/descriptor_syntax.h"

#include <gtest/gtest.h>

#include "engine/tests/engine_fixture.h"

namespace {

using testing_support::EngineFixture;
const char kRegBad[] = "*** Syntax error: Incorrect registry description '";

// Parses text with the parser of its kind; the fields joined by "|", or the
// result and the one line logged.
std::string Parse(const std::string& text) {
  EngineFixture f("");
  f.reporter.log.clear();
  std::string a, b, c;
  int result = 0;
  if (text.find("INI") != std::string::npos) {
    result = SpliteINIParameter(*f.engine, text, a, b, c);
  } else if (text.find("File") != std::string::npos) {
    result = ParseFileInfoDescriptor(*f.engine, text, a, b);
  } else {
    RegistryDescriptor d;
    result = ParseRegistryDescriptor(*f.engine, text, d);
    a = std::to_string(d.type) + "," + std::to_string(static_cast<unsigned long>(d.root) & 0xF);
    b = d.keyPath;
    c = d.valueName;
  }
  if (result != 0) return std::to_string(result) + " " + (f.reporter.Lines().size() == 1 ? f.reporter.Lines()[0] : "?");
  return f.reporter.log.empty() ? a + "|" + b + "|" + c : "logged on success";
}

TEST(DescriptorSyntaxTest, FieldsResultsAndMessages) {
  const std::pair<std::string, std::string> cases[] = {
      {"Reg:REG_SZ,HKLM,Software\\Vendor,Ver", "1,2|Software\\Vendor|Ver"},
      {"x Reg:REG_DWORD,hklm,Software\\V", "4,2|Software\\V|"},
      {"Reg:REG_SZ,HKLM,", "1,2||"},
      {"Reg:REG_SZ,HKCU,K,a,b", "1,1|K|a,b"},
      {"Reg:REG_SZ,HKEY_USERS,K", "1,3|K|"},
      {"Reg:REG_SZ,Hkey_Current_Config,K", "1,5|K|"},
      {"Reg:REG_SZ,hkcr,.txt", "1,0|.txt|"},
      {"REG_SZ,HKLM,K", std::string("-1 ") + kRegBad + "REG_SZ,HKLM,K'!"},
      {"Reg:REG_SZ,HKLM", std::string("-1 ") + kRegBad + "Reg:REG_SZ,HKLM'!"},
      {"Reg:REG_SZ,HKLM,K,", std::string("-1 ") + kRegBad + "Reg:REG_SZ,HKLM,K,'!"},
      {"Reg:reg_sz,HKLM,K", "-2 *** Syntax error: Incorrect registry data type 'Reg:reg_sz,HKLM,K'!"},
      {"Reg:REG_SZ, HKLM,K", "-3 *** Syntax error: Incorrect registry root_type ' HKLM'!"},
      {"INI:C:\\App\\app.ini,,Version", "C:\\App\\app.ini||Version"},
      {"[INI: a.ini ,Main,Ver,Extra", " a.ini |Main|Ver,Extra"},
      {"INI:a.ini,Main,", "-1 *** Syntax error: Incorrect INI description 'INI:a.ini,Main,'!"},
      {"INI:a.ini,Main", "-1 *** Syntax error: Incorrect INI description 'INI:a.ini,Main'!"},
      {"FileInfo:,a,b", "|a,b|"},
      {"FileInfo:C:\\a.exe,", "-1 *** Syntax error: Incorrect FileInfo description 'FileInfo:C:\\a.exe,'!"},
      {"Fileinfo:a,FileSize", "-1 *** Syntax error: Incorrect FileInfo description 'Fileinfo:a,FileSize'!"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.second, Parse(c.first)) << c.first;
}

TEST(DescriptorSyntaxTest, BracketedInnerEndsAtTheLastBracket) {
  std::string inner;
  EXPECT_FALSE(BracketedInner("[FileInfo:C:\\App\\app.exe,FileVersion", inner));
  ASSERT_TRUE(BracketedInner("[INI:a.ini,[s],k]tail", inner));
  EXPECT_EQ("INI:a.ini,[s],k", inner);
}

}  // namespace
