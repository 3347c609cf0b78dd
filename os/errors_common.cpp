#include <cerrno>

#include "os/errors.h"

namespace os {

unsigned long Win32FromErrno(int err) noexcept {
  switch (err) {
    case 0: return kErrorSuccess;
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return kErrorAccessDenied;
    case EEXIST: return kErrorAlreadyExists;
    case ENOTEMPTY: return kErrorDirNotEmpty;
    case EISDIR: return kErrorAccessDenied;
    case ENOSPC: return kErrorDiskFull;
#ifdef EDQUOT
    case EDQUOT: return kErrorDiskFull;
#endif
    case ENAMETOOLONG: return kErrorFilenameExcedRange;
    case EMFILE:
    case ENFILE: return kErrorTooManyOpenFiles;
    case ENOMEM: return kErrorNotEnoughMemory;
    case EINVAL: return kErrorInvalidParameter;
    case EBADF: return kErrorInvalidHandle;
    case EBUSY: return kErrorSharingViolation;
    case EXDEV: return 17;  // ERROR_NOT_SAME_DEVICE
    case EPIPE: return kErrorBrokenPipe;
    default: return 31;     // ERROR_GEN_FAILURE
  }
}

}  // namespace os
