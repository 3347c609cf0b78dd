// The machine facts behind the built-in symbols, formatted as the script sees
// them. Platform calls that fail give empty values, never an error.
#pragma once

#include <string>

#include "os/machine.h"

// GetComputerNameA with a 100-byte buffer, else the registry value
// HKLM\System\CurrentControlSet\Control\ComputerName\ComputerName\ComputerName,
// else empty.
std::string ComputerNameValue();
// WIN95 ... NT351, UNKNOWN or empty, from the version record.
std::string OsTypeValue(const os::VersionRecord& version);
std::string OsTypeValue();
// The temporary folder with its trailing backslash, or empty.
std::string TempFolderValue();
// The Windows folder without trailing backslash, or empty.
std::string WindowsFolderValue();
// "%d-%02d-%02d" and "%02d:%02d:%02d" of a local time.
std::string DateText(const os::LocalTime& t);
std::string TimeText(const os::LocalTime& t);
