// Files past the input bound, and devices, are refused without being read:
// no hang, no unbounded memory, a script error naming the file, a failed run.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>

#include "descriptors/ini_value.h"
#include "engine/tests/engine_fixture.h"
#include "os/errors.h"
#include "os/input_limits.h"
#include "os/profile.h"
#include "os/sandbox_posix.h"

namespace {

using testing_support::EngineFixture;

bool LoggedRefusal(const EngineFixture& f, const std::string& file) {
  return f.reporter.Logged("*** Syntax error: File '" + file +
                           "' is larger than 16777216 bytes and is not read! \r\n");
}

TEST(InputBounds, DevicesAndEndlessFilesAreRefused) {
  const auto start = std::chrono::steady_clock::now();
  EngineFixture f("[ProductInstall.Main]\r\nReadmeFile=Z:\\dev\\zero\r\n");
  // Read as it is, and through the temporary copy a section-less query makes.
  EXPECT_EQ("", QueryINIValue(*f.engine, "[INI:Z:\\dev\\zero,Main,Key]"));
  EXPECT_EQ("", QueryINIValue(*f.engine, "[INI:Z:\\dev\\zero,,Key]"));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_TRUE(LoggedRefusal(f, "Z:\\dev\\zero")) << "the endless copy is cut at the bound";
  EXPECT_EQ(f.engine->RefusedInput(), "Z:\\dev\\zero");
}

TEST(InputBounds, LargeFilesAreRefusedAndFailTheRun) {
  EngineFixture f("[ProductInstall.Main]\r\nStepCount=0\r\n");
  const std::string file = f.folder + "\\big.rec";
  std::string host;
  ASSERT_TRUE(os::sandbox::HostPath(file, host));
  for (off_t size : {static_cast<off_t>(os::kMaxInputFileSize), static_cast<off_t>(os::kMaxInputFileSize) + 1}) {
    {
      FILE* out = std::fopen(host.c_str(), "wb");
      ASSERT_NE(out, nullptr);
      std::fputs("[REC_0]\r\nTotalCount=1\r\n", out);
      std::fclose(out);
    }
    ASSERT_EQ(0, ::truncate(host.c_str(), size));
    std::string value;
    (void)os::GetProfileString(file, "REC_0", "TotalCount", "(empty)", value, 4096);
    const bool refused = size > static_cast<off_t>(os::kMaxInputFileSize);
    EXPECT_EQ(value, refused ? "(empty)" : "1") << size;
    if (refused) {
      EXPECT_EQ(os::LastError(), static_cast<unsigned long>(os::kErrorFileTooLarge));
    }
  }
  // A removal whose record file is too large fails, and keeps the file.
  EngineFixture removal("", true, file);
  EXPECT_TRUE(LoggedRefusal(removal, file));
  EXPECT_EQ(removal.engine->Execute(), -1);
  EXPECT_EQ(0, ::access(host.c_str(), F_OK));
}

}  // namespace
