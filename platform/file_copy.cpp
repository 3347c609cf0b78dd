#include <vector>

#include "os/errors.h"
#include "os/files.h"
#include "platform/file_ops.h"
#include "platform/file_replace.h"

namespace platform {

namespace {

// Moves the data; 0, -110 (a write or a read failed) or -120.
int CopyData(os::NativeHandle from, os::NativeHandle to) {
  std::vector<char> chunk(kCopyChunk);
  while (true) {
    unsigned long got = 0;
    // A read that fails part way must not pass for the end of the file: the
    // target would be a truncated copy reported as a good one.
    if (!os::ReadFile(from, chunk.data(), kCopyChunk, got)) return kCopyFailed;
    if (got == 0) return kCopyOk;
    unsigned long put = 0;
    if (!os::WriteFile(to, chunk.data(), got, put)) return kCopyFailed;
    if (put < got) return kCopyShortWrite;
  }
}

// Writes the whole copy under the replacement name, with the source's times
// and attributes, and closes it: what is moved over the target is finished.
int WriteReplacement(os::NativeHandle from, const std::string& replacement,
                     const os::FileTimes& times, unsigned long attributes) {
  {
    os::UniqueFile to = os::CreateFile(replacement, os::kGenericWrite, os::kShareNone,
                                       os::kCreateAlways, os::kAttributeNormal);
    if (!to) return kCopyTargetNotOpened;
    int result = CopyData(from, to.get());
    if (result != kCopyOk) return result;
    // A copy without its source's times or attributes is no faithful copy: a
    // backup put back with it would come back changed, a read-only file
    // writable. The times are set through the handle that wrote the data,
    // after the last write, so closing it keeps them.
    if (!os::SetFileTime(to.get(), times)) return kCopyFailed;
  }
  if (attributes != os::kInvalidFileAttributes && !os::SetFileAttributes(replacement, attributes)) {
    return kCopyFailed;
  }
  return kCopyOk;
}

}  // namespace

int CopyFileWithTimes(const std::string& source, const std::string& target) {
  if (IsPathTooLong(source)) return kCopySourceNotOpened;
  const std::string replacement = ReplacementNameOf(target);
  if (IsPathTooLong(target) || IsPathTooLong(replacement)) return kCopyTargetNotOpened;
  // The source stays open until the copy is in place: a copy of a file onto
  // itself then fails at the move, and nothing changes.
  os::UniqueFile from = os::CreateFile(source, os::kGenericRead, os::kShareRead, os::kOpenExisting);
  if (!from) return kCopySourceNotOpened;
  os::FileTimes times;
  if (!os::GetFileTime(from.get(), times)) times = os::FileTimes();
  const unsigned long attributes = os::GetFileAttributes(source);
  // What a create over the target would refuse is refused before anything
  // is written; a target open in another program fails at the move.
  const unsigned long refused = target.empty() ? os::kErrorPathNotFound : ReplaceableError(target);
  if (refused != 0) {
    os::SetLastError(refused);
    return kCopyTargetNotOpened;
  }
  if (!RemoveStaleReplacement(target)) return kCopyTargetNotOpened;
  int result = WriteReplacement(from.get(), replacement, times, attributes);
  if (result != kCopyOk) {
    const unsigned long error = os::LastError();
    DiscardReplacement(replacement);
    os::SetLastError(error);
    return result;
  }
  return PutReplacementInPlace(replacement, target) ? kCopyOk : kCopyTargetNotOpened;
}

}  // namespace platform
