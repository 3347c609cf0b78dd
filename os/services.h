// The service manager: open a service, request a start or a stop, read its
// state; and the clock whose pauses the waits for a service are made of.
//
// Windows: the service control manager (OpenSCManagerA, OpenServiceA with full
// access, StartServiceA, ControlService, QueryServiceStatus). POSIX: the
// sandbox machine's services.ini ($BREVANE_PREFIX/services.ini), one section
// per service name (matched case-insensitively):
//
//   [Spooler]
//   State=Running            Stopped (the default) or Running
//   StartCommand=...         run through the command interpreter
//                            (os/process.h) when a start is requested; a
//                            non-zero exit makes the service stop again
//   StopCommand=...          run when a stop is requested; a non-zero exit
//                            leaves the service running
//   StartSeconds=3           how long the start takes (default 0)
//   StopSeconds=3            how long the stop takes (default 0)
//
// While a change is under way the file also holds the pending state and the
// clock time it ends at, so the state is right across processes. Requests ask
// os::AllowChange (kServiceStart, kServiceStop) first. Error codes are the
// ones Windows gives: 1060 for an unknown service, 1056 for a start of a
// running service, 1062 for a stop of a service that is not running, 1061 for
// a stop while a change is under way, 5 when a change is refused.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace os {

enum ServiceState : unsigned long {
  kServiceStopped = 1,
  kServiceStartPending = 2,
  kServiceStopPending = 3,
  kServiceRunning = 4,
};

// Time and pauses; tests replace it so that waits take no real time.
class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds on a clock shared by every process of the machine.
  [[nodiscard]] virtual std::uint64_t NowMilliseconds() = 0;
  virtual void Sleep(unsigned long milliseconds) = 0;
};

// The real clock (wall time, real pauses).
Clock& SystemClock();

// An open service; destroying it closes the service, then its manager.
class Service {
 public:
  virtual ~Service() = default;
  // StartServiceA without arguments: 0 or the error code.
  [[nodiscard]] virtual unsigned long Start() = 0;
  // ControlService(SERVICE_CONTROL_STOP): 0 (state then holds the first
  // status's state) or the error code.
  [[nodiscard]] virtual unsigned long Stop(unsigned long& state) = 0;
  // QueryServiceStatus: 0 with the current state, or the error code.
  [[nodiscard]] virtual unsigned long QueryState(unsigned long& state) = 0;
};

class ServiceManager {
 public:
  virtual ~ServiceManager() = default;
  // Opens the manager of machine (empty: this machine) with full access, then
  // the named service with full access. Null with error set to the code of
  // the open that failed.
  [[nodiscard]] virtual std::unique_ptr<Service> Open(const std::string& machine,
                                                      const std::string& name,
                                                      unsigned long& error) = 0;
};

// The machine's service manager; the POSIX one times its changes with clock.
std::unique_ptr<ServiceManager> NewSystemServiceManager(Clock& clock);

// The system's message text for an error code as FormatMessageA gives it,
// trailing line break included (Windows adds the network messages of
// netmsg.dll for 2100-2999); empty when there is none.
[[nodiscard]] std::string ServiceErrorMessage(unsigned long code);

}  // namespace os
