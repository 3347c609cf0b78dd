#include "os/input_file_posix.h"

#include "os/errors.h"
#include "os/input_limits.h"

namespace os {

bool InputFileReadable(const struct stat& st) {
  if (!S_ISREG(st.st_mode)) {
    SetLastError(kErrorAccessDenied);
    return false;
  }
  return InputSizeAllowed(static_cast<size_t>(st.st_size));
}

bool InputSizeAllowed(size_t bytes) {
  if (bytes <= kMaxInputFileSize) return true;
  SetLastError(kErrorFileTooLarge);
  return false;
}

}  // namespace os
