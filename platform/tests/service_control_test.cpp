#include <gtest/gtest.h>

#include <cstring>

#include "platform/service_control.h"
#include "tests/support/fake_services.h"

namespace {

using testing_support::FakeServiceState;
constexpr unsigned long kStopped = os::kServiceStopped, kRunning = os::kServiceRunning;
constexpr unsigned long kStarting = os::kServiceStartPending, kStopping = os::kServiceStopPending;

struct WaitCase {
  const char* name;
  bool start;
  unsigned long state;
  std::deque<unsigned long> pending;  // states read before the end state
  unsigned long endsIn;               // where the request leaves the service
  unsigned long queryError;
  int expected;
  int sleeps;  // pauses of a second; each but the first follows a status query
};

void PrintTo(const WaitCase& c, std::ostream* os) { *os << c.name; }

class ServiceWaitTest : public testing::TestWithParam<WaitCase> {};

TEST_P(ServiceWaitTest, ResultWaitAndText) {
  const WaitCase& c = GetParam();
  testing_support::FakeServiceManager manager;
  testing_support::FakeClock clock;
  FakeServiceState& s = manager.services["svc"];
  s.state = c.state;
  s.pending = c.pending;
  s.startEndsIn = s.stopEndsIn = c.endsIn;
  s.queryError = c.queryError;
  char text[1024] = {};
  int result = c.start ? platform::SMStartService("", "svc", text, sizeof(text), {&manager, &clock})
                       : platform::SMStopService("", "svc", text, sizeof(text), {&manager, &clock});
  EXPECT_EQ(result, c.expected);
  EXPECT_EQ(clock.sleeps, c.sleeps);
  EXPECT_EQ(std::string(text), c.expected == 0 ? "" : os::ServiceErrorMessage(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Waits, ServiceWaitTest,
    testing::Values(
        WaitCase{"StartRunsAfterThreePolls", true, kStopped, {kStarting, kStarting, kStarting}, kRunning, 0, 0, 4},
        WaitCase{"StartOfARunningServiceDoesNotWait", true, kRunning, {}, kRunning, 0, 1056, 0},
        WaitCase{"StartNeverRunningTimesOut", true, kStopped, {}, kStarting, 0, 1053, 151},
        WaitCase{"StartStoppingItselfIsPolledToTheEnd", true, kStopped, {kStarting}, kStopped, 0, 1053, 151},
        WaitCase{"FailedQueryEndsTheWait", true, kStopped, {}, kRunning, 6, 1053, 1},
        WaitCase{"StopAfterTwoPolls", false, kRunning, {kStopping, kStopping}, kStopped, 0, 0, 3},
        WaitCase{"StopOfAStoppedServiceIsDone", false, kStopped, {}, kStopped, 0, 0, 0},
        WaitCase{"StopThatStaysRunningEndsAtOnce", false, kRunning, {}, kRunning, 0, 1053, 1},
        WaitCase{"StopNeverStoppingTimesOut", false, kRunning, {}, kStopping, 0, 1053, 151}),
    [](const testing::TestParamInfo<WaitCase>& info) { return std::string(info.param.name); });

TEST(ServiceControlTest, FailedOpensAndRequestsGiveTheirCodesAndTexts) {
  testing_support::FakeServiceManager manager;
  testing_support::FakeClock clock;
  manager.services["locked"].stopError = 5;
  char text[1024] = {};
  EXPECT_EQ(platform::SMStartService("", "missing", text, sizeof(text), {&manager, &clock}), 1060);
  EXPECT_EQ(std::string(text), os::ServiceErrorMessage(1060));
  EXPECT_NE(text[0], '\0');
  std::memset(text, 0, sizeof(text));
  EXPECT_EQ(platform::SMStopService("", "locked", text, sizeof(text), {&manager, &clock}), 5);
  EXPECT_EQ(std::string(text), os::ServiceErrorMessage(5));
  EXPECT_EQ(clock.sleeps, 0);
}

TEST(ServiceErrorTextTest, CopiesAtMostLengthMinusOneAndNoTerminator) {
  char text[16];
  std::memset(text, '#', sizeof(text));
  platform::ServiceErrorText(1060, text, 10);
  EXPECT_EQ(std::string(text, 10), os::ServiceErrorMessage(1060).substr(0, 9) + "#");
  std::memset(text, '#', sizeof(text));
  platform::ServiceErrorText(0, text, sizeof(text));
  platform::ServiceErrorText(1060, text, 0);
  EXPECT_EQ(text[0], '#');
}

}  // namespace
