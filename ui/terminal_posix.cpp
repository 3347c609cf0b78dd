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

// "[####    ] 2/4", the bar width characters wide.
std::string BarText(int position, int range, int width) {
  const int filled = range > 0 ? static_cast<int>(std::min<long long>(
                                     width, std::max<long long>(0, 1LL * position * width / range))) : 0;
  std::string bar(static_cast<size_t>(filled), '#');
  bar.resize(static_cast<size_t>(width), ' ');
  return "[" + bar + "] " + std::to_string(position) + "/" + std::to_string(range);
}

// "Type Install or Cancel (or its first letter); Enter alone answers Install."
std::string AcceptedAnswers(const std::vector<ButtonChoice>& buttons, size_t defaultIndex) {
  std::string text = "Type ";
  for (size_t i = 0; i < buttons.size(); ++i) {
    if (i > 0) text += i + 1 == buttons.size() ? " or " : ", ";
    text += buttons[i].label;
  }
  text += " (or its first letter)";
  if (defaultIndex < buttons.size()) {
    text += std::string("; Enter alone answers ") + buttons[defaultIndex].label;
  }
  return text + ".";
}

}  // namespace

CTerminal::CTerminal(std::istream& in, std::ostream& out, bool outIsTerminal, int width)
    : in_(in), out_(out), outIsTerminal_(outIsTerminal), width_(std::max(width, 20)) {}

void CTerminal::ShowProgress(int position, int maximum) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  const int range = maximum & 0xFFFF;  // the bar's range is a 16-bit value
  if (!outIsTerminal_) {
    out_ << "progress " << position << "/" << range << "\n" << std::flush;
    return;
  }
  ClearBar();
  position_ = position;
  range_ = range;
  hasBar_ = true;
  fileCounts_.clear();
  file_.clear();
  DrawBar();
}

void CTerminal::ShowFiles(const std::string& counts, const std::string& file) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (!outIsTerminal_) {
    out_ << counts << (file.empty() ? "" : ": " + file) << "\n" << std::flush;
    return;
  }
  ClearBar();
  fileCounts_ = counts;
  file_ = file;
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
                          const std::vector<ButtonChoice>& buttons, size_t defaultIndex) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  std::string labels;
  for (const ButtonChoice& button : buttons) {
    if (!labels.empty()) labels += "/";
    labels += button.label;
  }
  ShowBlock(caption, text);
  bool hinted = false;
  for (;;) {
    std::string line;
    if (!ReadLine("[" + labels + "]? ", line)) return ButtonAtEndOfInput(buttons);
    if (line.find_first_not_of(" \t") == std::string::npos && defaultIndex < buttons.size()) {
      return buttons[defaultIndex].code;
    }
    int code = ButtonFromAnswer(line, buttons);
    if (code != 0) return code;
    if (!hinted) ShowLine(AcceptedAnswers(buttons, defaultIndex));
    hinted = true;
  }
}

void CTerminal::KeepBar() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (drawn_.empty()) return;
  out_ << "\n" << std::flush;
  hasBar_ = false;
  fileCounts_.clear();
  file_.clear();
  drawn_.clear();
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
  if (!drawn_.empty()) out_ << "\r\x1b[K";
  drawn_.clear();
}

void CTerminal::DrawBar() {
  drawn_ = BarLine();
  out_ << drawn_ << std::flush;
}

std::string CTerminal::BarLine() const {
  // A line that reached the last column would wrap, and the next redraw
  // would clear only its second part.
  const size_t room = static_cast<size_t>(width_ - 1);
  // The bar narrows while file counts follow it, leaving them the room.
  std::string line = hasBar_ ? BarText(position_, range_, fileCounts_.empty() ? 40 : 10) : "";
  if (!fileCounts_.empty()) line += (line.empty() ? "" : "  ") + fileCounts_;
  if (!file_.empty() && line.size() + 2 < room) {
    const size_t left = room - line.size() - 2;
    if (file_.size() <= left) {
      line += ": " + file_;
    } else if (left > 3) {
      line += ": ..." + file_.substr(file_.size() - (left - 3));
    }
  }
  return line.substr(0, room);
}
