#include <gtest/gtest.h>

#include <sstream>

#include "engine/reporter.h"
#include "ui/file_progress_text.h"
#include "ui/prompts_posix.h"
#include "ui/terminal_posix.h"
#include "tests/support/fake_windows.h"
#include "tests/support/test_machine.h"

namespace {

using testing_support::RecordingReporter;

struct Session {
  explicit Session(const std::string& typed, bool onTerminal = false)
      : in(typed), terminal(in, out, onTerminal) {}
  std::istringstream in;
  std::ostringstream out;
  CTerminal terminal;
};

TEST(TerminalPromptTest, InputWindowTakesTheEmptyLineAndCancelsAtTheEnd) {
  // Enter alone is OK on the edit box as it opened: it keeps an answer shown;
  // a lone "-" empties the box; a blank box answers the empty text.
  struct Case {
    const char* initial;
    const char* typed;
    int result;
    const char* answer;
  };
  for (const Case& c : {Case{"", "\n", kIdOk, ""}, Case{"old", "\n", kIdOk, "old"},
                        Case{"old", "-\n", kIdOk, ""}, Case{"", "-\n", kIdOk, "-"},
                        Case{"old", "new\n", kIdOk, "new"}, Case{"old", "", kIdCancel, "old"}}) {
    Session s(c.typed);
    CInputDlg input(s.terminal);
    input.SetTexts("T", "Q", c.initial, 0);
    EXPECT_EQ(input.ShowModal(), c.result) << c.initial << "|" << c.typed;
    EXPECT_EQ(input.GetAnswer(), c.answer) << c.initial << "|" << c.typed;
  }
}

TEST(TerminalPromptTest, FolderBrowserAsksAgainUntilAFolderIsAccepted) {
  const std::string base = testing_support::NewTestFolder();
  const std::string missing = base + "\\made";
  RecordingReporter reporter;
  // Refuse to create the folder shown, two invalid names, then: refuse to
  // create, then agree.
  reporter.answers = {kIdNo, kIdOk, kIdOk, kIdNo, kIdYes};
  // Empty (the folder shown), relative, invalid, refused, too long, then the
  // same folder agreed.
  Session s("\nrelative\\dir\n" + base + "\\bad*name\n" + missing + "\n" + "C:\\" +
            std::string(300, 'a') + "\n" + missing + "\n");
  CFolderBrowser browser(s.terminal, "Ostrel Install package", "Where to?", missing, reporter);
  EXPECT_EQ(browser.Browse(), 1);
  EXPECT_EQ(std::string(browser.GetPath()), missing);
  EXPECT_TRUE(testing_support::FileExists(missing));
  ASSERT_EQ(reporter.asked.size(), 5u);
  EXPECT_NE(reporter.asked[0].text.find("does not exist"), std::string::npos);
  EXPECT_NE(reporter.asked[1].text.find("name is invalid"), std::string::npos);
  EXPECT_NE(reporter.asked[2].text.find("name is invalid"), std::string::npos);
  EXPECT_NE(reporter.asked[3].text.find("does not exist"), std::string::npos);
  EXPECT_NE(reporter.asked[4].text.find("does not exist"), std::string::npos);
  EXPECT_NE(s.out.str().find("Where to?\n(now: " + missing + ")"), std::string::npos) << s.out.str();
}

TEST(TerminalPromptTest, FolderBrowserCancelsAtTheEndOfInput) {
  RecordingReporter reporter;
  Session s("C:\\no\\such\\folder\n");  // not created: the reporter answers nothing
  CFolderBrowser browser(s.terminal, "T", "Where?", "", reporter);
  EXPECT_EQ(browser.Browse(), -1);
  EXPECT_FALSE(testing_support::FileExists("C:\\no\\such\\folder"));
}

TEST(TerminalOutputTest, BarIsRedrawnInPlaceBelowOtherOutput) {
  Session s("", true);
  s.terminal.ShowProgress(5, 10);
  s.terminal.ShowTask("Copying");
  s.terminal.ShowProgress(10, 10);
  s.terminal.KeepBar();
  s.terminal.ShowLine("after");
  const std::string half = "[" + std::string(20, '#') + std::string(20, ' ') + "] 5/10";
  const std::string full = "[" + std::string(40, '#') + "] 10/10";
  EXPECT_EQ(s.out.str(), half + "\r\x1b[K== Copying\n" + half + "\r\x1b[K" + full + "\nafter\n");
}

TEST(TerminalPromptTest, EnterTakesTheDefaultButtonAndUnknownAnswersListTheButtonsOnce) {
  struct Case {
    int style;
    const char* typed;
    int answer;
  };
  for (const Case& c : {Case{kMbOkCancel, "\n", kIdOk}, Case{kMbYesNo | 0x100, "  \n", kIdNo},
                        Case{kMbYesNoCancel | 0x200, "\n", kIdCancel},
                        Case{kMbYesNo | 0x300, "\n", kIdYes},  // no fourth button: the first
                        Case{kMbOk, "yes\nmaybe\n\n", kIdOk},
                        Case{kMbRetryCancel, "what\nc\n", kIdCancel}}) {
    Session s(c.typed);
    EXPECT_EQ(s.terminal.AskButtons("T", "Q", ButtonsOfStyle(c.style), DefaultButtonOfStyle(c.style)),
              c.answer)
        << c.style << "|" << c.typed;
    const std::string out = s.out.str();
    const size_t hint = out.find("(or its first letter)");
    EXPECT_EQ(hint != std::string::npos, std::string(c.typed).find_first_of("wy") == 0) << out;
    if (hint != std::string::npos) {
      EXPECT_EQ(out.find("(or its first letter)", hint + 1), std::string::npos) << out;
    }
  }
  Session s("maybe\n\n");
  s.terminal.AskButtons("T", "Q", {{"Install", kIdOk}, {"Cancel", kIdCancel}});
  EXPECT_NE(s.out.str().find("Type Install or Cancel (or its first letter); Enter alone answers Install."),
            std::string::npos)
      << s.out.str();
}

TEST(TerminalOutputTest, FileCountsFollowTheBarAndTheFileIsCutToTheWidth) {
  CHFS_FileProgress progress;
  progress.filesDone = 1;
  progress.filesTotal = 3;
  progress.bytesDone = 1536;
  progress.bytesTotal = 3u * 1024 * 1024 * 1024;
  EXPECT_EQ(FileCountsText(progress), "files 1/3, 1.5 KB of 3.0 GB");
  EXPECT_EQ(ByteCountText(1023), "1023 B");

  Session s("", true);  // 100 columns; the line stops short of the last one
  CTerminal terminal(s.in, s.out, true, 100);
  terminal.ShowProgress(1, 2);
  terminal.ShowFiles("files 1/3", "C:\\" + std::string(80, 'd') + "\\app.dll");
  terminal.ShowLine("Success.");
  terminal.ShowProgress(2, 2);
  const std::string half = "[" + std::string(20, '#') + std::string(20, ' ') + "] 1/2";
  const std::string withFiles = "[#####     ] 1/2  files 1/3: ..." + std::string(59, 'd') + "\\app.dll";
  ASSERT_EQ(withFiles.size(), 99u);
  EXPECT_EQ(s.out.str(), half + "\r\x1b[K" + withFiles + "\r\x1b[KSuccess.\n" + withFiles +
                             "\r\x1b[K[" + std::string(40, '#') + "] 2/2");

  Session plain("");
  plain.terminal.ShowFiles("files 0/2", "C:\\a.dll");
  plain.terminal.ShowFiles("files 2/2", "");
  EXPECT_EQ(plain.out.str(), "files 0/2: C:\\a.dll\nfiles 2/2\n");
}

TEST(TerminalOutputTest, FileProgressPassesTenTimesASecondAndAlwaysAtTheEnd) {
  CProgressPace pace;
  CHFS_FileProgress running;
  running.currentFile = "C:\\a";
  const CHFS_FileProgress end;
  const auto t0 = CProgressPace::Clock::now();
  auto at = [&](int ms) { return t0 + std::chrono::milliseconds(ms); };
  EXPECT_TRUE(pace.Due(running, at(0)));
  EXPECT_FALSE(pace.Due(running, at(60)));
  EXPECT_FALSE(pace.Due(running, at(99)));
  EXPECT_TRUE(pace.Due(running, at(100)));
  EXPECT_TRUE(pace.Due(end, at(110)));
  EXPECT_FALSE(pace.Due(running, at(150)));
}

}  // namespace
