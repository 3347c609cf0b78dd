// Running a Windows probe program of the differential tests under Wine.
// The probes are found through BREVANE_WINDOWS_BIN (the Windows build's bin
// folder, set by scripts/test).
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace wine_probe {

// Standard output of a shell command; false when it could not run or failed.
inline bool RunCommand(const std::string& command, std::string& output) {
  output.clear();
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return false;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) output.append(buffer, got);
  int status = ::pclose(pipe);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The output of a probe run that printed marker. A run is tried three
// times: wine-run can miss the first lines of a program that starts slowly
// (it begins reading the output files before the program has made them).
inline bool RunUntil(const std::string& command, const std::string& marker, std::string& output) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (RunCommand(command, output) && output.find(marker) != std::string::npos) return true;
  }
  return false;
}

inline std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The shell command that runs a Windows program under Wine.
inline std::string WineRun() { return Quoted(std::string(BREVANE_SOURCE_DIR) + "/scripts/wine-run"); }

// The command running the probe exe (e.g. "reg_probe.exe"); empty, with
// why set, when there is no Windows build or Wine cannot run it. The probe
// answers "--ready" with readyLine.
inline std::string ProbeCommand(const std::string& exe, const std::string& readyLine, std::string& why) {
  const char* bin = std::getenv("BREVANE_WINDOWS_BIN");
  if (bin == nullptr || *bin == '\0') {
    why = "BREVANE_WINDOWS_BIN is not set: no Windows build to compare with";
    return "";
  }
  const std::string probe = std::string(bin) + "/" + exe;
  if (::access(probe.c_str(), R_OK) != 0) {
    why = probe + " is missing: build the windows preset";
    return "";
  }
  const std::string run = WineRun() + " " + Quoted(probe);
  std::string output;
  if (!RunUntil(run + " --ready 2>&1", readyLine, output)) {
    why = "Wine cannot run Windows programs here: " + output.substr(0, 300);
    return "";
  }
  return run;
}

}  // namespace wine_probe
