// The sandbox's profile writer changes only the line it touches, as real
// Windows does; Wine rewrites the whole file, so these byte-exact checks run
// on POSIX only. The cases where Wine reads differently from real Windows
// (empty section name, byte order mark, NUL bytes) are here for the same
// reason.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "os/change_gate.h"
#include "os/errors.h"
#include "os/profile.h"
#include "os/tests/profile_probe/profile_cases.h"
#include "tests/support/test_machine.h"

namespace {

using testing_support::NewTestFolder;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

struct WriteCase {
  const char* name;
  const char* before;
  const char* section;
  const char* key;
  const char* value;
  const char* after;
};

const WriteCase kWriteCases[] = {
    {"change keeps comments, spacing and LF ends",
     "; top\n\n[s]\n  k1 = old  \n\n; next\n[t]\nz=1\n", "s", "K1", "new",
     "; top\n\n[s]\nk1=new\n\n; next\n[t]\nz=1\n"},
    {"new key goes after the last key, before trailing comments",
     "[s]\r\na=1\r\n\r\n; about t\r\n[t]\r\nz=1\r\n", "s", "b", "2",
     "[s]\r\na=1\r\nb=2\r\n\r\n; about t\r\n[t]\r\nz=1\r\n"},
    {"new key in an empty section goes after the header",
     "[s]\n\n[t]\n", "s", "k", "v", "[s]\nk=v\n\n[t]\n"},
    {"new section at the end of a file without a final line end",
     "[s]\na=1", "t", "k", "v", "[s]\na=1\n[t]\nk=v\n"},
    {"new key after a last line without a line end",
     "[s]\r\na=1", "s", "b", "2", "[s]\r\na=1\r\nb=2\r\n"},
    {"CR-only file keeps CR", "[s]\ra=1\r", "s", "a", "2", "[s]\ra=2\r"},
    {"delete key removes just its line", "[s]\r\n; c\r\na=1\r\nb=2\r\n", "s", "a", nullptr,
     "[s]\r\n; c\r\nb=2\r\n"},
    {"delete key of a later duplicate section", "[s]\na=1\n[S]\nb=2\n", "s", "b", nullptr,
     "[s]\na=1\n[S]\n"},
    {"delete section up to the next header", "x=0\n[s]\na=1\n; c\n[t]\nb=2\n", "S", nullptr,
     nullptr, "x=0\n[t]\nb=2\n"},
    {"delete missing key leaves the file", "[s]\na=1\n", "s", "zz", nullptr, "[s]\na=1\n"},
};

TEST(ProfilePosixWrite, ChangesOnlyTheTouchedLine) {
  for (const WriteCase& c : kWriteCases) {
    std::string path = NewTestFolder() + "\\w.ini";
    ASSERT_TRUE(WriteFileBytes(path, c.before)) << c.name;
    ASSERT_TRUE(os::WriteProfileString(path, c.section, c.key, c.value)) << c.name;
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes)) << c.name;
    EXPECT_EQ(bytes, c.after) << c.name;
  }
}

TEST(ProfilePosixWrite, KeepsNulBytesAndLongLines) {
  std::string path = NewTestFolder() + "\\nulbytes.ini";
  std::string head("Data \0 before \0 first \0 section", 31);
  std::string longLine = "; " + std::string(10000, 'z') + "\r\n";
  ASSERT_TRUE(WriteFileBytes(path, head + "\r\n" + longLine + "[s]\r\nk=old\r\n"));
  ASSERT_TRUE(os::WriteProfileString(path, "s", "k", "new"));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(path, bytes));
  EXPECT_EQ(bytes, head + "\r\n" + longLine + "[s]\r\nk=new\r\n");
}

// A UTF-16 file is read through code page 1252 and edited in UTF-16: only the
// touched line changes, characters the code page lacks keep their bytes.
TEST(ProfilePosixWrite, Utf16FileStaysUtf16) {
  using profile_probe::Utf16File;
  std::string path = NewTestFolder() + "\\wide.ini";
  const std::u16string head = u"; \u65e5\u672c\r\n[s]\r\nK=v\u65e5\r\neuro=\u20ac\r\n";
  ASSERT_TRUE(WriteFileBytes(path, Utf16File(head + u"\r\n[t]\r\nz=1\r\n")));
  std::string value;
  EXPECT_EQ(os::GetProfileString(path, "s", "euro", "", value, 64), 1u);
  EXPECT_EQ(value, "\x80");
  EXPECT_EQ(os::GetProfileString(path, "S", "k", "", value, 64), 2u);
  EXPECT_EQ(value, "v?");
  ASSERT_TRUE(os::WriteProfileString(path, "s", "K2", "x\xe9\x99"));
  ASSERT_TRUE(os::WriteProfileString(path, "u", "k", "v"));
  ASSERT_TRUE(os::WriteProfileString(path, "t", "z", "?"));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(path, bytes));
  EXPECT_EQ(bytes, Utf16File(head + u"K2=x\u00e9\u2122\r\n\r\n[t]\r\nz=?\r\n[u]\r\nk=v\r\n"));
}

