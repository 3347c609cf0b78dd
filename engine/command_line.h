// The program's command line and the run flags it sets.
#pragma once

#include <string>
#include <vector>

// What the command line asked for. The application object owns one; the
// engine, the trace log and the windows read it (the trace flag is cleared
// when the user cancels a trace box).
struct CHFS_RunFlags {
  bool silent = false;
  bool trace = false;
  bool remove = false;
  std::string recordPath;
};

class CBrevaneCommandLineInfo {
 public:
  // Classifies each argument by its first character after one leading "/" or
  // "-": C/S silent, T trace, U remove (with the record path from the third
  // character on when the argument is longer than 5), anything else ignored.
  static void Parse(const std::vector<std::string>& arguments, CHFS_RunFlags& flags);
  static void ParseArgument(const std::string& argument, CHFS_RunFlags& flags);
};
