#include "sections/update_ini_section.h"

#include <gtest/gtest.h>

#include "engine/result_codes.h"
#include "engine/tests/engine_fixture.h"

namespace {

using testing_support::EngineFixture;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

const char kIni[] = "Top=old top\r\n[Main]\r\nVer=1\r\n";

// An UpdateINI section over app.ini in the test's folder (%DIR%).
struct IniRun {
  explicit IniRun(const std::string& items)
      : folder(testing_support::NewTestFolder()),
        f("[ProductInstall.Symbols]\r\nDIR=" + folder + "\r\n[ProductInstall.UpdateINI]\r\n" + items),
        section(f.engine.get()),
        record(f.engine.get()) {
    WriteFileBytes(Ini(), kIni);
    record.BeginStep(1);
    f.reporter.log.clear();
  }
  int Run() { return section.Run("ProductInstall.UpdateINI", record); }
  int Rollback() { return section.Rollback("ProductInstall.UpdateINI", record); }
  std::string Ini() const { return folder + "\\app.ini"; }
  std::string Content() const {
    std::string bytes;
    ReadFileBytes(Ini(), bytes);
    return bytes;
  }

  std::string folder;
  EngineFixture f;
  CHFS_UpdateINISection section;
  CHFS_InstallRecord record;
};

TEST(UpdateINISectionTest, SetsEntriesAndRollsThemBack) {
  IniRun r("ItemCount=4\r\n"
           "Item1.Description=Version\r\nItem1.Key=INI:%DIR%\\app.ini,Main,Ver\r\nItem1.Value=2\r\n"
           "Item2.Description=New\r\nItem2.Key=INI:%DIR%\\app.ini,Main,New\r\nItem2.Value=n\r\n"
           "Item3.Description=Skipped\r\n"
           "Item4.Key=INI:%DIR%\\app.ini,,Top\r\nItem4.Value=new top\r\n");
  EXPECT_EQ(0, r.Run());
  ASSERT_EQ(3u, r.record.size());
  const auto& e = r.record.Entries();
  EXPECT_EQ((std::vector<std::string>{e[0].Param1, e[0].Param2, e[1].Param1, e[1].Param2, e[2].Param1, e[2].Param2}),
            (std::vector<std::string>{"1", "", "", "A", "old top", ""}))
      << "an entry before the first header is read through the copy, so it is not taken as new";
  EXPECT_EQ(4, e[2].item);
  EXPECT_TRUE(r.f.reporter.Logged("iINICount=4"));
  EXPECT_TRUE(r.f.reporter.Logged("result of SpliteINIParameter=0"));
  EXPECT_TRUE(r.f.reporter.Logged("SetINIVariable Success! ret=0 [INI:" + r.Ini() + ",Main,New]"));
  EXPECT_TRUE(r.f.reporter.Logged("strKey=(empty)"));
  EXPECT_EQ("Skipped\r\n", r.f.reporter.details[2]);
  const std::string changed = r.Content();
  EXPECT_NE(std::string::npos, changed.find("Ver=2")) << changed;
  EXPECT_NE(std::string::npos, changed.find("New=n")) << changed;
  EXPECT_NE(std::string::npos, changed.find("Top=new top")) << changed;

  r.f.reporter.details.clear();
  EXPECT_EQ(0, r.Rollback());
  EXPECT_EQ(0u, r.record.size());
  EXPECT_EQ(kIni, r.Content());
  EXPECT_EQ("Rollback:(empty)\r\n", r.f.reporter.details[0]);
  EXPECT_EQ("Rollback:Version\r\n", r.f.reporter.details[2]);
}

TEST(UpdateINISectionTest, RetryAddsASecondEntryAndBothAreUndoneNewestFirst) {
  IniRun r("ItemCount=1\r\nItem1.Key=INI:%DIR%\\app.ini,Main,Ver\r\nItem1.Value=2\r\n"
           "Item1.Success.AskYesNo=Again?\r\nItem1.Success.Yes=BRVN_RETRY\r\n"
           "Item1.Success.No=BRVN_CONTINUE\r\n");
  r.f.reporter.answers = {kIdYes, kIdNo};
  EXPECT_EQ(0, r.Run());
  ASSERT_EQ(2u, r.record.size());
  EXPECT_EQ("1", r.record.Entries()[0].Param1);
  EXPECT_EQ("2", r.record.Entries()[1].Param1);
  EXPECT_EQ(0, r.Rollback());
  EXPECT_EQ(kIni, r.Content());
}

TEST(UpdateINISectionTest, FailuresEndTheSection) {
  IniRun bad("ItemCount=2\r\nItem1.Key=INI:%DIR%\\app.ini,Main\r\nItem1.Value=x\r\n"
             "Item2.Key=INI:%DIR%\\app.ini,Main,Ver\r\nItem2.Value=x\r\n");
  EXPECT_EQ(-1, bad.Run());
  EXPECT_EQ(0u, bad.record.size());
  EXPECT_TRUE(bad.f.reporter.Logged("result of SpliteINIParameter=-1"));
  EXPECT_FALSE(bad.f.reporter.Logged("EventHandler('Item1.Error.',OldRet=-1)"));

  IniRun none("ItemCount=0\r\nItem1.Key=INI:%DIR%\\app.ini,Main,Ver\r\nItem1.Value=x\r\n");
  EXPECT_EQ(0, none.Run());
  EXPECT_EQ(kIni, none.Content());

  IniRun full("ItemCount=1\r\nItem1.Key=INI:%DIR%\\app.ini,Main,Ver\r\nItem1.Value=x\r\n");
  while (full.record.size() < CHFS_InstallRecord::kMaxRecords) full.record.AddRecord(9, "", "", "");
  EXPECT_EQ(BRVN_USERBREAK, full.Run());
  EXPECT_EQ(kIni, full.Content()) << "nothing written when it cannot be recorded";
}

TEST(UpdateINISectionTest, AFailedWriteGoesToTheErrorEvent) {
  IniRun r("ItemCount=2\r\nItem1.Key=INI:%DIR%\\nofolder\\app.ini,Main,Ver\r\nItem1.Value=x\r\n"
           "Item1.Error.Action=BRVN_CONTINUE\r\n"
           "Item2.Key=INI:%DIR%\\app.ini,,Top\r\nItem2.Value=y\r\nItem2.Error.Action=BRVN_GOTOSTEP(7)\r\n");
  testing_support::WriteFileBytes(r.folder + "\\nofolder", "a file, not a folder");
  EXPECT_EQ(0, r.Run());
  EXPECT_TRUE(r.f.reporter.Logged("SetINIVariable Failed! ret=-1 [INI:" + r.folder + "\\nofolder\\app.ini,Main,Ver]"));
  EXPECT_TRUE(r.f.reporter.Logged("EventHandler('Item1.Error.',OldRet=-1)"));
  EXPECT_EQ(2u, r.record.size()) << "recorded before the write";
}

}  // namespace
