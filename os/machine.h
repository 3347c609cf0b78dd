// Facts about the machine the program runs on.
//
// Windows: the real calls. POSIX: the sandbox machine under $BREVANE_PREFIX
// (default ~/.brevane), whose machine.ini gives the computer name, the version
// record, the Windows folder and the temporary folder; the prefix is created
// with sensible defaults on first use.
#pragma once

#include <string>

// windows.h makes this a macro for its A/W forms; keep the plain name.
#undef GetComputerName

namespace os {

struct VersionRecord {
  unsigned long platformId = 0;
  unsigned long major = 0;
  unsigned long minor = 0;
};

struct LocalTime {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  int hour = 0;   // 0..23
  int minute = 0;
  int second = 0;
};

// GetWindowsDirectoryA (no trailing backslash); false on failure.
[[nodiscard]] bool GetWindowsFolder(std::string& folder);
// GetComputerNameA with a buffer of bufferSize bytes; false on failure
// (also when the name does not fit).
[[nodiscard]] bool GetComputerName(std::string& name, unsigned long bufferSize);
// GetVersionExA.
[[nodiscard]] VersionRecord GetVersionRecord();
// GetTempPathA (with its trailing backslash); false on failure.
[[nodiscard]] bool GetTempFolder(std::string& folder);
// GetModuleFileNameA for the program itself, up to bufferSize - 1 characters;
// false on failure.
[[nodiscard]] bool GetModulePath(std::string& path, unsigned long bufferSize);
// GetLocalTime.
[[nodiscard]] LocalTime GetLocalTime();
// GetCurrentDirectoryA / SetCurrentDirectoryA.
[[nodiscard]] bool GetCurrentFolder(std::string& folder);
[[nodiscard]] bool SetCurrentFolder(const std::string& folder);

}  // namespace os
