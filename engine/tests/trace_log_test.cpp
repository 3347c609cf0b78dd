#include <gtest/gtest.h>

#include <regex>

#include "engine/engine.h"
#include "engine/trace_log.h"
#include "engine/tests/engine_fixture.h"
#include "os/notices.h"
#include "tests/support/fake_windows.h"
#include "tests/support/test_machine.h"

namespace {

using testing_support::FakeWindows;
using testing_support::ReadFileBytes;

std::string LogBytes(const std::string& path) {
  std::string bytes;
  ReadFileBytes(path, bytes);
  return bytes;
}

TEST(TraceLogTest, RecordsAreStoredWithCrLf) {
  const std::string path = testing_support::NewTestFolder() + "\\Brevane.log";
  CHFS_RunFlags flags;
  FakeWindows windows;
  CHFS_TraceLog log(path, flags);
  log.SetWindowPort(&windows);

  EXPECT_EQ(log.WriteLog(TraceLogBanner()), 0);
  EXPECT_EQ(log.WriteLog("plain"), 0);
  EXPECT_EQ(log.AddDetailText("line\r\n", 0), 0);
  EXPECT_EQ(log.AddDetailText("abc", 1), 0);
  EXPECT_EQ(log.AddDetailText("def", 2), 0);
  EXPECT_EQ(log.SetTaskText("task", 1), 0);

  const std::string at(37, '@');
  EXPECT_EQ(LogBytes(path), "\r\r\n" + at + " Log Start " + at + "\r\r\n\r\n" +
                                "plain\r\n" + "line\r\r\n\r\n" + "Rollback:abc\r\n" +
                                "def\r\n" + "Rollback:task\r\n");
  EXPECT_EQ(windows.detailText, "line\r\nRollback:abcdef");
  EXPECT_EQ(log.DetailText(), windows.detailText);
  ASSERT_EQ(windows.taskTexts.size(), 1u);
  EXPECT_EQ(windows.taskTexts[0], "Rollback:task");
}

TEST(TraceLogTest, TwoRunsAppendToTheSameFile) {
  const std::string path = testing_support::NewTestFolder() + "\\Brevane.log";
  CHFS_RunFlags flags;
  for (int run = 0; run < 2; ++run) {
    CHFS_TraceLog log(path, flags);
    log.WriteLog(TraceLogBanner());
    log.WriteLog("run " + std::to_string(run));
  }
  std::string bytes = LogBytes(path);
  EXPECT_EQ(bytes.find("Log Start", bytes.find("run 0")) != std::string::npos, true);
  EXPECT_NE(bytes.find("run 1"), std::string::npos);
}

TEST(TraceLogTest, PlatformNoticesAreLoggedOnce) {
  const std::string path = testing_support::NewTestFolder() + "\\Brevane.log";
  CHFS_RunFlags flags;
  CHFS_TraceLog log(path, flags);
  (void)os::TakeNotices();
  os::PostNotice("trace log notice");
  os::PostNotice("trace log notice");
  log.WriteLog("first");
  os::PostNotice("trace log notice");
  log.WriteLog("second");
  EXPECT_EQ(LogBytes(path), "trace log notice\r\nfirst\r\nsecond\r\n");
}

TEST(TraceLogTest, UnwritableLogReturnsMinusOne) {
  CHFS_RunFlags flags;
  CHFS_TraceLog log(testing_support::NewTestFolder() + "\\no\\such\\folder\\x.log", flags);
  EXPECT_EQ(log.WriteLog("lost"), -1);
  EXPECT_EQ(log.AddDetailText("still shown", 0), 0);
}

TEST(TraceLogTest, AskNeedsAMainWindowAndNoSilence) {
  CHFS_RunFlags flags;
  FakeWindows windows;
  CHFS_TraceLog log(testing_support::NewTestFolder() + "\\Brevane.log", flags);
  EXPECT_EQ(log.Ask("before windows", 36), 0);
  log.SetWindowPort(&windows);
  windows.hasMainWindow = false;
  EXPECT_EQ(log.Ask("before the main window", 36), 0);
  windows.hasMainWindow = true;
  windows.answers = {7};
  EXPECT_EQ(log.Ask("question", 36), 7);
  ASSERT_EQ(windows.boxes.size(), 1u);
  EXPECT_EQ(windows.boxes[0].caption, "Ostrel Install package");
  EXPECT_EQ(windows.boxes[0].style, 36);
  EXPECT_TRUE(windows.boxes[0].owned);
  flags.silent = true;
  EXPECT_EQ(log.Ask("silent", 36), 0);
  EXPECT_EQ(windows.boxes.size(), 1u);
}

TEST(TraceLogTest, TraceLinesCarryDateAndAreBounded) {
  testing_support::EngineFixture f("[ProductInstall.Main]\r\n");
  f.reporter.log.clear();
  f.engine->Trace("Current Module Path = %s", "C:\\hotfix\\");
  ASSERT_EQ(f.reporter.log.size(), 1u);
  EXPECT_TRUE(std::regex_match(f.reporter.log[0],
                               std::regex(R"(\[\d{4}-\d\d-\d\d:\d\d:\d\d:\d\d\]Current Module Path = C:\\hotfix\\)")))
      << f.reporter.log[0];

  std::string huge(5000, 'x');
  f.engine->Trace("%s", huge.c_str());
  EXPECT_EQ(f.reporter.log[1].size(), kTraceBufferSize - 1);
  f.engine->TraceDetail("%s", huge.c_str());
  ASSERT_EQ(f.reporter.details.size(), 1u);
  EXPECT_LE(f.reporter.details[0].size(), kTraceBufferSize - 1);
  EXPECT_EQ(f.reporter.details[0].substr(f.reporter.details[0].size() - 2), "\r\n");

  f.engine->TraceDetail("item %d done", 3);
  EXPECT_EQ(f.reporter.details[1], "item 3 done\r\n");
}

TEST(TraceLogTest, BannerAndDetailTextsAreNotFormats) {
  // Text from a script reaches the log as data, never as a format.
  testing_support::EngineFixture f("[ProductInstall.Main]\r\nMainDescription=100%s %n %d\r\n");
  EXPECT_EQ(f.reporter.description, "100%s %n %d");
}

}  // namespace
