#include "os/change_gate.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "os/errors.h"

namespace os {

namespace {

enum class GateMode { kUnread, kOff, kList, kFailAt };

struct GateState {
  std::mutex lock;
  GateMode mode = GateMode::kUnread;
  unsigned long failAt = 0;
  unsigned long count = 0;
};

GateState& State() {
  static GateState state;
  return state;
}

void ReadSetting(GateState& state) {
  const char* text = std::getenv("BREVANE_FAIL_AT");
  state.mode = GateMode::kOff;
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
  unsigned long n = ++state.count;
  if (state.mode == GateMode::kList) {
    std::fprintf(stderr, "change %lu: %s %s\n", n, ChangeKindName(kind), target.c_str());
    return true;
  }
  if (n != state.failAt) return true;
  SetLastError(kErrorAccessDenied);
  return false;
}

void ResetChangeGateForTesting() {
  GateState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  state.mode = GateMode::kUnread;
  state.failAt = 0;
  state.count = 0;
}

}  // namespace os
