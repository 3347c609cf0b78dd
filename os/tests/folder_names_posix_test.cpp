// The sandbox remembers the names in a folder it has looked a new name up in.
// Whatever changes the folder afterwards (this process behind the sandbox's
// back, another process, a rename of the folder above), the next lookup must
// answer as a fresh reading of the folder would.
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "os/sandbox_posix.h"
#include "tests/support/test_machine.h"

namespace {

using testing_support::HostPathOf;
using testing_support::NewTestFolder;

std::string Mapped(const std::string& windowsPath) {
  std::string host;
  EXPECT_TRUE(os::sandbox::HostPath(windowsPath, host)) << windowsPath;
  return host;
}

void Touch(const std::string& host) { std::ofstream(host) << "x"; }

TEST(FolderNames, ChangesMadeBehindTheSandboxAreSeen) {
  std::string folder = NewTestFolder();
  std::string host = HostPathOf(folder);
  ASSERT_EQ(::mkdir((host + "/dir").c_str(), 0755), 0);
  // The first lookup of a missing name reads the folder and keeps its names.
  EXPECT_EQ(Mapped(folder + "\\dir\\new.txt"), host + "/dir/new.txt");

  Touch(host + "/dir/NEW.TXT");
  EXPECT_EQ(Mapped(folder + "\\dir\\new.txt"), host + "/dir/NEW.TXT");
  ASSERT_EQ(std::rename((host + "/dir/NEW.TXT").c_str(), (host + "/dir/Other").c_str()), 0);
  EXPECT_EQ(Mapped(folder + "\\dir\\new.txt"), host + "/dir/new.txt");
  EXPECT_EQ(Mapped(folder + "\\dir\\OTHER"), host + "/dir/Other");
  ASSERT_EQ(::unlink((host + "/dir/Other").c_str()), 0);
  EXPECT_EQ(Mapped(folder + "\\dir\\OTHER"), host + "/dir/OTHER");

  // Another process's change.
  std::string command = "touch '" + host + "/dir/Made.By.Child'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(Mapped(folder + "\\dir\\made.by.child"), host + "/dir/Made.By.Child");
}

TEST(FolderNames, AnotherFolderAtTheSamePathIsReadAfresh) {
  std::string folder = NewTestFolder();
  std::string host = HostPathOf(folder);
  ASSERT_EQ(::mkdir((host + "/a").c_str(), 0755), 0);
  ASSERT_EQ(::mkdir((host + "/a/b").c_str(), 0755), 0);
  Touch(host + "/a/b/Old.txt");
  EXPECT_EQ(Mapped(folder + "\\a\\b\\x.txt"), host + "/a/b/x.txt");
  EXPECT_EQ(Mapped(folder + "\\a\\b\\OLD.TXT"), host + "/a/b/Old.txt");

  // The folder above is renamed and a new b made where the old one was: the
  // new b has none of the old names, and a name of its own.
  ASSERT_EQ(std::rename((host + "/a").c_str(), (host + "/moved").c_str()), 0);
  ASSERT_EQ(::mkdir((host + "/a").c_str(), 0755), 0);
  ASSERT_EQ(::mkdir((host + "/a/b").c_str(), 0755), 0);
  Touch(host + "/a/b/X.TXT");
  EXPECT_EQ(Mapped(folder + "\\a\\b\\x.txt"), host + "/a/b/X.TXT");
  EXPECT_EQ(Mapped(folder + "\\a\\b\\old.txt"), host + "/a/b/old.txt");
  // The old folder, at its new place, still answers for itself.
  EXPECT_EQ(Mapped(folder + "\\moved\\b\\old.txt"), host + "/moved/b/Old.txt");

  // Deleted and made again.
  ASSERT_EQ(::unlink((host + "/a/b/X.TXT").c_str()), 0);
  ASSERT_EQ(::rmdir((host + "/a/b").c_str()), 0);
  ASSERT_EQ(::mkdir((host + "/a/b").c_str(), 0755), 0);
  Touch(host + "/a/b/Y.txt");
  EXPECT_EQ(Mapped(folder + "\\a\\b\\x.txt"), host + "/a/b/x.txt");
  EXPECT_EQ(Mapped(folder + "\\a\\b\\y.TXT"), host + "/a/b/Y.txt");
}

// Random changes to a few folders, each followed by lookups: an answer is
// the name as written when nothing matches it ignoring case, else one of the
// entries that do (the host may hold several; Windows never does).
TEST(FolderNames, AgreesWithTheFolderUnderRandomChanges) {
  std::string folder = NewTestFolder();
  std::string host = HostPathOf(folder);
  const std::vector<std::string> names = {"a.txt", "A.TXT", "A.txt", "b", "B", "c.dat", "C.DAT"};
  const std::vector<std::string> folders = {"one", "two", "two/sub"};
  for (const std::string& f : folders) ASSERT_EQ(::mkdir((host + "/" + f).c_str(), 0755), 0);
  std::mt19937 random(8122026);
  auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
  auto exists = [](const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
  };
  for (int step = 0; step < 3000; ++step) {
    const std::string& f = folders[pick(folders.size())];
    std::string from = host + "/" + f + "/" + names[pick(names.size())];
    std::string to = host + "/" + f + "/" + names[pick(names.size())];
    switch (pick(5)) {
      case 0:
      case 1:
        Touch(from);
        break;
      case 2:
        ::unlink(from.c_str());
        break;
      case 3:
        std::rename(from.c_str(), to.c_str());
        break;
      default:
        if (f == "two" && pick(4) == 0) {
          // The whole sub-tree goes and comes back empty.
          std::string command = "rm -rf '" + host + "/two/sub' && mkdir '" + host + "/two/sub'";
          ASSERT_EQ(std::system(command.c_str()), 0);
        }
        break;
    }
    for (int look = 0; look < 3; ++look) {
      const std::string& lf = folders[pick(folders.size())];
      std::string name = names[pick(names.size())];
      std::string windows = folder + "\\" + lf + "\\" + name;
      for (char& c : windows) c = c == '/' ? '\\' : c;
      std::string mapped = Mapped(windows);
      std::string written = host + "/" + lf + "/" + name;
      std::set<std::string> matching;
      for (const std::string& other : names) {
        std::string candidate = host + "/" + lf + "/" + other;
        if (strcasecmp(other.c_str(), name.c_str()) == 0 && exists(candidate)) matching.insert(candidate);
      }
      if (exists(written) || matching.empty()) {
        ASSERT_EQ(mapped, written) << "step " << step;
      } else {
        ASSERT_EQ(matching.count(mapped), 1u) << "step " << step << ": " << mapped;
      }
    }
  }
}

}  // namespace
