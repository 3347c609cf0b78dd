#include "os/sandbox_posix.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "os/errors.h"
#include "os/folder_names_posix.h"
#include "os/unique_handle.h"

namespace os {
namespace sandbox {

namespace {

const char kDefaultMachineIni[] =
    "; The sandbox machine's facts, read as a Windows program would get them.\n"
    "[Machine]\n"
    "ComputerName=SANDBOX\n"
    "PlatformId=2\n"
    "MajorVersion=5\n"
    "MinorVersion=1\n"
    "WindowsFolder=C:\\WINDOWS\n"
    "TempFolder=C:\\TEMP\\\n";

std::mutex g_prefixLock;
std::string g_prefix;
thread_local int t_ownFilesReachable = 0;

bool Exists(const std::string& host) {
  struct stat st;
  return ::lstat(host.c_str(), &st) == 0;
}

void MakeFolder(const std::string& host) { ::mkdir(host.c_str(), 0777); }

void WriteFileIfMissing(const std::string& host, const char* text) {
  if (Exists(host)) return;
  UniqueStdFile f(std::fopen(host.c_str(), "wb"));
  if (!f) return;
  std::fwrite(text, 1, std::strlen(text), f.get());
}

std::string ComputePrefix() {
  const char* env = std::getenv("BREVANE_PREFIX");
  std::string prefix;
  if (env != nullptr && *env != '\0') {
    prefix = env;
  } else {
    const char* home = std::getenv("HOME");
    prefix = std::string(home != nullptr && *home != '\0' ? home : "/tmp") + "/.brevane";
  }
  while (prefix.size() > 1 && prefix.back() == '/') prefix.pop_back();
  if (!prefix.empty() && prefix[0] != '/') {
    char cwd[4096];
    if (::getcwd(cwd, sizeof(cwd)) != nullptr) prefix = std::string(cwd) + "/" + prefix;
  }
  return prefix;
}

void CreateMachine(const std::string& prefix) {
  // mkdir -p for the prefix itself
  for (size_t pos = 1; pos <= prefix.size(); ++pos) {
    if (pos == prefix.size() || prefix[pos] == '/') MakeFolder(prefix.substr(0, pos));
  }
  MakeFolder(prefix + "/drive_c");
  MakeFolder(prefix + "/drive_c/WINDOWS");
  MakeFolder(prefix + "/drive_c/TEMP");
  MakeFolder(prefix + "/registry");
  WriteFileIfMissing(prefix + "/machine.ini", kDefaultMachineIni);
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsInvalidNameChar(unsigned char c) {
  return c < 32 || c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*' || c == ':';
}

// Splits "a\b\\c" into components, resolving "." and "..", and dropping the
// trailing dots and blanks Windows drops from a name.
bool SplitComponents(const std::string& rest, std::vector<std::string>& parts) {
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = start;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    std::string name = rest.substr(start, end - start);
    if (name == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!name.empty() && name != ".") {
      while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
      for (unsigned char c : name) {
        if (IsInvalidNameChar(c)) {
          SetLastError(kErrorInvalidName);
          return false;
        }
      }
      if (!name.empty()) parts.push_back(name);
    }
    start = end + 1;
  }
  return true;
}

bool IsDotName(const std::string& name) { return name == "." || name == ".."; }

bool SameNameIgnoringCase(const char* a, const std::string& b) {
  size_t i = 0;
  for (; a[i] != '\0' && i < b.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    if (x != y) return false;
  }
  return a[i] == '\0' && i == b.size();
}

// The entry of folder whose name equals name ignoring case; name itself when
// nothing matches.
std::string ScanFolder(const std::string& folder, const std::string& name) {
  DIR* dir = ::opendir(folder.empty() ? "/" : folder.c_str());
  if (dir == nullptr) return name;
  std::string found = name;
  while (struct dirent* entry = ::readdir(dir)) {
    if (SameNameIgnoringCase(entry->d_name, name)) {
      found = entry->d_name;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

// name itself when it exists as written, else as ScanFolder finds it.
std::string MatchEntry(const std::string& folder, const std::string& name) {
  return Exists(folder + "/" + name) ? name : ScanFolder(folder, name);
}

// base followed by parts, each matched as MatchEntry does. A path that exists
// as written is its own match in every component, and so is the folder of
// one that does not: checking those first saves a lookup per component.
std::string MatchComponents(const std::string& base, const std::vector<std::string>& parts,
                            PathFacts& facts) {
  std::string folder = base;
  for (size_t i = 0; i + 1 < parts.size(); ++i) folder += "/" + parts[i];
  if (parts.empty()) return folder;
  std::string written = folder + "/" + parts.back();
  if (::lstat(written.c_str(), &facts.link) == 0) {
    facts.known = true;
    facts.error = 0;
    return written;
  }
  const int writtenError = errno;
  struct stat folderStat;
  if (parts.size() > 1 && ::lstat(folder.c_str(), &folderStat) == 0) {
    std::string name;
    if (!FolderEntryIgnoringCase(folder, folderStat, parts.back(), name)) {
      name = ScanFolder(folder, parts.back());
    }
    if (name == parts.back()) {
      // Nothing else by that name: the path is the one that just failed.
      facts.known = true;
      facts.error = writtenError;
      facts.folderIsFolder = S_ISDIR(folderStat.st_mode) ? 1 : S_ISLNK(folderStat.st_mode) ? -1 : 0;
    }
    return folder + "/" + name;
  }
  std::string host = base;
  for (const std::string& part : parts) host += "/" + MatchEntry(host, part);
  return host;
}

// The sandbox's own files, which no Windows path may name: the machine's
// facts, its service table, its registry store and its attribute table.
bool IsSandboxOwnFile(const std::string& host) {
  if (t_ownFilesReachable > 0) return false;
  const std::string& prefix = Prefix();
  if (host.size() <= prefix.size() + 1 || host.compare(0, prefix.size(), prefix) != 0 ||
      host[prefix.size()] != '/') {
    return false;
  }
  const std::string rest = host.substr(prefix.size() + 1);
  const std::string first = rest.substr(0, rest.find('/'));
  for (const char* own : {"machine.ini", "services.ini", "registry", "file_attributes.tab"}) {
    if (SameNameIgnoringCase(own, first)) return true;
  }
  return false;
}

// "COM1.txt " -> "COM1": the name before its extension and trailing blanks.
std::string DeviceStem(const std::string& full) {
  size_t start = full.find_last_of("\\/");
  std::string stem = full.substr(start == std::string::npos ? 0 : start + 1);
  stem = stem.substr(0, stem.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (char& c : stem) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return stem;
}

// The error for a device name (see HostPath), after its folder was checked.
unsigned long DeviceError(const std::string& full, Device device) {
  const size_t last = full.find_last_of('\\');
  std::string folder = full.substr(0, last + 1);
  if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  std::string host;
  struct stat st;
  if (!HostPath(folder, host) || ::stat(host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    return kErrorPathNotFound;
  }
  return device == Device::kNul ? kErrorInvalidParameter
         : device == Device::kConsole ? kErrorInvalidHandle
                                      : kErrorFileNotFound;
}

bool CurrentWindowsFolder(std::string& folder) {
  char cwd[4096];
  if (::getcwd(cwd, sizeof(cwd)) == nullptr) {
    SetLastError(Win32FromErrno(errno));
    return false;
  }
  folder = WindowsPathOfHost(cwd);
  return true;
}

}  // namespace

const std::string& Prefix() {
  std::lock_guard<std::mutex> guard(g_prefixLock);
  if (g_prefix.empty()) {
    g_prefix = ComputePrefix();
    CreateMachine(g_prefix);
  }
  return g_prefix;
}

Device DeviceOf(const std::string& windowsPath) {
  const std::string stem = DeviceStem(windowsPath);
  if (stem == "NUL") return Device::kNul;
  if (stem == "CON") return Device::kConsole;
  if (stem == "PRN" || stem == "AUX") return Device::kPort;
  const bool port = stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0);
  return port && stem[3] >= '1' && stem[3] <= '9' ? Device::kPort : Device::kNone;
}

bool IsNulDevice(const std::string& path) {
  // Most paths end in no device name at all: no full path is made for them.
  // ("x\NUL\." names NUL too; HostPath then refuses it.)
  if (DeviceOf(path) != Device::kNul) return false;
  std::string full;
  if (!FullWindowsPath(path, full)) return false;
  return DeviceOf(full) == Device::kNul && DeviceError(full, Device::kNul) != kErrorPathNotFound;
}

void ResetForTesting() {
  std::lock_guard<std::mutex> guard(g_prefixLock);
  g_prefix.clear();
}

bool FullWindowsPath(const std::string& path, std::string& full) {
  if (path.empty()) {
    SetLastError(kErrorPathNotFound);
    return false;
  }
  std::string root;  // "C:" or "\\host\share"
  std::string rest;
  if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
    root = std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])))) + ":";
    rest = path.substr(2);
    if (rest.empty() || !IsSeparator(rest[0])) {
      // "C:name" is relative to that drive's current folder; we keep one
      // current folder, so it is relative to the drive's root unless the
      // current folder is on that drive.
      std::string current;
      if (CurrentWindowsFolder(current) && current.size() >= 2 &&
          std::toupper(static_cast<unsigned char>(current[0])) == root[0]) {
        rest = current.substr(2) + "\\" + rest;
      }
    }
  } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    size_t hostEnd = 2;
    while (hostEnd < path.size() && !IsSeparator(path[hostEnd])) ++hostEnd;
    size_t shareEnd = hostEnd + 1;
    while (shareEnd < path.size() && !IsSeparator(path[shareEnd])) ++shareEnd;
    if (hostEnd == 2 || hostEnd >= path.size() || shareEnd == hostEnd + 1) {
      SetLastError(kErrorBadPathname);
      return false;
    }
    const std::string hostName = path.substr(2, hostEnd - 2);
    const std::string shareName = path.substr(hostEnd + 1, shareEnd - hostEnd - 1);
    // No host or share is called "." or "..": they would climb out of unc/.
    if (IsDotName(hostName) || IsDotName(shareName)) {
      SetLastError(kErrorBadNetPath);
      return false;
    }
    root = "\\\\" + hostName + "\\" + shareName;
    rest = shareEnd < path.size() ? path.substr(shareEnd) : std::string();
  } else {
    std::string current;
    if (!CurrentWindowsFolder(current)) return false;
    if (IsSeparator(path[0])) {
      return FullWindowsPath(current.substr(0, 2) + path, full);
    }
    return FullWindowsPath(current + "\\" + path, full);
  }
  std::vector<std::string> parts;
  if (!SplitComponents(rest, parts)) return false;
  full = root;
  for (const std::string& part : parts) full += "\\" + part;
  if (parts.empty()) full += "\\";
  // A path that ended in a separator keeps it (C:\dir\ stays a folder path).
  if (!parts.empty() && IsSeparator(path.back())) full += "\\";
  if (full.size() >= kMaxPath) {
    SetLastError(kErrorFilenameExcedRange);
    return false;
  }
  return true;
}

