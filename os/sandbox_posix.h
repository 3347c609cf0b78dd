// The POSIX sandbox machine: one folder, $BREVANE_PREFIX (default ~/.brevane),
// holds a Windows machine the way a Wine prefix does.
//
//   drive_c/ is C:\, drive_d/ D:\ and so on; Z:\ is the host's "/".
//   unc/host/share/... holds \\host\share\...
//   registry/   the registry store, one .reg file per root
//   machine.ini computer name, version record, Windows and temporary folders;
//               FastServiceWaits=1 makes service waits pass without sleeping
//   services.ini the service table
//
// Windows paths are mapped to host paths here and nowhere else. Backslashes
// and slashes both separate; "." and ".." are resolved as GetFullPathName
// does; each component that does not exist with its exact name is matched
// case-insensitively against the folder's entries, as on Windows.
#pragma once

#include <sys/stat.h>

#include <string>

namespace os {
namespace sandbox {

// MAX_PATH: the ANSI calls refuse a full path of this many characters or more.
constexpr size_t kMaxPath = 260;

// The prefix folder (host path, no trailing slash), created on first use with
// drive_c, the Windows and temporary folders, registry/ and a machine.ini of
// defaults.
const std::string& Prefix();

// The full Windows path for a path as a program would pass it: relative paths
// are taken from the current folder, "\x" from its drive. False (last error
// set) for an empty, invalid or too long path.
[[nodiscard]] bool FullWindowsPath(const std::string& path, std::string& full);

// What HostPath learned on its way to a host path, so that the call it serves
// need not ask the file system again: the lstat of that path, and whether its
// folder is a folder. Good only for the call that got it, right after.
struct PathFacts {
  bool known = false;  // error and link hold the path's lstat
  int error = 0;       // 0: the path exists and link is its lstat; else errno
  struct stat link {};
  int folderIsFolder = -1;  // 1 yes, 0 no, -1 not known
};

// The host path for a Windows path (absolute or relative). False (last error
// set) for an empty, invalid or too long path, for "." or ".." as a UNC host
// or share name (ERROR_BAD_NETPATH), and for the sandbox's own machine.ini,
// services.ini, registry/ and file_attributes.tab however they are named
// (ERROR_ACCESS_DENIED):
// only Z:\ reaches outside drive_* and unc/, and never those. facts, when given, gets what
// the lookup saw (known stays false where it saw nothing it can vouch for).
[[nodiscard]] bool HostPath(const std::string& windowsPath, std::string& host,
                            PathFacts* facts = nullptr);

// The DOS device a Windows path names by its last name, whatever its
// extension and folder: NUL; CON; COM1-COM9, LPT1-LPT9, PRN and AUX.
enum class Device { kNone, kNul, kConsole, kPort };
[[nodiscard]] Device DeviceOf(const std::string& windowsPath);

// True when path names NUL in a folder that exists: opening it gives a file
// that reads nothing and takes every write (the host's /dev/null).
[[nodiscard]] bool IsNulDevice(const std::string& path);

// While one lives, HostPath on this thread reaches the sandbox's own files:
// for the sandbox's code that reads machine.ini through the profile calls.
class OwnFilesReachable {
 public:
  OwnFilesReachable();
  ~OwnFilesReachable();
  OwnFilesReachable(const OwnFilesReachable&) = delete;
  OwnFilesReachable& operator=(const OwnFilesReachable&) = delete;
};

// The Windows path of a host path: inside the prefix's drive_x folders it is
// X:\..., inside unc/ \\host\share\..., anywhere else Z:\...
[[nodiscard]] std::string WindowsPathOfHost(const std::string& hostPath);

// Tests only: forget the cached prefix so the next call reads BREVANE_PREFIX again.
void ResetForTesting();

}  // namespace sandbox
}  // namespace os
