// A service manager and a clock for tests: services held in memory whose
// states after a request are scripted, and a clock whose pauses only add up.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "os/errors.h"
#include "os/services.h"

namespace testing_support {

class FakeClock : public os::Clock {
 public:
  std::uint64_t NowMilliseconds() override { return now; }
  void Sleep(unsigned long milliseconds) override {
    now += milliseconds;
    ++sleeps;
  }

  std::uint64_t now = 1000000;
  int sleeps = 0;
};

struct FakeServiceState {
  unsigned long state = os::kServiceStopped;
  unsigned long startError = 0;  // returned by a start request, nothing changes
  unsigned long stopError = 0;   // returned by a stop request, nothing changes
  std::deque<unsigned long> nextStartErrors;  // returned by the next start requests, one each
  // Where an accepted request leaves the service, and what the status queries
  // read before that (one entry per query).
  unsigned long startEndsIn = os::kServiceRunning;
  unsigned long stopEndsIn = os::kServiceStopped;
  std::deque<unsigned long> pending;
  unsigned long queryError = 0;
  int queries = 0;
};

class FakeServiceManager : public os::ServiceManager {
 public:
  std::unique_ptr<os::Service> Open(const std::string& machine, const std::string& name,
                                    unsigned long& error) override;

  std::map<std::string, FakeServiceState> services;
  std::vector<std::string> calls;  // "start A", "stop B", in order
  int openServices = 0;            // services open right now
};

}  // namespace testing_support
