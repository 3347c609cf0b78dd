#include "platform/service_control.h"

#include <cstring>
#include <memory>

#include "os/errors.h"

namespace platform {

namespace {

// Runs call on the opened service with the backend's defaults filled in;
// the service and its manager are closed before the result is returned.
template <typename Call>
int WithService(const std::string& machine, const std::string& name, ServiceBackend backend,
                Call call) {
  os::Clock& clock = backend.clock != nullptr ? *backend.clock : os::SystemClock();
  std::unique_ptr<os::ServiceManager> own;
  if (backend.manager == nullptr) own = os::NewSystemServiceManager(clock);
  os::ServiceManager& manager = backend.manager != nullptr ? *backend.manager : *own;
  unsigned long error = 0;
  std::unique_ptr<os::Service> service = manager.Open(machine, name, error);
  if (!service) return static_cast<int>(error);
  return call(*service, clock);
}

// Pauses, then polls until done(state) or the polls are used up; the last
// state read, or 0 when no state could be read.
template <typename Done>
unsigned long WaitFor(os::Service& service, os::Clock& clock, Done done) {
  clock.Sleep(kServicePauseMs);
  unsigned long last = 0;
  for (int polls = 0;; ++polls) {
    unsigned long state = 0;
    if (service.QueryState(state) != 0) break;
    last = state;
    if (polls >= kServiceMaxPolls || done(state)) break;
    clock.Sleep(kServicePauseMs);
  }
  return last;
}

int Finish(int result, char* errorText, int length) {
  if (result != 0) ServiceErrorText(result, errorText, length);
  return result;
}

}  // namespace

int SMStartService(const std::string& machine, const std::string& service, char* errorText,
                   int length, ServiceBackend backend) {
  int result = WithService(machine, service, backend, [](os::Service& s, os::Clock& clock) {
    unsigned long error = s.Start();
    if (error != 0) return static_cast<int>(error);
    unsigned long state = WaitFor(s, clock, [](unsigned long st) { return st == os::kServiceRunning; });
    return state == os::kServiceRunning ? 0 : static_cast<int>(os::kErrorServiceRequestTimeout);
  });
  return Finish(result, errorText, length);
}

int SMStopService(const std::string& machine, const std::string& service, char* errorText,
                  int length, ServiceBackend backend) {
  int result = WithService(machine, service, backend, [](os::Service& s, os::Clock& clock) {
    unsigned long first = 0;
    unsigned long error = s.Stop(first);
    if (error == os::kErrorServiceNotActive) return 0;
    if (error != 0) return static_cast<int>(error);
    unsigned long state =
        WaitFor(s, clock, [](unsigned long st) { return st != os::kServiceStopPending; });
    return state == os::kServiceStopped ? 0 : static_cast<int>(os::kErrorServiceRequestTimeout);
  });
  return Finish(result, errorText, length);
}

void ServiceErrorText(int code, char* buffer, int length) {
  if (code == 0 || buffer == nullptr || length <= 0) return;
  std::string text = os::ServiceErrorMessage(static_cast<unsigned long>(code));
  size_t count = std::strlen(text.c_str());  // up to the first zero
  if (count > static_cast<size_t>(length - 1)) count = static_cast<size_t>(length - 1);
  std::memcpy(buffer, text.data(), count);
}

}  // namespace platform
