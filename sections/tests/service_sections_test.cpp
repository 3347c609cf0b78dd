#include <gtest/gtest.h>

#include <algorithm>

#include "engine/tests/engine_fixture.h"
#include "sections/start_service_section.h"
#include "sections/stop_service_section.h"
#include "tests/support/fake_services.h"

namespace {

using Calls = std::vector<std::string>;

template <typename Section>
struct ServiceFixture {
  explicit ServiceFixture(const std::string& keys)
      : f("[S]\r\n" + keys), record(f.engine.get()), section(f.engine.get(), {&manager, &clock}) {}
  int Run() { return section.Run("S", record); }
  int Rollback() {
    manager.calls.clear();
    return section.Rollback("S", record);
  }
  // A time-stamped trace line (detail lines are logged too, without a stamp).
  bool Traced(const std::string& text) const {
    return std::any_of(f.reporter.log.begin(), f.reporter.log.end(), [&](const std::string& line) {
      return line != text && testing_support::WithoutTimeStamp(line) == text;
    });
  }
  bool Detail(const std::string& text) const {
    const auto& d = f.reporter.details;
    return std::find(d.begin(), d.end(), text) != d.end();
  }

  testing_support::FakeServiceManager manager;
  testing_support::FakeClock clock;
  testing_support::EngineFixture f;
  CHFS_InstallRecord record;
  Section section;
};

const char kItems[] = "ServiceCount=3\r\nService1=A\r\nService1.Description=first\r\nService2=B\r\n"
                      "Service3.Description=no name\r\n";

TEST(StartServiceSectionTest, RecordsRunningServicesTooAndStopsThemNewestFirst) {
  ServiceFixture<CHFS_StartServiceSection> s(kItems);
  s.manager.services["A"];
  s.manager.services["B"].state = os::kServiceRunning;
  EXPECT_EQ(s.Run(), 0);
  EXPECT_TRUE(s.Traced("SMStartService('B') ret=1056"));
  EXPECT_TRUE(s.Traced("first\r\n")) << "the description is logged as well";
  EXPECT_EQ(s.record.size(), 2u);
  EXPECT_EQ(s.Rollback(), 0);
  EXPECT_EQ(s.manager.calls, (Calls{"stop B", "stop A"}));
  EXPECT_TRUE(s.Detail("Rollback:first\r\n"));
}

TEST(StartServiceSectionTest, AFailureShowsAndLogsTheSystemText) {
  ServiceFixture<CHFS_StartServiceSection> s(kItems);
  EXPECT_EQ(s.Run(), -1);
  const std::string text = " - " + os::ServiceErrorMessage(1060) + "\r\n";
  EXPECT_TRUE(s.Detail(text));
  EXPECT_TRUE(s.Traced(text));
  EXPECT_EQ(s.record.size(), 0u);
}

TEST(StopServiceSectionTest, RecordsStoppedServicesTooAndStartsThemNewestFirst) {
  ServiceFixture<CHFS_StopServiceSection> s(kItems);
  s.manager.services["A"].state = os::kServiceRunning;
  s.manager.services["B"].stopError = 1061;
  EXPECT_EQ(s.Run(), -1) << "every non-zero code fails a stop";
  EXPECT_TRUE(s.Detail(" - " + os::ServiceErrorMessage(1061) + "\r\n"));
  EXPECT_FALSE(s.Traced(" - " + os::ServiceErrorMessage(1061) + "\r\n"));
  EXPECT_TRUE(s.Traced("CHFS_StopServiceSection::Run('S') iRet=-1"));
  s.manager.services["B"] = {};
  EXPECT_EQ(s.Run(), 0) << "B was not running";
  EXPECT_EQ(s.record.size(), 3u);
  EXPECT_EQ(s.Rollback(), 0);
  EXPECT_EQ(s.manager.calls, (Calls{"start B", "start A", "start A"})) << "1056 is fine";
}

TEST(ServiceRollbackTest, TwoAttemptsEachAndTheLastEntryDecides) {
  ServiceFixture<CHFS_StartServiceSection> s(kItems);
  s.manager.services["A"];
  s.manager.services["B"];
  ASSERT_EQ(s.Run(), 0);
  s.manager.services["B"].stopError = 5;
  EXPECT_EQ(s.Rollback(), 0) << "A, handled last, stopped";
  EXPECT_EQ(s.manager.calls, (Calls{"stop B", "stop B", "stop A"}));
  EXPECT_TRUE(s.Detail("Rollback: -> " + os::ServiceErrorMessage(5) + "\r\n"));
  s.record.AddRecord(1, "", "", "");
  s.manager.services["A"].stopError = 5;
  EXPECT_EQ(s.Rollback(), -1);
}

}  // namespace
