// The reporter: the trace log file plus the windows it drives.
//
// The log file only grows: every WriteLog opens it for appending, writes the
// text and a line feed, and closes it. Line feeds are stored as CR LF on both
// platforms (text mode on Windows; the same bytes are written elsewhere).
#pragma once

#include <string>

#include "engine/command_line.h"
#include "engine/reporter.h"
#include "engine/window_port.h"

class CHFS_TraceLog : public CHFS_Reporter {
 public:
  // logPath is a Windows path; flags give the silent flag that Ask honours.
  CHFS_TraceLog(const std::string& logPath, const CHFS_RunFlags& flags);

  // The windows, once they exist (null before and after).
  void SetWindowPort(CHFS_WindowPort* windows) { windows_ = windows; }

  int SetProgress(int position, int maximum) override;
  int SetTaskText(const std::string& text, int rollbackFlag) override;
  int AddDetailText(const std::string& text, int rollbackFlag) override;
  int SetMainDescription(const std::string& text) override;
  int SetReadmeText(const std::string& text) override;
  int WriteLog(const std::string& text) override;
  int Ask(const std::string& text, int style) override;
  void ReportFileProgress(const CHFS_FileProgress& progress) override;

  [[nodiscard]] const std::string& LogPath() const { return logPath_; }
  [[nodiscard]] const std::string& DetailText() const { return detailText_; }

 private:
  std::string logPath_;
  std::string detailText_;
  const CHFS_RunFlags& flags_;
  CHFS_WindowPort* windows_ = nullptr;
};

// Where the log goes: "c:\Brevane.log" when it can be opened for appending,
// else "Brevane.log" in the temporary folder (not tried).
std::string ChooseTraceLogPath();

// The start banner: CR LF, 37 "@", " Log Start ", 37 "@", CR LF.
std::string TraceLogBanner();
