#include <gtest/gtest.h>

#include <algorithm>

#include "engine/result_codes.h"
#include "engine/tests/engine_fixture.h"
#include "sections/start_service_section.h"
#include "sections/stop_service_section.h"
#include "tests/support/fake_services.h"

namespace {

using testing_support::EngineFixture;
using testing_support::FakeClock;
using testing_support::FakeServiceManager;

template <typename Section>
struct ServiceFixture {
  ServiceFixture(const std::string& session, const std::string& keys)
      : session(session), f("[" + session + "]\r\n" + keys), record(f.engine.get()),
        section(f.engine.get(), platform::ServiceBackend{&manager, &clock}) {
    record.BeginStep(2);
  }
  int Run() { return section.Run(session, record); }
  int Rollback() { return section.Rollback(session, record); }
  // A time-stamped trace line, not a detail line (those are logged too).
  bool Traced(const std::string& text) const {
    for (const std::string& line : f.reporter.log) {
      if (line != text && testing_support::WithoutTimeStamp(line) == text) return true;
    }
    return false;
  }
  bool Detail(const std::string& text) const {
    const auto& d = f.reporter.details;
    return std::find(d.begin(), d.end(), text) != d.end();
  }

  std::string session;
  FakeServiceManager manager;
  FakeClock clock;
  EngineFixture f;
  CHFS_InstallRecord record;
  Section section;
};

const char kThree[] =
    "ServiceCount=4\r\nService1=Alpha\r\nService1.Description=first\r\nService2=Beta\r\n"
    "Service3.Description=no name\r\nService4=Gamma\r\n";

TEST(StartServiceSectionTest, StartsAndRecordsEvenRunningServicesAndRollsBackNewestFirst) {
  ServiceFixture<CHFS_StartServiceSection> s("ProductInstall.StartService", kThree);
  s.manager.services["Alpha"];
  s.manager.services["Beta"].state = os::kServiceRunning;
  s.manager.services["Gamma"];
  EXPECT_EQ(s.Run(), 0);
  EXPECT_TRUE(s.f.reporter.Logged("SMStartService('Alpha') ret=0"));
  EXPECT_TRUE(s.f.reporter.Logged("SMStartService('Beta') ret=1056"));
  EXPECT_TRUE(s.Traced("first\r\n")) << "the description is logged too";
  EXPECT_TRUE(s.f.reporter.Logged("EventHandler('Service2.Success.',OldRet=0)"));
  EXPECT_EQ(s.record.size(), 3u) << "the item without a name is passed over";
  EXPECT_TRUE(s.Detail("no name\r\n"));

  s.manager.calls.clear();
  EXPECT_EQ(s.Rollback(), 0);
  EXPECT_EQ(s.manager.calls, (std::vector<std::string>{"stop Gamma", "stop Beta", "stop Alpha"}));
  EXPECT_TRUE(s.f.reporter.Logged("CHFS_StartServiceSection::Rollback('ProductInstall.StartService')"));
  EXPECT_TRUE(s.Detail("Rollback:first\r\n"));
  EXPECT_EQ(s.manager.services["Beta"].state, os::kServiceStopped);
}

TEST(StartServiceSectionTest, AFailedStartShowsTheSystemTextAndEndsTheSection) {
  ServiceFixture<CHFS_StartServiceSection> s("ProductInstall.StartService", kThree);
  s.manager.services["Beta"];
  EXPECT_EQ(s.Run(), -1);
  const std::string text = " - " + os::ServiceErrorMessage(1060) + "\r\n";
  EXPECT_TRUE(s.f.reporter.Logged("SMStartService('Alpha') ret=1060"));
  EXPECT_TRUE(s.Detail(text));
  EXPECT_TRUE(s.Traced(text)) << "the start section also logs the text";
  EXPECT_EQ(s.record.size(), 0u);
  EXPECT_EQ(s.manager.calls, (std::vector<std::string>{}));
}

TEST(StartServiceSectionTest, RetryRepeatsTheStartWithAFreshText) {
  ServiceFixture<CHFS_StartServiceSection> s(
      "ProductInstall.StartService",
      "ServiceCount=1\r\nService1=Alpha\r\nService1.Error.Action=BRVN_RETRY\r\n");
  s.manager.services["Alpha"].nextStartErrors = {1058, 5};
  EXPECT_EQ(s.Run(), 0);
  EXPECT_EQ(s.manager.calls, (std::vector<std::string>{"start Alpha", "start Alpha", "start Alpha"}));
  EXPECT_TRUE(s.Detail(" - " + os::ServiceErrorMessage(5) + "\r\n")) << "nothing left of the longer text";
  EXPECT_EQ(s.record.size(), 1u);
}

TEST(StopServiceSectionTest, StopsAndRecordsStoppedServicesAndRollbackStartsThem) {
  ServiceFixture<CHFS_StopServiceSection> s("ProductInstall.StopService.Web",
                                            "ServiceCount=2\r\nService1=Web\r\nService2=Idle\r\n");
  s.manager.services["Web"].state = os::kServiceRunning;
  s.manager.services["Idle"];
  EXPECT_EQ(s.Run(), 0);
  EXPECT_TRUE(s.f.reporter.Logged("CHFS_StopServiceSection::Run('ProductInstall.StopService.Web')"));
  EXPECT_TRUE(s.f.reporter.Logged("SMStopService('Web') ret=0"));
  EXPECT_TRUE(s.f.reporter.Logged("SMStopService('Idle') ret=0")) << "not running counts as stopped";
  EXPECT_TRUE(s.f.reporter.Logged("CHFS_StopServiceSection::Run('ProductInstall.StopService.Web') iRet=0"));
  EXPECT_EQ(s.record.size(), 2u);

  s.manager.services["Idle"].state = os::kServiceRunning;  // started meanwhile: 1056 is fine
  s.manager.calls.clear();
  EXPECT_EQ(s.Rollback(), 0);
  EXPECT_EQ(s.manager.calls, (std::vector<std::string>{"start Idle", "start Web"}));
  EXPECT_TRUE(s.f.reporter.Logged("SMStartService('Idle') ret=1056"));
  EXPECT_EQ(s.manager.services["Web"].state, os::kServiceRunning);
}

TEST(StopServiceSectionTest, EveryNonZeroCodeFailsAndTheTextGoesOnlyToTheDetails) {
  ServiceFixture<CHFS_StopServiceSection> s("ProductInstall.StopService",
                                            "ServiceCount=1\r\nService1=Web\r\n");
  s.manager.services["Web"].state = os::kServiceRunning;
  s.manager.services["Web"].stopError = 1061;
  EXPECT_EQ(s.Run(), -1);
  const std::string text = " - " + os::ServiceErrorMessage(1061) + "\r\n";
  EXPECT_TRUE(s.Detail(text));
  EXPECT_FALSE(s.Traced(text));
  EXPECT_TRUE(s.f.reporter.Logged("EventHandler('Service1.Error.',OldRet=-1)"));
}

TEST(ServiceRollbackTest, TwoAttemptsAndTheLastEntryDecides) {
  ServiceFixture<CHFS_StartServiceSection> s("ProductInstall.StartService",
                                             "ServiceCount=2\r\nService1=Alpha\r\nService2=Beta\r\n");
  s.manager.services["Alpha"];
  s.manager.services["Beta"];
  ASSERT_EQ(s.Run(), 0);
  s.manager.services["Beta"].stopError = 5;
  s.manager.calls.clear();
  EXPECT_EQ(s.Rollback(), 0) << "Alpha, handled last, stopped";
  EXPECT_EQ(s.manager.calls,
            (std::vector<std::string>{"stop Beta", "stop Beta", "stop Alpha"}));
  EXPECT_TRUE(s.Detail("Rollback: -> " + os::ServiceErrorMessage(5) + "\r\n"));

  ASSERT_EQ(s.Run(), 0);  // Alpha again; Beta still runs, 1056
  s.manager.services["Alpha"].stopError = 5;
  s.manager.services["Beta"].stopError = 0;
  EXPECT_EQ(s.Rollback(), -1) << "Alpha, handled last, could not be stopped";
  EXPECT_EQ(s.record.size(), 0u) << "a failure does not stop the rollback early";
}

TEST(ServiceRollbackTest, AFullRecordEndsTheSection) {
  ServiceFixture<CHFS_StopServiceSection> s("ProductInstall.StopService",
                                            "ServiceCount=2\r\nService1=Web\r\nService2=Web\r\n");
  s.manager.services["Web"].state = os::kServiceRunning;
  for (size_t i = 0; i < CHFS_InstallRecord::kMaxRecords; ++i) s.record.AddRecord(0, "", "", "");
  EXPECT_EQ(s.Run(), BRVN_USERBREAK);
  EXPECT_EQ(s.manager.calls, (std::vector<std::string>{"stop Web"}));
}

}  // namespace
