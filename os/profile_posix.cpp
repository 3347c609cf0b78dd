#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "os/change_gate.h"
#include "os/errors.h"
#include "os/machine.h"
#include "os/profile.h"
#include "os/profile_cache_posix.h"
#include "os/profile_encoding_posix.h"
#include "os/profile_text.h"
#include "os/sandbox_posix.h"
#include "os/handle_owners_posix.h"

namespace os {

namespace {

// A bare file name is looked up in the Windows folder, as the real API does;
// anything with a separator, or a drive ("C:x.ini"), is an ordinary path.
bool IsBareName(const std::string& path) {
  bool drive = path.size() >= 2 && path[1] == ':';
  return !drive && path.find_first_of("\\/") == std::string::npos;
}

bool ProfileHostPath(const std::string& path, std::string& host) {
  if (path.empty()) {
    SetLastError(kErrorAccessDenied);
    return false;
  }
  std::string windowsPath = path;
  if (IsBareName(path)) {
    std::string folder;
    if (!GetWindowsFolder(folder)) return false;
    windowsPath = folder + "\\" + path;
  }
  return sandbox::HostPath(windowsPath, host);
}

// The parsed file; null (last error set) when it cannot be read.
std::shared_ptr<const ProfileText> LoadProfile(const std::string& path) {
  std::string host;
  if (!ProfileHostPath(path, host)) return nullptr;
  return profile_cache::Load(host);
}

// The real API hands out C strings: a value holding a NUL ends there.
std::string UpToNul(const std::string& text) { return text.substr(0, text.find('\0')); }

std::string WithoutTrailingSpaces(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// One pair of matching single or double quotes around the whole value goes.
std::string WithoutQuotes(const std::string& value) {
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<size_t>(put);
  }
  return true;
}

std::string FolderOf(const std::string& host) {
  size_t slash = host.rfind('/');
  return slash == 0 || slash == std::string::npos ? "/" : host.substr(0, slash);
}

void SyncFolderOf(const std::string& host) {
  UniqueFd fd(::open(FolderOf(host).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd) ::fsync(fd.get());
}

unsigned long WriteErrorFromErrno(int err) {
  return err == ENOENT || err == ENOTDIR ? kErrorPathNotFound : Win32FromErrno(err);
}

// Replaces the file in one step: a temporary file in the same folder is
// written, flushed and renamed over it, so a crash leaves the old or the new
// file, never a torn one.
bool ReplaceFile(const std::string& host, const std::string& bytes) {
  struct stat old;
  bool existed = ::stat(host.c_str(), &old) == 0;
  if (existed && S_ISDIR(old.st_mode)) {
    SetLastError(kErrorAccessDenied);
    return false;
  }
  if (existed && ::access(host.c_str(), W_OK) != 0) {
    SetLastError(kErrorAccessDenied);
    return false;
  }
  std::string temp = host + ".~XXXXXX";
  UniqueFd fd(::mkstemp(&temp[0]));
  if (!fd) {
    SetLastError(WriteErrorFromErrno(errno));
    return false;
  }
  mode_t mode = existed ? (old.st_mode & 07777) : 0666;
  if (!existed) {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  bool ok = ::fchmod(fd.get(), mode) == 0 && WriteAll(fd.get(), bytes) && ::fsync(fd.get()) == 0;
  int err = errno;
  fd.reset();
  if (ok && ::rename(temp.c_str(), host.c_str()) == 0) {
    SyncFolderOf(host);
    return true;
  }
  err = ok ? errno : err;
  ::unlink(temp.c_str());
  SetLastError(WriteErrorFromErrno(err));
  return false;
}

// A symbolic link stays; the file it points to is the one read and replaced.
std::string WithoutLink(const std::string& host) {
  std::string target = host;
  if (char* real = ::realpath(host.c_str(), nullptr)) {
    target = real;
    std::free(real);
  }
  return target;
}

// Writers of one folder take turns, so two updates of one file cannot both
// start from the old text and lose one of the changes. Readers need no turn:
// the rename shows them the old file or the new one.
class FolderLock {
 public:
  explicit FolderLock(const std::string& host)
      : fd_(::open(FolderOf(host).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_) ::flock(fd_.get(), LOCK_EX);
  }

 private:
  UniqueFd fd_;  // closing it ends the turn
};

bool EditProfile(const std::string& host, const std::string& section, const char* key,
                 const char* value) {
  std::string bytes;
  bool existed = profile_cache::ReadFresh(host, bytes);
  if (!existed && LastError() != kErrorFileNotFound) return false;
  const std::string view = ProfileAnsiView(bytes);
  ProfileText text(view);
  bool changed;
  if (key == nullptr) {
    changed = text.DeleteSection(section);
  } else if (value == nullptr) {
    changed = text.DeleteKey(section, key);
  } else {
    changed = text.SetValue(section, key, value);
  }
  // Deleting from a missing file leaves an empty file, as on Windows.
  if (!changed && existed) return true;
  bool replaced = ReplaceFile(host, ProfileFileBytes(bytes, view, text.Text()));
  profile_cache::Forget(host);
  return replaced;
}

}  // namespace

unsigned long GetProfileString(const std::string& path, const std::string& section,
                               const std::string& key, const std::string& defaultValue,
                               std::string& value, unsigned long bufferSize) {
  if (bufferSize == 0) return 0;
  std::string found;
  std::shared_ptr<const ProfileText> text = LoadProfile(path);
  bool present = text && text->FindValue(section, key, found);
  if (present) {
    value = WithoutQuotes(UpToNul(found));
    SetLastError(kErrorSuccess);
  } else {
    // Windows 7 and later report the missing file, section or key this way.
    value = WithoutTrailingSpaces(defaultValue);
    SetLastError(!text && LastError() == kErrorFileTooLarge ? kErrorFileTooLarge : kErrorFileNotFound);
  }
  if (value.size() > bufferSize - 1) value.resize(bufferSize - 1);
  return static_cast<unsigned long>(value.size());
}

std::vector<std::string> GetProfileSection(const std::string& path, const std::string& section) {
  std::vector<std::string> entries;
  std::shared_ptr<const ProfileText> text = LoadProfile(path);
  if (!text) return entries;
  if (!text->SectionEntries(section, entries)) {
    SetLastError(kErrorFileNotFound);
    return entries;
  }
  for (std::string& entry : entries) entry = UpToNul(entry);
  SetLastError(kErrorSuccess);
  return entries;
}

unsigned long GetProfileSectionBuffer(const std::string& path, const std::string& section,
                                      std::string& raw, unsigned long bufferSize) {
  raw.clear();
  std::string all;
  for (const std::string& entry : GetProfileSection(path, section)) {
    all += entry;
    all += '\0';
  }
  if (all.empty() || bufferSize == 0) return 0;
  // The API keeps room for the list's closing NUL and reports size - 2 when
  // the lines do not fit, the last one cut.
  if (all.size() + 2 <= bufferSize) {
    raw = all;
    return static_cast<unsigned long>(all.size());
  }
  if (bufferSize < 3) return 0;
  raw = all.substr(0, bufferSize - 2);
  if (raw.back() != '\0') raw += '\0';
  return bufferSize - 2;
}

bool WriteProfileString(const std::string& path, const std::string& section, const char* key,
                        const char* value) {
  if (!AllowChange(ChangeKind::kProfileWrite, path)) return false;
  std::string host;
  if (!ProfileHostPath(path, host)) return false;
  std::string target = WithoutLink(host);
  bool edited;
  {
    FolderLock turn(target);
    edited = EditProfile(target, section, key, value);
  }
  // Readers know the file by the name they gave, link or not.
  profile_cache::Forget(host);
  if (!edited) return false;
  SetLastError(kErrorSuccess);
  return true;
}

}  // namespace os
