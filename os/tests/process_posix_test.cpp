// Commands run without a shell: cut by the Windows rules, the program looked
// for as CreateProcess looks, nothing else reads the line.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "os/errors.h"
#include "os/machine.h"
#include "os/process.h"
#include "tests/support/test_machine.h"

namespace {

using testing_support::FileExists;
using testing_support::HostPathOf;

void WriteScript(const std::string& windowsPath, const std::string& text) {
  const std::string host = HostPathOf(windowsPath);
  std::ofstream(host) << "#!/bin/sh\n" << text << "\n";
  ::chmod(host.c_str(), 0755);
}

TEST(RunCommandPosix, NoShellReadsTheLine) {
  std::string saved;
  ASSERT_TRUE(os::GetCurrentFolder(saved));
  const std::string folder = testing_support::NewTestFolder();
  ASSERT_TRUE(os::SetCurrentFolder(folder));
  std::string windows;
  ASSERT_TRUE(os::GetWindowsFolder(windows));
  ::mkdir(HostPathOf(windows + "\\system32").c_str(), 0755);
  WriteScript(folder + "\\args.exe", "for a in \"$@\"; do echo \"[$a]\"; done > args.txt");
  WriteScript(folder + "\\script.CMD", "echo \"$1\" > batch.txt; exit 7");
  WriteScript(windows + "\\system32\\sysprog.exe", "exit 5");
  struct Case {
    std::string line;
    int code;
  } cases[] = {
      {"echo 1.0 & touch PWNED", 0},              // host PATH; "&" is an argument
      {"args \"a b\" $(touch PWNED) `x` ;|", 0},  // current folder, ".exe" added
      {"sysprog", 5},                             // the Windows system folder
      {"script.cmd \"one two\"", 7},              // a script, by the interpreter
      {".\\Args.EXE x", 0},
      {"no-such-program x", os::kCommandNotStarted},
      {"Z:\\no\\such\\program", os::kCommandNotStarted},
      {"", os::kCommandNotStarted},
  };
  for (const Case& c : cases) {
    os::SetLastError(0);
    EXPECT_EQ(os::RunCommand(c.line), c.code) << c.line;
    if (c.code == os::kCommandNotStarted) {
      EXPECT_EQ(os::LastError(), static_cast<unsigned long>(os::kErrorFileNotFound)) << c.line;
    }
  }
  EXPECT_FALSE(FileExists(folder + "\\PWNED"));
  std::ifstream args(HostPathOf(folder + "\\args.txt"));
  std::string text((std::istreambuf_iterator<char>(args)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "[x]\n");
  std::ifstream batch(HostPathOf(folder + "\\batch.txt"));
  std::string first;
  std::getline(batch, first);
  EXPECT_EQ(first, "one two");
  // Only an explicit "cmd /c" hands the rest to the interpreter.
  EXPECT_EQ(os::RunCommand("C:\\WINDOWS\\CMD.EXE /C echo x > made.txt && exit 3"), 3);
  EXPECT_TRUE(FileExists(folder + "\\made.txt"));
  EXPECT_TRUE(os::SetCurrentFolder(saved));
}

}  // namespace
