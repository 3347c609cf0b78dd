#include "os/files.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "os/errors.h"
#include "os/tests/os_test_support.h"
#include "tests/support/test_machine.h"

namespace {

using testing_support::NewTestFolder;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

constexpr unsigned long kSentinel = 0xDEADBEEF;

std::string Write(const std::string& folder, const std::string& name, const std::string& bytes = "x") {
  std::string path = folder + "\\" + name;
  EXPECT_TRUE(WriteFileBytes(path, bytes)) << path;
  return path;
}

unsigned long ErrorOfOpen(const std::string& path, unsigned long access, unsigned long share,
                          unsigned long disposition) {
  os::SetLastError(kSentinel);
  os::UniqueFile file = os::CreateFile(path, access, share, disposition);
  return os::LastError();
}

TEST(FileAttributes, ReadOnlyHiddenSystemRoundTrip) {
  std::string folder = NewTestFolder();
  std::string file = Write(folder, "a.txt");
  EXPECT_EQ(0u, os::GetFileAttributes(file) & (os::kAttributeReadOnly | os::kAttributeDirectory));
  ASSERT_TRUE(os::SetFileAttributes(file, os::kAttributeReadOnly | os::kAttributeHidden | os::kAttributeSystem));
  EXPECT_EQ(os::kAttributeReadOnly | os::kAttributeHidden | os::kAttributeSystem,
            os::GetFileAttributes(file) & 0x7);
  ASSERT_TRUE(os::SetFileAttributes(file, os::kAttributeNormal));
  EXPECT_EQ(0u, os::GetFileAttributes(file) & 0x7);
  EXPECT_NE(0u, os::GetFileAttributes(folder) & os::kAttributeDirectory);
}

TEST(FileAttributes, MissingFileAndMissingFolderDiffer) {
  std::string folder = NewTestFolder();
  os::SetLastError(kSentinel);
  EXPECT_EQ(os::kInvalidFileAttributes, os::GetFileAttributes(folder + "\\none.txt"));
  EXPECT_EQ(os::kErrorFileNotFound, os::LastError());
  os::SetLastError(kSentinel);
  EXPECT_EQ(os::kInvalidFileAttributes, os::GetFileAttributes(folder + "\\no\\none.txt"));
  EXPECT_EQ(os::kErrorPathNotFound, os::LastError());
}

// Tests run as root on Linux, which permission bits do not stop: the
// read-only rule must hold anyway. (Wine run as root lets the file be
// written and replaced; real Windows does not.)
TEST(FileAttributes, ReadOnlyFileCannotBeChangedOrRemoved) {
  std::string folder = NewTestFolder();
  std::string file = Write(folder, "ro.txt", "keep");
  std::string other = Write(folder, "other.txt", "new");
  ASSERT_TRUE(os::SetFileAttributes(file, os::kAttributeReadOnly));
  EXPECT_EQ(os::kErrorSuccess, ErrorOfOpen(file, os::kGenericRead, os::kShareRead, os::kOpenExisting));
  os::SetLastError(kSentinel);
  EXPECT_FALSE(os::DeleteFile(file));
  EXPECT_EQ(os::kErrorAccessDenied, os::LastError());
  if (!os_test::OnWine()) {
    EXPECT_EQ(os::kErrorAccessDenied, ErrorOfOpen(file, os::kGenericWrite, 0, os::kOpenExisting));
    EXPECT_EQ(os::kErrorAccessDenied, ErrorOfOpen(file, os::kGenericWrite, 0, os::kCreateAlways));
    EXPECT_FALSE(os::MoveFile(other, file, true));
  }
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(file, bytes));
  EXPECT_EQ("keep", bytes);
}

// Wine replaces the file; real Windows refuses.
TEST(FileAttributes, HiddenFileIsNotReplacedByPlainCreate) {
  if (os_test::OnWine()) GTEST_SKIP() << "Wine differs from Windows here";
  std::string folder = NewTestFolder();
  std::string file = Write(folder, "h.txt");
  ASSERT_TRUE(os::SetFileAttributes(file, os::kAttributeHidden));
  EXPECT_EQ(os::kErrorAccessDenied, ErrorOfOpen(file, os::kGenericWrite, 0, os::kCreateAlways));
  os::UniqueFile same = os::CreateFile(file, os::kGenericWrite, 0, os::kCreateAlways, os::kAttributeHidden);
  EXPECT_TRUE(same.valid());
}

struct OpenCase {
  const char* name;
  bool exists;
  unsigned long disposition;
  unsigned long error;  // error after the call (183 and 0 on success)
};

