// The application object: parses the command line, opens the trace log,
// creates the windows and the engine, and runs the main window. It owns all
// of them for the life of the process.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/command_line.h"
#include "engine/engine.h"
#include "engine/trace_log.h"
#include "ui/brevane_windows.h"

// The process exit status, so that fleet tools can act on the outcome.
enum BrevaneExitStatus : int {
  kExitSuccess = 0,
  kExitFailedRolledBack = 1,
  kExitStopped = 2,
  kExitRecordFileNotFound = 3,
  kExitCancelled = 4,
  kExitStartupFailure = 5,
  // 6 is kept for a rollback that could not undo everything.
  kExitAlreadyInstalled = 7,
};

class CBrevaneApp {
 public:
  CBrevaneApp() = default;
  CBrevaneApp(const CBrevaneApp&) = delete;
  CBrevaneApp& operator=(const CBrevaneApp&) = delete;
  // Deletes the windows, then the trace log, then the engine.
  ~CBrevaneApp();

  // Start-up and the whole run; returns the exit status.
  int InitInstance(const std::vector<std::string>& arguments);

  [[nodiscard]] const CHFS_RunFlags& Flags() const { return flags_; }

  // The exit status for a run's result code.
  static int ExitStatusForResult(int result);

 private:
  // Before an install: its install record file exists, so the hotfix is
  // installed and a second run would take the patched files for the
  // originals. True (logged and shown) when the run must stop with 7.
  bool AlreadyInstalled();
  // A removal whose install record file is missing: a journal the removal
  // left when it was killed after deleting the record file is deleted, and
  // the removal counts as done. False when there was no such journal.
  bool RemovalFinishedEarlier();

 public:

 private:
  // False, with a log line and a line on standard output, when the script
  // of an installation cannot be read.
  bool ScriptReadable();

  CHFS_RunFlags flags_;
  std::unique_ptr<CHFS_Engine> engine_;
  std::unique_ptr<CHFS_TraceLog> traceLog_;
  std::unique_ptr<CBrevaneWindows> windows_;
};
