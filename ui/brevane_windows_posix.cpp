// The terminal stand-in for the program's windows.
#include <sys/ioctl.h>
#include <unistd.h>

#include <iostream>
#include <thread>

#include "engine/engine.h"
#include "engine/strings.h"
#include "ui/brevane_windows.h"
#include "ui/file_progress_text.h"
#include "ui/prompts_posix.h"
#include "ui/terminal_posix.h"

namespace {

// The template captions, kept when the script gives no title.
const char kMainCaption[] = "Brevane";
const char kProgressCaption[] = "Ostrel Hotfix tool";

// The terminal's columns; 80 when they cannot be read.
int TerminalWidth() {
  winsize size = {};
  if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

class CTerminalWindows : public CBrevaneWindows {
 public:
  explicit CTerminalWindows(CHFS_RunFlags& flags)
      : flags_(flags),
        onTerminal_(::isatty(STDOUT_FILENO) != 0),
        terminal_(std::cin, std::cout, onTerminal_, onTerminal_ ? TerminalWidth() : 80),
        inputDlg_(terminal_) {}

  void ShowProgress(int position, int maximum) override {
    terminal_.ShowProgress(position, maximum);
  }
  void ShowTaskText(const std::string& text) override { terminal_.ShowTask(text); }
  // Silent runs add nothing to a transcript; a person watching still sees it.
  void ShowFileProgress(const CHFS_FileProgress& progress) override {
    if (flags_.silent && !onTerminal_) return;
    if (pace_.Due(progress)) terminal_.ShowFiles(FileCountsText(progress), progress.currentFile);
  }
  void ShowDetailText(const std::string& wholeText) override { terminal_.ShowDetail(wholeText); }
  void SetMainDescription(const std::string& text) override { description_ = text; }
  void SetReadmeText(const std::string& text) override { readme_ = text; }
  bool HasCurrentMainWindow() const override { return hasCurrent_; }

  int MessageBox(const std::string& text, const std::string& caption, int style,
                 bool owned) override {
    return terminal_.AskButtons(owned ? Heading(caption) : caption, text, ButtonsOfStyle(style),
                                DefaultButtonOfStyle(style));
  }

  int AskInput(const std::string& title, const std::string& question,
               const std::string& initialAnswer, int maxLength, std::string& answer) override {
    inputDlg_.SetTexts(Heading(title), question, initialAnswer, maxLength);
    int result = inputDlg_.ShowModal();
    if (result == kIdOk) answer = inputDlg_.GetAnswer();
    return result;
  }

  int BrowseForFolder(const std::string& title, const std::string& instruction,
                      const std::string& initialFolder, CHFS_Reporter& reporter,
                      std::string& path) override {
    CFolderBrowser browser(terminal_, Heading(title), instruction, initialFolder, reporter);
    int result = browser.Browse();
    if (result == 1) path = browser.GetPath();
    return result;
  }

  MainWindowOutcome RunMainWindow(CHFS_Engine& engine,
                                  const std::function<int()>& execute) override {
    hasCurrent_ = true;
    scriptTitle_ = TitleOf(engine, "WelcomeWindowTitle");
    const std::string title = scriptTitle_.empty() ? kMainCaption : scriptTitle_;
    const char* confirm = BrevaneString(flags_.remove ? kIdsRemove : kIdsInstall);
    if (!flags_.silent) {
      int answer = terminal_.AskButtons(title, description_ + "\n\n" + readme_,
                                        {{confirm, kIdOk}, {"Cancel", kIdCancel}});
      if (answer != kIdOk) return MainWindowOutcome::kCancelled;
    }
    RunProgressWindow(engine, execute);
    return MainWindowOutcome::kRan;
  }

 private:
  // The title the script gives a window; empty when it gives none.
  static std::string TitleOf(CHFS_Engine& engine, const char* key) {
    std::string title = engine.ReadItem(key, "ProductInstall.Main", 0);
    return title == kEmptyItem ? std::string() : title;
  }

  // A question is headed by the title the script gives the current window,
  // else by its own caption: the product's name rather than the program's.
  std::string Heading(const std::string& caption) const {
    return scriptTitle_.empty() ? caption : scriptTitle_;
  }

  void RunProgressWindow(CHFS_Engine& engine, const std::function<int()>& execute) {
    scriptTitle_ = TitleOf(engine, "SetupWindowTitle");
    const std::string title = scriptTitle_.empty() ? kProgressCaption : scriptTitle_;
    terminal_.ShowLine("==== " + title + " ====");
    // The run happens on its own worker thread, as on Windows; this thread
    // waits for it without a time limit.
    std::thread worker([&execute] { execute(); });
    worker.join();
    terminal_.KeepBar();
    if (!flags_.silent) terminal_.AskButtons(title, "The run has ended.", {{"OK", kIdOk}});
  }

  CHFS_RunFlags& flags_;
  bool onTerminal_;
  CTerminal terminal_;
  CProgressPace pace_;
  std::string scriptTitle_;  // of the current window; empty when the script gives none
  CInputDlg inputDlg_;
  bool hasCurrent_ = false;
  std::string description_;
  std::string readme_;
};

}  // namespace

std::unique_ptr<CBrevaneWindows> CBrevaneWindows::Create(CHFS_RunFlags& flags) {
  return std::make_unique<CTerminalWindows>(flags);
}