TEST(CreateFile, DispositionsAgainstExistence) {
  const OpenCase cases[] = {
      {"create new, exists", true, os::kCreateNew, os::kErrorFileExists},
      {"create new, missing", false, os::kCreateNew, os::kErrorSuccess},
      {"create always, exists", true, os::kCreateAlways, os::kErrorAlreadyExists},
      {"create always, missing", false, os::kCreateAlways, os::kErrorSuccess},
      {"open existing, missing", false, os::kOpenExisting, os::kErrorFileNotFound},
      {"open always, exists", true, os::kOpenAlways, os::kErrorAlreadyExists},
      {"open always, missing", false, os::kOpenAlways, os::kErrorSuccess},
      {"truncate existing, missing", false, os::kTruncateExisting, os::kErrorFileNotFound},
  };
  for (const OpenCase& c : cases) {
    std::string folder = NewTestFolder();
    std::string file = folder + "\\f.txt";
    if (c.exists) Write(folder, "f.txt", "content");
    EXPECT_EQ(c.error, ErrorOfOpen(file, os::kGenericWrite, 0, c.disposition)) << c.name;
  }
}

TEST(CreateFile, FoldersAndMissingFoldersAreRefused) {
  std::string folder = NewTestFolder();
  EXPECT_EQ(os::kErrorAccessDenied, ErrorOfOpen(folder, os::kGenericRead, 0, os::kOpenExisting));
  EXPECT_EQ(os::kErrorPathNotFound, ErrorOfOpen(folder + "\\no\\f.txt", os::kGenericWrite, 0, os::kCreateAlways));
}

TEST(CreateFile, WriteReadSeekAndTruncate) {
  std::string file = NewTestFolder() + "\\data.bin";
  {
    os::UniqueFile out = os::CreateFile(file, os::kGenericWrite, 0, os::kCreateNew);
    ASSERT_TRUE(out.valid());
    unsigned long put = 0;
    ASSERT_TRUE(os::WriteFile(out.get(), "hello world", 11, put));
    EXPECT_EQ(11u, put);
    char buffer[4];
    unsigned long got = 99;
    EXPECT_FALSE(os::ReadFile(out.get(), buffer, sizeof(buffer), got));  // no read access
  }
  os::UniqueFile in = os::CreateFile(file, os::kGenericRead, os::kShareRead, os::kOpenExisting);
  std::uint64_t size = 0;
  ASSERT_TRUE(os::GetFileSize(in.get(), size));
  EXPECT_EQ(11u, size);
  char buffer[16] = {};
  unsigned long got = 0;
  ASSERT_TRUE(os::SetFilePointer(in.get(), 6));
  ASSERT_TRUE(os::ReadFile(in.get(), buffer, sizeof(buffer), got));
  EXPECT_EQ("world", std::string(buffer, got));
  ASSERT_TRUE(os::ReadFile(in.get(), buffer, sizeof(buffer), got));
  EXPECT_EQ(0u, got);
  in.reset();
  ASSERT_TRUE(os::CreateFile(file, os::kGenericWrite, 0, os::kTruncateExisting).valid());
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(file, bytes));
  EXPECT_TRUE(bytes.empty());
}

struct ShareCase {
  unsigned long firstAccess, firstShare, secondAccess, secondShare;
  bool allowed;
};

TEST(CreateFile, SharingModesBetweenHandles) {
  const unsigned long r = os::kGenericRead, w = os::kGenericWrite;
  const unsigned long sr = os::kShareRead, sw = os::kShareWrite;
  const ShareCase cases[] = {
      {r, sr, r, sr, true},           {r, sr, w, sr, false},
      {r, sr | sw, w, sr, true},      {r, sr | sw, w, sw, false},
      {w, 0, r, sr | sw, false},      {r, 0, r, sr, false},
      {w, sr, r, sr | sw, true},      {r | w, sr, r, sr, false},
  };
  std::string file = Write(NewTestFolder(), "shared.txt");
  for (const ShareCase& c : cases) {
    os::UniqueFile first = os::CreateFile(file, c.firstAccess, c.firstShare, os::kOpenExisting);
    ASSERT_TRUE(first.valid());
    unsigned long error = ErrorOfOpen(file, c.secondAccess, c.secondShare, os::kOpenExisting);
    EXPECT_EQ(c.allowed ? os::kErrorSuccess : os::kErrorSharingViolation, error)
        << c.firstAccess << "/" << c.firstShare << " then " << c.secondAccess << "/" << c.secondShare;
  }
}

