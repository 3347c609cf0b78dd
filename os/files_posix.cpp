#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <memory>

#include "os/change_gate.h"
#include "os/errors.h"
#include "os/file_state_posix.h"
#include "os/files.h"
#include "os/sandbox_posix.h"

namespace os {

namespace {

struct PosixFile {
  int fd;
  unsigned long access;
  std::string host;
};

PosixFile* FileOf(NativeHandle handle) {
  if (handle == nullptr || handle == InvalidNativeHandle()) {
    SetLastError(kErrorInvalidHandle);
    return nullptr;
  }
  return static_cast<PosixFile*>(handle);
}

bool Truncates(unsigned long disposition) {
  return disposition == kCreateAlways || disposition == kTruncateExisting;
}

int OpenFlags(unsigned long access, unsigned long disposition) {
  int flags = O_CLOEXEC;
  bool read = (access & kGenericRead) != 0;
  bool write = (access & kGenericWrite) != 0;
  flags |= read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
  if (disposition == kCreateNew) flags |= O_CREAT | O_EXCL;
  if (disposition == kCreateAlways || disposition == kOpenAlways) flags |= O_CREAT;
  if (Truncates(disposition)) flags |= O_TRUNC;
  return flags;
}

// NUL: every open shares it with every other, and none is checked or recorded
// as a file of the sandbox.
UniqueFile OpenNul(unsigned long access) {
  int fd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    SetLastError(Win32FromErrno(errno));
    return UniqueFile();
  }
  auto* file = new PosixFile{fd, access, "/dev/null"};
  SetLastError(kErrorSuccess);
  return UniqueFile(file);
}

// The checks Windows makes before it opens: disposition against existence,
// folders, read-only files and hidden or system files being replaced.
bool CheckOpen(const std::string& host, const sandbox::PathFacts& facts, bool exists,
               const struct stat& st, unsigned long access, unsigned long disposition,
               unsigned long attributes) {
  if (disposition < kCreateNew || disposition > kTruncateExisting) {
    SetLastError(kErrorInvalidParameter);
    return false;
  }
  if (!exists) {
    if (disposition == kOpenExisting || disposition == kTruncateExisting) {
      SetLastError(file_state::MissingError(host, &facts));
      return false;
    }
    if (file_state::MissingError(host, &facts) == kErrorPathNotFound) {
      SetLastError(kErrorPathNotFound);
      return false;
    }
    return true;
  }
  if (disposition == kCreateNew) {
    SetLastError(kErrorFileExists);
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    SetLastError(kErrorAccessDenied);
    return false;
  }
  bool writes = (access & kGenericWrite) != 0 || Truncates(disposition);
  if (writes && file_state::IsReadOnlyFile(st)) {
    SetLastError(kErrorAccessDenied);
    return false;
  }
  if (disposition == kCreateAlways) {
    // Replacing a hidden or system file needs those attributes asked for.
    unsigned long kept = file_state::AttributesOfHost(host, &facts) & (kAttributeHidden | kAttributeSystem);
    if ((kept & ~attributes) != 0) {
      SetLastError(kErrorAccessDenied);
      return false;
    }
  }
  return true;
}

// Records the attributes and creation time of a file that was just created
// or replaced: a replaced file keeps its creation time, as on Windows.
void RecordNewFile(const PosixFile& file, bool existed, const struct stat& before,
                   unsigned long attributes) {
  // Both fields of the record are set anew, so a new file's is not read.
  file_state::Metadata stored;
  if (existed) stored = file_state::ReadMetadata(file.host, file.fd);
  file_state::Metadata meta = stored;
  meta.attributes = (attributes & (kAttributeHidden | kAttributeSystem)) | kAttributeArchive;
  meta.creation = existed ? file_state::CreationTimeOf(file.host, before, meta)
                          : file_state::FiletimeNow();
  if (!file_state::SameRecord(stored, meta)) (void)file_state::WriteMetadata(file.host, meta, file.fd);
  if ((attributes & kAttributeReadOnly) != 0) {
    struct stat st;
    if (::fstat(file.fd, &st) == 0) {
      ::fchmod(file.fd, st.st_mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH));
    }
  }
}

}  // namespace

NativeHandle InvalidNativeHandle() noexcept {
  return reinterpret_cast<NativeHandle>(static_cast<std::intptr_t>(-1));
}

