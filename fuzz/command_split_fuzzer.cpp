// The Linux command splitter against a plain statement of the Windows rules,
// written apart from it: the line is read as runs (of blanks, backslashes,
// quotes, other characters), and each run's effect given by a formula.
// Also: every end lies within the line, after the one before.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "os/command_line_split.h"

namespace {

size_t RunOf(const std::string& s, size_t at, char c) {
  size_t n = 0;
  while (at + n < s.size() && s[at + n] == c) ++n;
  return n;
}

bool Blank(char c) { return c == ' ' || c == '\t'; }

std::vector<std::string> Reference(const std::string& s) {
  std::vector<std::string> out;
  if (s.empty()) return out;
  size_t at = 0;
  std::string arg;
  if (s[0] == '"') {
    // The program in quotes: everything up to the next quote, taken as is.
    for (at = 1; at < s.size() && s[at] != '"'; ++at) arg += s[at];
    if (at < s.size()) ++at;
  } else {
    for (; at < s.size() && !Blank(s[at]); ++at) arg += s[at];
  }
  out.push_back(arg);
  for (;;) {
    while (at < s.size() && Blank(s[at])) ++at;
    if (at == s.size()) return out;
    arg.clear();
    int state = 0;  // 1: within quotes
    while (at < s.size() && !(state == 0 && Blank(s[at]))) {
      size_t b = RunOf(s, at, '\\');
      size_t q = RunOf(s, at + b, '"');
      if (q == 0) {
        // Backslashes before no quote are literal; so is any other character.
        arg += b > 0 ? std::string(b, '\\') : std::string(1, s[at]);
        at += b > 0 ? b : 1;
        continue;
      }
      arg += std::string(b / 2, '\\');
      if (b % 2 == 1) {
        // An escaped quote, then the rest of the run as a run of its own.
        arg += '"';
      }
      // A run of k unescaped quotes from state s: every third of s + k
      // counted is a literal quote; a remainder of 1 leaves it quoted.
      size_t k = b % 2 == 1 ? q - 1 : q;
      size_t total = static_cast<size_t>(state) + k;
      arg += std::string(total / 3, '"');
      state = total % 3 == 1 ? 1 : 0;
      at += b + q;
    }
    out.push_back(arg);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  const std::string line(reinterpret_cast<const char*>(data), size);
  std::vector<size_t> ends;
  const std::vector<std::string> args = os::SplitCommandLine(line, &ends);
  FUZZ_CHECK(args == Reference(line));
  FUZZ_CHECK(ends.size() == args.size());
  for (size_t i = 0; i < ends.size(); ++i) {
    FUZZ_CHECK(ends[i] <= line.size());
    FUZZ_CHECK(i == 0 || ends[i] > ends[i - 1]);
  }
  return 0;
}
