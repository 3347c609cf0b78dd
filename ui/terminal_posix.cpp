#include "ui/terminal_posix.h"

#include <algorithm>

namespace {

std::string WithoutCarriageReturns(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c != '\r') out += c;
  }
  return out;
}

constexpr int kBarWidth = 40;

}  // namespace

CTerminal::CTerminal(std::istream& in, std::ostream& out, bool outIsTerminal)
    : in_(in), out_(out), outIsTerminal_(outIsTerminal) {}

void CTerminal::ShowProgress(int position, int maximum) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  const int range = maximum & 0xFFFF;  // the bar's range is a 16-bit value
  if (!outIsTerminal_) {
    out_ << "progress " << position << "/" << range << "\n" << std::flush;
    return;
  }
  const int filled = range > 0 ? std::min(kBarWidth, std::max(0, position * kBarWidth / range)) : 0;
  std::string bar(static_cast<size_t>(filled), '#');
  bar.resize(kBarWidth, ' ');
  ClearBar();
  bar_ = "[" + bar + "] " + std::to_string(position) + "/" + std::to_string(range);
  DrawBar();
}

void CTerminal::ShowTask(const std::string& text) { ShowLine("== " + text); }

void CTerminal::ShowDetail(const std::string& wholeText) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  // The box shows the whole text; the terminal prints what was added since.
  if (wholeText.size() < detailShown_) detailShown_ = 0;
  std::string added = WithoutCarriageReturns(wholeText.substr(detailShown_));
  detailShown_ = wholeText.size();
  if (added.empty()) return;
  if (added.back() != '\n') added += '\n';
  ClearBar();
  out_ << added;
  DrawBar();
}

void CTerminal::ShowBlock(const std::string& caption, const std::string& text) {
  ShowLine("-- " + caption + " --\n" + WithoutCarriageReturns(text));
}

void CTerminal::ShowLine(const std::string& text) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  ClearBar();
  out_ << text << "\n";
  DrawBar();
}

int CTerminal::AskButtons(const std::string& caption, const std::string& text,
                          const std::vector<ButtonChoice>& buttons) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  std::string labels;
  for (const ButtonChoice& button : buttons) {
    if (!labels.empty()) labels += "/";
    labels += button.label;
  }
  ShowBlock(caption, text);
  for (;;) {
    std::string line;
    if (!ReadLine("[" + labels + "]? ", line)) return ButtonAtEndOfInput(buttons);
    int code = ButtonFromAnswer(line, buttons);
    if (code != 0) return code;
  }
}

void CTerminal::KeepBar() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (bar_.empty()) return;
  out_ << "\n" << std::flush;
  bar_.clear();
}

bool CTerminal::ReadLine(const std::string& prompt, std::string& line) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  ClearBar();
  out_ << prompt << std::flush;
  if (!std::getline(in_, line)) {
    out_ << "\n" << std::flush;
    DrawBar();
    return false;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (!outIsTerminal_) out_ << line << "\n";
  DrawBar();
  return true;
}

void CTerminal::ClearBar() {
  // Back to the start of the bar's line and clear it, so other output takes
  // its place; the bar is drawn again below.
  if (!bar_.empty()) out_ << "\r\x1b[K";
}

void CTerminal::DrawBar() {
  if (!bar_.empty()) out_ << bar_;
  out_ << std::flush;
}
