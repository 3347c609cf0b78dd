// The listing the control draws: three texts, "(null)" for unset values,
// each cut at 999 characters.
#include <gtest/gtest.h>

#include <string>

#include "setupctl/tessaly_settings.h"

namespace {

using tessaly::Settings;

TEST(Listing, AFreshControlShowsNullForEveryValue) {
  const std::array<std::string, 3> texts = Settings().ListingTexts();
  EXPECT_EQ(texts[0],
            "Server = (null)\nServerPort = (null)\nServerSubDir = (null)\nClientSubDir = (null)\n"
            "Files = (null)\nMoreFiles = (null)\nEstimativeDiskSpace = (null)\n"
            "ShellExtensionFilename = (null)\nServiceName = (null)\nServiceDisplayName = (null)\n"
            "ServiceFilename = (null)\nLatestPatternServer = (null)\nLatestPatternURL = (null)\n"
            "LatestPatternFilename = (null)\nServiceModel = (null)\n");
  EXPECT_EQ(texts[1],
            "MasterDirectory = (null)\nExecutionFilename = (null)\nDesktopName = (null)\n"
            "FolderName = (null)\nShortcutNameList = (null)\nShortcutFileList = (null)\n"
            "RegistryINIFilename = (null)\nLocalServerPort = (null)\nUnloadPassword = (null)\n"
            "UninstallPassword = (null)\nServerIniFile = (null)\nUseProxy = (null)\n\n"
            "HttpBased = (null)\nProxyServer = (null)\nProxyPort = (null)\n");
  EXPECT_EQ(texts[2],
            "CgiVirtualPath = (null)\nCgiOnInstall = (null)\nCgiOnClose = (null)\nCgiOnScan = (null)\n"
            "CgiOnUpdate = (null)\nCgiOnUninstall = (null)\nCgiOnStart = (null)\nCgiOnLog = (null)\n"
            "CgiOnRequestPattern = (null)\nCgiOnRequestEngine = (null)\n"
            "CgiOnRequestEncyclopedia = (null)\nCgiOnRequestConfiguration = (null)\n"
            "CgiOnRequestProgram = (null)\nCgiOnRequestUpdate = (null)\nCgiOnRequestUID = (null)\n"
            "CgiOnManualScanConfiguration = (null)\nCgiRealtimeScanConfiguration = (null)\n"
            "CgiOnScheduleScnConfiguration = (null)\nCgiOnExclusionFileConfiguration = (null)\n");
  EXPECT_EQ(Settings().Listing(), texts[0] + texts[1] + texts[2]);
}

TEST(Listing, ValuesAppearBesideTheirLabels) {
  Settings settings;
  struct Case {
    long dispid;
    const char* line;
    int text;
  };
  const Case cases[] = {
      {27, "\nLatestPatternFilename = pattern.zip\n", 0},
      {48, "\nUseProxy = 1\n\nHttpBased = (null)\n", 1},
      {23, "\nCgiRealtimeScanConfiguration = rt\n", 2},
      {24, "\nCgiOnScheduleScnConfiguration = sched\n", 2},
      {3, "\nClientSubDir = \n", 0},  // set but empty is not null
  };
  ASSERT_TRUE(settings.Put(27, u"pattern.zip"));
  ASSERT_TRUE(settings.Put(48, u"1"));
  ASSERT_TRUE(settings.Put(23, u"rt"));
  ASSERT_TRUE(settings.Put(24, u"sched"));
  ASSERT_TRUE(settings.Put(3, u""));
  const std::array<std::string, 3> texts = settings.ListingTexts();
  for (const Case& c : cases) EXPECT_NE(texts[c.text].find(c.line), std::string::npos) << c.line;
}

TEST(Listing, SecretsAndTwoCgiPathsAreNotShown) {
  Settings settings;
  const long hidden[] = {33, 34, 46, 47};
  for (long dispid : hidden) ASSERT_TRUE(settings.Put(dispid, u"secret-value"));
  EXPECT_EQ(settings.Listing().find("secret-value"), std::string::npos);
}

TEST(Listing, EachTextIsCutAt999Characters) {
  Settings settings;
  ASSERT_TRUE(settings.Put(1, std::u16string(2000, u'a')));
  ASSERT_TRUE(settings.Put(35, std::u16string(990, u'b')));
  const std::array<std::string, 3> texts = settings.ListingTexts();
  EXPECT_EQ(texts[0].size(), 999u);
  EXPECT_EQ(texts[0], "Server = " + std::string(990, 'a'));
  EXPECT_EQ(texts[1].size(), 999u);
  EXPECT_EQ(texts[1].substr(0, 18), "MasterDirectory = ");
  EXPECT_LT(texts[2].size(), 999u);
}

}  // namespace
