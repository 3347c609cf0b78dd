#include "descriptors/file_info_value.h"

#include <gtest/gtest.h>

#include "engine/tests/engine_fixture.h"
#include "os/files.h"
#include "os/tests/os_test_support.h"

namespace {

using testing_support::EngineFixture;

TEST(FileInfoTest, PropertiesOfARealVersionResource) {
  EngineFixture f("");
  const std::string dll = os_test::FixturePath("version_sample.dll");
  std::string bytes;
  ASSERT_TRUE(testing_support::ReadFileBytes(dll, bytes));
  // A copy whose "SpecialBuild" entry is renamed: whole version information
  // without that entry.
  const std::string special("S\0p\0e\0c\0i\0a\0l\0B\0u\0i\0l\0d\0", 24);
  const std::string noSpecial = f.folder + "\\nospecial.dll";
  std::string patched = bytes;
  ASSERT_NE(std::string::npos, patched.find(special));
  patched[patched.find(special) + 22] = 'X';
  ASSERT_TRUE(testing_support::WriteFileBytes(noSpecial, patched));
  const std::pair<std::string, std::string> cases[] = {
      {dll + ",FileVersion", "5.2"},
      {dll + ",BuildVersion", std::to_string(3790 * 65536 + 1234)},
      {dll + ",ProductVersion", "5, 2, 3790, 1234"},
      {dll + ",SpecialBuild", "QFE 1234"},
      {dll + ",FileSize", std::to_string(bytes.size())},
      {noSpecial + ",SpecialBuild", ""},
      {dll + ",filesize", ""},
      {os_test::FixturePath("no_version_sample.dll") + ",FileVersion", ""},
  };
  for (const auto& c : cases) {
    f.reporter.log.clear();
    EXPECT_EQ(c.second, QueryFileInfo(*f.engine, "[FileInfo:" + c.first + "]")) << c.first;
    const std::string failed = "Query file info 'FileInfo:" + c.first + "' Failed! (lasterror=";
    EXPECT_EQ(c.second.empty(), f.reporter.log.size() == 1 && f.reporter.log[0].find(failed) == 0) << c.first;
  }
  f.reporter.log.clear();
  EXPECT_EQ("", QueryFileInfo(*f.engine, "[FileInfo:" + dll + "]"));
  EXPECT_EQ("Syntax error , Incorrect FileInfo description!", f.reporter.log.back());
}

TEST(FileInfoTest, FileSizeIsTheLow32Bits) {
  EngineFixture f("");
  const std::string path = f.folder + "\\big.bin";
  {
    // Sparse where the file system allows: one byte at the very end.
    os::UniqueFile file = os::CreateFile(path, os::kGenericWrite, os::kShareNone, os::kCreateAlways);
    ASSERT_TRUE(file.valid());
    ASSERT_TRUE(os::SetFilePointer(file.get(), 5000000000ull - 1));
    unsigned long written = 0;
    ASSERT_TRUE(os::WriteFile(file.get(), "x", 1, written));
  }
  EXPECT_EQ("705032704", QueryFileInfo(*f.engine, "[FileInfo:" + f.folder + "\\b*.bin,FileSize]"));
  (void)os::DeleteFile(path);
}

}  // namespace
