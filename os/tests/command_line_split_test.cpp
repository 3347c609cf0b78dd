#include "os/command_line_split.h"

#include <gtest/gtest.h>

namespace {

// What CommandLineToArgvW gives for these lines (probed).
TEST(SplitCommandLine, CutsAsWindowsProgramsDo) {
  struct Case {
    const char* line;
    std::vector<std::string> args;
  } cases[] = {
      {"prog a b", {"prog", "a", "b"}},
      {"\"C:\\a b\\p.exe\" x", {"C:\\a b\\p.exe", "x"}},
      {"\"a\"b c", {"a", "b", "c"}},
      {"a\"b c\" d", {"a\"b", "c d"}},
      {"p a\\\\b \\\"x\\\" \\\\\"y z\\\\\"", {"p", "a\\\\b", "\"x\"", "\\y z\\"}},
      {"p \"\" x", {"p", "", "x"}},
      {"p \"\"\" x", {"p", "\"", "x"}},
      {"p \"a\"\"b c\" d", {"p", "a\"b", "c d"}},
      {"p a\"\"b", {"p", "ab"}},
      {"p \"a\"\"\"b\" c", {"p", "a\"b", "c"}},
      {"p \\\\\\\"q", {"p", "\\\"q"}},
      {"  lead x", {"", "lead", "x"}},
      {"p \"\"\"\"\" x y", {"p", "\"", "x", "y"}},
      {"p\t\"a\tb\"\tc  ", {"p", "a\tb", "c"}},
      {"\"un terminated", {"un terminated"}},
      {"p a\\\\\\\\\"b c\"", {"p", "a\\\\b c"}},
      {"echo 1.0 & touch PWNED", {"echo", "1.0", "&", "touch", "PWNED"}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(os::SplitCommandLine(c.line), c.args) << c.line;
  std::vector<size_t> ends;
  (void)os::SplitCommandLine("cmd  /c echo", &ends);
  EXPECT_EQ(ends, (std::vector<size_t>{3, 7, 12}));
}

}  // namespace
