// The terminal program on a pseudo-terminal, answered as a person would type.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <set>

#include "platform/file_ops.h"
#include "tests/e2e/package_fixture.h"

namespace {

using testing_support::PackageFixture;

// The program running on the slave side of a pseudo-terminal.
class PtyProgram {
 public:
  PtyProgram(const std::string& programWindowsPath, const std::vector<std::string>& arguments) {
    std::string host = testing_support::HostPathOf(programWindowsPath);
    std::string folder = host.substr(0, host.rfind('/'));
    child_ = ::forkpty(&master_, nullptr, nullptr, nullptr);
    if (child_ == 0) {
      if (::chdir(folder.c_str()) != 0) ::_exit(126);
      std::vector<char*> argv{const_cast<char*>(host.c_str())};
      for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
      argv.push_back(nullptr);
      ::execv(host.c_str(), argv.data());
      ::_exit(127);
    }
  }
  ~PtyProgram() {
    if (child_ > 0 && exitCode_ < 0) {
      ::kill(child_, SIGKILL);
      ::waitpid(child_, nullptr, 0);
    }
    if (master_ >= 0) ::close(master_);
  }

  [[nodiscard]] bool Started() const { return child_ > 0 && master_ >= 0; }

  // Reads until the screen output holds text after the last match; false on
  // timeout or when the program has closed the terminal.
  bool Expect(const std::string& text, int seconds = 20) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
      size_t at = output_.find(text, matched_);
      if (at != std::string::npos) {
        matched_ = at + text.size();
        return true;
      }
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || !ReadSome(static_cast<int>(left.count()))) return false;
    }
  }

  void Type(const std::string& line) {
    std::string bytes = line + "\n";
    ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  int Wait() {
    while (ReadSome(2000)) {
    }
    int status = 0;
    ::waitpid(child_, &status, 0);
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    return exitCode_;
  }

  [[nodiscard]] const std::string& Output() const { return output_; }

 private:
  bool ReadSome(int milliseconds) {
    pollfd wanted = {master_, POLLIN, 0};
    if (::poll(&wanted, 1, milliseconds) <= 0) return false;
    char buffer[4096];
    ssize_t got = ::read(master_, buffer, sizeof(buffer));
    if (got <= 0) return false;  // EIO once the program has ended
    output_.append(buffer, static_cast<size_t>(got));
    return true;
  }

  int master_ = -1;
  pid_t child_ = -1;
  int exitCode_ = -1;
  std::string output_;
  size_t matched_ = 0;
};

const char kScript[] =
    "[ProductInstall.Main]\r\nMainDescription=Pty sample\r\nWelcomeWindowTitle=Pty Setup\r\n"
    "StepCount=1\r\nStep1.Section=ProductInstall.GetUserInput.Name\r\nStep1.Description=Asking\r\n"
    "[ProductInstall.GetUserInput.Name]\r\nInputCount=1\r\nInput1.Description=Your name?\r\n"
    "Input1.Type=BRVN_INPUT_EDITBOX\r\nInput1.RefSymbol=USERNAME\r\nInput1.Max=5\r\n"
    "Input1.Success.AskYesNo=Keep %USERNAME%?\r\nInput1.Success.Yes=BRVN_CONTINUE\r\n"
    "Input1.Success.No=BRVN_RETRY\r\n";

// The package's program, started on a pseudo-terminal.
std::string ProgramOf(const PackageFixture& package) {
  std::string program = testing_support::BuiltProgramPath();
  return package.Folder() + program.substr(program.rfind('\\'));
}

