// Win32 error codes as the program sees them, on both platforms.
//
// Every OS-layer call reports failure through the same thread-local last-error
// value a Windows thread has: on Windows it is GetLastError/SetLastError, on
// POSIX a thread-local number set by our own backends (errno is mapped with
// Win32FromErrno). Log lines that print "lasterror=%d" mean the same thing on
// both platforms.
#pragma once

#include <string>

namespace os {

enum Win32Error : unsigned long {
  kErrorSuccess = 0,
  kErrorInvalidFunction = 1,
  kErrorFileNotFound = 2,
  kErrorPathNotFound = 3,
  kErrorTooManyOpenFiles = 4,
  kErrorAccessDenied = 5,
  kErrorInvalidHandle = 6,
  kErrorNotEnoughMemory = 8,
  kErrorInvalidData = 13,
  kErrorOutOfMemory = 14,
  kErrorInvalidDrive = 15,
  kErrorNoMoreFiles = 18,
  kErrorWriteProtect = 19,
  kErrorNotReady = 21,
  kErrorSharingViolation = 32,
  kErrorLockViolation = 33,
  kErrorHandleEof = 38,
  kErrorNotSupported = 50,
  kErrorBadNetPath = 53,
  kErrorFileExists = 80,
  kErrorInvalidParameter = 87,
  kErrorBrokenPipe = 109,
  kErrorDiskFull = 112,
  kErrorInsufficientBuffer = 122,
  kErrorInvalidName = 123,
  kErrorDirNotEmpty = 145,
  kErrorBadPathname = 161,
  kErrorAlreadyExists = 183,
  kErrorFilenameExcedRange = 206,
  kErrorFileTooLarge = 223,
  kErrorBufferOverflow = 111,
  kErrorMoreData = 234,
  kErrorNoMoreItems = 259,
  kErrorDirectory = 267,
  kErrorPartialCopy = 299,
  kErrorInvalidAddress = 487,
  kErrorServiceRequestTimeout = 1053,
  kErrorServiceNoThread = 1054,
  kErrorServiceDatabaseLocked = 1055,
  kErrorServiceAlreadyRunning = 1056,
  kErrorServiceDisabled = 1058,
  kErrorServiceDoesNotExist = 1060,
  kErrorServiceCannotAcceptCtrl = 1061,
  kErrorServiceNotActive = 1062,
  kErrorKeyDeleted = 1018,
  kErrorResourceDataNotFound = 1812,
  kErrorResourceTypeNotFound = 1813,
  kErrorResourceNameNotFound = 1814,
  kErrorChildMustBeVolatile = 1021,
};

// The calling thread's last error (GetLastError).
[[nodiscard]] unsigned long LastError() noexcept;
// Sets the calling thread's last error (SetLastError).
void SetLastError(unsigned long code) noexcept;

// The Win32 code for a C errno value (ENOENT -> 2, EACCES -> 5, ...);
// unknown values map to ERROR_INVALID_FUNCTION's neighbour, 31 (ERROR_GEN_FAILURE).
[[nodiscard]] unsigned long Win32FromErrno(int err) noexcept;

// The system's English message text for a code, without the trailing line
// break ("The system cannot find the file specified."); empty when unknown.
[[nodiscard]] std::string SystemMessage(unsigned long code);

// Keeps the last error intact across a scope, so that closing a handle on a
// return path does not overwrite the error that made us return.
class PreserveLastError {
 public:
  PreserveLastError() noexcept : saved_(LastError()) {}
  ~PreserveLastError() { SetLastError(saved_); }
  PreserveLastError(const PreserveLastError&) = delete;
  PreserveLastError& operator=(const PreserveLastError&) = delete;

 private:
  unsigned long saved_;
};

}  // namespace os
