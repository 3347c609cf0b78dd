#include "os/change_gate.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "os/errors.h"
#include "os/process.h"

namespace os {

namespace {

// kCount: only BREVANE_KILL_AT is set, the calls are counted.
enum class GateMode { kUnread, kOff, kCount, kList, kFailAt };

struct GateState {
  std::mutex lock;
  GateMode mode = GateMode::kUnread;
  unsigned long failAt = 0;
  unsigned long count = 0;
  unsigned long killAt = 0;   // BREVANE_KILL_AT, 0 for none
  bool killAfter = false;     // "N+": after the Nth change
  bool killDue = false;       // the Nth change has been let through
};

GateState& State() {
  static GateState state;
  return state;
}

void KillDueAtExit() {
  if (State().killDue) KillCurrentProcess();
}

void ReadKillSetting(GateState& state) {
  const char* text = std::getenv("BREVANE_KILL_AT");
  if (text == nullptr || *text == '\0') return;
  char* end = nullptr;
  unsigned long n = std::strtoul(text, &end, 10);
  if (end == nullptr || n == 0) return;
  if (std::strcmp(end, "+") == 0) {
    state.killAfter = true;
  } else if (*end != '\0') {
    return;
  }
  state.killAt = n;
  if (state.killAfter) (void)std::atexit(KillDueAtExit);
}

void ReadSetting(GateState& state) {
  ReadKillSetting(state);
  const char* text = std::getenv("BREVANE_FAIL_AT");
  state.mode = GateMode::kOff;
  if (state.killAt != 0) state.mode = GateMode::kCount;
  if (text == nullptr || *text == '\0') return;
  if (std::strcmp(text, "list") == 0) {
    state.mode = GateMode::kList;
    return;
  }
  char* end = nullptr;
  unsigned long n = std::strtoul(text, &end, 10);
  if (end != nullptr && *end == '\0' && n > 0) {
    state.mode = GateMode::kFailAt;
    state.failAt = n;
  }
}

}  // namespace

const char* ChangeKindName(ChangeKind kind) noexcept {
  switch (kind) {
    case ChangeKind::kFileCreate: return "file create";
    case ChangeKind::kFileWrite: return "file write";
    case ChangeKind::kFileCopy: return "file copy";
    case ChangeKind::kFileDelete: return "file delete";
    case ChangeKind::kFileRename: return "file rename";
    case ChangeKind::kFileAttributes: return "file attributes";
    case ChangeKind::kFileTimes: return "file times";
    case ChangeKind::kFolderCreate: return "folder create";
    case ChangeKind::kFolderRemove: return "folder remove";
    case ChangeKind::kRegistryCreate: return "registry create";
    case ChangeKind::kRegistrySet: return "registry set";
    case ChangeKind::kRegistryDelete: return "registry delete";
    case ChangeKind::kProfileWrite: return "profile write";
    case ChangeKind::kServiceStart: return "service start";
    case ChangeKind::kServiceStop: return "service stop";
    case ChangeKind::kCommandRun: return "command run";
  }
  return "change";
}

bool AllowChange(ChangeKind kind, const std::string& target) {
  GateState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  if (state.mode == GateMode::kUnread) ReadSetting(state);
  if (state.mode == GateMode::kOff) return true;
  if (state.killDue) KillCurrentProcess();
  unsigned long n = ++state.count;
  if (n == state.killAt) {
    if (!state.killAfter) KillCurrentProcess();
    state.killDue = true;
  }
  if (state.mode == GateMode::kList) {
    std::fprintf(stderr, "change %lu: %s %s\n", n, ChangeKindName(kind), target.c_str());
    return true;
  }
  if (state.mode != GateMode::kFailAt || n != state.failAt) return true;
  SetLastError(kErrorAccessDenied);
  return false;
}

void ChangeCheckpoint() {
  GateState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  if (state.killDue) KillCurrentProcess();
}

void ResetChangeGateForTesting() {
  GateState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  state.mode = GateMode::kUnread;
  state.failAt = 0;
  state.count = 0;
  state.killAt = 0;
  state.killAfter = false;
  state.killDue = false;
}

}  // namespace os
