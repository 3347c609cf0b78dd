// A service manager and a clock for tests: in-memory services whose states
// after a request are scripted, and a clock whose pauses only add up.
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
  unsigned long startError = 0, stopError = 0, queryError = 0;  // nothing changes on these
  unsigned long startEndsIn = os::kServiceRunning, stopEndsIn = os::kServiceStopped;
  std::deque<unsigned long> pending;  // what the next queries read, before the end state
  int queries = 0;
};

class FakeServiceManager : public os::ServiceManager {
 public:
  std::unique_ptr<os::Service> Open(const std::string&, const std::string& name,
                                    unsigned long& error) override {
    error = services.count(name) == 0 ? static_cast<unsigned long>(os::kErrorServiceDoesNotExist) : 0ul;
    return error != 0 ? nullptr : std::make_unique<Fake>(*this, name);
  }

  std::map<std::string, FakeServiceState> services;
  std::vector<std::string> calls;  // "start A", "stop B", in order

 private:
  class Fake : public os::Service {
   public:
    Fake(FakeServiceManager& m, const std::string& name) : m_(m), name_(name), s_(m.services[name]) {}
    unsigned long Start() override {
      m_.calls.push_back("start " + name_);
      if (s_.startError != 0) return s_.startError;
      if (s_.state != os::kServiceStopped) return os::kErrorServiceAlreadyRunning;
      s_.state = s_.startEndsIn;
      return 0;
    }
    unsigned long Stop(unsigned long& state) override {
      m_.calls.push_back("stop " + name_);
      if (s_.stopError != 0) return s_.stopError;
      if (s_.state == os::kServiceStopped) return os::kErrorServiceNotActive;
      state = s_.state = s_.stopEndsIn;
      return 0;
    }
    unsigned long QueryState(unsigned long& state) override {
      ++s_.queries;
      if (s_.queryError != 0) return s_.queryError;
      state = s_.pending.empty() ? s_.state : s_.pending.front();
      if (!s_.pending.empty()) s_.pending.pop_front();
      return 0;
    }

   private:
    FakeServiceManager& m_;
    std::string name_;
    FakeServiceState& s_;
  };
};

}  // namespace testing_support
