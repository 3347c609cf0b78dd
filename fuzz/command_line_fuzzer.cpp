// The program's command line: arguments are the input's NUL-separated parts.
// Checks: a record path comes only with the remove flag and is a tail of an
// argument; parsing the same line twice gives the same flags.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/command_line.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 16 * 1024) return 0;
  std::vector<std::string> arguments = fuzz_support::SplitAtNul(data, size, 64);
  CHFS_RunFlags flags;
  CBrevaneCommandLineInfo::Parse(arguments, flags);
  if (!flags.recordPath.empty()) {
    FUZZ_CHECK(flags.remove);
    bool tailOfArgument = false;
    for (const std::string& argument : arguments) {
      if (argument.size() >= flags.recordPath.size() + 2 &&
          argument.compare(argument.size() - flags.recordPath.size(), std::string::npos,
                           flags.recordPath) == 0) {
        tailOfArgument = true;
      }
    }
    FUZZ_CHECK(tailOfArgument);
  }
  CHFS_RunFlags again;
  CBrevaneCommandLineInfo::Parse(arguments, again);
  FUZZ_CHECK(again.silent == flags.silent && again.trace == flags.trace &&
             again.remove == flags.remove && again.recordPath == flags.recordPath);
  return 0;
}
