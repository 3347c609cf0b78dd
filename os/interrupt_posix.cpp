#include <signal.h>

#include <atomic>
#include <initializer_list>

#include "os/interrupt.h"

namespace os {

namespace {

std::atomic<bool> g_watching{false};

void OnSignal(int number) {
  // Only lock-free atomics here; the engine logs what came.
  RequestInterrupt(number == SIGINT    ? InterruptCause::kSigInt
                   : number == SIGTERM ? InterruptCause::kSigTerm
                                       : InterruptCause::kSigHup);
}

}  // namespace

void WatchInterrupts() {
  if (g_watching.exchange(true)) return;
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  // Interrupted system calls go on: the run stops at its own safe points, and
  // a question being asked is answered first.
  action.sa_flags = SA_RESTART;
  for (int number : {SIGINT, SIGTERM, SIGHUP}) {
    // A signal the starter ignores (nohup, a background job) stays ignored.
    struct sigaction old = {};
    if (::sigaction(number, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    (void)::sigaction(number, &action, nullptr);
  }
}

// Nothing waits for the run on Linux: the process ends when it is over.
void InterruptibleRunEnded() noexcept {}

}  // namespace os