void FileHandleTraits::Close(NativeHandle handle) noexcept {
  PosixFile* file = static_cast<PosixFile*>(handle);
  if (file == nullptr) return;
  file_state::RemoveOpen(file);
  ::close(file->fd);
  delete file;
}

unsigned long GetFileAttributes(const std::string& path) {
  // Windows reports NUL as an archived file.
  if (sandbox::IsNulDevice(path)) return kAttributeArchive;
  std::string host;
  sandbox::PathFacts facts;
  if (!sandbox::HostPath(path, host, &facts)) return kInvalidFileAttributes;
  return file_state::AttributesOfHost(host, &facts);
}

bool SetFileAttributes(const std::string& path, unsigned long attributes) {
  if (!AllowChange(ChangeKind::kFileAttributes, path)) return false;
  std::string host;
  sandbox::PathFacts facts;
  if (!sandbox::HostPath(path, host, &facts)) return false;
  struct stat st;
  if (!file_state::StatHost(host, &facts, st)) {
    SetLastError(errno == ENOENT ? file_state::MissingError(host, &facts) : Win32FromErrno(errno));
    return false;
  }
  unsigned long kept = kAttributeHidden | kAttributeSystem | kAttributeArchive;
  const file_state::Metadata before = file_state::ReadMetadata(host);
  file_state::Metadata meta = before;
  if (meta.creation == 0) meta.creation = file_state::CreationTimeOf(host, st, meta);
  if (S_ISDIR(st.st_mode)) kept |= kAttributeReadOnly;
  meta.attributes = attributes & kept;
  bool readOnly = !S_ISDIR(st.st_mode) && (attributes & kAttributeReadOnly) != 0;
  mode_t mode = st.st_mode & 07777;
  mode = readOnly ? mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH) : mode | S_IWUSR;
  // What is already so is not written again (a copy sets the attributes it
  // just gave the file).
  auto chmodDone = [&] { return mode == (st.st_mode & 07777) || ::chmod(host.c_str(), mode) == 0; };
  auto recordDone = [&] {
    return file_state::SameRecord(before, meta) || file_state::WriteMetadata(host, meta);
  };
  // The record is written while the file is writable: a user other than
  // root may not change the extended attributes of a read-only file.
  bool ok = readOnly ? recordDone() && chmodDone()
                     : (S_ISDIR(st.st_mode) || chmodDone()) && recordDone();
  if (!ok) SetLastError(Win32FromErrno(errno));
  return ok;
}

UniqueFile file_state::OpenFile(const std::string& path, unsigned long access,
                                unsigned long share, unsigned long disposition,
                                unsigned long attributes) {
  // The lookup is made under the lock too: what it saw of the file stands
  // for the file when the handles are checked and the new one is added.
  file_state::SharingLock lock;
  if (sandbox::IsNulDevice(path)) return OpenNul(access);
  std::string host;
  sandbox::PathFacts facts;
  if (!sandbox::HostPath(path, host, &facts)) return UniqueFile();
  struct stat st;
  bool exists = file_state::StatHost(host, &facts, st);
  if (!CheckOpen(host, facts, exists, st, access, disposition, attributes)) return UniqueFile();
  if (exists && !file_state::SharingAllows(st.st_dev, st.st_ino, access, share)) {
    SetLastError(kErrorSharingViolation);
    return UniqueFile();
  }
  int fd = ::open(host.c_str(), OpenFlags(access, disposition), 0666);
  if (fd < 0) {
    SetLastError(errno == ENOENT ? file_state::MissingError(host) : Win32FromErrno(errno));
    return UniqueFile();
  }
  auto* file = new PosixFile{fd, access, host};
  if (!exists || Truncates(disposition)) RecordNewFile(*file, exists, st, attributes);
  struct stat opened;
  ::fstat(fd, &opened);
  file_state::AddOpen(file, opened.st_dev, opened.st_ino, access, share);
  bool reportExisting = exists && (disposition == kCreateAlways || disposition == kOpenAlways);
  SetLastError(reportExisting ? kErrorAlreadyExists : kErrorSuccess);
  return UniqueFile(file);
}

UniqueFile CreateFile(const std::string& path, unsigned long access, unsigned long share,
                      unsigned long disposition, unsigned long attributes) {
  if (disposition != kOpenExisting) {
    if (!AllowChange(ChangeKind::kFileCreate, path)) return UniqueFile();
  } else if ((access & kGenericWrite) != 0) {
    if (!AllowChange(ChangeKind::kFileWrite, path)) return UniqueFile();
  }
  return file_state::OpenFile(path, access, share, disposition, attributes);
}

