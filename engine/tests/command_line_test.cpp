#include <gtest/gtest.h>

#include "engine/command_line.h"

namespace {

struct CommandLineCase {
  std::vector<std::string> arguments;
  bool silent;
  bool trace;
  bool remove;
  const char* recordPath;
};

class CommandLineTest : public testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTest, ClassifiesByFirstCharacter) {
  const CommandLineCase& c = GetParam();
  CHFS_RunFlags flags;
  CBrevaneCommandLineInfo::Parse(c.arguments, flags);
  EXPECT_EQ(flags.silent, c.silent);
  EXPECT_EQ(flags.trace, c.trace);
  EXPECT_EQ(flags.remove, c.remove);
  EXPECT_EQ(flags.recordPath, c.recordPath);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineTest,
    testing::Values(
        CommandLineCase{{"/s"}, true, false, false, ""},
        CommandLineCase{{"-S"}, true, false, false, ""},
        CommandLineCase{{"s"}, true, false, false, ""},
        CommandLineCase{{"silent"}, true, false, false, ""},
        CommandLineCase{{"/c"}, true, false, false, ""},
        CommandLineCase{{"/x", "/2", ""}, false, false, false, ""},
        CommandLineCase{{"/t", "-T"}, false, true, false, ""},
        // Only one leading "/" or "-" is removed.
        CommandLineCase{{"//s"}, false, false, false, ""},
        CommandLineCase{{"/U:C:\\r.ini"}, false, false, true, "C:\\r.ini"},
        CommandLineCase{{"/U:abcd"}, false, false, true, "abcd"},
        CommandLineCase{{"/U:abc"}, false, false, true, ""},
        // The second character is skipped whatever it is.
        CommandLineCase{{"-uXC:\\dir\\file"}, false, false, true, "C:\\dir\\file"},
        // A later U argument replaces the earlier record path, even with nothing.
        CommandLineCase{{"/U:C:\\a.ini", "/U"}, false, false, true, ""},
        CommandLineCase{{"/s", "/t", "/U:D:\\rec\\x.ini"}, true, true, true, "D:\\rec\\x.ini"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

}  // namespace
