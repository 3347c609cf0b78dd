// The switches that ask for something other than a run: the usage, the
// version, and the script checker. Every other argument keeps its meaning
// from its first letter alone (C or S silent, T trace, U removal), so these
// are whole words whose first letters meant nothing before: "?", "H",
// "HELP", "-help", "V", "VERSION", "-version", "LINT" and "LINT:<path>",
// after one leading "/" or "-", in any case.
#pragma once

#include <string>
#include <vector>

// In order of precedence: the usage wins over the version, the version
// over the checker.
enum class ProgramRequest { kRun, kLint, kVersion, kUsage };

struct ProgramSwitches {
  ProgramRequest request = ProgramRequest::kRun;
  std::string lintPath;  // empty: the script beside the program
};

ProgramSwitches ReadProgramSwitches(const std::vector<std::string>& arguments);

std::string UsageText();
// "Brevane <version>"
std::string VersionText();
