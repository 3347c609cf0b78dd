#include <gtest/gtest.h>

#include "platform/file_ops.h"
#include "tests/support/test_machine.h"

namespace {

// A source that opens but cannot be read (the first read of a process's own
// memory file at offset 0 fails): the copy must fail, not report success
// for an empty or truncated target.
TEST(CopyFileWithTimesPosix, ReadErrorIsAFailure) {
  std::string target = testing_support::NewTestFolder() + "\\t.bin";
  EXPECT_EQ(platform::kCopyFailed, platform::CopyFileWithTimes("Z:\\proc\\self\\mem", target));
}

}  // namespace
