#include <vector>

#include "os/files.h"
#include "platform/file_ops.h"

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

}  // namespace

int CopyFileWithTimes(const std::string& source, const std::string& target) {
  if (IsPathTooLong(source)) return kCopySourceNotOpened;
  if (IsPathTooLong(target)) return kCopyTargetNotOpened;
  os::FileTimes times;
  unsigned long attributes = os::kInvalidFileAttributes;
  {
    os::UniqueFile from = os::CreateFile(source, os::kGenericRead, os::kShareRead, os::kOpenExisting);
    if (!from) return kCopySourceNotOpened;
    bool haveTimes = os::GetFileTime(from.get(), times);
    attributes = os::GetFileAttributes(source);
    os::UniqueFile to = os::CreateFile(target, os::kGenericWrite, os::kShareNone,
                                       os::kCreateAlways, os::kAttributeNormal);
    // Without a target nothing was copied; reopening it below could find the
    // old file and report its stale content as a good copy.
    if (!to) return kCopyTargetNotOpened;
    int result = CopyData(from.get(), to.get());
    if (result != kCopyOk) return result;
    if (!haveTimes) times = os::FileTimes();
  }
  os::UniqueFile copy = os::CreateFile(target, os::kGenericRead | os::kGenericWrite, os::kShareRead,
                                       os::kOpenExisting);
  if (!copy) return kCopyTargetNotOpened;
  // A copy without its source's times or attributes is no faithful copy: a
  // backup put back with it would come back changed, a read-only file writable.
  if (!os::SetFileTime(copy.get(), times)) return kCopyFailed;
  copy.reset();
  if (attributes != os::kInvalidFileAttributes && !os::SetFileAttributes(target, attributes)) return kCopyFailed;
  return kCopyOk;
}

}  // namespace platform
