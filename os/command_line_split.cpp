#include "os/command_line_split.h"

namespace os {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The program: to the next quote when quoted, else to the first blank.
size_t FirstArgument(const std::string& line, std::string& arg) {
  size_t i = 0;
  if (!line.empty() && line[0] == '"') {
    size_t close = line.find('"', 1);
    if (close == std::string::npos) close = line.size();
    arg = line.substr(1, close - 1);
    return close < line.size() ? close + 1 : close;
  }
  while (i < line.size() && !IsBlank(line[i])) ++i;
  arg = line.substr(0, i);
  return i;
}

// One argument from i: returns where it ends.
size_t NextArgument(const std::string& line, size_t i, std::string& arg) {
  int quotes = 0;  // 1 while quoted; 2 right after a closing quote
  while (i < line.size() && !(IsBlank(line[i]) && quotes == 0)) {
    size_t slashes = 0;
    while (i < line.size() && line[i] == '\\') ++slashes, ++i;
    if (i == line.size() || line[i] != '"') {
      arg.append(slashes, '\\');
      if (slashes == 0) arg += line[i++];
      continue;
    }
    arg.append(slashes / 2, '\\');
    if (slashes % 2 == 1) {
      arg += '"';
    } else {
      ++quotes;
    }
    for (++i; i < line.size() && line[i] == '"'; ++i) {
      if (++quotes == 3) {
        arg += '"';
        quotes = 0;
      }
    }
    if (quotes == 2) quotes = 0;
  }
  return i;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& line, std::vector<size_t>* ends) {
  std::vector<std::string> args;
  if (ends != nullptr) ends->clear();
  if (line.empty()) return args;
  std::string arg;
  size_t i = FirstArgument(line, arg);
  for (;;) {
    args.push_back(arg);
    if (ends != nullptr) ends->push_back(i);
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i == line.size()) return args;
    arg.clear();
    i = NextArgument(line, i, arg);
  }
}

}  // namespace os
