// Whole-file replacement. A file being installed or put back is written in
// full under a temporary name beside its target, given its times and
// attributes there, and then moved over the target in one step (MoveFileEx
// with MOVEFILE_REPLACE_EXISTING; rename on Linux). The target is at every
// moment the old file or the new one, whole; a run stopped or killed part
// way leaves at most the temporary file, which the next copy to the same
// target deletes first.
#pragma once

#include <string>

#include "os/replacement_name.h"

namespace platform {

// The temporary name is the target's full path with os::kReplacementSuffix
// appended, in the target's own folder, so the move never crosses a disk.
using os::kReplacementSuffix;

// "<target>.~brv".
[[nodiscard]] std::string ReplacementNameOf(const std::string& target);

// 0 when a file may be moved over target (or there is none), else the
// error a plain create over it would give: a folder, a read-only, hidden or
// system file is refused with ERROR_ACCESS_DENIED, as CreateFile with
// CREATE_ALWAYS and normal attributes refuses it.
[[nodiscard]] unsigned long ReplaceableError(const std::string& target);

// Deletes a replacement file left by an earlier run, whatever its
// attributes; false when one is there and stays.
[[nodiscard]] bool RemoveStaleReplacement(const std::string& target);

// Moves the finished replacement over target; when that fails the
// replacement is deleted and target is untouched. False with the move's
// error as the last error.
[[nodiscard]] bool PutReplacementInPlace(const std::string& replacement, const std::string& target);

// Deletes a replacement that will not be used (read-only or not).
void DiscardReplacement(const std::string& replacement);

}  // namespace platform
