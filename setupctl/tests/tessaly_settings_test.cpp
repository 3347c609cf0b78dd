// The control's core: where every property lands in the setup INI file,
// what is skipped, and the listing it draws.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "os/profile.h"
#include "setupctl/tessaly_settings.h"
#include "tests/support/test_machine.h"

namespace {

using tessaly::Settings;

constexpr int kDeployment = 1;
constexpr int kServer = 2;

// Where each property must be written, kept apart from the production table
// so a slip in either shows.
struct Expected {
  long dispid;
  int sections;
  const char* key;
};

const Expected kExpected[] = {
    {1, kDeployment | kServer, "Server"},
    {2, kDeployment, "ServerSubDir"},
    {3, kDeployment, "ClientSubDir"},
    {4, kDeployment, "Files"},
    {5, kDeployment, "EstimativeDiskSpace"},
    {6, kDeployment, "ShellExtensionFilename"},
    {7, kDeployment, "ServiceName"},
    {8, kDeployment, "ServiceFilename"},
    {9, kDeployment, "LatestPatternServer"},
    {10, kDeployment, "LatestPatternURL"},
    {11, kServer, "CgiOnInstall"},
    {12, kServer, "CgiOnClose"},
    {13, kServer, "CgiOnScan"},
    {14, kServer, "CgiOnUpdate"},
    {15, kServer, "CgiOnUninstall"},
    {16, kServer, "CgiOnStart"},
    {17, kServer, "CgiOnLog"},
    {18, kServer, "CgiOnRequestPattern"},
    {19, kServer, "CgiOnRequestEngine"},
    {20, kServer, "CgiOnRequestEncyclopedia"},
    {21, kServer, "CgiOnRequestConfiguration"},
    {22, kServer, "CgiOnManualScanConfiguration"},
    {23, kServer, "CgiOnRealtimeScanConfiguration"},
    {24, kServer, "CgiOnScheduleScanConfiguration"},
    {25, kServer, "CgiOnExclusionFileConfiguration"},
    {26, kDeployment, "ServiceDisplayName"},
    {27, kDeployment, "LatestPatternFilename"},
    {28, kServer, "CgiVirtualPath"},
    {29, kDeployment, "MoreFiles"},
    {30, kDeployment, "HttpBased"},
    {31, kDeployment, "ProxyServer"},
    {32, kDeployment, "ProxyPort"},
    {33, kDeployment, "ProxyLogin"},
    {34, kDeployment, "ProxyPassword"},
    {35, kDeployment, "MasterDirectory"},
    {36, kDeployment, "ExecutionFilename"},
    {37, kDeployment, "DesktopName"},
    {38, kDeployment, "FolderName"},
    {39, kDeployment, "ShortcutNameList"},
    {40, kDeployment, "ShortcutFileList"},
    {41, kDeployment, "RegistryINIFilename"},
    {42, kDeployment, "LocalServerPort"},
    {43, kDeployment, "UnloadPassword"},
    {44, kDeployment, "UninstallPassword"},
    {45, kDeployment, "ServerIniFile"},
    {46, kServer, "CgiOnRequestINI"},
    {47, kServer, "CgiOnRequestAlertMessage"},
    {48, kDeployment, "UseProxy"},
    {49, kServer, "CgiOnRequestProgram"},
    {50, kServer, "CgiOnRequestUpdate"},
    {51, kServer, "CgiOnRequestUID"},
    {53, kDeployment, "ServerPort"},
    {54, kDeployment, "ServiceModel"},
};

std::string IniFile() {
  std::string path;
  EXPECT_TRUE(tessaly::IniPath(path));
  return path;
}

class SetupIni : public testing::Test {
 protected:
  void SetUp() override { RemoveIni(); }
  void TearDown() override { RemoveIni(); }
  static void RemoveIni() { std::remove(testing_support::HostPathOf(IniFile()).c_str()); }

