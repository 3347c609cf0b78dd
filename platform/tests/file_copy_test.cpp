#include <gtest/gtest.h>

#include <string>

#include "os/files.h"
#include "os/tests/os_test_support.h"
#include "platform/file_ops.h"
#include "platform/file_replace.h"
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

// The changes of a copy: 1 creates the replacement file, 2 sets its times,
// 3 its attributes, 4 moves it over the target. Whichever fails, the target
// is what it was, byte for byte, with its times and attributes, and no
// replacement file is left; a stale one from an earlier run is cleared first.
TEST(CopyFileWithTimes, FailingAtAnyChangeLeavesTheOldTargetWhole) {
  struct Case {
    const char* failing;
    int result;
    bool oldTarget;
  };
  const Case cases[] = {
      {"1", platform::kCopyTargetNotOpened, true}, {"2", platform::kCopyFailed, true},
      {"3", platform::kCopyFailed, true},          {"4", platform::kCopyTargetNotOpened, true},
      {"1", platform::kCopyTargetNotOpened, false}, {"4", platform::kCopyTargetNotOpened, false},
  };
  os::FileTimes oldTimes;
  oldTimes.creation = 126500000000000000ull;
  oldTimes.lastAccess = 126500000200000000ull;
  oldTimes.lastWrite = 126500000100000000ull;
  for (const Case& c : cases) {
    std::string folder = NewTestFolder();
    std::string source = folder + "\\new.dll";
    std::string target = folder + "\\old.dll";
    ASSERT_TRUE(WriteFileBytes(source, Pattern(100000)));
    ASSERT_TRUE(os::SetFileAttributes(source, os::kAttributeReadOnly));
    if (c.oldTarget) {
      ASSERT_TRUE(WriteFileBytes(target, "old content"));
      os::UniqueFile file = os::CreateFile(target, os::kGenericWrite, 0, os::kOpenExisting);
      ASSERT_TRUE(os::SetFileTime(file.get(), oldTimes));
    }
    os_test::FailChangeAt(c.failing);
    int result = CopyFileWithTimes(source, target);
    os_test::FailChangeAt("");
    EXPECT_EQ(c.result, result) << "change " << c.failing;
    EXPECT_FALSE(testing_support::FileExists(platform::ReplacementNameOf(target))) << c.failing;
    if (!c.oldTarget) {
      EXPECT_FALSE(testing_support::FileExists(target)) << c.failing;
      continue;
    }
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(target, bytes));
    EXPECT_EQ("old content", bytes) << c.failing;
    EXPECT_EQ(oldTimes.lastWrite, TimesOf(target).lastWrite) << c.failing;
    EXPECT_EQ(0u, os::GetFileAttributes(target) & os::kAttributeReadOnly) << c.failing;
  }
  // A replacement left by a killed run, read-only even, is no obstacle.
  std::string folder = NewTestFolder();
  std::string target = folder + "\\t.dll";
  ASSERT_TRUE(WriteFileBytes(folder + "\\s.dll", "fresh"));
  ASSERT_TRUE(WriteFileBytes(platform::ReplacementNameOf(target), "half a fi"));
  ASSERT_TRUE(os::SetFileAttributes(platform::ReplacementNameOf(target), os::kAttributeReadOnly));
  ASSERT_EQ(platform::kCopyOk, CopyFileWithTimes(folder + "\\s.dll", target));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(target, bytes));
  EXPECT_EQ("fresh", bytes);
  EXPECT_FALSE(testing_support::FileExists(platform::ReplacementNameOf(target)));
  EXPECT_EQ(folder + "\\t.dll.~brv", platform::ReplacementNameOf(target));
}

// A target another handle holds open fails the copy, as a busy file does,
// and keeps its content, whatever its sharing: Windows lets no file take the
// name of one still open.
TEST(CopyFileWithTimes, BusyTargetFailsAndStaysAsItWas) {
  std::string folder = NewTestFolder();
  std::string source = folder + "\\s.dll";
  std::string target = folder + "\\t.dll";
  ASSERT_TRUE(WriteFileBytes(source, "new"));
  ASSERT_TRUE(WriteFileBytes(target, "old"));
  const unsigned long all = os::kShareRead | os::kShareWrite | os::kShareDelete;
  for (unsigned long share : {0ul, os::kShareRead | os::kShareWrite, all}) {
    os::UniqueFile busy = os::CreateFile(target, os::kGenericRead, share, os::kOpenExisting);
    ASSERT_TRUE(busy.valid());
    EXPECT_EQ(platform::kCopyTargetNotOpened, CopyFileWithTimes(source, target)) << share;
    busy.reset();
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(target, bytes));
    EXPECT_EQ("old", bytes) << share;
    EXPECT_FALSE(testing_support::FileExists(platform::ReplacementNameOf(target))) << share;
  }
}

}  // namespace
