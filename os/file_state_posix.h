// What the POSIX file backend keeps beside the host file system: the Windows
// attributes and creation time a host file cannot hold, and the table of open
// handles that sharing modes are checked against. Internal to os/*_posix.cpp.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "os/files.h"
#include "os/sandbox_posix.h"

namespace os {
namespace file_state {

// Attribute bits kept outside the permission bits: hidden, system, archive,
// and read-only for folders (a folder's read-only bit does not stop files
// being created in it on Windows, so it is not a permission bit here).
struct Metadata {
  unsigned long attributes = 0;
  std::uint64_t creation = 0;  // FILETIME; 0 when never recorded
  bool stored = false;         // false: the file has no record of ours
};

// True when writing next over the stored record now would change nothing.
bool SameRecord(const Metadata& now, const Metadata& next);

// Reads and writes the record of the file at host (fd >= 0: that open file).
Metadata ReadMetadata(const std::string& host, int fd = -1);
[[nodiscard]] bool WriteMetadata(const std::string& host, const Metadata& meta, int fd = -1);
// Drops a side-table record before its file is deleted (xattrs go by themselves).
void ForgetMetadata(const struct stat& st);

// Tests only: keep records in the side table even where xattrs work.
void UseSideTableForTesting(bool use);

// The Windows attributes of a host file or folder, or kInvalidFileAttributes
// with the last error set (2 or 3, as Windows tells a missing file from a
// missing folder). facts: what HostPath saw of host, if it was just asked.
unsigned long AttributesOfHost(const std::string& host, const sandbox::PathFacts* facts = nullptr);
// The same from the lstat of a file, its stat (the link followed) and record.
unsigned long AttributesFrom(const struct stat& link, const struct stat& st, const Metadata& meta);

// lstat and stat (a link followed) of host, taken from facts when HostPath
// saw the path just now. False with errno set.
bool LstatHost(const std::string& host, const sandbox::PathFacts* facts, struct stat& st);
bool StatHost(const std::string& host, const sandbox::PathFacts* facts, struct stat& st);

// Read-only as Windows sees it: a file without write permission bits.
bool IsReadOnlyFile(const struct stat& st);

// The error for a host path that does not exist: ERROR_FILE_NOT_FOUND when
// its folder exists, else ERROR_PATH_NOT_FOUND.
unsigned long MissingError(const std::string& host, const sandbox::PathFacts* facts = nullptr);

// FILETIME <-> host times.
std::uint64_t FiletimeOf(const struct timespec& t);
struct timespec TimespecOf(std::uint64_t filetime);
std::uint64_t FiletimeNow();
// The creation time of a file: ours when recorded, else the host's birth
// time, else its last write time.
std::uint64_t CreationTimeOf(const std::string& host, const struct stat& st, const Metadata& meta);

// CreateFile without asking the change gate, for callers that asked already.
UniqueFile OpenFile(const std::string& path, unsigned long access, unsigned long share,
                    unsigned long disposition, unsigned long attributes);

// Open-handle table. Check and Add run under one lock held by a SharingLock.
class SharingLock {
 public:
  SharingLock();
  ~SharingLock();
  SharingLock(const SharingLock&) = delete;
  SharingLock& operator=(const SharingLock&) = delete;
};
// True when a new handle with this access and sharing may join the open
// handles of the file (dev, ino). Call under a SharingLock.
bool SharingAllows(dev_t dev, ino_t ino, unsigned long access, unsigned long share);
// True when every open handle of the file shares delete (for delete/rename).
bool DeleteAllowed(dev_t dev, ino_t ino);
// True when the file has any open handle.
bool IsOpen(dev_t dev, ino_t ino);
void AddOpen(const void* handle, dev_t dev, ino_t ino, unsigned long access, unsigned long share);
void RemoveOpen(const void* handle);

}  // namespace file_state
}  // namespace os
