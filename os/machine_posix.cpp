#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "os/errors.h"
#include "os/machine.h"
#include "os/profile.h"
#include "os/sandbox_posix.h"

namespace os {

namespace {

std::string MachineIni() { return sandbox::WindowsPathOfHost(sandbox::Prefix() + "/machine.ini"); }

// A value of the sandbox's machine.ini; false when the key is missing.
bool MachineValue(const char* key, std::string& value) {
  const char kMissing[] = "\x01missing";
  sandbox::OwnFilesReachable own;
  GetProfileString(MachineIni(), "Machine", key, kMissing, value);
  return value != kMissing;
}

unsigned long MachineNumber(const char* key, unsigned long fallback) {
  std::string text;
  if (!MachineValue(key, text)) return fallback;
  return std::strtoul(text.c_str(), nullptr, 10);
}

}  // namespace

bool GetWindowsFolder(std::string& folder) {
  if (!MachineValue("WindowsFolder", folder) || folder.empty()) {
    SetLastError(kErrorFileNotFound);
    return false;
  }
  while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return true;
}

bool GetComputerName(std::string& name, unsigned long bufferSize) {
  if (!MachineValue("ComputerName", name) || name.empty()) {
    SetLastError(kErrorFileNotFound);
    return false;
  }
  if (name.size() + 1 > bufferSize) {
    SetLastError(kErrorBufferOverflow);
    return false;
  }
  return true;
}

VersionRecord GetVersionRecord() {
  VersionRecord record;
  record.platformId = MachineNumber("PlatformId", 2);
  record.major = MachineNumber("MajorVersion", 5);
  record.minor = MachineNumber("MinorVersion", 1);
  return record;
}

bool GetTempFolder(std::string& folder) {
  // GetTempPathA looks at TMP, then TEMP, then the Windows folder; the
  // sandbox keeps its own in machine.ini so host settings never leak in.
  if (!MachineValue("TempFolder", folder) || folder.empty()) {
    if (!GetWindowsFolder(folder)) return false;
  }
  if (folder.back() != '\\') folder += '\\';
  return true;
}

bool GetModulePath(std::string& path, unsigned long bufferSize) {
  char buffer[4096];
  ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  if (length <= 0) {
    SetLastError(Win32FromErrno(errno));
    return false;
  }
  buffer[length] = '\0';
  path = sandbox::WindowsPathOfHost(buffer);
  if (bufferSize == 0) {
    SetLastError(kErrorInsufficientBuffer);
    return false;
  }
  if (path.size() >= bufferSize) {
    path.resize(bufferSize - 1);
    SetLastError(kErrorInsufficientBuffer);
  }
  return true;
}

LocalTime GetLocalTime() {
  std::time_t now = std::time(nullptr);
  std::tm parts{};
  ::localtime_r(&now, &parts);
  LocalTime t;
  t.year = parts.tm_year + 1900;
  t.month = parts.tm_mon + 1;
  t.day = parts.tm_mday;
  t.hour = parts.tm_hour;
  t.minute = parts.tm_min;
  t.second = parts.tm_sec;
  return t;
}

bool GetCurrentFolder(std::string& folder) {
  char cwd[4096];
  if (::getcwd(cwd, sizeof(cwd)) == nullptr) {
    SetLastError(Win32FromErrno(errno));
    return false;
  }
  folder = sandbox::WindowsPathOfHost(cwd);
  return true;
}

bool SetCurrentFolder(const std::string& folder) {
  std::string host;
  if (!sandbox::HostPath(folder, host)) return false;
  if (::chdir(host.c_str()) != 0) {
    SetLastError(errno == ENOENT ? kErrorFileNotFound : Win32FromErrno(errno));
    return false;
  }
  return true;
}

}  // namespace os