  static std::vector<std::string> Section(const char* name) { return os::GetProfileSection(IniFile(), name); }
  static std::string Read(const char* section, const char* key) {
    std::string value;
    (void)os::GetProfileString(IniFile(), section, key, "(missing)", value);
    return value;
  }
};

void PutText(Settings& settings, long dispid, const std::u16string& text) {
  ASSERT_TRUE(settings.Put(dispid, text)) << dispid;
}

TEST_F(SetupIni, EveryPropertyLandsUnderItsSectionAndKeyAlone) {
  ASSERT_EQ(sizeof(kExpected) / sizeof(kExpected[0]), tessaly::kPropertyCount);
  for (const Expected& e : kExpected) {
    RemoveIni();
    Settings settings;
    PutText(settings, e.dispid, u"v" + std::u16string(1, static_cast<char16_t>(u'A' + e.dispid % 26)));
    settings.WriteIni();
    const std::string line = std::string(e.key) + "=v" + static_cast<char>('A' + e.dispid % 26);
    const std::vector<std::string> none;
    const std::vector<std::string> one = {line};
    EXPECT_EQ(Section("FerrovalWebDeployment"), (e.sections & kDeployment) ? one : none) << e.key;
    EXPECT_EQ(Section("FerrovalServer"), (e.sections & kServer) ? one : none) << e.key;
  }
}

TEST_F(SetupIni, SectionsFollowTheWritingOrder) {
  Settings settings;
  for (const Expected& e : kExpected) PutText(settings, e.dispid, u"x");
  settings.WriteIni();
  const std::vector<std::string> deployment = Section("FerrovalWebDeployment");
  const std::vector<std::string> server = Section("FerrovalServer");
  ASSERT_EQ(deployment.size(), 32u);
  ASSERT_EQ(server.size(), 22u);
  EXPECT_EQ(deployment[0], "Server=x");
  EXPECT_EQ(deployment[1], "ServerPort=x");
  EXPECT_EQ(deployment[13], "LatestPatternFilename=x");
  EXPECT_EQ(deployment[31], "ServiceModel=x");
  EXPECT_EQ(server[0], "Server=x");
  EXPECT_EQ(server[13], "CgiOnRequestProgram=x");
  EXPECT_EQ(server[21], "CgiOnExclusionFileConfiguration=x");
}

TEST_F(SetupIni, EmptyAndNullValuesLeaveEarlierValuesInTheFile) {
  Settings first;
  PutText(first, 7, u"Svc");
  PutText(first, 11, u"/cgi/install");
  first.WriteIni();

  Settings second;  // a later page: every instance writes into the same file
  PutText(second, 7, u"");
  ASSERT_TRUE(second.Put(11, std::nullopt));
  PutText(second, 12, u"/cgi/close");
  second.WriteIni();

  EXPECT_EQ(Read("FerrovalWebDeployment", "ServiceName"), "Svc");
  EXPECT_EQ(Read("FerrovalServer", "CgiOnInstall"), "/cgi/install");
  EXPECT_EQ(Read("FerrovalServer", "CgiOnClose"), "/cgi/close");
}

TEST_F(SetupIni, LaterValuesReplaceEarlierOnes) {
  Settings settings;
  PutText(settings, 1, u"old");
  settings.WriteIni();
  PutText(settings, 1, u"new");
  settings.WriteIni();
  EXPECT_EQ(Read("FerrovalWebDeployment", "Server"), "new");
  EXPECT_EQ(Read("FerrovalServer", "Server"), "new");
  EXPECT_EQ(Section("FerrovalServer").size(), 1u);
}

TEST_F(SetupIni, ShortcutNamesAreWrittenWhateverTheFolderName) {
  Settings settings;
  PutText(settings, 39, u"App;Help");
  settings.WriteIni();
  EXPECT_EQ(Read("FerrovalWebDeployment", "ShortcutNameList"), "App;Help");
  EXPECT_EQ(Read("FerrovalWebDeployment", "FolderName"), "(missing)");
}

TEST_F(SetupIni, AFreshControlWritesNothing) {
  Settings settings;
  settings.WriteIni();
  EXPECT_FALSE(testing_support::FileExists(IniFile()));
}

TEST_F(SetupIni, ALineBreakCannotAddKeysOrSections) {
  Settings settings;
  PutText(settings, 1, u"host\r\n[FerrovalServer]\r\nCgiOnInstall=http://elsewhere/");
  PutText(settings, 7, u"\nInjected=1");
  settings.WriteIni();
  EXPECT_EQ(Read("FerrovalWebDeployment", "Server"), "host");
  EXPECT_EQ(Read("FerrovalServer", "CgiOnInstall"), "(missing)");
  EXPECT_EQ(Section("FerrovalWebDeployment"), std::vector<std::string>{"Server=host"});
}

TEST_F(SetupIni, ValuesStopAtAnEmbeddedNul) {
  Settings settings;
  PutText(settings, 2, std::u16string(u"sub\0hidden", 10));
  settings.WriteIni();
  EXPECT_EQ(Read("FerrovalWebDeployment", "ServerSubDir"), "sub");
}

TEST(SetupIniPath, OneBackslashBetweenFolderAndName) {
  struct Case {
    const char* folder;
    const char* path;
  };
  const Case cases[] = {
      {"C:\\TEMP\\", "C:\\TEMP\\FerrovalWebDeployment.ini"},
      {"C:\\TEMP", "C:\\TEMP\\FerrovalWebDeployment.ini"},
      {"C:\\", "C:\\FerrovalWebDeployment.ini"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(tessaly::IniPathIn(c.folder), c.path) << c.folder;
  std::string path;
  ASSERT_TRUE(tessaly::IniPath(path));
  EXPECT_EQ(path.find("\\\\"), std::string::npos) << path;
  EXPECT_EQ(path.substr(path.size() - 26), "\\FerrovalWebDeployment.ini");
}

TEST(Properties, StoredValuesAreCopiesAndNullUntilSet) {
  Settings settings;
  tessaly::Value value = u"sentinel";
  ASSERT_TRUE(settings.Get(54, value));
  EXPECT_FALSE(value.has_value());
  std::u16string text = u"model";
  ASSERT_TRUE(settings.Put(54, text));
  text[0] = u'M';
  ASSERT_TRUE(settings.Get(54, value));
  EXPECT_EQ(value, std::u16string(u"model"));
  ASSERT_TRUE(settings.Put(54, u""));
  ASSERT_TRUE(settings.Get(54, value));
  EXPECT_EQ(value, std::u16string());
}

TEST(Properties, WriteIniAndUnknownDispidsAreNotProperties) {
  Settings settings;
  tessaly::Value value;
  for (long dispid : {0L, 52L, 55L, -1L}) {
    EXPECT_FALSE(settings.Put(dispid, u"x")) << dispid;
    EXPECT_FALSE(settings.Get(dispid, value)) << dispid;
  }
}

TEST(Properties, PersistedNamesAndOrder) {
  EXPECT_STREQ(tessaly::FindByDispid(3)->persistedName, "ClientsubDir");
  EXPECT_STREQ(tessaly::FindByDispid(48)->persistedName, "CgiProxy");
  EXPECT_STREQ(tessaly::FindByDispid(49)->persistedName, "UseOnRequestProgram");
  EXPECT_STREQ(tessaly::FindByDispid(27)->persistedName, "LatestPatternFilename");
  EXPECT_EQ(tessaly::FindByName("clientsubdir")->dispid, 3);
  EXPECT_EQ(tessaly::FindByName("WriteIni"), nullptr);

  const tessaly::PropertyInfo* const* order = tessaly::PersistenceOrder();
  std::vector<long> dispids;
  for (std::size_t i = 0; i < tessaly::kPropertyCount; ++i) dispids.push_back(order[i]->dispid);
  const std::vector<long> around = {dispids.begin() + 44, dispids.begin() + 50};
  EXPECT_EQ(around, (std::vector<long>{45, 46, 48, 47, 49, 50}));
  EXPECT_EQ(dispids.front(), 1);
  EXPECT_EQ(dispids.back(), 54);
}

}  // namespace
