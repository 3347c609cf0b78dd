// The terminal stand-in for the program's windows.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <thread>

#include "engine/engine.h"
#include "engine/strings.h"
#include "ui/brevane_windows.h"
#include "ui/button_answers.h"

namespace {

class CTerminalWindows : public CBrevaneWindows {
 public:
  explicit CTerminalWindows(CHFS_RunFlags& flags)
      : flags_(flags), interactive_(::isatty(STDOUT_FILENO) != 0) {}

  void ShowProgress(int position, int maximum) override {
    std::lock_guard<std::mutex> guard(lock_);
    int range = maximum & 0xFFFF;  // the bar's range is a 16-bit value
    if (interactive_) {
      const int width = 40;
      int filled = range > 0 ? std::min(width, std::max(0, position * width / range)) : 0;
      std::string bar(static_cast<size_t>(filled), '#');
      bar.resize(width, ' ');
      std::printf("\r[%s] %d/%d", bar.c_str(), position, range);
      std::fflush(stdout);
      barShown_ = true;
    } else {
      std::printf("progress %d/%d\n", position, range);
    }
  }

  void ShowTaskText(const std::string& text) override {
    std::lock_guard<std::mutex> guard(lock_);
    EndBarLine();
    std::printf("== %s\n", text.c_str());
  }

  void ShowDetailText(const std::string& wholeText) override {
    std::lock_guard<std::mutex> guard(lock_);
    // The box shows the whole text; a terminal prints what was added since.
    if (wholeText.size() < detailShown_) detailShown_ = 0;
    std::string added = wholeText.substr(detailShown_);
    detailShown_ = wholeText.size();
    if (added.empty()) return;
    EndBarLine();
    std::string printable;
    for (char c : added) {
      if (c != '\r') printable += c;
    }
    std::fputs(printable.c_str(), stdout);
    if (printable.back() != '\n') std::fputc('\n', stdout);
    std::fflush(stdout);
  }

  void SetMainDescription(const std::string& text) override { description_ = text; }
  void SetReadmeText(const std::string& text) override { readme_ = text; }

  bool HasCurrentMainWindow() const override { return hasCurrent_; }

  int MessageBox(const std::string& text, const std::string& caption, int style,
                 bool owned) override {
    std::lock_guard<std::mutex> guard(lock_);
    EndBarLine();
    return Prompt(caption, text, ButtonsOfStyle(style));
  }

  MainWindowOutcome RunMainWindow(CHFS_Engine& engine,
                                  const std::function<int()>& execute) override {
    hasCurrent_ = true;
    std::string title = engine.ReadItem("WelcomeWindowTitle", "ProductInstall.Main", 0);
    if (title == kEmptyItem) title = "Brevane";
    const char* confirmLabel = BrevaneString(flags_.remove ? kIdsRemove : kIdsInstall);
    if (!flags_.silent) {
      std::string text = description_ + "\n\n" + readme_;
      int answer = Prompt(title, text, {{confirmLabel, kIdOk}, {"Cancel", kIdCancel}});
      if (answer != kIdOk) return MainWindowOutcome::kCancelled;
    }
    RunProgressWindow(engine, execute);
    return MainWindowOutcome::kRan;
  }

 private:
  void RunProgressWindow(CHFS_Engine& engine, const std::function<int()>& execute) {
    std::string title = engine.ReadItem("SetupWindowTitle", "ProductInstall.Main", 0);
    if (title == kEmptyItem) title = "Ostrel Hotfix tool";
    {
      std::lock_guard<std::mutex> guard(lock_);
      std::printf("==== %s ====\n", title.c_str());
      std::fflush(stdout);
    }
    // The run happens on its own worker thread, as on Windows; this thread
    // waits for it without a time limit.
    std::thread worker([&execute] { execute(); });
    worker.join();
    std::lock_guard<std::mutex> guard(lock_);
    EndBarLine();
    if (!flags_.silent) Prompt(title, "The run has ended.", {{"OK", kIdOk}});
  }

  void EndBarLine() {
    if (barShown_) std::fputc('\n', stdout);
    barShown_ = false;
  }

  // Shows text with its buttons and reads answers until one names a button.
  int Prompt(const std::string& caption, const std::string& text,
             const std::vector<ButtonChoice>& buttons) {
    std::string labels;
    for (const ButtonChoice& button : buttons) {
      if (!labels.empty()) labels += "/";
      labels += button.label;
    }
    std::string printable;
    for (char c : text) {
      if (c != '\r') printable += c;
    }
    std::printf("-- %s --\n%s\n", caption.c_str(), printable.c_str());
    for (;;) {
      std::printf("[%s]? ", labels.c_str());
      std::fflush(stdout);
      std::string line;
      if (!std::getline(std::cin, line)) {
        std::printf("\n");
        return ButtonAtEndOfInput(buttons);
      }
      if (!interactive_) std::printf("%s\n", line.c_str());
      int code = ButtonFromAnswer(line, buttons);
      if (code != 0) return code;
    }
  }

  CHFS_RunFlags& flags_;
  bool interactive_;
  bool hasCurrent_ = false;
  bool barShown_ = false;
  size_t detailShown_ = 0;
  std::string description_;
  std::string readme_;
  std::mutex lock_;
};

}  // namespace

std::unique_ptr<CBrevaneWindows> CBrevaneWindows::Create(CHFS_RunFlags& flags) {
  return std::make_unique<CTerminalWindows>(flags);
}
