// The script checker behind "/LINT": reads a script and the package beside
// it without changing anything, and reports what would make a run go other
// than its author meant, with the line and section of each finding.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct LintFinding {
  bool error = false;  // false: a warning
  int line = 0;        // 0: the file as a whole
  std::string section;
  std::string text;
};

// True when the file group's spec ("lib\*.js") matches a file in the package.
using GroupSpecMatcher = std::function<bool(const std::string& group, const std::string& spec)>;

struct LintResult {
  std::string file;
  std::vector<LintFinding> findings;

  int Errors() const;
  int Warnings() const;
  // 0 clean, 1 warnings only, 2 errors.
  int ExitStatus() const;
  // One line a finding, in line order, then the summary line.
  std::string Report() const;
};

// silent: check as for a silent run, where every question takes its
// event's Default.
LintResult CheckScriptText(const std::string& fileName, const std::string& bytes,
                           const GroupSpecMatcher& matcher, bool silent);

// Reads the script file; its file groups are looked for in its folder.
LintResult CheckScriptFile(const std::string& path, bool silent);
