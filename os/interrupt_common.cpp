#include <atomic>

#include "os/interrupt.h"

namespace os {

namespace {
// Lock-free, so a signal handler may write them.
std::atomic<int> g_count{0};
std::atomic<int> g_first{0};
std::atomic<int> g_last{0};
static_assert(ATOMIC_INT_LOCK_FREE == 2, "the interrupt flag must be lock-free");
}  // namespace

void RequestInterrupt(InterruptCause cause) noexcept {
  int none = 0;
  g_first.compare_exchange_strong(none, static_cast<int>(cause));
  g_last.store(static_cast<int>(cause));
  g_count.fetch_add(1);
}

bool InterruptRequested() noexcept { return g_count.load() > 0; }
int InterruptCount() noexcept { return g_count.load(); }
InterruptCause FirstInterruptCause() noexcept { return static_cast<InterruptCause>(g_first.load()); }
InterruptCause LastInterruptCause() noexcept { return static_cast<InterruptCause>(g_last.load()); }

const char* InterruptCauseText(InterruptCause cause) noexcept {
  switch (cause) {
    case InterruptCause::kNone: return "no request";
    case InterruptCause::kSigInt: return "SIGINT received";
    case InterruptCause::kSigTerm: return "SIGTERM received";
    case InterruptCause::kSigHup: return "SIGHUP received";
    case InterruptCause::kCtrlC: return "Ctrl-C pressed";
    case InterruptCause::kCtrlBreak: return "Ctrl-Break pressed";
    case InterruptCause::kConsoleClosed: return "console window closed";
    case InterruptCause::kLogoff: return "user logging off";
    case InterruptCause::kShutdown: return "system shutting down";
    case InterruptCause::kSessionEnding: return "Windows session ending";
  }
  return "unknown request";
}

void ResetInterruptsForTesting() noexcept {
  g_count.store(0);
  g_first.store(0);
  g_last.store(0);
}

}  // namespace os
