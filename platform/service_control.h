// Starting and stopping a service and waiting until it is in the wanted
// state: one pause of a second after the request, then at most 150 status
// polls a second apart, so about 151 seconds at the longest.
#pragma once

#include <string>

#include "os/services.h"

namespace platform {

// The service manager and clock the operations use; the default is the
// machine's own manager on the real clock.
struct ServiceBackend {
  os::ServiceManager* manager = nullptr;
  os::Clock* clock = nullptr;
};

constexpr int kServicePauseMs = 1000;
constexpr int kServiceMaxPolls = 150;

// Starts the service and waits until it runs. 0, 1053 when it did not come up
// within the wait, 1056 at once when it was already running, or the error
// code of the call that failed. On failure errorText receives the code's
// message (see ServiceErrorText).
[[nodiscard]] int SMStartService(const std::string& machine, const std::string& service,
                                 char* errorText, int length, ServiceBackend backend = {});

// Stops the service and waits until it has stopped. 0 (also at once when it
// was not running), 1053 when it did not stop within the wait or stays
// running, or the error code of the call that failed; errorText as above.
[[nodiscard]] int SMStopService(const std::string& machine, const std::string& service,
                                char* errorText, int length, ServiceBackend backend = {});

// Copies the system's message for code into buffer, at most length - 1
// characters and no terminating zero of its own: the caller clears the buffer
// first. Does nothing for code 0, a null buffer or a length below 1.
void ServiceErrorText(int code, char* buffer, int length);

}  // namespace platform
