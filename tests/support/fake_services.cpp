#include "tests/support/fake_services.h"

namespace testing_support {

namespace {

class FakeService : public os::Service {
 public:
  FakeService(FakeServiceManager& manager, const std::string& name)
      : manager_(manager), name_(name), s_(manager.services[name]) {
    ++manager_.openServices;
  }
  ~FakeService() override { --manager_.openServices; }

  unsigned long Start() override {
    manager_.calls.push_back("start " + name_);
    if (!s_.nextStartErrors.empty()) {
      unsigned long error = s_.nextStartErrors.front();
      s_.nextStartErrors.pop_front();
      return error;
    }
    if (s_.startError != 0) return s_.startError;
    if (s_.state != os::kServiceStopped) return os::kErrorServiceAlreadyRunning;
    s_.state = s_.startEndsIn;
    return 0;
  }

  unsigned long Stop(unsigned long& state) override {
    manager_.calls.push_back("stop " + name_);
    if (s_.stopError != 0) return s_.stopError;
    if (s_.state == os::kServiceStopped) return os::kErrorServiceNotActive;
    s_.state = s_.stopEndsIn;
    state = s_.pending.empty() ? s_.state : s_.pending.front();
    return 0;
  }

  unsigned long QueryState(unsigned long& state) override {
    ++s_.queries;
    if (s_.queryError != 0) return s_.queryError;
    if (!s_.pending.empty()) {
      state = s_.pending.front();
      s_.pending.pop_front();
    } else {
      state = s_.state;
    }
    return 0;
  }

 private:
  FakeServiceManager& manager_;
  std::string name_;
  FakeServiceState& s_;
};

}  // namespace

std::unique_ptr<os::Service> FakeServiceManager::Open(const std::string& machine,
                                                      const std::string& name, unsigned long& error) {
  if (services.count(name) == 0) {
    error = os::kErrorServiceDoesNotExist;
    return nullptr;
  }
  error = 0;
  return std::make_unique<FakeService>(*this, name);
}

}  // namespace testing_support
