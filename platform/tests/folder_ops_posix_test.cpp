#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "os/files.h"
#include "platform/file_ops.h"
#include "tests/support/test_machine.h"

namespace {

using testing_support::HostPathOf;

bool HostExists(const std::string& host) {
  struct stat st;
  return ::stat(host.c_str(), &st) == 0;
}

// The sandbox's \\srv\share exists as a folder; servers and shares are never
// made by a folder operation.
TEST(CreateFolderTreePosix, UncPathsCreateBelowTheShareOnly) {
  std::string share = HostPathOf("\\\\srv\\share");
  ASSERT_EQ(0, std::system(("mkdir -p '" + share + "'").c_str()));
  EXPECT_TRUE(platform::CreateFolderTree("\\\\srv\\share\\a\\b"));
  EXPECT_TRUE(HostExists(share + "/a/b"));
  EXPECT_FALSE(platform::CreateFolderTree("\\\\nosrv\\share\\a"));
  EXPECT_FALSE(HostExists(HostPathOf("\\\\nosrv")));
  EXPECT_FALSE(platform::CreateFolderTree("\\\\srv\\noshare\\a"));
  EXPECT_FALSE(HostExists(HostPathOf("\\\\srv\\noshare")));
}

TEST(CreateFolderTreePosix, NewFoldersTakeTheirParentsAttributes) {
  std::string folder = testing_support::NewTestFolder();
  ASSERT_TRUE(os::SetFileAttributes(folder, os::kAttributeHidden));
  ASSERT_TRUE(platform::CreateFolderTree(folder + "\\a\\b"));
  EXPECT_EQ(os::kAttributeDirectory | os::kAttributeHidden, os::GetFileAttributes(folder + "\\a\\b"));
}

TEST(DeleteFilesPosix, LinkedFolderContentIsNeverDeleted) {
  std::string folder = testing_support::NewTestFolder();
  std::string elsewhere = testing_support::NewTestFolder();
  ASSERT_TRUE(testing_support::WriteFileBytes(elsewhere + "\\precious.txt", "x"));
  ASSERT_EQ(0, ::symlink(HostPathOf(elsewhere).c_str(), (HostPathOf(folder) + "/link").c_str()));
  platform::DeleteFiles(folder, "*.*");
  EXPECT_FALSE(platform::PathExists(folder));
  EXPECT_TRUE(platform::PathExists(elsewhere + "\\precious.txt"));
}

TEST(FileSizeOfPosix, KeepsTheLowThirtyTwoBits) {
  std::string file = testing_support::NewTestFolder() + "\\big.bin";
  ASSERT_TRUE(testing_support::WriteFileBytes(file, ""));
  ASSERT_EQ(0, ::truncate(HostPathOf(file).c_str(), 5000000000LL));  // sparse
  std::uint32_t size = 0;
  ASSERT_TRUE(platform::FileSizeOf(file, size));
  EXPECT_EQ(705032704u, size);
}

}  // namespace
