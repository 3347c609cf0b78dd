// The POSIX profile reader keeps parsed files between calls; a file changed
// in any way must never be answered from the old text.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "os/profile.h"
#include "os/profile_cache_posix.h"
#include "tests/support/test_machine.h"

namespace {

using testing_support::HostPathOf;
using testing_support::NewTestFolder;
using testing_support::WriteFileBytes;

std::string Read(const std::string& path, const std::string& key) {
  std::string value;
  (void)os::GetProfileString(path, "s", key, "(missing)", value);
  return value;
}

// Rewrites the file's bytes in place: same inode, the size of text.
void Overwrite(const std::string& host, const std::string& text) {
  int fd = ::open(host.c_str(), O_WRONLY | O_TRUNC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  ::close(fd);
}

void SetModified(const std::string& host, const timespec& when) {
  timespec times[2] = {when, when};
  ASSERT_EQ(::utimensat(AT_FDCWD, host.c_str(), times, 0), 0);
}

timespec ModifiedOf(const std::string& host) {
  struct stat st {};
  ::stat(host.c_str(), &st);
  return st.st_mtim;
}

class ProfileCache : public testing::Test {
 protected:
  // Texts are trusted at once, so every read after the first could come from
  // the cache: what follows shows when it must not.
  void SetUp() override { os::profile_cache::SetTrustMarginForTesting(0); }
  void TearDown() override { os::profile_cache::SetTrustMarginForTesting(-1); }
};

TEST_F(ProfileCache, ChangesBehindItsBackAreSeen) {
  struct Case {
    const char* name;
    std::function<void(const std::string& host)> change;
    const char* expected;
  } cases[] = {
      {"same size, other bytes, later time",
       [](const std::string& host) {
         timespec before = ModifiedOf(host);
         Overwrite(host, "[s]\nk=2\n");
         SetModified(host, {before.tv_sec + 5, before.tv_nsec});
       },
       "2"},
      {"same size, other bytes, time put back",
       [](const std::string& host) {
         timespec before = ModifiedOf(host);
         Overwrite(host, "[s]\nk=3\n");
         SetModified(host, before);  // only the change time tells
       },
       "3"},
      {"replaced by another file",
       [](const std::string& host) {
         std::string other = host + ".new";
         std::FILE* f = std::fopen(other.c_str(), "wb");
         std::fputs("[s]\nk=4\n", f);
         std::fclose(f);
         ASSERT_EQ(std::rename(other.c_str(), host.c_str()), 0);
       },
       "4"},
      {"grown", [](const std::string& host) { Overwrite(host, "[s]\nk=longer\n"); }, "longer"},
      {"removed", [](const std::string& host) { ::unlink(host.c_str()); }, "(missing)"},
  };
  for (const Case& c : cases) {
    std::string path = NewTestFolder() + "\\app.ini";
    ASSERT_TRUE(WriteFileBytes(path, "[s]\nk=1\n"));
    ASSERT_EQ(Read(path, "k"), "1") << c.name;
    ASSERT_EQ(Read(path, "k"), "1") << c.name;  // now from the cache
    // Past the file system clock's step, so the change time moves on (a
    // change within the same step is what the trust margin is for).
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    c.change(HostPathOf(path));
    EXPECT_EQ(Read(path, "k"), c.expected) << c.name;
  }
}

TEST_F(ProfileCache, OurOwnWritesAreSeenAtOnce) {
  std::string path = NewTestFolder() + "\\app.ini";
  ASSERT_TRUE(WriteFileBytes(path, "[s]\nk=1\n"));
  ASSERT_EQ(Read(path, "k"), "1");
  ASSERT_TRUE(os::WriteProfileString(path, "s", "k", "9"));
  EXPECT_EQ(Read(path, "k"), "9");
  ASSERT_TRUE(os::WriteProfileString(path, "s", "n", "new"));
  EXPECT_EQ(Read(path, "n"), "new");
  ASSERT_TRUE(os::WriteProfileString(path, "s", "k", nullptr));
  EXPECT_EQ(Read(path, "k"), "(missing)");
  ASSERT_EQ(os::GetProfileSection(path, "s"), std::vector<std::string>{"n=new"});
}

// With the real margin a file rewritten right after it was read, as fast as
// the file system's clock may not show, is read again.
TEST(ProfileCacheMargin, RecentlyChangedFileIsReadEveryTime) {
  std::string path = NewTestFolder() + "\\app.ini";
  ASSERT_TRUE(WriteFileBytes(path, "[s]\nk=1\n"));
  std::string host = HostPathOf(path);
  timespec written = ModifiedOf(host);
  ASSERT_EQ(Read(path, "k"), "1");
  Overwrite(host, "[s]\nk=5\n");
  SetModified(host, written);
  EXPECT_EQ(Read(path, "k"), "5");
}

}  // namespace
