#include "engine/command_line.h"

void CBrevaneCommandLineInfo::Parse(const std::vector<std::string>& arguments,
                                    CHFS_RunFlags& flags) {
  for (const std::string& argument : arguments) ParseArgument(argument, flags);
}

void CBrevaneCommandLineInfo::ParseArgument(const std::string& argument, CHFS_RunFlags& flags) {
  std::string text = argument;
  if (!text.empty() && (text[0] == '/' || text[0] == '-')) text.erase(0, 1);
  if (text.empty()) return;
  switch (text[0]) {
    case 'C':
    case 'c':
    case 'S':
    case 's':
      flags.silent = true;
      break;
    case 'T':
    case 't':
      flags.trace = true;
      break;
    case 'U':
    case 'u':
      flags.remove = true;
      // The second character, normally a colon, is skipped whatever it is.
      flags.recordPath = text.size() > 5 ? text.substr(2) : std::string();
      break;
    default:
      break;
  }
}
