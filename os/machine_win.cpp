#include <windows.h>

#include <vector>

#include "os/errors.h"
#include "os/machine.h"

namespace os {

bool GetWindowsFolder(std::string& folder) {
  char buffer[MAX_PATH] = {};
  UINT length = ::GetWindowsDirectoryA(buffer, sizeof(buffer));
  if (length == 0 || length >= sizeof(buffer)) return false;
  folder.assign(buffer, length);
  return true;
}

bool GetComputerName(std::string& name, unsigned long bufferSize) {
  std::vector<char> buffer(bufferSize + 1, '\0');
  DWORD size = bufferSize;
  if (!::GetComputerNameA(buffer.data(), &size)) return false;
  name.assign(buffer.data(), size);
  return true;
}

VersionRecord GetVersionRecord() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof(info);
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
  (void)::GetVersionExA(&info);
  VersionRecord record;
  record.platformId = info.dwPlatformId;
  record.major = info.dwMajorVersion;
  record.minor = info.dwMinorVersion;
  return record;
}

bool GetTempFolder(std::string& folder) {
  char buffer[MAX_PATH] = {};
  DWORD length = ::GetTempPathA(sizeof(buffer), buffer);
  if (length == 0 || length >= sizeof(buffer)) return false;
  folder.assign(buffer, length);
  return true;
}

bool GetModulePath(std::string& path, unsigned long bufferSize) {
  std::vector<char> buffer(bufferSize + 1, '\0');
  DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), bufferSize);
  if (length == 0) return false;
  path.assign(buffer.data(), length);
  return true;
}

LocalTime GetLocalTime() {
  SYSTEMTIME st = {};
  ::GetLocalTime(&st);
  LocalTime t;
  t.year = st.wYear;
  t.month = st.wMonth;
  t.day = st.wDay;
  t.hour = st.wHour;
  t.minute = st.wMinute;
  t.second = st.wSecond;
  return t;
}

bool GetCurrentFolder(std::string& folder) {
  char buffer[MAX_PATH] = {};
  DWORD length = ::GetCurrentDirectoryA(sizeof(buffer), buffer);
  if (length == 0 || length >= sizeof(buffer)) return false;
  folder.assign(buffer, length);
  return true;
}

bool SetCurrentFolder(const std::string& folder) {
  return ::SetCurrentDirectoryA(folder.c_str()) != FALSE;
}

}  // namespace os