TEST(ProfilePosixWrite, DeletingFromAMissingFileLeavesAnEmptyFile) {
  std::string path = NewTestFolder() + "\\gone.ini";
  ASSERT_TRUE(os::WriteProfileString(path, "s", "k", nullptr));
  std::string bytes = "x";
  ASSERT_TRUE(ReadFileBytes(path, bytes));
  EXPECT_EQ(bytes, "");
}

TEST(ProfilePosixWrite, RefusedChangeLeavesTheFile) {
  std::string path = NewTestFolder() + "\\gate.ini";
  ASSERT_TRUE(WriteFileBytes(path, "[s]\nk=1\n"));
  ::setenv("BREVANE_FAIL_AT", "1", 1);
  os::ResetChangeGateForTesting();
  bool written = os::WriteProfileString(path, "s", "k", "2");
  unsigned long error = os::LastError();
  ::unsetenv("BREVANE_FAIL_AT");
  os::ResetChangeGateForTesting();
  EXPECT_FALSE(written);
  EXPECT_EQ(error, static_cast<unsigned long>(os::kErrorAccessDenied));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(path, bytes));
  EXPECT_EQ(bytes, "[s]\nk=1\n");
}

TEST(ProfilePosixWrite, ReadOnlyFileIsRefused) {
  std::string path = NewTestFolder() + "\\ro.ini";
  ASSERT_TRUE(WriteFileBytes(path, "[s]\nk=1\n"));
  ASSERT_EQ(::chmod(testing_support::HostPathOf(path).c_str(), 0444), 0);
  if (::access(testing_support::HostPathOf(path).c_str(), W_OK) == 0) GTEST_SKIP() << "running as root";
  EXPECT_FALSE(os::WriteProfileString(path, "s", "k", "2"));
  EXPECT_EQ(os::LastError(), static_cast<unsigned long>(os::kErrorAccessDenied));
}

TEST(ProfilePosixWrite, WritesThroughASymbolicLink) {
  std::string folder = NewTestFolder();
  ASSERT_TRUE(WriteFileBytes(folder + "\\target.ini", "[s]\nk=1\n"));
  std::string link = testing_support::HostPathOf(folder) + "/link.ini";
  ASSERT_EQ(::symlink("target.ini", link.c_str()), 0);
  ASSERT_TRUE(os::WriteProfileString(folder + "\\link.ini", "s", "k", "2"));
  struct stat st;
  ASSERT_EQ(::lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(folder + "\\target.ini", bytes));
  EXPECT_EQ(bytes, "[s]\nk=2\n");
}

TEST(ProfilePosixWrite, DriveRelativeNameIsNotLookedUpInTheWindowsFolder) {
  std::string name = "brv_drive_" + std::to_string(::getpid()) + ".ini";
  ASSERT_TRUE(os::WriteProfileString("C:" + name, "s", "k", "v"));
  EXPECT_TRUE(testing_support::FileExists("C:\\" + name));
  EXPECT_FALSE(testing_support::FileExists("C:\\WINDOWS\\" + name));
}

TEST(ProfilePosixWrite, ConcurrentWritersLoseNoChange) {
  std::string path = NewTestFolder() + "\\shared.ini";
  auto writer = [&path](const char* section) {
    for (int i = 0; i < 40; ++i) {
      EXPECT_TRUE(os::WriteProfileString(path, section, ("k" + std::to_string(i)).c_str(), "v"));
    }
  };
  std::thread first(writer, "one");
  std::thread second(writer, "two");
  first.join();
  second.join();
  EXPECT_EQ(os::GetProfileSection(path, "one").size(), 40u);
  EXPECT_EQ(os::GetProfileSection(path, "two").size(), 40u);
}

struct ReadCase {
  const char* name;
  std::string content;
  const char* section;
  const char* key;
  const char* expected;
};

// Real Windows behaviour where Wine differs.
TEST(ProfilePosixRead, FollowsRealWindowsWhereWineDiffers) {
  const ReadCase cases[] = {
      {"keys before the first header cannot be addressed", "k=before\r\n[s]\r\n", "", "k", "(default)"},
      {"the empty name addresses a [] section", "k=before\r\n[]\r\nk=inside\r\n", "", "k", "inside"},
      {"a byte order mark is part of the first line", "\xEF\xBB\xBF[s]\r\nk=bom\r\n", "s", "k", "(default)"},
      {"later sections after a byte order mark read", "\xEF\xBB\xBF[s]\r\n[t]\r\nk=t\r\n", "t", "k", "t"},
      {"a NUL ends the value as a C string would", std::string("[s]\r\nk=ab\0cd\r\n", 14), "s", "k", "ab"},
      {"a key may be empty", "[s]\r\n=nokey\r\n", "s", "", "nokey"},
  };
  for (const ReadCase& c : cases) {
    std::string path = NewTestFolder() + "\\r.ini";
    ASSERT_TRUE(WriteFileBytes(path, c.content)) << c.name;
    std::string value;
    os::GetProfileString(path, c.section, c.key, "(default)", value);
    EXPECT_EQ(value, c.expected) << c.name;
  }
}

}  // namespace
