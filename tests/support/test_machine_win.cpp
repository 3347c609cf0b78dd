#include <windows.h>

#include <atomic>
#include <string>

#include "tests/support/test_machine.h"

namespace testing_support {

void SetUpTestMachine() {}

std::string NewTestFolder() {
  static std::atomic<int> counter{0};
  char temp[MAX_PATH] = {};
  ::GetTempPathA(sizeof(temp), temp);
  std::string base = std::string(temp) + "brevane-tests";
  ::CreateDirectoryA(base.c_str(), nullptr);
  std::string name = base + "\\t" + std::to_string(::GetCurrentProcessId()) + "_" +
                     std::to_string(::GetTickCount()) + "_" + std::to_string(++counter);
  ::CreateDirectoryA(name.c_str(), nullptr);
  return name;
}

std::string HostPathOf(const std::string& windowsPath) { return windowsPath; }

bool WriteFileBytes(const std::string& windowsPath, const std::string& bytes) {
  HANDLE file = ::CreateFileA(windowsPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = bytes.empty() || ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok && written == bytes.size();
}

bool ReadFileBytes(const std::string& windowsPath, std::string& bytes) {
  HANDLE file = ::CreateFileA(windowsPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes.clear();
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
  ::CloseHandle(file);
  return true;
}

bool FileExists(const std::string& windowsPath) {
  return ::GetFileAttributesA(windowsPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace testing_support

namespace testing_support {

bool CopyProgram(const std::string& fromWindowsPath, const std::string& toWindowsPath) {
  return ::CopyFileA(fromWindowsPath.c_str(), toWindowsPath.c_str(), FALSE) != FALSE;
}

}  // namespace testing_support

#include <cstdlib>

namespace testing_support {

void SetEnvironment(const std::string& name, const std::string& value) {
  // Both the C runtime's copy (getenv) and the process environment.
  std::string assignment = name + "=" + value;
  ::_putenv(assignment.c_str());
  ::SetEnvironmentVariableA(name.c_str(), value.empty() ? nullptr : value.c_str());
}

}  // namespace testing_support
