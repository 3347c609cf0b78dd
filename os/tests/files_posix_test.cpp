#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "os/file_state_posix.h"
#include "os/files.h"
#include "tests/support/test_machine.h"

namespace {

using testing_support::HostPathOf;
using testing_support::NewTestFolder;
using testing_support::WriteFileBytes;

class SideTable : public testing::Test {
 protected:
  void SetUp() override { os::file_state::UseSideTableForTesting(true); }
  void TearDown() override { os::file_state::UseSideTableForTesting(false); }
};

// Where the file system keeps no extended attributes, hidden, system and the
// creation time still stick to the file, and leave with it.
TEST_F(SideTable, KeepsAttributesAndCreationTime) {
  std::string folder = NewTestFolder();
  std::string file = folder + "\\s.txt";
  ASSERT_TRUE(WriteFileBytes(file, "x"));
  ASSERT_TRUE(os::SetFileAttributes(file, os::kAttributeHidden | os::kAttributeSystem));
  EXPECT_EQ(os::kAttributeHidden | os::kAttributeSystem, os::GetFileAttributes(file));
  os::FileTimes times;
  times.creation = 125911584000000000ull;
  times.lastWrite = 125911584000000000ull;
  {
    os::UniqueFile handle = os::CreateFile(file, os::kGenericWrite, 0, os::kOpenExisting);
    ASSERT_TRUE(os::SetFileTime(handle.get(), times));
  }
  os::FindData found;
  ASSERT_TRUE(os::FindFirstFile(file, found).valid());
  EXPECT_EQ(times.creation, found.times.creation);
  EXPECT_EQ(os::kAttributeHidden | os::kAttributeSystem, found.attributes);
  ASSERT_TRUE(os::SetFileAttributes(file, os::kAttributeNormal));
  EXPECT_TRUE(os::DeleteFile(file));
}

TEST(PosixFiles, CreationTimeSurvivesReplacement) {
  std::string file = NewTestFolder() + "\\c.txt";
  os::FileTimes times;
  times.creation = 125911584000000000ull;
  {
    os::UniqueFile handle = os::CreateFile(file, os::kGenericWrite, 0, os::kCreateNew);
    ASSERT_TRUE(os::SetFileTime(handle.get(), times));
  }
  os::UniqueFile replaced = os::CreateFile(file, os::kGenericRead | os::kGenericWrite, 0, os::kCreateAlways);
  os::FileTimes got;
  ASSERT_TRUE(os::GetFileTime(replaced.get(), got));
  EXPECT_EQ(times.creation, got.creation);
}

// Real Windows gives the new folder the template's attributes (Wine does not
// look at the template).
TEST(PosixFiles, NewFolderTakesTemplateAttributes) {
  std::string folder = NewTestFolder();
  std::string model = folder + "\\model";
  ASSERT_TRUE(os::CreateDirectory(model));
  ASSERT_TRUE(os::SetFileAttributes(model, os::kAttributeHidden | os::kAttributeReadOnly));
  ASSERT_TRUE(os::CreateDirectoryEx(model, folder + "\\copy"));
  EXPECT_EQ(os::kAttributeDirectory | os::kAttributeHidden | os::kAttributeReadOnly,
            os::GetFileAttributes(folder + "\\copy"));
  // A read-only folder still takes new files, as on Windows.
  EXPECT_TRUE(WriteFileBytes(folder + "\\copy\\inside.txt", "x"));
  EXPECT_FALSE(os::CreateDirectoryEx(folder + "\\missing", folder + "\\other"));
}

TEST(PosixFiles, LinkedFolderIsRemovedAsALink) {
  std::string folder = NewTestFolder();
  std::string target = NewTestFolder();
  ASSERT_TRUE(WriteFileBytes(target + "\\keep.txt", "x"));
  ASSERT_EQ(0, ::symlink(HostPathOf(target).c_str(), (HostPathOf(folder) + "/link").c_str()));
  unsigned long attributes = os::GetFileAttributes(folder + "\\link");
  EXPECT_EQ(os::kAttributeDirectory | os::kAttributeReparsePoint, attributes & (os::kAttributeDirectory | os::kAttributeReparsePoint));
  ASSERT_TRUE(os::RemoveDirectory(folder + "\\link"));
  EXPECT_TRUE(testing_support::FileExists(target + "\\keep.txt"));
}

TEST(PosixFiles, ShareRootIsNeverCreated) {
  EXPECT_FALSE(os::CreateDirectory("\\\\nohost\\share"));
  struct stat st;
  EXPECT_NE(0, ::stat(HostPathOf("\\\\nohost").c_str(), &st));
}

}  // namespace