TEST(CreateFile, OpenFileWithoutDeleteSharingCannotBeDeletedOrMoved) {
  std::string folder = NewTestFolder();
  std::string file = Write(folder, "busy.txt");
  os::UniqueFile open = os::CreateFile(file, os::kGenericRead, os::kShareRead, os::kOpenExisting);
  ASSERT_TRUE(open.valid());
  os::SetLastError(kSentinel);
  EXPECT_FALSE(os::DeleteFile(file));
  EXPECT_EQ(os::kErrorSharingViolation, os::LastError());
  os::SetLastError(kSentinel);
  EXPECT_FALSE(os::MoveFile(file, folder + "\\moved.txt"));
  EXPECT_EQ(os::kErrorSharingViolation, os::LastError());
  open.reset();
  EXPECT_TRUE(os::DeleteFile(file));
}

// A file still open cannot be replaced by a move, whatever sharing its
// handle grants: Windows (and Wine) refuse with ERROR_ACCESS_DENIED.
TEST(MoveFile, ReplacingAnOpenFileIsRefused) {
  std::string folder = NewTestFolder();
  std::string target = Write(folder, "open.txt", "old");
  for (unsigned long share : {0ul, os::kShareRead | os::kShareWrite,
                              os::kShareRead | os::kShareWrite | os::kShareDelete}) {
    std::string from = Write(folder, "new.txt", "new");
    os::UniqueFile open = os::CreateFile(target, os::kGenericRead, share, os::kOpenExisting);
    ASSERT_TRUE(open.valid()) << share;
    os::SetLastError(kSentinel);
    EXPECT_FALSE(os::MoveFile(from, target, true)) << share;
    EXPECT_EQ(os::kErrorAccessDenied, os::LastError()) << share;
    open.reset();
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(target, bytes));
    EXPECT_EQ("old", bytes) << share;
  }
  std::string from = Write(folder, "new.txt", "new");
  EXPECT_TRUE(os::MoveFile(from, target, true)) << "closed, it is replaced";
}

TEST(FileTimes, AllThreeTimesAreSetAndReadBack) {
  std::string file = Write(NewTestFolder(), "t.txt", "abc");
  os::FileTimes wanted;
  wanted.creation = 126227808000000000ull;    // 2001-01-01
  wanted.lastAccess = 126227808000000000ull + 365ull * 24 * 3600 * 10000000;
  wanted.lastWrite = 126227808000000000ull + 2 * 365ull * 24 * 3600 * 10000000;
  // Wine lets a read handle set times, and keeps no creation time of its
  // own; real Windows does neither.
  const bool wine = os_test::OnWine();
  if (!wine) {
    os::UniqueFile reader = os::CreateFile(file, os::kGenericRead, os::kShareRead, os::kOpenExisting);
    EXPECT_FALSE(os::SetFileTime(reader.get(), wanted));  // needs write access
  }
  {
    os::UniqueFile writer = os::CreateFile(file, os::kGenericRead | os::kGenericWrite, os::kShareRead,
                                           os::kOpenExisting);
    ASSERT_TRUE(os::SetFileTime(writer.get(), wanted));
  }
  os::UniqueFile again = os::CreateFile(file, os::kGenericRead, os::kShareRead, os::kOpenExisting);
  os::FileTimes got;
  ASSERT_TRUE(os::GetFileTime(again.get(), got));
  if (!wine) {
    EXPECT_EQ(wanted.creation, got.creation);
  }
  EXPECT_EQ(wanted.lastAccess, got.lastAccess);
  EXPECT_EQ(wanted.lastWrite, got.lastWrite);
  os::FindData found;
  ASSERT_TRUE(os::FindFirstFile(file, found).valid());
  if (!wine) {
    EXPECT_EQ(wanted.creation, found.times.creation);
  }
  EXPECT_EQ(wanted.lastWrite, found.times.lastWrite);
  EXPECT_EQ(3u, found.size);
}

std::set<std::string> Find(const std::string& pattern, unsigned long& error) {
  std::set<std::string> names;
  os::FindData found;
  os::SetLastError(kSentinel);
  os::UniqueFind find = os::FindFirstFile(pattern, found);
  error = os::LastError();
  if (!find) return names;
  do names.insert(found.name);
  while (os::FindNextFile(find.get(), found));
  error = os::LastError();
  return names;
}

