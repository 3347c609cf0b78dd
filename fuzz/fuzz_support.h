// What the fuzz targets share: a private sandbox machine for the process and
// an engine over a small script in it, with a reporter that keeps the trace
// lines so a target can check what a parser logged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/command_line.h"
#include "engine/engine.h"
#include "engine/reporter.h"

namespace fuzz_support {

// Stops the run with a message when a property does not hold; libFuzzer
// then saves the input that broke it.
#define FUZZ_CHECK(condition)                                                  \
  do {                                                                         \
    if (!(condition)) fuzz_support::Fail(__FILE__, __LINE__, #condition);      \
  } while (0)

[[noreturn]] void Fail(const char* file, int line, const char* condition);

// A fresh $BREVANE_PREFIX for this process (removed at exit); called once.
void SetUpSandbox();

// A Windows path in the sandbox's C:\fuzz folder.
std::string SandboxPath(const std::string& name);

// Writes bytes to a file by Windows path; false when it cannot.
bool WriteSandboxFile(const std::string& windowsPath, const std::string& bytes);

class LineReporter : public CHFS_Reporter {
 public:
  int SetProgress(int, int) override { return 0; }
  int SetTaskText(const std::string&, int) override { return 0; }
  int AddDetailText(const std::string&, int) override { return 0; }
  int SetMainDescription(const std::string&) override { return 0; }
  int SetReadmeText(const std::string&) override { return 0; }
  int WriteLog(const std::string& text) override;
  int Ask(const std::string&, int) override { return 0; }

  std::vector<std::string> lines;
};

// One engine for the whole process, over a script defining a few symbols
// (values without '%'). Its reporter's lines are cleared before each use.
struct FuzzEngine {
  CHFS_RunFlags flags;
  LineReporter reporter;
  CHFS_Engine* engine = nullptr;
};
FuzzEngine& Engine();

// The input split at NUL bytes (at most maxParts parts; the last takes the rest).
std::vector<std::string> SplitAtNul(const uint8_t* data, size_t size, size_t maxParts);

}  // namespace fuzz_support
