// The one place every OS-layer call that changes the machine passes through
// before it acts: file create/write/copy/delete/rename/attributes/times,
// folder create/remove, registry create/set/delete, profile writes, service
// start/stop and command runs.
//
// A package author tests a package's rollback with it: BREVANE_FAIL_AT=N in the
// environment makes the Nth change call of the process fail with
// ERROR_ACCESS_DENIED; BREVANE_FAIL_AT=list prints every change call, numbered,
// on standard error and fails none.
//
// The journal's recovery is tested with BREVANE_KILL_AT: =N kills the process
// (SIGKILL on POSIX, TerminateProcess with exit code 137 on Windows) at the Nth
// change call, before the change; =N+ lets the Nth change happen and kills the
// process at the first of: the next change call, the next AppendText (the
// journal's and the log's writes), the end of the process. Nothing the program
// keeps reaches a disk between the change and that moment, so the machine and
// the journal are as they were just after the change. Both settings may be
// given; each counts the same change calls.
#pragma once

#include <string>

namespace os {

enum class ChangeKind {
  kFileCreate,
  kFileWrite,
  kFileCopy,
  kFileDelete,
  kFileRename,
  kFileAttributes,
  kFileTimes,
  kFolderCreate,
  kFolderRemove,
  kRegistryCreate,
  kRegistrySet,
  kRegistryDelete,
  kProfileWrite,
  kServiceStart,
  kServiceStop,
  kCommandRun,
};

// Asks whether a change may go ahead. Returns false, with the last error set to
// ERROR_ACCESS_DENIED, when this is the call chosen to fail; the caller then
// fails exactly as the real system call would on access denied.
[[nodiscard]] bool AllowChange(ChangeKind kind, const std::string& target);

// A short English name for the kind ("file create", "registry set", ...).
[[nodiscard]] const char* ChangeKindName(ChangeKind kind) noexcept;

// Called by the OS layer before a write of its own that the gate does not see
// (AppendText): a kill chosen with BREVANE_KILL_AT=N+ that is due happens here.
void ChangeCheckpoint();

// Tests only: forget the counter and read BREVANE_FAIL_AT again on next use.
void ResetChangeGateForTesting();

}  // namespace os
