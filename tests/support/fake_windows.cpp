#include "tests/support/fake_windows.h"

#include <cctype>

namespace testing_support {

std::string WithoutTimeStamp(const std::string& line) {
  // [2004-05-28:11:40:42] is 21 characters with a four-digit year.
  if (line.size() < 21 || line[0] != '[') return line;
  size_t close = line.find(']');
  if (close == std::string::npos || close < 20) return line;
  for (size_t i = 1; i < close; ++i) {
    char c = line[i];
    if (!std::isdigit(static_cast<unsigned char>(c)) && c != '-' && c != ':') return line;
  }
  return line.substr(close + 1);
}

std::vector<std::string> RecordingReporter::Lines() const {
  std::vector<std::string> lines;
  for (const std::string& entry : log) lines.push_back(WithoutTimeStamp(entry));
  return lines;
}

bool RecordingReporter::Logged(const std::string& line) const {
  for (const std::string& entry : log) {
    if (WithoutTimeStamp(entry) == line) return true;
  }
  return false;
}

}  // namespace testing_support
