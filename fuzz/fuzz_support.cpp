#include "fuzz/fuzz_support.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "os/sandbox_posix.h"

namespace fuzz_support {

namespace {

std::string g_prefix;

void RemovePrefix() {
  if (g_prefix.empty()) return;
  std::string command = "rm -rf '" + g_prefix + "'";
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", g_prefix.c_str());
}

const char kScript[] =
    "[ProductInstall.Main]\r\n"
    "MainDescription=fuzz\r\n"
    "[ProductInstall.Symbols]\r\n"
    "APP=C:\\Program Files\\App\r\n"
    "BS=C:\\ends\\\r\n"
    "EMPTY=\r\n"
    "A=aa\r\n"
    "LONG=0123456789012345678901234567890123456789\r\n";

}  // namespace

void Fail(const char* file, int line, const char* condition) {
  std::fprintf(stderr, "%s:%d: property failed: %s\n", file, line, condition);
  std::abort();
}

void SetUpSandbox() {
  if (!g_prefix.empty()) return;
  // Memory-backed where there is such a folder: every profile write is
  // flushed to disk, and a run makes millions of them.
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
  if (tmp == nullptr && ::access("/dev/shm", W_OK) == 0) folder = "/dev/shm";
  std::string pattern = folder + "/brevane-fuzz-XXXXXX";
  if (::mkdtemp(&pattern[0]) == nullptr) {
    std::perror("mkdtemp");
    std::exit(1);
  }
  g_prefix = pattern;
  ::setenv("BREVANE_PREFIX", g_prefix.c_str(), 1);
  os::sandbox::ResetForTesting();
  (void)os::sandbox::Prefix();
  std::string command = "mkdir -p '" + g_prefix + "/drive_c/fuzz'";
  if (std::system(command.c_str()) != 0) std::exit(1);
  std::atexit(RemovePrefix);
}

std::string SandboxPath(const std::string& name) { return "C:\\fuzz\\" + name; }

bool WriteSandboxFile(const std::string& windowsPath, const std::string& bytes) {
  std::string host;
  if (!os::sandbox::HostPath(windowsPath, host)) return false;
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out);
}

int LineReporter::WriteLog(const std::string& text) {
  lines.push_back(text);
  return 0;
}

FuzzEngine& Engine() {
  static FuzzEngine* fuzz = [] {
    SetUpSandbox();
    auto* made = new FuzzEngine;
    const std::string script = SandboxPath("HotFix.ini");
    if (!WriteSandboxFile(script, kScript)) std::exit(1);
    made->flags.silent = true;
    made->flags.recordPath = script;
    made->engine = new CHFS_Engine(&made->reporter, "HotFix.ini", made->flags, nullptr);
    return made;
  }();
  fuzz->reporter.lines.clear();
  return *fuzz;
}

std::vector<std::string> SplitAtNul(const uint8_t* data, size_t size, size_t maxParts) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0 && parts.size() < maxParts) {
      parts.emplace_back();
    } else {
      parts.back() += static_cast<char>(data[i]);
    }
  }
  return parts;
}

}  // namespace fuzz_support