TEST(FindFiles, PatternsMatchAsOnWindows) {
  std::string folder = NewTestFolder();
  for (const char* name : {"a.txt", "B.TXT", "abc", "ab.c.d"}) Write(folder, name);
  ASSERT_TRUE(os::CreateDirectory(folder + "\\sub"));
  using Names = std::set<std::string>;
  const Names all = {".", "..", "a.txt", "B.TXT", "abc", "ab.c.d", "sub"};
  // Wine matches '?' and a trailing '.' literally; real Windows keeps the
  // DOS rules, and so does the sandbox.
  const struct {
    const char* pattern;
    Names names;
    bool wineDiffers;
  } cases[] = {
      {"*", all, false},
      {"*.*", all, false},
      {"*.txt", {"a.txt", "B.TXT"}, false},
      {"?.TXT", {"a.txt", "B.TXT"}, false},
      {"a?.txt", {"a.txt"}, true},
      {"ab*", {"abc", "ab.c.d"}, false},
      {"*.d", {"ab.c.d"}, false},
      {"abc.*", {"abc"}, false},
      {"*.", {".", "..", "abc", "sub"}, true},
      {"SUB", {"sub"}, false},
      {"a.txt", {"a.txt"}, false},
  };
  for (const auto& c : cases) {
    if (c.wineDiffers && os_test::OnWine()) continue;
    unsigned long error = 0;
    EXPECT_EQ(c.names, Find(folder + "\\" + c.pattern, error)) << c.pattern;
    EXPECT_EQ(os::kErrorNoMoreFiles, error) << c.pattern;
  }
}

TEST(FindFiles, NoMatchMissingFolderAndRoot) {
  std::string folder = NewTestFolder();
  unsigned long error = 0;
  EXPECT_TRUE(Find(folder + "\\x*", error).empty());
  EXPECT_EQ(os::kErrorFileNotFound, error);
  EXPECT_TRUE(Find(folder + "\\missing\\*", error).empty());
  EXPECT_EQ(os::kErrorPathNotFound, error);
  std::set<std::string> root = Find("C:\\*", error);
  EXPECT_EQ(0u, root.count("."));
  EXPECT_EQ(0u, root.count(".."));
}

bool IsHex(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789ABCDEFabcdef") == std::string::npos;
}

TEST(TempFileName, ChosenNumberCreatesAnEmptyUniqueFile) {
  std::string folder = NewTestFolder();
  std::string first, second;
  unsigned int n1 = os::GetTempFileName(folder, "BAKX", 0, first);
  unsigned int n2 = os::GetTempFileName(folder, "BAKX", 0, second);
  ASSERT_NE(0u, n1);
  ASSERT_NE(0u, n2);
  EXPECT_NE(first, second);
  for (const std::string& name : {first, second}) {
    std::string base = name.substr(folder.size() + 1);
    ASSERT_GT(base.size(), 7u) << name;
    EXPECT_EQ("BAK", base.substr(0, 3));
    EXPECT_TRUE(IsHex(base.substr(3, base.size() - 7))) << name;
    std::string extension = base.substr(base.size() - 4);
    EXPECT_TRUE(extension == ".TMP" || extension == ".tmp") << name;
    std::string bytes = "?";
    ASSERT_TRUE(ReadFileBytes(name, bytes));
    EXPECT_TRUE(bytes.empty());
  }
}

TEST(TempFileName, GivenNumberUsesLowSixteenBitsAndCreatesNothing) {
  std::string folder = NewTestFolder();
  std::string name;
  EXPECT_EQ(0x2345u, os::GetTempFileName(folder, "B", 0x12345, name));
  std::string upper = name;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_NE(std::string::npos, upper.find("\\B2345.TMP")) << name;
  EXPECT_EQ(os::kInvalidFileAttributes, os::GetFileAttributes(name));
  EXPECT_EQ(0u, os::GetTempFileName(folder + "\\missing", "BAK", 0, name));
}

TEST(Folders, CreateRemoveDeleteErrors) {
  std::string folder = NewTestFolder();
  std::string sub = folder + "\\sub";
  os::SetLastError(kSentinel);
  EXPECT_FALSE(os::CreateDirectory(folder));
  EXPECT_EQ(os::kErrorAlreadyExists, os::LastError());
  EXPECT_FALSE(os::CreateDirectory(folder + "\\no\\deeper"));
  EXPECT_EQ(os::kErrorPathNotFound, os::LastError());
  ASSERT_TRUE(os::CreateDirectory(sub));
  std::string file = Write(sub, "f.txt");
  EXPECT_FALSE(os::RemoveDirectory(sub));
  EXPECT_EQ(os::kErrorDirNotEmpty, os::LastError());
  EXPECT_FALSE(os::RemoveDirectory(file));
  EXPECT_EQ(os::kErrorDirectory, os::LastError());
  EXPECT_FALSE(os::DeleteFile(sub));
  EXPECT_EQ(os::kErrorAccessDenied, os::LastError());
  EXPECT_TRUE(os::DeleteFile(file));
  EXPECT_TRUE(os::RemoveDirectory(sub));
  EXPECT_EQ(os::kInvalidFileAttributes, os::GetFileAttributes(sub));
}

