// Requests from outside to stop a run: Ctrl-C, SIGTERM and SIGHUP on Linux;
// the console's control events (Ctrl-C, Ctrl-Break, close, logoff, shutdown)
// and the end of the session on Windows. The handlers only raise a lock-free
// flag; the engine reads it at its safe points (between steps, items and
// files), stops there and rolls back. Further requests while it does are
// counted and do not end the process.
#pragma once

namespace os {

enum class InterruptCause : int {
  kNone = 0,
  kSigInt,
  kSigTerm,
  kSigHup,
  kCtrlC,
  kCtrlBreak,
  kConsoleClosed,
  kLogoff,
  kShutdown,
  kSessionEnding,
};

// Installs the handlers (once; later calls do nothing). Before this the
// system's defaults apply: a Ctrl-C at the first question ends the program,
// which has changed nothing yet.
void WatchInterrupts();

// Raises the flag, as a handler does. Safe in a signal handler.
void RequestInterrupt(InterruptCause cause) noexcept;

// True once any request came.
[[nodiscard]] bool InterruptRequested() noexcept;
// How many requests came so far.
[[nodiscard]] int InterruptCount() noexcept;
// The first request's cause, and the latest one's.
[[nodiscard]] InterruptCause FirstInterruptCause() noexcept;
[[nodiscard]] InterruptCause LastInterruptCause() noexcept;
// What came, for the log: "SIGTERM received", "Ctrl-C pressed" ...
[[nodiscard]] const char* InterruptCauseText(InterruptCause cause) noexcept;

// The run, rollback included, is over: a Windows console close, logoff or
// shutdown handler that waits for it may return and let the system end the
// process.
void InterruptibleRunEnded() noexcept;

// Tests only: forget every request.
void ResetInterruptsForTesting() noexcept;

}  // namespace os
