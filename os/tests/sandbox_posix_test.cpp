#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "os/errors.h"
#include "os/files.h"
#include "os/simple_file.h"
#include "os/sandbox_posix.h"
#include "tests/support/test_machine.h"

namespace {

using testing_support::HostPathOf;
using testing_support::NewTestFolder;

// Host-side set-up, so names keep exactly the case given.
void MakeHostFile(const std::string& folder, const std::string& relative) {
  for (size_t slash = relative.find('/'); slash != std::string::npos;
       slash = relative.find('/', slash + 1)) {
    ::mkdir((folder + "/" + relative.substr(0, slash)).c_str(), 0755);
  }
  std::ofstream(folder + "/" + relative) << "x";
}

// Windows names are matched without regard to case, component by component,
// whether the path exists in full, only up to its folder, or not at all.
TEST(SandboxHostPath, MatchesEachComponentIgnoringCase) {
  std::string folder = NewTestFolder();
  std::string host = HostPathOf(folder);
  MakeHostFile(host, "Sub/Deeper/File.TXT");
  struct Case {
    const char* windows;
    const char* host;
  } cases[] = {
      {"\\Sub\\Deeper\\File.TXT", "/Sub/Deeper/File.TXT"},  // exists as written
      {"\\sub\\deeper\\file.txt", "/Sub/Deeper/File.TXT"},  // exists in other case
      {"\\Sub\\Deeper\\new.txt", "/Sub/Deeper/new.txt"},    // folder exists as written
      {"\\SUB\\deeper\\new.txt", "/Sub/Deeper/new.txt"},    // folder in other case
      {"\\Sub\\DEEPER\\FILE.txt", "/Sub/Deeper/File.TXT"},  // last two in other case
      {"\\sub\\missing\\x\\y.txt", "/Sub/missing/x/y.txt"},  // missing part stays as written
      {"\\Sub", "/Sub"},
      {"\\sub\\", "/Sub"},
  };
  for (const Case& c : cases) {
    std::string mapped;
    ASSERT_TRUE(os::sandbox::HostPath(folder + c.windows, mapped)) << c.windows;
    EXPECT_EQ(mapped, host + c.host) << c.windows;
  }
}

// A name that exists as written wins over another entry that differs only in
// case (possible on the host, never on Windows).
TEST(SandboxHostPath, ExactNameWinsOverCaseVariant) {
  std::string folder = NewTestFolder();
  MakeHostFile(HostPathOf(folder), "dir/a.txt");
  MakeHostFile(HostPathOf(folder), "Dir/A.txt");
  std::string mapped;
  ASSERT_TRUE(os::sandbox::HostPath(folder + "\\Dir\\a.txt", mapped));
  // Dir exists as written; a.txt only in other case there.
  EXPECT_EQ(mapped, HostPathOf(folder) + "/Dir/A.txt");
  ASSERT_TRUE(os::sandbox::HostPath(folder + "\\dir\\a.txt", mapped));
  EXPECT_EQ(mapped, HostPathOf(folder) + "/dir/a.txt");
}

}  // namespace

