// Files the handlers put back or throw away may carry attributes that stop
// a copy over them (read-only, and hidden or system against a plain create)
// or their deletion (read-only): copies keep their source's attributes.
#pragma once

#include <string>

#include "os/files.h"

namespace sections {

constexpr unsigned long kBlockingAttributes =
    os::kAttributeReadOnly | os::kAttributeHidden | os::kAttributeSystem;

// Clears the attributes that stop a copy over an existing file; returns the
// attributes it had (kInvalidFileAttributes when there is no such file).
inline unsigned long MakeReplaceable(const std::string& path) {
  unsigned long attributes = os::GetFileAttributes(path);
  if (attributes == os::kInvalidFileAttributes || (attributes & kBlockingAttributes) == 0) {
    return attributes;
  }
  unsigned long kept = attributes & os::kAttributeArchive;
  (void)os::SetFileAttributes(path, kept == 0 ? os::kAttributeNormal : kept);
  return attributes;
}

// Sets attributes read earlier back on a file whose change failed.
inline void PutAttributesBack(const std::string& path, unsigned long attributes) {
  if (attributes == os::kInvalidFileAttributes || (attributes & kBlockingAttributes) == 0) return;
  attributes &= kBlockingAttributes | os::kAttributeArchive;
  (void)os::SetFileAttributes(path, attributes);
}

// Deletes a file even when it is read-only; false when it stays.
inline bool DeleteEvenReadOnly(const std::string& path) {
  (void)MakeReplaceable(path);
  return os::DeleteFile(path);
}

}  // namespace sections
