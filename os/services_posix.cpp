#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "os/case_fold.h"
#include "os/change_gate.h"
#include "os/errors.h"
#include "os/machine.h"
#include "os/process.h"
#include "os/profile.h"
#include "os/profile_text.h"
#include "os/sandbox_posix.h"
#include "os/services.h"
#include "os/handle_owners_posix.h"

namespace os {

namespace {

constexpr unsigned long kErrorRpcServerUnavailable = 1722;

// Wall time; with FastServiceWaits=1 in machine.ini's [Machine] section a
// pause moves this process's clock on instead of sleeping, so dry runs and
// tests of packages with services do not wait a second per poll.
class RealClock : public Clock {
 public:
  RealClock() {
    std::string value;
    sandbox::OwnFilesReachable own;
    (void)GetProfileString(sandbox::WindowsPathOfHost(sandbox::Prefix() + "/machine.ini"), "Machine",
                           "FastServiceWaits", "0", value, 16);
    fast_ = value == "1";
  }
  std::uint64_t NowMilliseconds() override {
    auto now = std::chrono::system_clock::now().time_since_epoch();
    return skipped_ +
           static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
  }
  void Sleep(unsigned long milliseconds) override {
    if (fast_) {
      skipped_ += milliseconds;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }

 private:
  bool fast_ = false;
  std::uint64_t skipped_ = 0;
};

std::string TablePath() { return sandbox::Prefix() + "/services.ini"; }

// Holds an exclusive lock on the table for one read-change-write, so two
// processes changing services never lose each other's update.
class TableLock {
 public:
  TableLock() : fd_(::open((TablePath() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
    if (fd_) (void)::flock(fd_.get(), LOCK_EX);
  }

 private:
  UniqueFd fd_;
};

std::string ReadTable() {
  std::ifstream in(TablePath(), std::ios::binary);
  std::ostringstream text;
  if (in) text << in.rdbuf();
  return text.str();
}

bool WriteTable(const std::string& text) {
  std::string temp = TablePath() + ".tmp" + std::to_string(::getpid());
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) return false;
  }
  return std::rename(temp.c_str(), TablePath().c_str()) == 0;
}

const char* StateWord(unsigned long state) {
  switch (state) {
    case kServiceRunning: return "Running";
    case kServiceStartPending: return "StartPending";
    case kServiceStopPending: return "StopPending";
    default: return "Stopped";
  }
}

unsigned long StateOfWord(const std::string& word) {
  for (unsigned long state : {kServiceRunning, kServiceStartPending, kServiceStopPending}) {
    if (SameAnsiText(word, StateWord(state))) return state;
  }
  return kServiceStopped;
}

// One service's entry of the table, read, changed and written back whole.
class Entry {
 public:
  Entry(ProfileText& table, std::string name) : table_(table), name_(std::move(name)) {}

  std::string Value(const char* key) const {
    std::string value;
    return table_.FindValue(name_, key, value) ? value : std::string();
  }
  unsigned long Number(const char* key) const { return std::strtoul(Value(key).c_str(), nullptr, 10); }
  void Set(const char* key, const std::string& value) { table_.SetValue(name_, key, value); }

  // The state at time now, finishing a change whose time is up.
  unsigned long State(std::uint64_t now) {
    unsigned long state = StateOfWord(Value("State"));
    if (state != kServiceStartPending && state != kServiceStopPending) return state;
    if (now < std::strtoull(Value("PendingUntil").c_str(), nullptr, 10)) return state;
    state = StateOfWord(Value("PendingState"));
    Set("State", StateWord(state));
    table_.DeleteKey(name_, "PendingState");
    table_.DeleteKey(name_, "PendingUntil");
    return state;
  }

  // Moves towards target: at once when the change takes no time, else
  // through the pending state until now + seconds.
  void Change(unsigned long pending, unsigned long target, unsigned long seconds, std::uint64_t now) {
    if (seconds == 0) {
      Set("State", StateWord(target));
      return;
    }
    Set("State", StateWord(pending));
    Set("PendingState", StateWord(target));
    Set("PendingUntil", std::to_string(now + seconds * 1000ull));
  }

