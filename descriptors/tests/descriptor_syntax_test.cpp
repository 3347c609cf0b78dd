#include "descriptors/descriptor_syntax.h"

#include <gtest/gtest.h>

#include "engine/tests/engine_fixture.h"

namespace {

using testing_support::EngineFixture;

struct RegCase {
  const char* text;
  int result;
  const char* message;  // the logged line, or nullptr for none
  unsigned long type = 0;
  os::RegRoot root = os::RegRoot::kCurrentUser;
  const char* keyPath = "";
  const char* valueName = "";
};

TEST(DescriptorSyntaxTest, RegistryFieldsAndMessages) {
  const auto HKLM = os::RegRoot::kLocalMachine;
  const RegCase cases[] = {
      {"Reg:REG_SZ,HKLM,Software\\Vendor,Ver", 0, nullptr, os::kRegSz, HKLM, "Software\\Vendor", "Ver"},
      {"x Reg:REG_DWORD,hklm,Software\\V", 0, nullptr, os::kRegDword, HKLM, "Software\\V", ""},
      {"Reg:REG_SZ,HKLM,", 0, nullptr, os::kRegSz, HKLM, "", ""},
      {"Reg:REG_SZ,HKLM,K,a,b", 0, nullptr, os::kRegSz, HKLM, "K", "a,b"},
      {"Reg:REG_SZ,HKEY_USERS,K", 0, nullptr, os::kRegSz, os::RegRoot::kUsers, "K", ""},
      {"Reg:REG_SZ,Hkey_Current_Config,K", 0, nullptr, os::kRegSz, os::RegRoot::kCurrentConfig, "K", ""},
      {"Reg:REG_SZ,HKCU,K", 0, nullptr, os::kRegSz, os::RegRoot::kCurrentUser, "K", ""},
      {"Reg:REG_SZ,hkcr,.txt", 0, nullptr, os::kRegSz, os::RegRoot::kClassesRoot, ".txt", ""},
      {"REG_SZ,HKLM,K", -1, "*** Syntax error: Incorrect registry description 'REG_SZ,HKLM,K'!"},
      {"Reg:REG_SZ,HKLM", -1, "*** Syntax error: Incorrect registry description 'Reg:REG_SZ,HKLM'!"},
      {"Reg:REG_SZ", -1, "*** Syntax error: Incorrect registry description 'Reg:REG_SZ'!"},
      {"Reg:REG_SZ,HKLM,K,", -1, "*** Syntax error: Incorrect registry description 'Reg:REG_SZ,HKLM,K,'!"},
      {"Reg:reg_sz,HKLM,K", -2, "*** Syntax error: Incorrect registry data type 'Reg:reg_sz,HKLM,K'!"},
      {"Reg:REG_BINARY,HKLM,K", -2, "*** Syntax error: Incorrect registry data type 'Reg:REG_BINARY,HKLM,K'!"},
      {"Reg:REG_SZ,HKLMX,K", -3, "*** Syntax error: Incorrect registry root_type 'HKLMX'!"},
      {"Reg:REG_SZ, HKLM,K", -3, "*** Syntax error: Incorrect registry root_type ' HKLM'!"},
  };
  for (const RegCase& c : cases) {
    EngineFixture f("");
    f.reporter.log.clear();
    RegistryDescriptor d;
    EXPECT_EQ(c.result, ParseRegistryDescriptor(*f.engine, c.text, d)) << c.text;
    if (c.message != nullptr) {
      EXPECT_EQ(std::vector<std::string>{c.message}, f.reporter.Lines()) << c.text;
      continue;
    }
    EXPECT_TRUE(f.reporter.log.empty()) << c.text;
    EXPECT_EQ(c.type, d.type) << c.text;
    EXPECT_EQ(c.root, d.root) << c.text;
    EXPECT_EQ(c.keyPath, d.keyPath) << c.text;
    EXPECT_EQ(c.valueName, d.valueName) << c.text;
  }
}

TEST(DescriptorSyntaxTest, IniAndFileInfoFields) {
  const struct {
    const char* text;
    int result;
    const char* a = "";
    const char* b = "";
    const char* c = "";
  } ini[] = {
      {"INI:C:\\App\\app.ini,Main,Ver", 0, "C:\\App\\app.ini", "Main", "Ver"},
      {"INI:C:\\App\\app.ini,,Version", 0, "C:\\App\\app.ini", "", "Version"},
      {"INI:C:\\App\\app.ini,Main,Ver,Extra", 0, "C:\\App\\app.ini", "Main", "Ver,Extra"},
      {"[INI: a.ini , s , k ", 0, " a.ini ", " s ", " k "},
      {"INI:a.ini,Main,", -1},
      {"INI:a.ini,Main", -1},
      {"a.ini,Main,Ver", -1},
  };
  for (const auto& c : ini) {
    EngineFixture f("");
    f.reporter.log.clear();
    std::string file, section, key;
    EXPECT_EQ(c.result, SpliteINIParameter(*f.engine, c.text, file, section, key)) << c.text;
    if (c.result != 0) {
      EXPECT_TRUE(f.reporter.Logged(std::string("*** Syntax error: Incorrect INI description '") + c.text + "'!"));
      continue;
    }
    EXPECT_EQ(c.a, file);
    EXPECT_EQ(c.b, section);
    EXPECT_EQ(c.c, key);
  }
  const struct {
    const char* text;
    int result;
    const char* file = "";
    const char* property = "";
  } info[] = {
      {"FileInfo:C:\\a.exe,FileVersion", 0, "C:\\a.exe", "FileVersion"},
      {"FileInfo:,FileSize", 0, "", "FileSize"},
      {"FileInfo:a,b,c", 0, "a", "b,c"},
      {"FileInfo:C:\\a.exe,", -1},
      {"FileInfo:C:\\a.exe", -1},
      {"Fileinfo:C:\\a.exe,FileSize", -1},
  };
  for (const auto& c : info) {
    EngineFixture f("");
    f.reporter.log.clear();
    std::string file, property;
    EXPECT_EQ(c.result, ParseFileInfoDescriptor(*f.engine, c.text, file, property)) << c.text;
    if (c.result != 0) {
      EXPECT_TRUE(f.reporter.Logged(std::string("*** Syntax error: Incorrect FileInfo description '") + c.text + "'!"));
      continue;
    }
    EXPECT_EQ(c.file, file);
    EXPECT_EQ(c.property, property);
  }
}

TEST(DescriptorSyntaxTest, BracketedInnerEndsAtTheLastBracket) {
  std::string inner;
  EXPECT_FALSE(BracketedInner("[FileInfo:C:\\App\\app.exe,FileVersion", inner));
  ASSERT_TRUE(BracketedInner("[Reg:REG_SZ,HKLM,K]tail", inner));
  EXPECT_EQ("Reg:REG_SZ,HKLM,K", inner);
  ASSERT_TRUE(BracketedInner("[INI:a.ini,[s],k]", inner));
  EXPECT_EQ("INI:a.ini,[s],k", inner);
  ASSERT_TRUE(BracketedInner("]", inner));
  EXPECT_EQ("", inner);
}

}  // namespace