bool ReadFile(NativeHandle handle, void* buffer, unsigned long size, unsigned long& bytesRead) {
  bytesRead = 0;
  PosixFile* file = FileOf(handle);
  if (file == nullptr) return false;
  if ((file->access & kGenericRead) == 0) {
    SetLastError(kErrorAccessDenied);
    return false;
  }
  char* out = static_cast<char*>(buffer);
  while (bytesRead < size) {
    ssize_t got = ::read(file->fd, out + bytesRead, size - bytesRead);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      SetLastError(Win32FromErrno(errno));
      return false;
    }
    if (got == 0) break;
    bytesRead += static_cast<unsigned long>(got);
  }
  return true;
}

bool WriteFile(NativeHandle handle, const void* buffer, unsigned long size,
               unsigned long& bytesWritten) {
  bytesWritten = 0;
  PosixFile* file = FileOf(handle);
  if (file == nullptr) return false;
  if ((file->access & kGenericWrite) == 0) {
    SetLastError(kErrorAccessDenied);
    return false;
  }
  const char* in = static_cast<const char*>(buffer);
  while (bytesWritten < size) {
    ssize_t put = ::write(file->fd, in + bytesWritten, size - bytesWritten);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      SetLastError(put < 0 ? Win32FromErrno(errno) : kErrorDiskFull);
      return false;
    }
    bytesWritten += static_cast<unsigned long>(put);
  }
  return true;
}

bool GetFileSize(NativeHandle handle, std::uint64_t& size) {
  PosixFile* file = FileOf(handle);
  struct stat st;
  if (file == nullptr) return false;
  if (::fstat(file->fd, &st) != 0) {
    SetLastError(Win32FromErrno(errno));
    return false;
  }
  size = static_cast<std::uint64_t>(st.st_size);
  return true;
}

bool SetFilePointer(NativeHandle handle, std::uint64_t offset) {
  PosixFile* file = FileOf(handle);
  if (file == nullptr) return false;
  if (::lseek(file->fd, static_cast<off_t>(offset), SEEK_SET) < 0) {
    SetLastError(Win32FromErrno(errno));
    return false;
  }
  return true;
}

bool GetFileTime(NativeHandle handle, FileTimes& times) {
  PosixFile* file = FileOf(handle);
  struct stat st;
  if (file == nullptr) return false;
  if (::fstat(file->fd, &st) != 0) {
    SetLastError(Win32FromErrno(errno));
    return false;
  }
  times.creation = file_state::CreationTimeOf(file->host, st, file_state::ReadMetadata(file->host, file->fd));
  times.lastAccess = file_state::FiletimeOf(st.st_atim);
  times.lastWrite = file_state::FiletimeOf(st.st_mtim);
  return true;
}

bool SetFileTime(NativeHandle handle, const FileTimes& times) {
  if (!AllowChange(ChangeKind::kFileTimes, "(open file)")) return false;
  PosixFile* file = FileOf(handle);
  if (file == nullptr) return false;
  if ((file->access & kGenericWrite) == 0) {
    SetLastError(kErrorAccessDenied);
    return false;
  }
  if (file->host == "/dev/null") return true;  // NUL keeps no times
  // A zero time leaves that time as it is, as it does on Windows.
  struct timespec both[2] = {file_state::TimespecOf(times.lastAccess),
                             file_state::TimespecOf(times.lastWrite)};
  if (times.lastAccess == 0) both[0].tv_nsec = UTIME_OMIT;
  if (times.lastWrite == 0) both[1].tv_nsec = UTIME_OMIT;
  if (::futimens(file->fd, both) != 0) {
    SetLastError(Win32FromErrno(errno));
    return false;
  }
  const file_state::Metadata stored = file_state::ReadMetadata(file->host, file->fd);
  file_state::Metadata meta = stored;
  if (!meta.stored) meta.attributes = kAttributeArchive;
  if (times.creation != 0) meta.creation = times.creation;
  if (!file_state::SameRecord(stored, meta) && !file_state::WriteMetadata(file->host, meta, file->fd)) {
    SetLastError(Win32FromErrno(errno));
    return false;
  }
  return true;
}

bool IsLeadByte(unsigned char) noexcept { return false; }

}  // namespace os