 private:
  ProfileText& table_;
  std::string name_;
};

bool RunsCleanly(const std::string& command) {
  if (command.empty()) return true;
  return RunCommandWith(CommandInterpreter(), command) == 0;
}

class SandboxService : public Service {
 public:
  SandboxService(std::string name, Clock& clock) : name_(std::move(name)), clock_(clock) {}

  unsigned long Start() override {
    TableLock lock;
    ProfileText table(ReadTable());
    Entry entry(table, name_);
    if (entry.State(clock_.NowMilliseconds()) != kServiceStopped) return Finish(table, kErrorServiceAlreadyRunning);
    if (!AllowChange(ChangeKind::kServiceStart, name_)) return LastError();
    bool started = RunsCleanly(entry.Value("StartCommand"));
    // A start that fails shows as a service that stops itself while starting.
    entry.Change(kServiceStartPending, started ? kServiceRunning : kServiceStopped,
                 entry.Number("StartSeconds"), clock_.NowMilliseconds());
    return Finish(table, 0);
  }

  unsigned long Stop(unsigned long& state) override {
    TableLock lock;
    ProfileText table(ReadTable());
    Entry entry(table, name_);
    unsigned long current = entry.State(clock_.NowMilliseconds());
    if (current == kServiceStopped) return Finish(table, kErrorServiceNotActive);
    if (current != kServiceRunning) return Finish(table, kErrorServiceCannotAcceptCtrl);
    if (!AllowChange(ChangeKind::kServiceStop, name_)) return LastError();
    if (RunsCleanly(entry.Value("StopCommand"))) {
      entry.Change(kServiceStopPending, kServiceStopped, entry.Number("StopSeconds"),
                   clock_.NowMilliseconds());
    }
    state = entry.State(clock_.NowMilliseconds());
    return Finish(table, 0);
  }

  unsigned long QueryState(unsigned long& state) override {
    TableLock lock;
    ProfileText table(ReadTable());
    Entry entry(table, name_);
    state = entry.State(clock_.NowMilliseconds());
    return Finish(table, 0);
  }

 private:
  unsigned long Finish(const ProfileText& table, unsigned long result) {
    if (!WriteTable(table.Text())) return kErrorAccessDenied;
    return result;
  }

  std::string name_;
  Clock& clock_;
};

class SandboxManager : public ServiceManager {
 public:
  explicit SandboxManager(Clock& clock) : clock_(clock) {}

  std::unique_ptr<Service> Open(const std::string& machine, const std::string& name,
                                unsigned long& error) override {
    if (!IsThisMachine(machine)) {
      error = kErrorRpcServerUnavailable;
      return nullptr;
    }
    std::vector<std::string> entries;
    if (name.empty() || !ProfileText(ReadTable()).SectionEntries(name, entries)) {
      error = kErrorServiceDoesNotExist;
      return nullptr;
    }
    error = 0;
    return std::make_unique<SandboxService>(name, clock_);
  }

 private:
  static bool IsThisMachine(const std::string& machine) {
    if (machine.empty()) return true;
    std::string local;
    std::string bare = machine.compare(0, 2, "\\\\") == 0 ? machine.substr(2) : machine;
    return GetComputerName(local, 256) && SameAnsiText(bare, local);
  }

  Clock& clock_;
};

}  // namespace

Clock& SystemClock() {
  static RealClock clock;
  return clock;
}

std::unique_ptr<ServiceManager> NewSystemServiceManager(Clock& clock) {
  return std::make_unique<SandboxManager>(clock);
}

std::string ServiceErrorMessage(unsigned long code) {
  std::string text = code == kErrorRpcServerUnavailable ? "The RPC server is unavailable." : SystemMessage(code);
  return text.empty() ? text : text + "\r\n";
}

}  // namespace os
