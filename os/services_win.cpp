#include <windows.h>

#include "os/change_gate.h"
#include "os/errors.h"
#include "os/services.h"
#include "os/handle_owners_win.h"

namespace os {

namespace {

class RealClock : public Clock {
 public:
  std::uint64_t NowMilliseconds() override {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    return ((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime) / 10000;
  }
  void Sleep(unsigned long milliseconds) override { ::Sleep(milliseconds); }
};

class ScmService : public Service {
 public:
  ScmService(UniqueScHandle manager, UniqueScHandle service, std::string name)
      : manager_(std::move(manager)), service_(std::move(service)), name_(std::move(name)) {}

  unsigned long Start() override {
    if (!AllowChange(ChangeKind::kServiceStart, name_)) return LastError();
    return ::StartServiceA(service_.get(), 0, nullptr) ? 0 : ::GetLastError();
  }

  unsigned long Stop(unsigned long& state) override {
    if (!AllowChange(ChangeKind::kServiceStop, name_)) return LastError();
    SERVICE_STATUS status = {};
    if (!::ControlService(service_.get(), SERVICE_CONTROL_STOP, &status)) return ::GetLastError();
    state = status.dwCurrentState;
    return 0;
  }

  unsigned long QueryState(unsigned long& state) override {
    SERVICE_STATUS status = {};
    if (!::QueryServiceStatus(service_.get(), &status)) return ::GetLastError();
    state = status.dwCurrentState;
    return 0;
  }

 private:
  // Declared manager first, so the service handle is closed before it.
  UniqueScHandle manager_;
  UniqueScHandle service_;
  std::string name_;
};

class ScmManager : public ServiceManager {
 public:
  std::unique_ptr<Service> Open(const std::string& machine, const std::string& name,
                                unsigned long& error) override {
    UniqueScHandle manager(::OpenSCManagerA(machine.empty() ? nullptr : machine.c_str(), nullptr,
                                            SC_MANAGER_ALL_ACCESS));
    if (!manager) {
      error = ::GetLastError();
      return nullptr;
    }
    UniqueScHandle service(::OpenServiceA(manager.get(), name.c_str(), SERVICE_ALL_ACCESS));
    if (!service) {
      error = ::GetLastError();
      return nullptr;
    }
    error = 0;
    return std::make_unique<ScmService>(std::move(manager), std::move(service), name);
  }
};
}  // namespace

Clock& SystemClock() {
  static RealClock clock;
  return clock;
}

std::unique_ptr<ServiceManager> NewSystemServiceManager(Clock&) {
  return std::make_unique<ScmManager>();
}

std::string ServiceErrorMessage(unsigned long code) {
  DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  UniqueModule netmsg;
  if (code >= 2100 && code <= 2999) {
    netmsg.reset(::LoadLibraryExA("netmsg.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (netmsg) flags |= FORMAT_MESSAGE_FROM_HMODULE;
  }
  char text[2047 + 1] = {};
  DWORD length = ::FormatMessageA(flags, netmsg.get(), code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  text, 2047, nullptr);
  return std::string(text, length <= 2047 ? length : 0);
}

}  // namespace os