bool HostPath(const std::string& windowsPath, std::string& host, PathFacts* facts) {
  PathFacts seen;
  std::string full;
  if (!FullWindowsPath(windowsPath, full)) return false;
  const Device device = DeviceOf(full);
  if (device != Device::kNone) {
    SetLastError(DeviceError(full, device));
    return false;
  }
  std::string base;
  size_t restStart;
  if (full[0] == '\\') {
    size_t hostEnd = full.find('\\', 2);
    size_t shareEnd = full.find('\\', hostEnd + 1);
    if (shareEnd == std::string::npos) shareEnd = full.size();
    base = Prefix() + "/unc";
    base = MatchEntry(base, full.substr(2, hostEnd - 2)).insert(0, base + "/");
    base = MatchEntry(base, full.substr(hostEnd + 1, shareEnd - hostEnd - 1)).insert(0, base + "/");
    restStart = shareEnd;
  } else {
    char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(full[0])));
    base = drive == 'z' ? std::string() : Prefix() + "/drive_" + drive;
    restStart = 2;
  }
  std::vector<std::string> parts;
  if (!SplitComponents(full.substr(restStart), parts)) return false;
  host = MatchComponents(base, parts, seen);
  if (host.empty()) host = "/";
  if (IsSandboxOwnFile(host)) {
    SetLastError(kErrorAccessDenied);
    return false;
  }
  if (facts != nullptr) *facts = seen;
  return true;
}

