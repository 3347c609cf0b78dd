#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "os/change_gate.h"
#include "os/errors.h"
#include "os/file_state_posix.h"
#include "os/files.h"
#include "os/sandbox_posix.h"

namespace os {

namespace {

// lstat of the host path of a Windows path; false with the Windows error.
bool Lookup(const std::string& path, std::string& host, struct stat& st) {
  sandbox::PathFacts facts;
  if (!sandbox::HostPath(path, host, &facts)) return false;
  if (file_state::LstatHost(host, &facts, st)) return true;
  SetLastError(errno == ENOENT ? file_state::MissingError(host, &facts) : Win32FromErrno(errno));
  return false;
}

bool Fail(unsigned long code) {
  SetLastError(code);
  return false;
}

unsigned int FailNumber(unsigned long code) {
  SetLastError(code);
  return 0;
}

bool FailWithErrno() { return Fail(Win32FromErrno(errno)); }

// \\host\share itself: a network name, not a folder anyone can create.
bool IsShareRoot(const std::string& path) {
  std::string full;
  if (!sandbox::FullWindowsPath(path, full) || full.size() < 2 || full[0] != '\\') return false;
  size_t separators = 0;
  for (size_t i = 2; i < full.size(); ++i) separators += full[i] == '\\' ? 1 : 0;
  return separators < 2 || (separators == 2 && full.back() == '\\');
}

bool MakeFolder(const std::string& path, unsigned long attributes) {
  std::string host;
  if (!sandbox::HostPath(path, host)) return false;
  if (IsShareRoot(path)) {
    struct stat st;
    return Fail(::stat(host.c_str(), &st) == 0 ? kErrorAlreadyExists : kErrorBadNetPath);
  }
  if (::mkdir(host.c_str(), 0777) != 0) {
    if (errno == EEXIST) return Fail(kErrorAlreadyExists);
    return Fail(errno == ENOENT || errno == ENOTDIR ? kErrorPathNotFound : Win32FromErrno(errno));
  }
  file_state::Metadata meta;
  meta.attributes = attributes;
  meta.creation = file_state::FiletimeNow();
  (void)file_state::WriteMetadata(host, meta);
  return true;
}

// The host path for renaming onto "to": when "to" names the source itself in
// another case, the name as written, so that a change of case is kept.
std::string RenameTarget(const std::string& to, const std::string& toHost) {
  size_t slash = toHost.find_last_of('/');
  size_t cut = to.find_last_of("\\/");
  std::string name = cut == std::string::npos ? to : to.substr(cut + 1);
  if (slash == std::string::npos || name.empty()) return toHost;
  return toHost.substr(0, slash + 1) + name;
}

bool CheckReplaceable(const std::string& toHost, const struct stat& target) {
  if (S_ISDIR(target.st_mode) || file_state::IsReadOnlyFile(target)) return Fail(kErrorAccessDenied);
  // A file still open, whatever its sharing, cannot be replaced by another
  // under its name: ERROR_ACCESS_DENIED, on Windows and Wine alike.
  if (file_state::IsOpen(target.st_dev, target.st_ino)) return Fail(kErrorAccessDenied);
  return true;
}

unsigned int TempNumberStart() {
  struct timespec now;
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  unsigned int ticks = static_cast<unsigned int>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
  return (ticks ^ static_cast<unsigned int>(::getpid())) & 0xFFFFu;
}

std::string TempName(const std::string& folder, const std::string& prefix, unsigned int number) {
  char tail[24];
  std::snprintf(tail, sizeof(tail), "%04X.TMP", number & 0xFFFFu);
  std::string name = folder;
  if (!name.empty() && name.back() != '\\' && name.back() != '/') name += '\\';
  return name + prefix.substr(0, 3) + tail;
}

}  // namespace

unsigned int GetTempFileName(const std::string& folder, const std::string& prefix,
                             unsigned int unique, std::string& name) {
  if (unique == 0 && !AllowChange(ChangeKind::kFileCreate, folder)) return 0;
  if (folder.size() > sandbox::kMaxPath - 14) return FailNumber(kErrorBufferOverflow);
  std::string host;
  struct stat st;
  if (!sandbox::HostPath(folder, host)) return 0;
  if (::stat(host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return FailNumber(kErrorDirectory);
  if (unique != 0) {
    name = TempName(folder, prefix, unique);
    return unique & 0xFFFFu;
  }
  unsigned int number = TempNumberStart();
  for (unsigned int tries = 0; tries < 0xFFFFu; ++tries) {
    number = (number & 0xFFFFu) == 0 ? 1 : number & 0xFFFFu;
    std::string candidate = TempName(folder, prefix, number);
    UniqueFile file = file_state::OpenFile(candidate, kGenericWrite, kShareNone, kCreateNew,
                                           kAttributeNormal);
    if (file) {
      name = candidate;
      return number;
    }
    if (LastError() != kErrorFileExists) return 0;
    ++number;
  }
  return FailNumber(kErrorFileExists);
}

bool CreateDirectory(const std::string& path) {
  if (!AllowChange(ChangeKind::kFolderCreate, path)) return false;
  return MakeFolder(path, 0);
}

bool CreateDirectoryEx(const std::string& templateFolder, const std::string& path) {
  if (!AllowChange(ChangeKind::kFolderCreate, path)) return false;
  unsigned long attributes = GetFileAttributes(templateFolder);
  if (attributes == kInvalidFileAttributes) return false;
  return MakeFolder(path, attributes & (kAttributeReadOnly | kAttributeHidden | kAttributeSystem |
                                        kAttributeArchive));
}

bool RemoveDirectory(const std::string& path) {
  if (!AllowChange(ChangeKind::kFolderRemove, path)) return false;
  std::string host;
  struct stat st;
  if (!Lookup(path, host, st)) return false;
  if (S_ISLNK(st.st_mode)) {
    struct stat target;
    if (::stat(host.c_str(), &target) != 0 || !S_ISDIR(target.st_mode)) return Fail(kErrorDirectory);
    return ::unlink(host.c_str()) == 0 || FailWithErrno();
  }
  if (!S_ISDIR(st.st_mode)) return Fail(kErrorDirectory);
  if (::rmdir(host.c_str()) != 0) {
    return Fail(errno == ENOTEMPTY || errno == EEXIST ? kErrorDirNotEmpty : Win32FromErrno(errno));
  }
  file_state::ForgetMetadata(st);
  return true;
}

bool DeleteFile(const std::string& path) {
  if (!AllowChange(ChangeKind::kFileDelete, path)) return false;
  std::string host;
  struct stat st;
  if (!Lookup(path, host, st)) return false;
  if (S_ISDIR(st.st_mode) || file_state::IsReadOnlyFile(st)) return Fail(kErrorAccessDenied);
  file_state::SharingLock lock;
  if (!file_state::DeleteAllowed(st.st_dev, st.st_ino)) return Fail(kErrorSharingViolation);
  if (::unlink(host.c_str()) != 0) return FailWithErrno();
  file_state::ForgetMetadata(st);
  return true;
}

bool MoveFile(const std::string& from, const std::string& to, bool replaceExisting) {
  if (!AllowChange(ChangeKind::kFileRename, from)) return false;
  std::string fromHost, toHost;
  struct stat source, target;
  if (!Lookup(from, fromHost, source) || !sandbox::HostPath(to, toHost)) return false;
  file_state::SharingLock lock;
  if (!file_state::DeleteAllowed(source.st_dev, source.st_ino)) return Fail(kErrorSharingViolation);
  if (::lstat(toHost.c_str(), &target) == 0) {
    bool same = target.st_dev == source.st_dev && target.st_ino == source.st_ino;
    if (same) {
      toHost = RenameTarget(to, toHost);
    } else if (!replaceExisting) {
      return Fail(kErrorAlreadyExists);
    } else if (!CheckReplaceable(toHost, target)) {
      return false;
    }
  } else if (file_state::MissingError(toHost) == kErrorPathNotFound) {
    return Fail(kErrorPathNotFound);
  }
  bool replacing = ::lstat(toHost.c_str(), &target) == 0 &&
                   (target.st_dev != source.st_dev || target.st_ino != source.st_ino);
  if (::rename(fromHost.c_str(), toHost.c_str()) != 0) return FailWithErrno();
  if (replacing) file_state::ForgetMetadata(target);
  return true;
}

bool GetDiskFreeSpace(const std::string& folder, DiskSpace& space) {
  std::string host;
  if (!sandbox::HostPath(folder, host)) return false;
  struct stat st;
  if (::stat(host.c_str(), &st) != 0) return Fail(kErrorPathNotFound);
  if (!S_ISDIR(st.st_mode)) return Fail(kErrorDirectory);
  struct statvfs fs;
  if (::statvfs(host.c_str(), &fs) != 0) return FailWithErrno();
  std::uint64_t unit = fs.f_frsize != 0 ? fs.f_frsize : fs.f_bsize;
  space.freeToCaller = static_cast<std::uint64_t>(fs.f_bavail) * unit;
  space.total = static_cast<std::uint64_t>(fs.f_blocks) * unit;
  space.totalFree = static_cast<std::uint64_t>(fs.f_bfree) * unit;
  return true;
}

}  // namespace os
