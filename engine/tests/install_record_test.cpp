#include <gtest/gtest.h>

#include <cstdio>

#include "engine/install_record.h"
#include "engine/tests/change_faults.h"
#include "engine/tests/engine_fixture.h"

namespace {

using testing_support::EngineFixture;

TEST(InstallRecordTest, CapacityIsTheDeadLoopGuard) {
  CHFS_InstallRecord record(nullptr);
  ASSERT_EQ(record.BeginStep(1), 0);
  for (size_t i = 0; i < CHFS_InstallRecord::kMaxRecords; ++i) {
    ASSERT_EQ(record.AddRecord(static_cast<int>(i), "", "", ""), 0);
  }
  EXPECT_EQ(record.AddRecord(1, "", "", ""), -1);
  EXPECT_EQ(record.BeginStep(2), -1);
  EXPECT_EQ(record.size(), CHFS_InstallRecord::kMaxRecords);
  EXPECT_EQ(record.SaveRecords("x"), -1) << "no engine";
}

TEST(InstallRecordTest, PopTakesOnlyTheCurrentStep) {
  CHFS_InstallRecord record(nullptr);
  int step = 0, item = 0;
  std::string p1, p2, p3;
  EXPECT_EQ(record.PeekStep(step), -1);
  EXPECT_EQ(record.PopRecord(item), -1);
  record.BeginStep(2);
  record.AddRecord(1, "two", "", "");
  record.BeginStep(3);
  record.AddRecord(1, "a", "b", "c");
  record.AddRecord(2, "d", "e", "f");
  record.BeginStep(2);  // the current step no longer matches the newest entry
  EXPECT_EQ(record.PopRecord(item), -1);
  ASSERT_EQ(record.PeekStep(step), 0);
  EXPECT_EQ(step, 3);
  ASSERT_EQ(record.PopRecord(item, p1, p2, p3), 0);
  EXPECT_EQ(item, 2);
  EXPECT_EQ(p1 + p2 + p3, "def");
  ASSERT_EQ(record.PopRecord(item, p1), 0);
  EXPECT_EQ(p1, "a");
  EXPECT_EQ(record.PopRecord(item), -1);
  ASSERT_EQ(record.PeekStep(step), 0);
  EXPECT_EQ(step, 2);
}

TEST(InstallRecordTest, SaveAndLoadRoundTrip) {
  EngineFixture f("[ProductInstall.Symbols]\r\nHOME=C:\\Home\r\n");
  const std::string file = f.folder + "\\record.ini";
  CHFS_InstallRecord saved(f.engine.get());
  saved.BeginStep(4);
  saved.AddRecord(1, "C:\\a.txt", "", "third");
  saved.AddRecord(2, "%HOME%\\b", "x=y", "");
  ASSERT_EQ(saved.SaveRecords(file), 0);

  std::string bytes;
  ASSERT_TRUE(testing_support::ReadFileBytes(file, bytes));
  EXPECT_NE(bytes.find("[REC_0]"), std::string::npos);
  EXPECT_NE(bytes.find("TotalCount=2"), std::string::npos);
  size_t rec1 = bytes.find("[REC_1]");
  size_t rec2 = bytes.find("[REC_2]");
  ASSERT_NE(rec1, std::string::npos);
  EXPECT_EQ(bytes.substr(rec1, rec2 - rec1).find("Param2"), std::string::npos)
      << "an empty text leaves no key";

  CHFS_InstallRecord loaded(f.engine.get());
  ASSERT_EQ(loaded.LoadRecords(file), 0);
  ASSERT_EQ(loaded.size(), 2u);
  const RecordEntry& second = loaded.Entries()[1];
  EXPECT_EQ(second.step, 4);
  EXPECT_EQ(second.item, 2);
  EXPECT_EQ(second.Param1, "C:\\Home\\b") << "symbols are substituted on reading";
  EXPECT_EQ(second.Param2, "x=y");
  EXPECT_EQ(second.Param3, "");
  EXPECT_EQ(loaded.Entries()[0].Param3, "third");
}

TEST(InstallRecordTest, EmptyAndDamagedFiles) {
  EngineFixture f("[S]\r\n");
  const std::string file = f.folder + "\\record.ini";
  CHFS_InstallRecord empty(f.engine.get());
  ASSERT_EQ(empty.SaveRecords(file), 0);
  CHFS_InstallRecord loaded(f.engine.get());
  ASSERT_EQ(loaded.LoadRecords(file), 0);
  EXPECT_EQ(loaded.size(), 0u);

  // A count far past the capacity must not keep the run reading for hours,
  // and missing sections give entries of step 0.
  testing_support::WriteFileBytes(file, "[REC_0]\r\nTotalCount=2000000000\r\n");
  CHFS_InstallRecord damaged(f.engine.get());
  ASSERT_EQ(damaged.LoadRecords(file), 0);
  EXPECT_EQ(damaged.size(), CHFS_InstallRecord::kMaxRecords);
  EXPECT_EQ(damaged.Entries()[0].step, 0);
}

// Each change call of a save refused in turn: the file is then the old one or
// the whole new one, never a part, and no temporary file stays behind.
TEST(InstallRecordTest, SaveReplacesTheFileWholeOrNotAtAll) {
  EngineFixture f("[S]\r\n");
  const std::string folder = testing_support::NewTestFolder();
  const std::string file = folder + "\\record.ini";
  const std::string old = "[Script]\r\nKeep=1\r\n";
  CHFS_InstallRecord record(f.engine.get());
  record.BeginStep(2);
  record.AddRecord(1, "C:\\a.txt", "", "x");
  record.AddRecord(3, "b", "c", "d");
  ASSERT_TRUE(testing_support::WriteFileBytes(file, old));
  ASSERT_EQ(record.SaveRecords(file), 0);
  std::string whole;
  ASSERT_TRUE(testing_support::ReadFileBytes(file, whole));
  EXPECT_EQ(whole.find(old), 0u) << "the entries are added to what the file held";
  EXPECT_NE(whole.find("Param3=d"), std::string::npos);

  int refused = 0;
  for (int n = 1; n <= 40; ++n) {
    ASSERT_TRUE(testing_support::WriteFileBytes(file, old));
    testing_support::FailChangeCall(n);
    int result = record.SaveRecords(file);
    testing_support::FailChangeCall(0);
    std::string bytes;
    ASSERT_TRUE(testing_support::ReadFileBytes(file, bytes));
    if (result != 0) ++refused;
    EXPECT_EQ(bytes, result == 0 ? whole : old) << "change call " << n << " refused";
    EXPECT_EQ(testing_support::FileNamesIn(folder), std::set<std::string>{"record.ini"}) << n;
  }
  EXPECT_GE(refused, 10) << "most change calls of a save cannot be done without";
  EXPECT_EQ(record.SaveRecords(folder + "\\missing\\record.ini"), -1);
}

}  // namespace
