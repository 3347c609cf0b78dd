#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "os/sandbox_posix.h"
#include "tests/support/test_machine.h"

namespace testing_support {

namespace {
std::string g_prefix;

void RemovePrefix() {
  if (g_prefix.empty() || std::getenv("BREVANE_KEEP_TEST_PREFIX") != nullptr) return;
  std::string command = "rm -rf '" + g_prefix + "'";
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", g_prefix.c_str());
}
}  // namespace

void SetUpTestMachine() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/brevane-test-XXXXXX";
  if (::mkdtemp(&pattern[0]) == nullptr) {
    std::perror("mkdtemp");
    std::exit(1);
  }
  g_prefix = pattern;
  ::setenv("BREVANE_PREFIX", g_prefix.c_str(), 1);
  os::sandbox::ResetForTesting();
  (void)os::sandbox::Prefix();
  std::atexit(RemovePrefix);
}

std::string NewTestFolder() {
  static std::atomic<int> counter{0};
  std::string name = "C:\\tests\\t" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
  std::string host;
  if (!os::sandbox::HostPath(name, host)) return name;
  std::string command = "mkdir -p '" + host + "'";
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "could not create %s\n", host.c_str());
  return name;
}

std::string HostPathOf(const std::string& windowsPath) {
  std::string host;
  if (!os::sandbox::HostPath(windowsPath, host)) return std::string();
  return host;
}

bool WriteFileBytes(const std::string& windowsPath, const std::string& bytes) {
  std::ofstream out(HostPathOf(windowsPath), std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out);
}

bool ReadFileBytes(const std::string& windowsPath, std::string& bytes) {
  std::ifstream in(HostPathOf(windowsPath), std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  bytes = text.str();
  return true;
}

bool FileExists(const std::string& windowsPath) {
  struct stat st;
  return ::stat(HostPathOf(windowsPath).c_str(), &st) == 0;
}

}  // namespace testing_support

namespace testing_support {

bool CopyProgram(const std::string& fromWindowsPath, const std::string& toWindowsPath) {
  std::string bytes;
  if (!ReadFileBytes(fromWindowsPath, bytes) || !WriteFileBytes(toWindowsPath, bytes)) return false;
  return ::chmod(HostPathOf(toWindowsPath).c_str(), 0755) == 0;
}

}  // namespace testing_support

namespace testing_support {

void SetEnvironment(const std::string& name, const std::string& value) {
  if (value.empty()) {
    ::unsetenv(name.c_str());
  } else {
    ::setenv(name.c_str(), value.c_str(), 1);
  }
}

}  // namespace testing_support