OwnFilesReachable::OwnFilesReachable() { ++t_ownFilesReachable; }

OwnFilesReachable::~OwnFilesReachable() { --t_ownFilesReachable; }

std::string WindowsPathOfHost(const std::string& hostPath) {
  const std::string& prefix = Prefix();
  auto under = [&](const std::string& folder) {
    return hostPath.size() >= folder.size() && hostPath.compare(0, folder.size(), folder) == 0 &&
           (hostPath.size() == folder.size() || hostPath[folder.size()] == '/');
  };
  std::string result;
  std::string rest;
  const std::string drivePrefix = prefix + "/drive_";
  const std::string uncPrefix = prefix + "/unc/";
  if (hostPath.compare(0, drivePrefix.size(), drivePrefix) == 0 &&
      hostPath.size() > drivePrefix.size() &&
      std::isalpha(static_cast<unsigned char>(hostPath[drivePrefix.size()])) &&
      under(drivePrefix + hostPath[drivePrefix.size()])) {
    result = std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(hostPath[drivePrefix.size()])))) + ":";
    rest = hostPath.substr(drivePrefix.size() + 1);
  } else if (hostPath.compare(0, uncPrefix.size(), uncPrefix) == 0) {
    result = "\\";
    rest = hostPath.substr(uncPrefix.size() - 1);
  } else {
    result = "Z:";
    rest = hostPath;
  }
  for (char c : rest) result += c == '/' ? '\\' : c;
  if (result.size() == 2) result += "\\";
  if (result == "\\") result = "Z:\\";
  return result;
}

}  // namespace sandbox
}  // namespace os
