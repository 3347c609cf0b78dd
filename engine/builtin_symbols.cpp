#include "engine/builtin_symbols.h"

#include <cstdio>

#include "engine/engine.h"
#include "os/registry.h"

std::string ComputerNameValue() {
  std::string name;
  if (os::GetComputerName(name, 100)) return name;
  os::RegistryKey key;
  if (key.Open(os::RegRoot::kLocalMachine,
               "System\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
               os::RegAccess::kRead) != 0) {
    return std::string();
  }
  // Read into the same 100-byte buffer; a longer value does not fit and fails.
  char buffer[100] = {};
  unsigned long type = 0;
  unsigned long size = sizeof(buffer) - 1;
  if (key.QueryValue("ComputerName", &type, buffer, &size) != 0) return std::string();
  return std::string(buffer);
}

std::string OsTypeValue(const os::VersionRecord& version) {
  if (version.platformId == 1) {
    switch (version.minor) {
      case 0: return "WIN95";
      case 10: return "WIN98";
      case 90: return "WINME";
      default: return "";
    }
  }
  if (version.platformId == 2) {
    if (version.major == 5) {
      switch (version.minor) {
        case 0: return "WIN2K";
        case 1: return "WINXP";
        case 2: return "WIN.NET";
        default: return "UNKNOWN";
      }
    }
    if (version.major == 4) return "NT4";
    if (version.major == 3) return "NT351";
    return "";
  }
  return "UNKNOWN";
}

std::string OsTypeValue() { return OsTypeValue(os::GetVersionRecord()); }

std::string TempFolderValue() {
  std::string folder;
  return os::GetTempFolder(folder) ? folder : std::string();
}

std::string WindowsFolderValue() {
  std::string folder;
  return os::GetWindowsFolder(folder) ? folder : std::string();
}

std::string DateText(const os::LocalTime& t) {
  char buffer[32];
  std::snprintf(buffer, sizeof(buffer), "%d-%02d-%02d", t.year, t.month, t.day);
  return buffer;
}

std::string TimeText(const os::LocalTime& t) {
  char buffer[32];
  std::snprintf(buffer, sizeof(buffer), "%02d:%02d:%02d", t.hour, t.minute, t.second);
  return buffer;
}

namespace {
std::string TwoDigits(int value) {
  char text[16];
  std::snprintf(text, sizeof(text), "%02d", value);
  return text;
}
}  // namespace

int CHFS_Engine::InitBuiltInSymbols() {
  SetGlobalSymbol("WINDIR", WindowsFolderValue());
  SetGlobalSymbol("COMPUTER", ComputerNameValue());
  SetGlobalSymbol("OS_TYPE", OsTypeValue());
  SetGlobalSymbol("TEMP", TempFolderValue());
  SetGlobalSymbol("SOURCEDIR", GetModuleFolder());
  os::LocalTime date = os::GetLocalTime();
  SetGlobalSymbol("DATE", DateText(date));
  SetGlobalSymbol("YEAR", std::to_string(date.year));
  SetGlobalSymbol("MONTH", TwoDigits(date.month));
  SetGlobalSymbol("DAY", TwoDigits(date.day));
  os::LocalTime time = os::GetLocalTime();
  SetGlobalSymbol("TIME", TimeText(time));
  SetGlobalSymbol("HOUR", TwoDigits(time.hour));
  SetGlobalSymbol("MINUTE", TwoDigits(time.minute));
  SetGlobalSymbol("SECOND", TwoDigits(time.second));
  for (int code = 1; code <= 255; ++code) {
    char name[8];
    std::snprintf(name, sizeof(name), "x%02x", code);
    globalSymbols_[name] = std::string(1, static_cast<char>(code));
    symbolNames_.Note(name);
  }
  return 0;
}
