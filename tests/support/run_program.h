// Runs a program of ours the way a user or a fleet tool would, for the
// end-to-end tests.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

struct ProgramRun {
  int exitCode = -1;
  std::string output;  // what it wrote to standard output
  // What it wrote to standard error; the Windows side writes that into output.
  std::string errors;
};

// Runs the program at programPath (a Windows path) with the arguments,
// feeding input to its standard input, and waits for it.
ProgramRun RunProgram(const std::string& programPath, const std::vector<std::string>& arguments,
                      const std::string& input = std::string());

// The built program (Brevane.exe or brevane) as a Windows path.
std::string BuiltProgramPath();

}  // namespace testing_support
