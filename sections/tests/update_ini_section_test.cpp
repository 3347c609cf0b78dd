#include "sections/update_ini_section.h"

#include <gtest/gtest.h>

#include "engine/result_codes.h"
#include "engine/tests/engine_fixture.h"
#include "os/tests/os_test_support.h"

namespace {

const char kIni[] = "Top=old top\r\n[Main]\r\nVer=1\r\n";

// An UpdateINI section over app.ini in the test's folder (%DIR%).
struct IniRun {
  explicit IniRun(const std::string& items)
      : folder(testing_support::NewTestFolder()),
        f("[ProductInstall.Symbols]\r\nDIR=" + folder + "\r\n[ProductInstall.UpdateINI]\r\n" + items),
        section(f.engine.get()),
        record(f.engine.get()) {
    testing_support::WriteFileBytes(folder + "\\app.ini", kIni);
    record.BeginStep(1);
    f.reporter.log.clear();
  }
  int Run() { return section.Run("ProductInstall.UpdateINI", record); }
  int Rollback() { return section.Rollback("ProductInstall.UpdateINI", record); }
  std::string Content() const {
    std::string bytes;
    testing_support::ReadFileBytes(folder + "\\app.ini", bytes);
    return bytes;
  }

  std::string folder;
  testing_support::EngineFixture f;
  CHFS_UpdateINISection section;
  CHFS_InstallRecord record;
};

TEST(UpdateINISectionTest, SetsEntriesAndRollsThemBack) {
  IniRun r("ItemCount=4\r\n"
           "Item1.Description=Version\r\nItem1.Key=INI:%DIR%\\app.ini,Main,Ver\r\nItem1.Value=2\r\n"
           "Item2.Key=INI:%DIR%\\app.ini,Main,New\r\nItem2.Value=n\r\n"
           "Item3.Description=Skipped\r\n"
           "Item4.Key=INI:%DIR%\\app.ini,,Top\r\nItem4.Value=new top\r\n");
  EXPECT_EQ(0, r.Run());
  std::vector<std::string> entries;
  for (const RecordEntry& e : r.record.Entries()) entries.push_back(std::to_string(e.item) + e.Param1 + "|" + e.Param2);
  // An entry before the first header is read through the copy: it existed.
  EXPECT_EQ((std::vector<std::string>{"11|", "2|A", "4old top|"}), entries);
  EXPECT_TRUE(r.f.reporter.Logged("SetINIVariable Success! ret=0 [INI:" + r.folder + "\\app.ini,Main,New]"));
  EXPECT_EQ("Skipped\r\n", r.f.reporter.details[2]);
  EXPECT_NE(std::string::npos, r.Content().find("Top=new top")) << r.Content();
  EXPECT_EQ(0, r.Rollback());
  EXPECT_EQ(kIni, r.Content());
  EXPECT_EQ("Rollback:Version\r\n", r.f.reporter.details.back());
}

TEST(UpdateINISectionTest, RetryAddsASecondEntryAndBothAreUndoneNewestFirst) {
  IniRun r("ItemCount=1\r\nItem1.Key=INI:%DIR%\\app.ini,Main,Ver\r\nItem1.Value=2\r\n"
           "Item1.Success.AskYesNo=Again?\r\nItem1.Success.Yes=BRVN_RETRY\r\nItem1.Success.No=BRVN_CONTINUE\r\n");
  r.f.reporter.answers = {kIdYes, kIdNo};
  EXPECT_EQ(0, r.Run());
  ASSERT_EQ(2u, r.record.size());
  EXPECT_EQ("2", r.record.Entries()[1].Param1);
  EXPECT_EQ(0, r.Rollback());
  EXPECT_EQ(kIni, r.Content());
}

TEST(UpdateINISectionTest, FailuresEndTheSection) {
  IniRun bad("ItemCount=1\r\nItem1.Key=INI:%DIR%\\app.ini,Main\r\nItem1.Value=x\r\n");
  EXPECT_EQ(-1, bad.Run());
  EXPECT_TRUE(bad.f.reporter.Logged("result of SpliteINIParameter=-1"));
  EXPECT_FALSE(bad.f.reporter.Logged("EventHandler('Item1.Error.',OldRet=-1)"));

  IniRun write("ItemCount=1\r\nItem1.Key=INI:%DIR%\\file\\app.ini,Main,Ver\r\nItem1.Value=x\r\n");
  testing_support::WriteFileBytes(write.folder + "\\file", "a file, not a folder");
  EXPECT_EQ(-1, write.Run());
  EXPECT_TRUE(write.f.reporter.Logged("EventHandler('Item1.Error.',OldRet=-1)"));
  EXPECT_EQ(1u, write.record.size()) << "recorded before the write";

  IniRun full("ItemCount=1\r\nItem1.Key=INI:%DIR%\\app.ini,Main,Ver\r\nItem1.Value=x\r\n");
  while (full.record.size() < CHFS_InstallRecord::kMaxRecords) full.record.AddRecord(9, "", "", "");
  EXPECT_EQ(BRVN_USERBREAK, full.Run());
  EXPECT_EQ(kIni, full.Content());
}

}  // namespace

namespace {

// An entry before the first header is read through a temporary copy; when
// that copy cannot be made, the entry may exist and must not be recorded as
// added (its rollback would delete it), so the item fails unchanged.
TEST(UpdateINISectionTest, EntryBeforeTheFirstHeaderThatCannotBeReadIsNotChanged) {
  IniRun r("ItemCount=1\r\nItem1.Key=INI:%DIR%\\app.ini,,Top\r\nItem1.Value=new top\r\n");
  os_test::FailChangeAt("1");  // the temporary copy's name
  EXPECT_EQ(-1, r.Run());
  os_test::FailChangeAt("");
  EXPECT_EQ(0u, r.record.size());
  EXPECT_EQ(kIni, r.Content());
  EXPECT_TRUE(r.f.reporter.Logged("EventHandler('Item1.Error.',OldRet=-1)"));
}

}  // namespace
