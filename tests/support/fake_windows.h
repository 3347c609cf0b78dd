// Test doubles for the reporter and the windows: they record every call and
// answer message boxes from a queue.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "engine/reporter.h"
#include "engine/window_port.h"

namespace testing_support {

struct ShownBox {
  std::string text;
  std::string caption;
  int style = 0;
  bool owned = false;
};

class FakeWindows : public CHFS_WindowPort {
 public:
  void ShowProgress(int position, int maximum) override {
    progress.push_back({position, maximum});
  }
  void ShowTaskText(const std::string& text) override { taskTexts.push_back(text); }
  void ShowDetailText(const std::string& wholeText) override { detailText = wholeText; }
  void SetMainDescription(const std::string& text) override { description = text; }
  void SetReadmeText(const std::string& text) override { readme = text; }
  bool HasCurrentMainWindow() const override { return hasMainWindow; }
  int MessageBox(const std::string& text, const std::string& caption, int style,
                 bool owned) override {
    boxes.push_back({text, caption, style, owned});
    if (answers.empty()) return 1;
    int answer = answers.front();
    answers.pop_front();
    return answer;
  }

  bool hasMainWindow = true;
  std::deque<int> answers;
  std::vector<ShownBox> boxes;
  std::vector<std::pair<int, int>> progress;
  std::vector<CHFS_FileProgress> files;
  std::vector<std::string> taskTexts;
  std::string detailText;
  std::string description;
  std::string readme;
};

// A reporter that keeps what it is told in memory; WriteLog lines collect in
// log, one entry per call.
class RecordingReporter : public CHFS_Reporter {
 public:
  int SetProgress(int position, int maximum) override {
    progress.push_back({position, maximum});
    return 0;
  }
  int SetTaskText(const std::string& text, int rollbackFlag) override {
    taskTexts.push_back((rollbackFlag == 1 ? "Rollback:" : "") + text);
    log.push_back(taskTexts.back());
    return 0;
  }
  int AddDetailText(const std::string& text, int rollbackFlag) override {
    details.push_back((rollbackFlag == 1 ? "Rollback:" : "") + text);
    log.push_back(details.back());
    return 0;
  }
  int SetMainDescription(const std::string& text) override {
    description = text;
    return 0;
  }
  int SetReadmeText(const std::string& text) override {
    readme = text;
    return 0;
  }
  int WriteLog(const std::string& text) override {
    log.push_back(text);
    return 0;
  }
  int Ask(const std::string& text, int style) override {
    asked.push_back({text, std::string(), style, true});
    if (answers.empty()) return 0;
    int answer = answers.front();
    answers.pop_front();
    return answer;
  }

  void ReportFileProgress(const CHFS_FileProgress& reported) override {
    files.push_back(reported);
  }

  // True when some log line, with any "[date:time]" prefix removed, equals line.
  bool Logged(const std::string& line) const;
  // The log lines with their "[date:time]" prefixes removed.
  std::vector<std::string> Lines() const;

  std::deque<int> answers;
  std::vector<ShownBox> asked;
  std::vector<std::pair<int, int>> progress;
  std::vector<CHFS_FileProgress> files;
  std::vector<std::string> taskTexts;
  std::vector<std::string> details;
  std::vector<std::string> log;
  std::string description;
  std::string readme;
};

// The line with a leading "[yyyy-mm-dd:hh:mm:ss]" removed, if it has one.
std::string WithoutTimeStamp(const std::string& line);

}  // namespace testing_support
