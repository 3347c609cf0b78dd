// Files with chosen content, times and attributes for the file handlers'
// tests, by Windows path on both platforms.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "os/files.h"
#include "platform/file_ops.h"
#include "tests/support/test_machine.h"

namespace section_tests {

// Writes a file, making its folder first.
inline void Put(const std::string& path, const std::string& bytes) {
  ASSERT_TRUE(platform::CreateFolderTree(platform::DirectoryOf(path))) << path;
  ASSERT_TRUE(testing_support::WriteFileBytes(path, bytes)) << path;
}

inline std::string Get(const std::string& path) {
  std::string bytes;
  return testing_support::ReadFileBytes(path, bytes) ? bytes : "<missing>";
}

inline os::FileTimes TimesOf(const std::string& path) {
  os::FileTimes times;
  os::UniqueFile file = os::CreateFile(path, os::kGenericRead, os::kShareRead, os::kOpenExisting);
  EXPECT_TRUE(os::GetFileTime(file.get(), times)) << path;
  return times;
}

// Old times, distinct per seed, so a copy that loses them shows.
inline os::FileTimes OldTimes(int seed) {
  os::FileTimes times;
  times.creation = 126000000000000000ull + seed * 1000000000ull;
  times.lastAccess = times.creation + 20000000ull;
  times.lastWrite = times.creation + 10000000ull;
  return times;
}

inline void SetTimes(const std::string& path, const os::FileTimes& times) {
  os::UniqueFile file = os::CreateFile(path, os::kGenericWrite, 0, os::kOpenExisting);
  ASSERT_TRUE(os::SetFileTime(file.get(), times)) << path;
}

inline unsigned long AttributeBits(const std::string& path) {
  return os::GetFileAttributes(path) & (os::kAttributeReadOnly | os::kAttributeHidden);
}

}  // namespace section_tests
