#include <gtest/gtest.h>

#include <cstring>

#include "platform/service_control.h"
#include "tests/support/fake_services.h"

namespace {

using testing_support::FakeClock;
using testing_support::FakeServiceManager;
using testing_support::FakeServiceState;

enum class Op { kStart, kStop };

struct WaitCase {
  const char* name;
  Op op;
  FakeServiceState service;
  int expected;
  int sleeps;   // pauses of a second the call made
  int queries;  // status queries it made
};

FakeServiceState Service(unsigned long state, std::deque<unsigned long> pending = {},
                         unsigned long endsIn = 0) {
  FakeServiceState s;
  s.state = state;
  s.pending = std::move(pending);
  if (endsIn != 0) s.startEndsIn = s.stopEndsIn = endsIn;
  return s;
}

class ServiceWaitTest : public testing::TestWithParam<WaitCase> {};

TEST_P(ServiceWaitTest, ResultAndWait) {
  const WaitCase& c = GetParam();
  FakeServiceManager manager;
  manager.services["svc"] = c.service;
  FakeClock clock;
  char text[1024] = {};
  int result = c.op == Op::kStart
                   ? platform::SMStartService("", "svc", text, sizeof(text), {&manager, &clock})
                   : platform::SMStopService("", "svc", text, sizeof(text), {&manager, &clock});
  EXPECT_EQ(result, c.expected);
  EXPECT_EQ(clock.sleeps, c.sleeps);
  EXPECT_EQ(manager.services["svc"].queries, c.queries);
  EXPECT_EQ(manager.openServices, 0) << "handles closed";
  if (c.expected == 0) {
    EXPECT_STREQ(text, "") << "no text on success";
  } else {
    EXPECT_EQ(std::string(text), os::ServiceErrorMessage(static_cast<unsigned long>(c.expected)));
    EXPECT_NE(text[0], '\0');
  }
}

using S = FakeServiceState;
constexpr unsigned long kStopped = os::kServiceStopped;
constexpr unsigned long kRunning = os::kServiceRunning;
constexpr unsigned long kStarting = os::kServiceStartPending;
constexpr unsigned long kStopping = os::kServiceStopPending;

INSTANTIATE_TEST_SUITE_P(
    Waits, ServiceWaitTest,
    testing::Values(
        WaitCase{"StartRunsAfterOnePause", Op::kStart, Service(kStopped), 0, 1, 1},
        WaitCase{"StartRunsAfterThreePolls", Op::kStart,
                 Service(kStopped, {kStarting, kStarting, kStarting}), 0, 4, 4},
        WaitCase{"StartAlreadyRunningDoesNotWait", Op::kStart, Service(kRunning), 1056, 0, 0},
        WaitCase{"StartNeverRunningTimesOut", Op::kStart, Service(kStopped, {}, kStarting), 1053,
                 151, 151},
        WaitCase{"StartStopsItselfIsPolledToTheEnd", Op::kStart,
                 Service(kStopped, {kStarting, kStarting}, kStopped), 1053, 151, 151},
        WaitCase{"StopAfterTwoPolls", Op::kStop, Service(kRunning, {kStopping, kStopping}), 0, 3,
                 3},
        WaitCase{"StopNotRunningIsDoneAtOnce", Op::kStop, Service(kStopped), 0, 0, 0},
        WaitCase{"StopThatStaysRunningEndsAtOnce", Op::kStop, Service(kRunning, {}, kRunning),
                 1053, 1, 1},
        WaitCase{"StopNeverStoppingTimesOut", Op::kStop, Service(kRunning, {}, kStopping), 1053,
                 151, 151}),
    [](const testing::TestParamInfo<WaitCase>& info) { return std::string(info.param.name); });

TEST(ServiceControlTest, RequestAndOpenFailuresGiveTheirCodes) {
  FakeServiceManager manager;
  FakeClock clock;
  manager.services["locked"].startError = 1055;
  manager.services["locked"].stopError = 5;
  char text[1024] = {};
  EXPECT_EQ(platform::SMStartService("", "missing", text, sizeof(text), {&manager, &clock}), 1060);
  EXPECT_EQ(std::string(text), os::ServiceErrorMessage(1060));
  EXPECT_NE(std::string(text).find("does not exist"), std::string::npos) << text;
  std::memset(text, 0, sizeof(text));
  EXPECT_EQ(platform::SMStartService("", "locked", text, sizeof(text), {&manager, &clock}), 1055);
  EXPECT_EQ(platform::SMStopService("", "locked", text, sizeof(text), {&manager, &clock}), 5);
  EXPECT_EQ(clock.sleeps, 0);
}

TEST(ServiceControlTest, FailedStatusQueryEndsTheWaitAsTimeout) {
  FakeServiceManager manager;
  manager.services["svc"].queryError = 6;
  FakeClock clock;
  char text[1024] = {};
  EXPECT_EQ(platform::SMStartService("", "svc", text, sizeof(text), {&manager, &clock}), 1053);
  EXPECT_EQ(clock.sleeps, 1);
  EXPECT_EQ(manager.services["svc"].queries, 1);
}

TEST(ServiceErrorTextTest, CopiesAtMostLengthMinusOneAndNoTerminator) {
  const std::string message = os::ServiceErrorMessage(1060);
  ASSERT_GT(message.size(), 12u);
  char text[16];
  std::memset(text, '#', sizeof(text));
  platform::ServiceErrorText(1060, text, 10);
  EXPECT_EQ(std::string(text, 9), message.substr(0, 9));
  EXPECT_EQ(text[9], '#') << "no terminating zero of its own";

  std::memset(text, '#', sizeof(text));
  platform::ServiceErrorText(0, text, sizeof(text));
  platform::ServiceErrorText(1060, text, 0);
  platform::ServiceErrorText(1060, nullptr, 10);
  EXPECT_EQ(text[0], '#');
}

TEST(ServiceErrorTextTest, KnownCodesHaveTheSystemTexts) {
  for (unsigned long code : {2ul, 5ul, 1053ul, 1056ul, 1060ul, 1062ul}) {
    std::string text = os::ServiceErrorMessage(code);
    EXPECT_EQ(text.substr(0, text.size() - 2), os::SystemMessage(code)) << code;
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << code;
  }
  EXPECT_EQ(os::ServiceErrorMessage(0x7ffffffe), "");
}

}  // namespace
