#include "ui/button_answers.h"

#include "engine/reporter.h"
#include "os/case_fold.h"

std::vector<ButtonChoice> ButtonsOfStyle(int style) {
  switch (style & 0xF) {
    case kMbOkCancel: return {{"OK", kIdOk}, {"Cancel", kIdCancel}};
    case kMbAbortRetryIgnore: return {{"Abort", kIdAbort}, {"Retry", kIdRetry}, {"Ignore", kIdIgnore}};
    case kMbYesNoCancel: return {{"Yes", kIdYes}, {"No", kIdNo}, {"Cancel", kIdCancel}};
    case kMbYesNo: return {{"Yes", kIdYes}, {"No", kIdNo}};
    case kMbRetryCancel: return {{"Retry", kIdRetry}, {"Cancel", kIdCancel}};
    default: return {{"OK", kIdOk}};
  }
}

size_t DefaultButtonOfStyle(int style) {
  const size_t index = static_cast<size_t>((style >> 8) & 0xF);
  return index < ButtonsOfStyle(style).size() ? index : 0;
}

namespace {
std::string Trimmed(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return std::string();
  size_t end = text.find_last_not_of(" \t\r\n");
  return text.substr(begin, end - begin + 1);
}
}  // namespace

int ButtonFromAnswer(const std::string& answer, const std::vector<ButtonChoice>& buttons) {
  std::string typed = os::UpperCaseAnsi(Trimmed(answer));
  if (typed.empty()) return 0;
  for (const ButtonChoice& button : buttons) {
    std::string label = os::UpperCaseAnsi(button.label);
    if (typed == label || (typed.size() == 1 && typed[0] == label[0])) return button.code;
  }
  return 0;
}

int ButtonAtEndOfInput(const std::vector<ButtonChoice>& buttons) {
  for (int wanted : {static_cast<int>(kIdCancel), static_cast<int>(kIdNo)}) {
    for (const ButtonChoice& button : buttons) {
      if (button.code == wanted) return wanted;
    }
  }
  return buttons.empty() ? 0 : buttons.front().code;
}
