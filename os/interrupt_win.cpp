#include <windows.h>

#include <atomic>

#include "os/interrupt.h"

namespace os {

namespace {

std::atomic<bool> g_watching{false};
// Set when the run is over; manual reset, made before the handler exists.
HANDLE g_runEnded = nullptr;

// True when this process runs in session 0, beside the services: a logoff
// event there is some user's logoff, not the end of this program's session.
bool InServiceSession() {
  DWORD session = 0;
  return ::ProcessIdToSessionId(::GetCurrentProcessId(), &session) && session == 0;
}

BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
      RequestInterrupt(InterruptCause::kCtrlC);
      return TRUE;
    case CTRL_BREAK_EVENT:
      RequestInterrupt(InterruptCause::kCtrlBreak);
      return TRUE;
    case CTRL_LOGOFF_EVENT:
      if (InServiceSession()) return FALSE;
      RequestInterrupt(InterruptCause::kLogoff);
      break;
    case CTRL_CLOSE_EVENT:
      RequestInterrupt(InterruptCause::kConsoleClosed);
      break;
    case CTRL_SHUTDOWN_EVENT:
      RequestInterrupt(InterruptCause::kShutdown);
      break;
    default:
      return FALSE;
  }
  // The process ends when this handler returns (or when the system's time
  // for it is up): hold it until the rollback is done.
  if (g_runEnded != nullptr) ::WaitForSingleObject(g_runEnded, INFINITE);
  return TRUE;
}

}  // namespace

void WatchInterrupts() {
  if (g_watching.exchange(true)) return;
  g_runEnded = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  (void)::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void InterruptibleRunEnded() noexcept {
  if (g_runEnded != nullptr) ::SetEvent(g_runEnded);
}

}  // namespace os
