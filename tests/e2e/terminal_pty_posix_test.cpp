// The terminal program on a pseudo-terminal, answered as a person would type.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>

#include "platform/file_ops.h"
#include "tests/e2e/package_fixture.h"
#include "tests/e2e/pty_program_posix.h"

namespace {

using testing_support::PackageFixture;
using testing_support::PtyProgram;

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
