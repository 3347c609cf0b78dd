// A hotfix package made in the test: the built program copied into a new
// folder beside a script, and the trace log read back after a run.
#pragma once

#include <string>
#include <vector>

#include "tests/support/run_program.h"
#include "tests/support/test_machine.h"

namespace testing_support {

class PackageFixture {
 public:
  explicit PackageFixture(const std::string& script) : folder_(NewTestFolder()) {
    program_ = folder_ + "\\" + ProgramName();
    CopyProgram(BuiltProgramPath(), program_);
    WriteFileBytes(folder_ + "\\HotFix.ini", script);
  }

  // Runs the program; the log lines it added are in Log() afterwards.
  ProgramRun Run(const std::vector<std::string>& arguments, const std::string& input = std::string()) {
    std::string before;
    ReadFileBytes(kLogPath, before);
    ProgramRun run = RunProgram(program_, arguments, input);
    std::string after;
    ReadFileBytes(kLogPath, after);
    log_ = after.size() >= before.size() ? after.substr(before.size()) : after;
    return run;
  }

  [[nodiscard]] const std::string& Folder() const { return folder_; }
  [[nodiscard]] const std::string& Log() const { return log_; }
  [[nodiscard]] bool LogHas(const std::string& text) const { return log_.find(text) != std::string::npos; }

  static constexpr const char* kLogPath = "c:\\Brevane.log";

 private:
  static std::string ProgramName() {
    std::string built = BuiltProgramPath();
    return built.substr(built.rfind('\\') + 1);
  }

  std::string folder_;
  std::string program_;
  std::string log_;
};

}  // namespace testing_support