namespace {

// "." and ".." are no host or share names, and the sandbox's own files are
// out of reach in every path form; only Z:\ leaves drive_* and unc/.
TEST(SandboxHostPath, NoPathLeavesTheSandboxOrReachesItsOwnFiles) {
  const std::string prefix = os::sandbox::WindowsPathOfHost(os::sandbox::Prefix());
  struct Case {
    std::string path;
    unsigned long error;  // 0: mapped, and inside drive_*, unc/ or through Z:
  } cases[] = {
      {"\\\\..\\..\\escaped.ini", os::kErrorBadNetPath},
      {"\\\\.\\..\\machine.ini", os::kErrorBadNetPath},
      {"\\\\host\\..\\x", os::kErrorBadNetPath},
      {"//./share/x", os::kErrorBadNetPath},
      {"\\\\host\\share\\..\\..\\..\\machine.ini", 0},
      {"C:\\..\\..\\machine.ini", 0},
      {"C:..\\..\\registry\\x.reg", 0},
      {prefix + "\\machine.ini", os::kErrorAccessDenied},
      {prefix + "\\MACHINE.INI.", os::kErrorAccessDenied},
      {prefix + "\\drive_c\\..\\Services.ini", os::kErrorAccessDenied},
      {prefix + "\\registry\\HKEY_LOCAL_MACHINE.reg", os::kErrorAccessDenied},
      {prefix + "/Registry", os::kErrorAccessDenied},
      {prefix + "\\file_attributes.tab", os::kErrorAccessDenied},
      {prefix + "\\drive_c\\machine.ini", 0},
  };
  const std::string inside = os::sandbox::Prefix() + "/";
  for (const Case& c : cases) {
    std::string host;
    os::SetLastError(0);
    const bool mapped = os::sandbox::HostPath(c.path, host);
    EXPECT_EQ(mapped, c.error == 0) << c.path << " -> " << host;
    if (!mapped) {
      EXPECT_EQ(os::LastError(), c.error) << c.path;
    } else if (c.path.compare(0, prefix.size(), prefix) != 0) {
      EXPECT_TRUE(host.compare(0, inside.size() + 6, inside + "drive_") == 0 ||
                  host.compare(0, inside.size() + 4, inside + "unc/") == 0)
          << c.path << " -> " << host;
    }
  }
  os::sandbox::OwnFilesReachable own;
  std::string host;
  EXPECT_TRUE(os::sandbox::HostPath(prefix + "\\machine.ini", host)) << "the sandbox's own reads";
}

}  // namespace

namespace {

// Device names, with any extension and in any folder that exists: NUL takes
// writes and reads nothing; the others fail as on Windows.
TEST(SandboxDevices, NulDiscardsAndTheOthersFail) {
  const std::string folder = testing_support::NewTestFolder();
  for (const char* name : {"NUL", "nul.txt", "Nul .log"}) {
    const std::string path = folder + "\\" + name;
    {
      os::UniqueFile out = os::CreateFile(path, os::kGenericWrite, os::kShareNone, os::kCreateAlways);
      ASSERT_TRUE(out) << name;
      unsigned long written = 0;
      EXPECT_TRUE(os::WriteFile(out.get(), "abc", 3, written));
      EXPECT_EQ(written, 3u);
    }
    os::UniqueFile in = os::CreateFile(path, os::kGenericRead, os::kShareNone, os::kOpenExisting);
    ASSERT_TRUE(in) << name;
    char buffer[8];
    unsigned long got = 99;
    EXPECT_TRUE(os::ReadFile(in.get(), buffer, sizeof(buffer), got));
    EXPECT_EQ(got, 0u);
    EXPECT_TRUE(os::AppendText(path, "line\n"));
    std::string bytes = "x";
    EXPECT_TRUE(os::ReadAllBytes(path, bytes));
    EXPECT_EQ(bytes, "");
    EXPECT_EQ(os::GetFileAttributes(path), static_cast<unsigned long>(os::kAttributeArchive));
    EXPECT_FALSE(os::DeleteFile(path));
    EXPECT_EQ(os::LastError(), static_cast<unsigned long>(os::kErrorInvalidParameter));
  }
  struct stat null;
  EXPECT_EQ(::stat("/dev/null", &null), 0);
  EXPECT_TRUE(S_ISCHR(null.st_mode)) << "the host's device is left alone";
  struct Case {
    const char* name;
    unsigned long error;
  } cases[] = {
      {"CON", os::kErrorInvalidHandle},     {"com1", os::kErrorFileNotFound},
      {"LPT9.txt", os::kErrorFileNotFound}, {"PRN", os::kErrorFileNotFound},
      {"aux.h", os::kErrorFileNotFound},    {"no\\such\\NUL", os::kErrorPathNotFound},
  };
  for (const Case& c : cases) {
    const std::string path = folder + "\\" + c.name;
    EXPECT_FALSE(os::CreateFile(path, os::kGenericWrite, os::kShareNone, os::kCreateAlways)) << c.name;
    EXPECT_EQ(os::LastError(), c.error) << c.name;
  }
  for (const char* plain : {"COM0", "COM10", "LPT", "NULL", "CONSOLE.txt", "xNUL"}) {
    os::UniqueFile file = os::CreateFile(folder + "\\" + plain, os::kGenericWrite, os::kShareNone, os::kCreateAlways);
    EXPECT_TRUE(file) << plain << " is an ordinary name";
  }
}

}  // namespace
