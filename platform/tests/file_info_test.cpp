#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "os/files.h"
#include "os/tests/os_test_support.h"
#include "platform/file_ops.h"
#include "tests/support/test_machine.h"

namespace {

using testing_support::NewTestFolder;
using testing_support::WriteFileBytes;

TEST(ListFiles, AppendsMatchingFilesOnly) {
  std::string folder = NewTestFolder();
  for (const char* name : {"a.dll", "b.DLL", "c.exe", "hidden.dll"}) {
    ASSERT_TRUE(WriteFileBytes(folder + "\\" + name, "x"));
  }
  ASSERT_TRUE(os::SetFileAttributes(folder + "\\hidden.dll", os::kAttributeHidden));
  ASSERT_TRUE(os::CreateDirectory(folder + "\\sub.dll"));
  ASSERT_TRUE(WriteFileBytes(folder + "\\sub.dll\\inner.dll", "x"));
  std::vector<std::string> list = {"earlier"};
  EXPECT_EQ(3, platform::ListFiles(list, folder + "\\", "*.dll"));
  ASSERT_EQ(4u, list.size());
  EXPECT_EQ("earlier", list[0]);
  std::vector<std::string> found(list.begin() + 1, list.end());
  std::sort(found.begin(), found.end());
  EXPECT_EQ((std::vector<std::string>{folder + "\\a.dll", folder + "\\b.DLL", folder + "\\hidden.dll"}), found);
  EXPECT_EQ(0, platform::ListFiles(list, folder + "\\missing", "*.*"));
  EXPECT_EQ(0, platform::ListFiles(list, folder, "*.txt"));
  EXPECT_EQ(4u, list.size());
}

TEST(FileInfo, ExistenceAndSize) {
  std::string folder = NewTestFolder();
  ASSERT_TRUE(WriteFileBytes(folder + "\\f.bin", std::string(12345, 'x')));
  EXPECT_TRUE(platform::PathExists(folder));
  EXPECT_TRUE(platform::PathExists(folder + "\\f.bin"));
  EXPECT_FALSE(platform::PathExists(folder + "\\g.bin"));
  std::uint32_t size = 0;
  ASSERT_TRUE(platform::FileSizeOf(folder + "\\f.bin", size));
  EXPECT_EQ(12345u, size);
  ASSERT_TRUE(platform::FileSizeOf(folder + "\\*.bin", size));
  EXPECT_EQ(12345u, size);
  EXPECT_FALSE(platform::FileSizeOf(folder + "\\g.bin", size));
}

TEST(FileInfo, VersionNumbers) {
  int major = 0, minor = 0;
  std::uint32_t low = 0;
  ASSERT_TRUE(platform::GetFileVersionNumbers(os_test::FixturePath("version_sample.dll"), major, minor, low));
  EXPECT_EQ(5, major);
  EXPECT_EQ(2, minor);
  EXPECT_EQ(248382674u, low);  // 3790 * 65536 + 1234
  EXPECT_FALSE(platform::GetFileVersionNumbers(os_test::FixturePath("no_version_sample.dll"), major, minor, low));
  EXPECT_FALSE(platform::GetFileVersionNumbers(os_test::FixturePath("README"), major, minor, low));
}

}  // namespace