TEST(TerminalPtyTest, PersonAnswersTheMainPromptAQuestionAndAnInput) {
  PackageFixture package(kScript);
  std::string before;
  testing_support::ReadFileBytes(PackageFixture::kLogPath, before);
  PtyProgram run(ProgramOf(package), {});
  ASSERT_TRUE(run.Started());

  ASSERT_TRUE(run.Expect("-- Pty Setup --")) << run.Output();
  ASSERT_TRUE(run.Expect("[Install/Cancel]? ")) << run.Output();
  run.Type("i");
  ASSERT_TRUE(run.Expect("== Asking")) << run.Output();
  ASSERT_TRUE(run.Expect("Your name?")) << run.Output();
  ASSERT_TRUE(run.Expect("> ")) << run.Output();
  run.Type("Barbara");  // longer than the maximum of 5: asked again
  ASSERT_TRUE(run.Expect("At most 5 characters")) << run.Output();
  run.Type("Bob");
  ASSERT_TRUE(run.Expect("Keep Bob?")) << run.Output();
  run.Type("no");  // the retry asks again
  ASSERT_TRUE(run.Expect("> ")) << run.Output();
  run.Type("Ada");
  ASSERT_TRUE(run.Expect("Keep Ada?")) << run.Output();
  ASSERT_TRUE(run.Expect("[Yes/No]? ")) << run.Output();
  run.Type("y");
  ASSERT_TRUE(run.Expect("Installation successful!")) << run.Output();
  ASSERT_TRUE(run.Expect("[OK]? ")) << run.Output();
  run.Type("ok");
  EXPECT_EQ(run.Wait(), 0) << run.Output();

  // The bar is drawn in place: cleared and redrawn, full at the end.
  EXPECT_NE(run.Output().find("\r\x1b[K"), std::string::npos);
  EXPECT_NE(run.Output().find("[" + std::string(40, '#') + "] 100/100"), std::string::npos)
      << run.Output();
  EXPECT_NE(run.Output().find(" - Ada"), std::string::npos);

  std::string after;
  testing_support::ReadFileBytes(PackageFixture::kLogPath, after);
  const std::string log = after.substr(before.size());
  EXPECT_NE(log.find("]User Input = 'Bob'"), std::string::npos) << log;
  EXPECT_NE(log.find("]@ Update Symbol table: 'USERNAME'='Ada'"), std::string::npos) << log;
  EXPECT_NE(log.find("AskYesNo=Keep Ada?"), std::string::npos);
  EXPECT_NE(log.find("After Ask user, user choose YES to continue installation."),
            std::string::npos);
}

