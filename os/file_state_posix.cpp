#include "os/file_state_posix.h"

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "os/errors.h"
#include "os/files.h"
#include "os/sandbox_posix.h"
#include "os/unique_handle.h"

namespace os {
namespace file_state {

namespace {

const char kAttributeName[] = "user.brevane.attributes";
// 100-nanosecond intervals between 1601-01-01 and 1970-01-01.
constexpr std::uint64_t kEpochDifference = 116444736000000000ull;

std::mutex g_sideTableLock;
bool g_forceSideTable = false;

using FileKey = std::pair<std::uint64_t, std::uint64_t>;

std::string FormatMetadata(const Metadata& meta) {
  char text[64];
  std::snprintf(text, sizeof(text), "%lx %" PRIu64, meta.attributes, meta.creation);
  return text;
}

bool ParseMetadata(const char* text, Metadata& meta) {
  char* end = nullptr;
  meta.attributes = std::strtoul(text, &end, 16);
  if (end == text) return false;
  meta.creation = std::strtoull(end, nullptr, 10);
  meta.stored = true;
  return true;
}

std::string SideTablePath() { return sandbox::Prefix() + "/file_attributes.tab"; }

std::map<FileKey, std::string> LoadSideTable() {
  std::map<FileKey, std::string> table;
  UniqueStdFile file(std::fopen(SideTablePath().c_str(), "r"));
  if (!file) return table;
  char line[256];
  while (std::fgets(line, sizeof(line), file.get()) != nullptr) {
    unsigned long long dev = 0, ino = 0;
    int used = 0;
    if (std::sscanf(line, "%llu %llu %n", &dev, &ino, &used) >= 2 && used > 0) {
      std::string rest(line + used);
      while (!rest.empty() && (rest.back() == '\n' || rest.back() == '\r')) rest.pop_back();
      table[FileKey(dev, ino)] = rest;
    }
  }
  return table;
}

bool SaveSideTable(const std::map<FileKey, std::string>& table) {
  std::string temp = SideTablePath() + ".new";
  FILE* file = std::fopen(temp.c_str(), "w");
  if (file == nullptr) return false;
  for (const auto& entry : table) {
    std::fprintf(file, "%llu %llu %s\n", static_cast<unsigned long long>(entry.first.first),
                 static_cast<unsigned long long>(entry.first.second), entry.second.c_str());
  }
  bool ok = std::fflush(file) == 0;
  ok = std::fclose(file) == 0 && ok;
  return ok && std::rename(temp.c_str(), SideTablePath().c_str()) == 0;
}

bool StatOf(const std::string& host, int fd, struct stat& st) {
  return fd >= 0 ? ::fstat(fd, &st) == 0 : ::stat(host.c_str(), &st) == 0;
}

bool XattrUnsupported(int err) { return err == ENOTSUP || err == EOPNOTSUPP || err == EPERM; }

Metadata ReadSideTable(const std::string& host, int fd) {
  Metadata meta;
  struct stat st;
  if (!StatOf(host, fd, st)) return meta;
  std::lock_guard<std::mutex> guard(g_sideTableLock);
  auto table = LoadSideTable();
  auto found = table.find(FileKey(st.st_dev, st.st_ino));
  if (found != table.end()) ParseMetadata(found->second.c_str(), meta);
  return meta;
}

bool WriteSideTable(const std::string& host, const Metadata& meta, int fd) {
  struct stat st;
  if (!StatOf(host, fd, st)) return false;
  std::lock_guard<std::mutex> guard(g_sideTableLock);
  auto table = LoadSideTable();
  table[FileKey(st.st_dev, st.st_ino)] = FormatMetadata(meta);
  return SaveSideTable(table);
}

}  // namespace

void UseSideTableForTesting(bool use) { g_forceSideTable = use; }

bool SameRecord(const Metadata& now, const Metadata& next) {
  return now.stored && now.attributes == next.attributes && now.creation == next.creation;
}

Metadata ReadMetadata(const std::string& host, int fd) {
  Metadata meta;
  if (!g_forceSideTable) {
    char text[64] = {};
    ssize_t length = fd >= 0 ? ::fgetxattr(fd, kAttributeName, text, sizeof(text) - 1)
                             : ::getxattr(host.c_str(), kAttributeName, text, sizeof(text) - 1);
    if (length > 0) {
      ParseMetadata(text, meta);
      return meta;
    }
    if (length < 0 && !XattrUnsupported(errno)) return meta;
  }
  return ReadSideTable(host, fd);
}

bool WriteMetadata(const std::string& host, const Metadata& meta, int fd) {
  if (!g_forceSideTable) {
    std::string text = FormatMetadata(meta);
    int rc = fd >= 0 ? ::fsetxattr(fd, kAttributeName, text.data(), text.size(), 0)
                     : ::setxattr(host.c_str(), kAttributeName, text.data(), text.size(), 0);
    if (rc == 0) return true;
    if (!XattrUnsupported(errno)) return false;
  }
  return WriteSideTable(host, meta, fd);
}

void ForgetMetadata(const struct stat& st) {
  std::lock_guard<std::mutex> guard(g_sideTableLock);
  auto table = LoadSideTable();
  if (table.erase(FileKey(st.st_dev, st.st_ino)) > 0) (void)SaveSideTable(table);
}

bool IsReadOnlyFile(const struct stat& st) {
  return !S_ISDIR(st.st_mode) && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

unsigned long MissingError(const std::string& host, const sandbox::PathFacts* facts) {
  if (facts != nullptr && facts->known && facts->folderIsFolder >= 0) {
    return facts->folderIsFolder == 1 ? kErrorFileNotFound : kErrorPathNotFound;
  }
  size_t slash = host.find_last_of('/');
  std::string folder = slash == 0 ? "/" : host.substr(0, slash);
  struct stat st;
  if (slash != std::string::npos && ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    return kErrorFileNotFound;
  }
  return kErrorPathNotFound;
}

bool LstatHost(const std::string& host, const sandbox::PathFacts* facts, struct stat& st) {
  if (facts == nullptr || !facts->known) return ::lstat(host.c_str(), &st) == 0;
  if (facts->error != 0) {
    errno = facts->error;
    return false;
  }
  st = facts->link;
  return true;
}

bool StatHost(const std::string& host, const sandbox::PathFacts* facts, struct stat& st) {
  // A missing path or one that is no link stats as it lstats.
  if (facts == nullptr || !facts->known || (facts->error == 0 && S_ISLNK(facts->link.st_mode)) ||
      (facts->error != 0 && facts->error != ENOENT)) {
    return ::stat(host.c_str(), &st) == 0;
  }
  return LstatHost(host, facts, st);
}

unsigned long AttributesFrom(const struct stat& link, const struct stat& st, const Metadata& meta) {
  unsigned long attributes = 0;
  if (S_ISDIR(st.st_mode)) {
    attributes = kAttributeDirectory |
                 (meta.attributes & (kAttributeReadOnly | kAttributeHidden | kAttributeSystem |
                                     kAttributeArchive));
  } else {
    // A file no one has given attributes is as a new Windows file: archive.
    attributes = meta.stored ? meta.attributes & (kAttributeHidden | kAttributeSystem | kAttributeArchive)
                             : kAttributeArchive;
    if (IsReadOnlyFile(st)) attributes |= kAttributeReadOnly;
  }
  if (S_ISLNK(link.st_mode)) attributes |= kAttributeReparsePoint;
  return attributes == 0 ? kAttributeNormal : attributes;
}

unsigned long AttributesOfHost(const std::string& host, const sandbox::PathFacts* facts) {
  struct stat link;
  if (!LstatHost(host, facts, link)) {
    SetLastError(errno == ENOENT ? MissingError(host, facts) : Win32FromErrno(errno));
    return kInvalidFileAttributes;
  }
  struct stat st = link;
  if (S_ISLNK(link.st_mode) && ::stat(host.c_str(), &st) != 0) st = link;
  return AttributesFrom(link, st, ReadMetadata(host));
}

std::uint64_t FiletimeOf(const struct timespec& t) {
  std::int64_t ticks = static_cast<std::int64_t>(t.tv_sec) * 10000000 + t.tv_nsec / 100;
  return static_cast<std::uint64_t>(ticks + static_cast<std::int64_t>(kEpochDifference));
}

struct timespec TimespecOf(std::uint64_t filetime) {
  std::int64_t ticks = static_cast<std::int64_t>(filetime - kEpochDifference);
  struct timespec t;
  t.tv_sec = static_cast<time_t>(ticks / 10000000);
  t.tv_nsec = static_cast<long>(ticks % 10000000) * 100;
  if (t.tv_nsec < 0) {
    t.tv_nsec += 1000000000;
    t.tv_sec -= 1;
  }
  return t;
}

std::uint64_t FiletimeNow() {
  struct timespec now;
  ::clock_gettime(CLOCK_REALTIME, &now);
  return FiletimeOf(now);
}

std::uint64_t CreationTimeOf(const std::string& host, const struct stat& st, const Metadata& meta) {
  if (meta.creation != 0) return meta.creation;
#ifdef STATX_BTIME
  struct statx sx;
  if (!host.empty() && ::statx(AT_FDCWD, host.c_str(), 0, STATX_BTIME, &sx) == 0 &&
      (sx.stx_mask & STATX_BTIME) != 0) {
    struct timespec birth;
    birth.tv_sec = sx.stx_btime.tv_sec;
    birth.tv_nsec = sx.stx_btime.tv_nsec;
    return FiletimeOf(birth);
  }
#endif
  return FiletimeOf(st.st_mtim);
}

}  // namespace file_state
}  // namespace os
