#include <gtest/gtest.h>

#include <string>

#include "os/files.h"
#include "platform/file_ops.h"
#include "tests/support/test_machine.h"

namespace {

using platform::CheckFolderPath;
using platform::CreateFolderTree;
using platform::DeleteFiles;
using platform::PathExists;
using testing_support::NewTestFolder;
using testing_support::WriteFileBytes;

bool IsFolder(const std::string& path) {
  unsigned long attributes = os::GetFileAttributes(path);
  return attributes != os::kInvalidFileAttributes && (attributes & os::kAttributeDirectory) != 0;
}

TEST(CreateFolderTree, CreatesEveryMissingLevel) {
  std::string folder = NewTestFolder();
  EXPECT_TRUE(CreateFolderTree(folder + "\\a\\b\\c"));
  EXPECT_TRUE(IsFolder(folder + "\\a\\b\\c"));
  EXPECT_TRUE(CreateFolderTree(folder + "\\a\\b\\c\\"));  // exists already
  EXPECT_TRUE(CreateFolderTree(folder + "\\x\\"));
  EXPECT_TRUE(IsFolder(folder + "\\x"));
}

TEST(CreateFolderTree, FailsBelowAFileAndForOverlongPaths) {
  std::string folder = NewTestFolder();
  ASSERT_TRUE(WriteFileBytes(folder + "\\file", "x"));
  EXPECT_FALSE(CreateFolderTree(folder + "\\file\\sub"));
  std::string deep = folder;
  while (deep.size() <= platform::kMaxJoinedPath) deep += "\\level";
  EXPECT_FALSE(CreateFolderTree(deep));
  EXPECT_FALSE(PathExists(folder + "\\level"));
}

TEST(CheckFolderPath, CheckingOnly) {
  const struct {
    const char* path;
    int expected;
  } cases[] = {
      {"C:\\a\\b", 0},        {"c:\\a", 0},           {"C:\\", 0},
      {"C:\\a\\b\\", 1},      {"C:\\ a", 1},          {"C:\\a \\b", 1},
      {"C:\\a.", 1},          {"C:\\.a", 1},          {"C:\\a\\\\b", 1},
      {"C:\\a|b", 1},         {"C:\\a?", 1},          {"C:\\a\"b", 1},
      {"\\\\host\\share\\a", 1}, {"C:", 1},           {"C:a\\b", 1},
      {"1:\\a", 1},           {"", 1},                {"C:\\a\tb", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, CheckFolderPath(c.path, true)) << c.path;
  EXPECT_EQ(1, CheckFolderPath(nullptr, true));
  std::string longPath = "C:\\" + std::string(platform::kMaxJoinedPath, 'a');
  EXPECT_EQ(1, CheckFolderPath(longPath.c_str(), true));
}

TEST(CheckFolderPath, CreatingFolders) {
  std::string folder = NewTestFolder();
  std::string wanted = folder + "\\one\\two";
  EXPECT_EQ(0, CheckFolderPath(wanted.c_str(), false));
  EXPECT_TRUE(IsFolder(wanted));
  // A file where a folder should be is not a folder.
  ASSERT_TRUE(WriteFileBytes(folder + "\\plain", "x"));
  std::string blocked = folder + "\\plain\\sub";
  EXPECT_EQ(2, CheckFolderPath(blocked.c_str(), false));
  std::string plain = folder + "\\plain";
  EXPECT_EQ(2, CheckFolderPath(plain.c_str(), false));
}

TEST(IsValidFolderName, Rules) {
  for (const char* name : {"a", "Program Files", "a.b", "x y", "\xE4nderung"}) {
    EXPECT_TRUE(platform::IsValidFolderName(name)) << name;
  }
  for (const char* name : {"", " a", "a ", "\ta", "a\t", ".a", "a.", "a\"", "a*", "a/b", "a:b",
                           "a<", "a>", "a?", "a\\b", "a|b"}) {
    EXPECT_FALSE(platform::IsValidFolderName(name)) << name;
  }
}

TEST(DeleteFiles, RemovesReadOnlyHiddenAndSubFolders) {
  std::string folder = NewTestFolder() + "\\backup";
  ASSERT_TRUE(CreateFolderTree(folder + "\\sub\\deeper"));
  ASSERT_TRUE(WriteFileBytes(folder + "\\ro.txt", "x"));
  ASSERT_TRUE(WriteFileBytes(folder + "\\hidden.txt", "x"));
  ASSERT_TRUE(WriteFileBytes(folder + "\\sub\\f.txt", "x"));
  ASSERT_TRUE(WriteFileBytes(folder + "\\sub\\deeper\\g", "x"));
  ASSERT_TRUE(os::SetFileAttributes(folder + "\\ro.txt", os::kAttributeReadOnly));
  ASSERT_TRUE(os::SetFileAttributes(folder + "\\hidden.txt", os::kAttributeHidden | os::kAttributeSystem));
  DeleteFiles(folder, "*.*");
  EXPECT_FALSE(PathExists(folder));
}

TEST(DeleteFiles, LeavesPeriodNamedFoldersAndTheirParent) {
  std::string folder = NewTestFolder() + "\\backup";
  ASSERT_TRUE(CreateFolderTree(folder + "\\.keep"));
  ASSERT_TRUE(WriteFileBytes(folder + "\\.keep\\k", "x"));
  ASSERT_TRUE(WriteFileBytes(folder + "\\f.txt", "x"));
  DeleteFiles(folder, "*.*");
  EXPECT_FALSE(PathExists(folder + "\\f.txt"));
  EXPECT_TRUE(PathExists(folder + "\\.keep\\k"));
  DeleteFiles(folder + "\\missing", "*.*");  // nothing there: nothing happens
  EXPECT_TRUE(PathExists(folder));
}

}  // namespace
