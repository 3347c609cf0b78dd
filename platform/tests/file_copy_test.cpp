#include <gtest/gtest.h>

#include <string>

#include "os/files.h"
#include "os/tests/os_test_support.h"
#include "platform/file_ops.h"
#include "tests/support/test_machine.h"

namespace {

using platform::CopyFileWithTimes;
using testing_support::NewTestFolder;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

TEST(CopyFileWithTimes, ContentSurvivesEveryChunkBoundary) {
  std::string folder = NewTestFolder();
  for (size_t size : {0u, 1u, 16382u, 16383u, 16384u, 32766u, 32767u, 49149u, 100000u}) {
    std::string source = folder + "\\src" + std::to_string(size) + ".bin";
    std::string target = folder + "\\dst" + std::to_string(size) + ".bin";
    ASSERT_TRUE(WriteFileBytes(source, Pattern(size)));
    ASSERT_EQ(platform::kCopyOk, CopyFileWithTimes(source, target)) << size;
    std::string copied;
    ASSERT_TRUE(ReadFileBytes(target, copied));
    EXPECT_TRUE(copied == Pattern(size)) << size;
  }
}

os::FileTimes TimesOf(const std::string& path) {
  os::FileTimes times;
  os::UniqueFile file = os::CreateFile(path, os::kGenericRead, os::kShareRead, os::kOpenExisting);
  EXPECT_TRUE(os::GetFileTime(file.get(), times)) << path;
  return times;
}

TEST(CopyFileWithTimes, CarriesTimesAndAttributesOverAnOldTarget) {
  std::string folder = NewTestFolder();
  std::string source = folder + "\\new.dll";
  std::string target = folder + "\\old.dll";
  ASSERT_TRUE(WriteFileBytes(source, "new content"));
  ASSERT_TRUE(WriteFileBytes(target, "old content that is longer"));
  os::FileTimes times;
  times.creation = 127000000000000000ull;
  times.lastAccess = 127100000000000000ull;
  times.lastWrite = 127200000000000000ull;
  {
    os::UniqueFile file = os::CreateFile(source, os::kGenericWrite, 0, os::kOpenExisting);
    ASSERT_TRUE(os::SetFileTime(file.get(), times));
  }
  ASSERT_TRUE(os::SetFileAttributes(source, os::kAttributeReadOnly));
  ASSERT_EQ(platform::kCopyOk, CopyFileWithTimes(source, target));
  os::FileTimes got = TimesOf(target);  // before reading it moves the access time
  // Wine keeps no creation time and, run as root, lets a read-only file be
  // replaced; real Windows does neither.
  const bool wine = os_test::OnWine();
  if (!wine) {
    EXPECT_EQ(times.creation, got.creation);
  }
  EXPECT_EQ(times.lastWrite, got.lastWrite);
  EXPECT_EQ(times.lastAccess, got.lastAccess);
  std::string copied;
  ASSERT_TRUE(ReadFileBytes(target, copied));
  EXPECT_EQ("new content", copied);
  EXPECT_NE(0u, os::GetFileAttributes(target) & os::kAttributeReadOnly);
  // Now read-only itself, the copy cannot be replaced.
  if (wine) return;
  ASSERT_TRUE(WriteFileBytes(folder + "\\newer.dll", "newer"));
  EXPECT_EQ(platform::kCopyTargetNotOpened, CopyFileWithTimes(folder + "\\newer.dll", target));
  ASSERT_TRUE(ReadFileBytes(target, copied));
  EXPECT_EQ("new content", copied);
}

TEST(CopyFileWithTimes, FailureResults) {
  std::string folder = NewTestFolder();
  std::string source = folder + "\\s.txt";
  ASSERT_TRUE(WriteFileBytes(source, "data"));
  EXPECT_EQ(platform::kCopySourceNotOpened, CopyFileWithTimes(folder + "\\none.txt", folder + "\\t.txt"));
  EXPECT_EQ(platform::kCopySourceNotOpened, CopyFileWithTimes(folder, folder + "\\t.txt"));
  EXPECT_EQ(platform::kCopyTargetNotOpened, CopyFileWithTimes(source, folder + "\\missing\\t.txt"));
  EXPECT_EQ(platform::kCopyTargetNotOpened, CopyFileWithTimes(source, folder));
  // Onto itself: the open source keeps the target from being truncated.
  EXPECT_EQ(platform::kCopyTargetNotOpened, CopyFileWithTimes(source, source));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(source, bytes));
  EXPECT_EQ("data", bytes);
}

TEST(CopyFileWithTimes, OverlongPathsAreRefusedBeforeAnythingHappens) {
  std::string folder = NewTestFolder();
  std::string source = folder + "\\s.txt";
  ASSERT_TRUE(WriteFileBytes(source, "data"));
  std::string longName = folder + "\\" + std::string(platform::kMaxJoinedPath, 'n');
  EXPECT_EQ(platform::kCopySourceNotOpened, CopyFileWithTimes(longName, folder + "\\t.txt"));
  EXPECT_EQ(platform::kCopyTargetNotOpened, CopyFileWithTimes(source, longName));
  EXPECT_FALSE(testing_support::FileExists(folder + "\\t.txt"));
}

// When the target cannot be created, an old target must not pass for the copy.
TEST(CopyFileWithTimes, RefusedTargetLeavesOldContentAndFails) {
  std::string folder = NewTestFolder();
  std::string source = folder + "\\s.txt";
  std::string target = folder + "\\t.txt";
  ASSERT_TRUE(WriteFileBytes(source, "new"));
  ASSERT_TRUE(WriteFileBytes(target, "old"));
  os_test::FailChangeAt("1");  // the target's creation is the first change
  int result = CopyFileWithTimes(source, target);
  os_test::FailChangeAt("");
  EXPECT_EQ(platform::kCopyTargetNotOpened, result);
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(target, bytes));
  EXPECT_EQ("old", bytes);
}

}  // namespace

namespace {

// Change 3 reopens the copy to set its times, change 4 sets its attributes:
// a copy that lost either is no copy of its source.
TEST(CopyFileWithTimes, TimesOrAttributesNotSetFailTheCopy) {
  for (const char* failing : {"3", "4"}) {
    std::string folder = NewTestFolder();
    std::string source = folder + "\\s.txt";
    ASSERT_TRUE(WriteFileBytes(source, "data"));
    os_test::FailChangeAt(failing);
    int result = CopyFileWithTimes(source, folder + "\\t.txt");
    os_test::FailChangeAt("");
    EXPECT_EQ(platform::kCopyFailed, result) << "change " << failing;
  }
}

}  // namespace
