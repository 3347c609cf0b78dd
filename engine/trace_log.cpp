#include "engine/trace_log.h"

#include "engine/builtin_symbols.h"
#include "engine/strings.h"
#include "os/notices.h"
#include "os/simple_file.h"

namespace {
std::string WithRollbackPrefix(const std::string& text, int rollbackFlag) {
  // Only the value 1 marks a rollback text; any other value means none.
  return rollbackFlag == 1 ? BrevaneString(kIdsRollbackPrefix) + text : text;
}
}  // namespace

CHFS_TraceLog::CHFS_TraceLog(const std::string& logPath, const CHFS_RunFlags& flags)
    : logPath_(logPath), flags_(flags) {
  detailText_.reserve(10240);
}

int CHFS_TraceLog::SetProgress(int position, int maximum) {
  if (windows_ != nullptr) windows_->ShowProgress(position, maximum);
  return 0;
}

int CHFS_TraceLog::SetTaskText(const std::string& text, int rollbackFlag) {
  std::string line = WithRollbackPrefix(text, rollbackFlag);
  if (windows_ != nullptr) windows_->ShowTaskText(line);
  WriteLog(line);
  return 0;
}

int CHFS_TraceLog::AddDetailText(const std::string& text, int rollbackFlag) {
  std::string piece = WithRollbackPrefix(text, rollbackFlag);
  detailText_ += piece;
  WriteLog(piece);
  if (windows_ != nullptr) windows_->ShowDetailText(detailText_);
  return 0;
}

int CHFS_TraceLog::SetMainDescription(const std::string& text) {
  if (windows_ != nullptr) windows_->SetMainDescription(text);
  return 0;
}

int CHFS_TraceLog::SetReadmeText(const std::string& text) {
  if (windows_ != nullptr) windows_->SetReadmeText(text);
  return 0;
}

int CHFS_TraceLog::WriteLog(const std::string& text) {
  // What the platform layer noticed meanwhile comes first, each once.
  std::string records;
  for (const std::string& notice : os::TakeNotices()) records += notice + "\n";
  return os::AppendText(logPath_, records + text + "\n") ? 0 : -1;
}

int CHFS_TraceLog::Ask(const std::string& text, int style) {
  if (flags_.silent || windows_ == nullptr || !windows_->HasCurrentMainWindow()) return 0;
  return windows_->MessageBox(text, BrevaneString(kIdsMessageCaption), style, true);
}

void CHFS_TraceLog::ReportFileProgress(const CHFS_FileProgress& progress) {
  if (windows_ != nullptr) windows_->ShowFileProgress(progress);
}

std::string ChooseTraceLogPath() {
  const char kFixedLog[] = "c:\\Brevane.log";
  if (os::AppendText(kFixedLog, std::string())) return kFixedLog;
  return TempFolderValue() + "Brevane.log";
}

std::string TraceLogBanner() {
  const std::string at(37, '@');
  return "\r\n" + at + " Log Start " + at + "\r\n";
}
