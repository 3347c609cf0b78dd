#include "ui/prompts_posix.h"

#include "engine/reporter.h"
#include "os/machine.h"
#include "ui/confirm_folder.h"

void CInputDlg::SetTexts(const std::string& title, const std::string& question,
                         const std::string& initialAnswer, int maxLength) {
  title_ = title;
  question_ = question;
  answer_ = initialAnswer;
  maxLength_ = maxLength;
}

int CInputDlg::ShowModal() {
  std::string text = question_;
  if (!answer_.empty()) text += "\n(now: " + answer_ + "; Enter keeps it, a lone - empties it)";
  terminal_.ShowBlock(title_, text);
  const size_t limit = maxLength_ > 0 ? static_cast<size_t>(maxLength_) : 0;
  for (;;) {
    std::string line;
    if (!terminal_.ReadLine("> ", line)) return kIdCancel;
    // The edit box opens holding the answer: OK alone keeps it, and emptying
    // the box is the one way to answer nothing.
    if (!answer_.empty() && (line.empty() || line == "-")) {
      if (line == "-") answer_.clear();
      return kIdOk;
    }
    if (limit == 0 || line.size() <= limit) {
      answer_ = line;
      return kIdOk;
    }
    terminal_.ShowLine("At most " + std::to_string(limit) + " characters, please.");
  }
}

CFolderBrowser::CFolderBrowser(CTerminal& terminal, const std::string& title,
                               const std::string& instruction, const std::string& initialFolder,
                               CHFS_Reporter& reporter)
    : terminal_(terminal),
      title_(title),
      instruction_(instruction),
      initialFolder_(initialFolder),
      reporter_(reporter) {}

int CFolderBrowser::Browse() {
  std::string shown = initialFolder_;
  if (shown.empty() && !os::GetCurrentFolder(shown)) shown.clear();
  terminal_.ShowBlock(title_, instruction_ + "\n(now: " + shown + ")");
  for (;;) {
    std::string line;
    if (!terminal_.ReadLine("folder> ", line)) return -1;
    if (line.empty()) line = shown;  // OK on the folder the browser opened at
    if (line.empty()) {
      terminal_.ShowLine("Type the path of a folder on a drive, such as C:\\Folder.");
      continue;
    }
    if (line.size() >= kPathBuffer) {
      terminal_.ShowLine("The path is too long.");
      continue;
    }
    if (platform::ConfirmFolder(line, reporter_) == 0) {
      path_ = line;
      return 1;
    }
    terminal_.ShowLine("Choose another folder.");
  }
}
