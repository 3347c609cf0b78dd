#include "platform/file_replace.h"

#include "os/errors.h"
#include "os/files.h"

namespace platform {

namespace {
constexpr unsigned long kRefused = os::kAttributeDirectory | os::kAttributeReadOnly |
                                   os::kAttributeHidden | os::kAttributeSystem;
}  // namespace

std::string ReplacementNameOf(const std::string& target) { return target + kReplacementSuffix; }

unsigned long ReplaceableError(const std::string& target) {
  unsigned long attributes = os::GetFileAttributes(target);
  if (attributes == os::kInvalidFileAttributes || (attributes & kRefused) == 0) return 0;
  return os::kErrorAccessDenied;
}

void DiscardReplacement(const std::string& replacement) {
  unsigned long attributes = os::GetFileAttributes(replacement);
  if (attributes == os::kInvalidFileAttributes) return;
  if ((attributes & (os::kAttributeReadOnly | os::kAttributeHidden | os::kAttributeSystem)) != 0) {
    (void)os::SetFileAttributes(replacement, os::kAttributeNormal);
  }
  (void)os::DeleteFile(replacement);
}

bool RemoveStaleReplacement(const std::string& target) {
  const std::string stale = ReplacementNameOf(target);
  unsigned long attributes = os::GetFileAttributes(stale);
  if (attributes == os::kInvalidFileAttributes) return true;
  if ((attributes & os::kAttributeDirectory) != 0) {
    os::SetLastError(os::kErrorAccessDenied);
    return false;
  }
  DiscardReplacement(stale);
  return os::GetFileAttributes(stale) == os::kInvalidFileAttributes;
}

bool PutReplacementInPlace(const std::string& replacement, const std::string& target) {
  if (os::MoveFile(replacement, target, true)) return true;
  const unsigned long error = os::LastError();
  DiscardReplacement(replacement);
  os::SetLastError(error);
  return false;
}

}  // namespace platform
