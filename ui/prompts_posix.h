// The input window and the folder browser as terminal prompts.
#pragma once

#include <string>

#include "ui/terminal_posix.h"

class CHFS_Reporter;

// One question answered by one line: the whole line is the answer. When an
// answer is shown, the empty line keeps it and a lone "-" empties it; else the
// empty line is the empty answer. A line longer than the maximum length is
// refused and the question asked again, as the edit box would not take it.
class CInputDlg {
 public:
  explicit CInputDlg(CTerminal& terminal) : terminal_(terminal) {}

  // The texts and the limit (0 or less: none) for the next showing.
  void SetTexts(const std::string& title, const std::string& question,
                const std::string& initialAnswer, int maxLength);
  // 1 (OK) with the answer taken; 2 (Cancel) at the end of input, the answer
  // left as it was.
  int ShowModal();
  [[nodiscard]] const std::string& GetAnswer() const { return answer_; }

 private:
  CTerminal& terminal_;
  std::string title_;
  std::string question_ = "Question?";
  std::string answer_;
  int maxLength_ = 0;
};

// A folder path answered by one line (the empty line: the folder shown),
// checked with platform::ConfirmFolder (whose questions and messages go
// through the reporter); asked again until a folder is accepted or the input
// ends.
class CFolderBrowser {
 public:
  // Paths of this many characters or more do not fit the result buffer.
  static constexpr size_t kPathBuffer = 260;

  CFolderBrowser(CTerminal& terminal, const std::string& title, const std::string& instruction,
                 const std::string& initialFolder, CHFS_Reporter& reporter);

  // 1 when a folder was chosen and accepted, -1 when the input ended.
  int Browse();
  [[nodiscard]] const std::string& GetPath() const { return path_; }

 private:
  CTerminal& terminal_;
  std::string title_;
  std::string instruction_;
  std::string initialFolder_;
  CHFS_Reporter& reporter_;
  std::string path_;
};
