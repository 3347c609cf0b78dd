#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "os/change_gate.h"
#include "os/errors.h"
#include "os/input_file_posix.h"
#include "os/sandbox_posix.h"
#include "os/simple_file.h"
#include "os/handle_owners_posix.h"

namespace os {

namespace {

UniqueStdFile OpenHost(const std::string& path, const char* mode) {
  std::string host;
  if (!sandbox::HostPath(path, host)) return UniqueStdFile();
  UniqueStdFile file(std::fopen(host.c_str(), mode));
  if (!file) SetLastError(Win32FromErrno(errno));
  return file;
}
}  // namespace

bool AppendText(const std::string& path, const std::string& text) {
  ChangeCheckpoint();
  if (sandbox::IsNulDevice(path)) return true;  // NUL takes every write
  std::string host;
  if (!sandbox::HostPath(path, host)) return false;
  // Straight to the descriptor: the trace log opens and closes the file for
  // every line, and a stdio stream around one write only adds calls.
  UniqueFd fd(::open(host.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0666));
  if (!fd) {
    SetLastError(Win32FromErrno(errno));
    return false;
  }
  std::string bytes;
  bytes.reserve(text.size() + text.size() / 16 + 2);
  for (char c : text) {
    if (c == '\n') bytes += '\r';
    bytes += c;
  }
  bool ok = true;
  for (size_t done = 0; done < bytes.size();) {
    ssize_t put = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      ok = false;
      break;
    }
    done += static_cast<size_t>(put);
  }
  return ok;
}

bool SyncFile(const std::string& path) {
  std::string host;
  if (!sandbox::HostPath(path, host)) return false;
  int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    SetLastError(Win32FromErrno(errno));
    return false;
  }
  bool ok = ::fsync(fd) == 0;
  if (!ok) SetLastError(Win32FromErrno(errno));
  ::close(fd);
  return ok;
}

bool ReadAllBytes(const std::string& path, std::string& bytes) {
  if (sandbox::IsNulDevice(path)) {
    bytes.clear();
    return true;
  }
  UniqueStdFile file = OpenHost(path, "rb");
  if (!file) return false;
  struct stat st;
  if (::fstat(::fileno(file.get()), &st) != 0 || !InputFileReadable(st)) return false;
  bytes.clear();
  char buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof(buffer), file.get())) > 0) {
    bytes.append(buffer, got);
    if (!InputSizeAllowed(bytes.size())) return false;
  }
  if (std::ferror(file.get())) {
    SetLastError(Win32FromErrno(errno));
    return false;
  }
  return true;
}

}  // namespace os

#include <sys/stat.h>

namespace os {

bool PathExists(const std::string& path) {
  std::string host;
  if (!sandbox::HostPath(path, host)) return false;
  struct stat st;
  if (::stat(host.c_str(), &st) != 0) {
    SetLastError(Win32FromErrno(errno));
    return false;
  }
  return true;
}

}  // namespace os
