// The check made before a file is read whole as input (os/input_limits.h):
// INI files, scripts, install record files, the readme.
#pragma once

#include <sys/stat.h>

#include <cstddef>

namespace os {

// True when a file with this stat may be read whole. False, last error set,
// for what is no regular file (a device such as /dev/zero never ends;
// ERROR_ACCESS_DENIED, as for a folder) and for a file past
// kMaxInputFileSize (ERROR_FILE_TOO_LARGE).
[[nodiscard]] bool InputFileReadable(const struct stat& st);

// True while bytes read so far stay within kMaxInputFileSize (a file may
// grow while it is read); else false with ERROR_FILE_TOO_LARGE.
[[nodiscard]] bool InputSizeAllowed(size_t bytes);

}  // namespace os
