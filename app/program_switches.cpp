#include "app/program_switches.h"

#include "brevane_version.h"
#include "os/case_fold.h"

namespace {

ProgramRequest RequestOf(const std::string& word, std::string& lintPath) {
  if (word == "?" || word == "H" || word == "HELP" || word == "-HELP") return ProgramRequest::kUsage;
  if (word == "V" || word == "VERSION" || word == "-VERSION") return ProgramRequest::kVersion;
  if (word == "LINT") return ProgramRequest::kLint;
  if (word.compare(0, 5, "LINT:") == 0) {
    lintPath = word.substr(5);
    return ProgramRequest::kLint;
  }
  return ProgramRequest::kRun;
}

}  // namespace

ProgramSwitches ReadProgramSwitches(const std::vector<std::string>& arguments) {
  // The enumerators are in order of precedence.
  ProgramSwitches switches;
  for (const std::string& argument : arguments) {
    std::string text = argument;
    if (!text.empty() && (text[0] == '/' || text[0] == '-')) text.erase(0, 1);
    std::string lintPath;
    ProgramRequest request = RequestOf(os::UpperCaseAnsi(text), lintPath);
    // The path keeps its own spelling.
    if (!lintPath.empty()) switches.lintPath = text.substr(5);
    if (request > switches.request) switches.request = request;
  }
  return switches;
}

std::string UsageText() {
  return VersionText() +
         ": runs the hotfix script HotFix.ini beside the program.\n"
         "\n"
         "Usage: Brevane [/S] [/T] [/U:<install record file>]\n"
         "       Brevane /LINT[:<script>] [/S]\n"
         "       Brevane /? | /H | --help | /V | --version\n"
         "\n"
         "  /S          silent: no questions; events take their Default actions\n"
         "  /T          trace: show every item read from the script first\n"
         "  /U:<file>   remove the hotfix recorded in that install record file\n"
         "  /LINT       check the script without changing anything; with /S, as\n"
         "              for a silent run. Exit 0 clean, 1 warnings, 2 errors\n"
         "\n"
         "Any other argument is taken by its first letter alone: one starting\n"
         "with S or C means silent, T trace, U removal.\n"
         "\n"
         "Exit status of a run: 0 success, 1 failed and rolled back, 2 stopped\n"
         "and rolled back, 3 install record file not found, 4 cancelled before\n"
         "the run, 5 start-up failure (such as no readable script).\n";
}

std::string VersionText() { return std::string("Brevane ") + BREVANE_VERSION; }