TEST(Folders, MoveFileKeepsOrReplacesTarget) {
  std::string folder = NewTestFolder();
  std::string a = Write(folder, "a.txt", "A");
  std::string b = Write(folder, "b.txt", "B");
  os::SetLastError(kSentinel);
  EXPECT_FALSE(os::MoveFile(a, b));
  EXPECT_EQ(os::kErrorAlreadyExists, os::LastError());
  ASSERT_TRUE(os::MoveFile(a, b, true));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(b, bytes));
  EXPECT_EQ("A", bytes);
  ASSERT_TRUE(os::MoveFile(b, folder + "\\B.TXT"));
  if (os_test::OnWine()) return;  // Wine keeps the old case; Windows takes the new
  os::FindData found;
  ASSERT_TRUE(os::FindFirstFile(folder + "\\b.txt", found).valid());
  EXPECT_EQ("B.TXT", found.name);
}

TEST(Folders, DiskFreeSpaceOfAFolder) {
  os::DiskSpace space;
  ASSERT_TRUE(os::GetDiskFreeSpace(NewTestFolder(), space));
  EXPECT_GT(space.total, 0u);
  EXPECT_LE(space.totalFree, space.total);
  EXPECT_LE(space.freeToCaller, space.totalFree);
  EXPECT_FALSE(os::GetDiskFreeSpace(NewTestFolder() + "\\missing\\", space));
}

struct ChangeCase {
  const char* name;
  bool (*change)(const std::string& folder);
  bool (*unchanged)(const std::string& folder);
};

bool Exists(const std::string& path) { return os::GetFileAttributes(path) != os::kInvalidFileAttributes; }

TEST(ChangeGate, EveryChangeIsRefusedWhenChosen) {
  const ChangeCase cases[] = {
      {"create", [](const std::string& f) { return os::CreateFile(f + "\\new.txt", os::kGenericWrite, 0, os::kCreateNew).valid(); },
       [](const std::string& f) { return !Exists(f + "\\new.txt"); }},
      {"write", [](const std::string& f) { return os::CreateFile(f + "\\old.txt", os::kGenericWrite, 0, os::kOpenExisting).valid(); },
       [](const std::string&) { return true; }},
      {"delete", [](const std::string& f) { return os::DeleteFile(f + "\\old.txt"); },
       [](const std::string& f) { return Exists(f + "\\old.txt"); }},
      {"rename", [](const std::string& f) { return os::MoveFile(f + "\\old.txt", f + "\\new.txt"); },
       [](const std::string& f) { return Exists(f + "\\old.txt"); }},
      {"attributes", [](const std::string& f) { return os::SetFileAttributes(f + "\\old.txt", os::kAttributeHidden); },
       [](const std::string& f) { return (os::GetFileAttributes(f + "\\old.txt") & os::kAttributeHidden) == 0; }},
      {"folder", [](const std::string& f) { return os::CreateDirectory(f + "\\d"); },
       [](const std::string& f) { return !Exists(f + "\\d"); }},
      {"remove", [](const std::string& f) { return os::RemoveDirectory(f + "\\empty"); },
       [](const std::string& f) { return Exists(f + "\\empty"); }},
      {"temp", [](const std::string& f) { std::string n; return os::GetTempFileName(f, "T", 0, n) != 0; },
       [](const std::string&) { return true; }},
  };
  for (const ChangeCase& c : cases) {
    std::string folder = NewTestFolder();
    Write(folder, "old.txt");
    ASSERT_TRUE(os::CreateDirectory(folder + "\\empty"));
    os_test::FailChangeAt("1");
    os::SetLastError(kSentinel);
    bool done = c.change(folder);
    unsigned long error = os::LastError();
    os_test::FailChangeAt("");
    EXPECT_FALSE(done) << c.name;
    EXPECT_EQ(os::kErrorAccessDenied, error) << c.name;
    EXPECT_TRUE(c.unchanged(folder)) << c.name;
  }
}

}  // namespace
