#include <gtest/gtest.h>

#include <sstream>

#include "engine/reporter.h"
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
  {
    Session s("\n");
    CInputDlg input(s.terminal);
    input.SetTexts("T", "Q", "old", 0);
    EXPECT_EQ(input.ShowModal(), kIdOk);
    EXPECT_EQ(input.GetAnswer(), "");
  }
  {
    Session s("");
    CInputDlg input(s.terminal);
    input.SetTexts("T", "Q", "old", 0);
    EXPECT_EQ(input.ShowModal(), kIdCancel);
    EXPECT_EQ(input.GetAnswer(), "old");
  }
}

TEST(TerminalPromptTest, FolderBrowserAsksAgainUntilAFolderIsAccepted) {
  const std::string base = testing_support::NewTestFolder();
  const std::string missing = base + "\\made";
  RecordingReporter reporter;
  // Two invalid names, then: refuse to create, then agree.
  reporter.answers = {kIdOk, kIdOk, kIdNo, kIdYes};
  // Empty, relative, invalid, refused, too long, then the same folder agreed.
  Session s("\nrelative\\dir\n" + base + "\\bad*name\n" + missing + "\n" + "C:\\" +
            std::string(300, 'a') + "\n" + missing + "\n");
  CFolderBrowser browser(s.terminal, "Ostrel Install package", "Where to?", base, reporter);
  EXPECT_EQ(browser.Browse(), 1);
  EXPECT_EQ(std::string(browser.GetPath()), missing);
  EXPECT_TRUE(testing_support::FileExists(missing));
  ASSERT_EQ(reporter.asked.size(), 4u);
  EXPECT_NE(reporter.asked[0].text.find("name is invalid"), std::string::npos);
  EXPECT_NE(reporter.asked[1].text.find("name is invalid"), std::string::npos);
  EXPECT_NE(reporter.asked[2].text.find("does not exist"), std::string::npos);
  EXPECT_NE(reporter.asked[3].text.find("does not exist"), std::string::npos);
  EXPECT_NE(s.out.str().find("Where to?\n(now: " + base + ")"), std::string::npos) << s.out.str();
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

}  // namespace