// Silent: no window waits and no question is asked, but the input prompt is
// still shown and its answer read from standard input.
TEST(TerminalPtyTest, SilentRunStillAsksForInputFromScriptedLines) {
  PackageFixture package(std::string(kScript) + "Input1.Success.Default=BRVN_CONTINUE\r\n");
  testing_support::ProgramRun run = package.Run({"/s"}, "Zed\n");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(run.output.find("[Install/Cancel]?"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("[Yes/No]?"), std::string::npos);
  EXPECT_EQ(run.output.find("[OK]?"), std::string::npos);
  EXPECT_NE(run.output.find("Your name?\n> Zed\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("progress 100/100\n"), std::string::npos);
  EXPECT_TRUE(package.LogHas("]User Input = 'Zed'")) << package.Log();
  EXPECT_TRUE(package.LogHas("In the silent mode, use Default action to continue installation."));
}

// Enter alone does what OK or the default button would do in the windows;
// questions carry the titles the script gives its windows.
TEST(TerminalPtyTest, EnterTakesTheValueShownAndTheDefaultButton) {
  const std::string dest = testing_support::NewTestFolder() + "\\made\\here";
  PackageFixture package(
      "[ProductInstall.Symbols]\r\nPLACE=Main office\r\nDEST=" + dest + "\r\n"
      "[ProductInstall.Main]\r\nWelcomeWindowTitle=Pty Setup\r\nSetupWindowTitle=Pty Progress\r\n"
      "StepCount=1\r\nStep1.Section=ProductInstall.GetUserInput.Where\r\n"
      "[ProductInstall.GetUserInput.Where]\r\nInputCount=2\r\nInput1.Description=Your office?\r\n"
      "Input1.Type=BRVN_INPUT_EDITBOX\r\nInput1.RefSymbol=PLACE\r\n"
      "Input2.Description=Install where?\r\nInput2.Type=BRVN_INPUT_FOLDER_SELECT\r\n"
      "Input2.RefSymbol=DEST\r\n");
  std::string before;
  testing_support::ReadFileBytes(PackageFixture::kLogPath, before);
  PtyProgram run(ProgramOf(package), {});
  ASSERT_TRUE(run.Started());
  // What the screen shows, then what the person types (null: nothing yet).
  const std::vector<std::pair<std::string, const char*>> turns = {
      {"-- Pty Setup --", nullptr},
      {"[Install/Cancel]? ", "yes"},  // not a button here: the accepted answers, once
      {"Type Install or Cancel (or its first letter); Enter alone answers Install.", nullptr},
      {"[Install/Cancel]? ", ""},
      {"-- Pty Progress --\r\nYour office?\r\n(now: Main office", nullptr},
      {"> ", ""},
      {"-- Pty Progress --\r\nInstall where?\r\n(now: " + dest + ")", nullptr},
      {"folder> ", ""},
      {"-- Pty Progress --\r\nThe folder:", nullptr},
      {"[Yes/No]? ", ""},
      {"[OK]? ", ""}};
  for (const auto& turn : turns) {
    ASSERT_TRUE(run.Expect(turn.first)) << run.Output();
    if (turn.second != nullptr) run.Type(turn.second);
  }
  EXPECT_EQ(run.Wait(), 0) << run.Output();
  EXPECT_EQ(run.Output().find("Type Install or Cancel", run.Output().find("Enter alone") + 1),
            std::string::npos);
  EXPECT_TRUE(testing_support::FileExists(dest));
  std::string after;
  testing_support::ReadFileBytes(PackageFixture::kLogPath, after);
  EXPECT_NE(after.find("]User Input = 'Main office'", before.size()), std::string::npos);
}

// A file group's progress: one line on a terminal, redrawn in place at most
// ten times a second; plain lines in a transcript; none in a silent one.
TEST(TerminalPtyTest, FileGroupProgressIsOneLineRedrawnTenTimesASecondAtMost) {
  const int kFiles = 400;
  const std::string target = testing_support::NewTestFolder();
  PackageFixture package(
      "[ProductInstall.Main]\r\nStepCount=1\r\nStep1.Section=ProductInstall.CopyFileGroupTo\r\n"
      "Step1.Description=Copying\r\n[ProductInstall.CopyFileGroupTo]\r\nFileGroupCount=1\r\n"
      "[FileGroup1]\r\nDescription=Many\r\nTarget=" + target + "\\app\r\nBackup=" + target +
      "\\saved\r\nFileCount=1\r\nFile1=*.dat\r\n");
  ASSERT_TRUE(platform::CreateFolderTree(package.Folder() + "\\FileGroup1"));
  for (int i = 0; i < kFiles; ++i) {
    ASSERT_TRUE(testing_support::WriteFileBytes(
        package.Folder() + "\\FileGroup1\\f" + std::to_string(i) + ".dat", std::string(1024, 'x')));
  }
  const std::string end = "files 400/400, 400.0 KB of 400.0 KB";

  const auto started = std::chrono::steady_clock::now();
  PtyProgram run(ProgramOf(package), {"/s"});  // silent, but a person is watching
  ASSERT_TRUE(run.Started());
  EXPECT_EQ(run.Wait(), 0) << run.Output();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  const std::string& out = run.Output();
  std::set<std::string> updates;  // each update shows a new count of files done
  for (size_t at = out.find("files "); at != std::string::npos; at = out.find("files ", at + 1)) {
    // Right after the bar, on a line cleared for it or a new one.
    const size_t cleared = out.rfind("\x1b[K", at);
    const size_t newline = out.rfind('\n', at);
    const size_t from = std::max(cleared == std::string::npos ? 0 : cleared + 3,
                                 newline == std::string::npos ? 0 : newline + 1);
    EXPECT_EQ(out.substr(from, at - from), "[#####     ] 1/2  ");
    updates.insert(out.substr(at, out.find('/', at) - at));
  }
  EXPECT_GE(updates.size(), 2u) << out;
  EXPECT_LE(updates.size(), static_cast<size_t>(10 * seconds) + 2) << seconds << "s\n" << out;
  EXPECT_NE(out.find(end), std::string::npos) << out;

  testing_support::ProgramRun transcript = package.Run({}, "i\nok\n");
  EXPECT_EQ(transcript.exitCode, 0) << transcript.output;
  EXPECT_NE(transcript.output.find("\n" + end + "\n"), std::string::npos) << transcript.output;
  testing_support::ProgramRun silent = package.Run({"/s"});
  EXPECT_EQ(silent.exitCode, 0) << silent.output;
  EXPECT_EQ(silent.output.find("files "), std::string::npos) << silent.output;
}

}  // namespace
