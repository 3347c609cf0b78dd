// Everything the program reports goes through one object: the trace log file,
// the progress window's task line, detail box and progress bar, the main
// window's description and readme, and the message boxes that ask the user.
// The engine and every section handler hold it through this interface; its
// one implementation is CHFS_TraceLog. Tests replace it.
#pragma once

#include <cstdint>
#include <string>

// Message-box button codes that Ask returns.
enum : int {
  kIdOk = 1,
  kIdCancel = 2,
  kIdAbort = 3,
  kIdRetry = 4,
  kIdIgnore = 5,
  kIdYes = 6,
  kIdNo = 7,
};

// Message-box style words (buttons in the low four bits, the icon above them).
enum : int {
  kMbOk = 0x0,
  kMbOkCancel = 0x1,
  kMbAbortRetryIgnore = 0x2,
  kMbYesNoCancel = 0x3,
  kMbYesNo = 0x4,
  kMbRetryCancel = 0x5,
  kMbIconError = 0x10,
  kMbIconQuestion = 0x20,
  kMbIconWarning = 0x30,
  kMbIconInformation = 0x40,
};

// How far a file group or a backup has got: the files and bytes copied so
// far of all it copies, and the file being copied now (empty at the end).
struct CHFS_FileProgress {
  int filesDone = 0;
  int filesTotal = 0;
  std::uint64_t bytesDone = 0;
  std::uint64_t bytesTotal = 0;
  std::string currentFile;
};

class CHFS_Reporter {
 public:
  virtual ~CHFS_Reporter() = default;

  // Progress bar range 0..maximum (16 bits), then the position. Always 0.
  virtual int SetProgress(int position, int maximum) = 0;
  // The task line; rollbackFlag 1 prefixes "Rollback:". Always 0.
  virtual int SetTaskText(const std::string& text, int rollbackFlag) = 0;
  // Appends to the detail box; rollbackFlag 1 prefixes "Rollback:". Always 0.
  virtual int AddDetailText(const std::string& text, int rollbackFlag) = 0;
  virtual int SetMainDescription(const std::string& text) = 0;
  virtual int SetReadmeText(const std::string& text) = 0;
  // One record of the trace log: the text and a line feed. 0, or -1 when the
  // log file cannot be opened.
  virtual int WriteLog(const std::string& text) = 0;
  // A message box with the given style; the button pressed, or 0 when silent
  // or when no main window is current.
  virtual int Ask(const std::string& text, int style) = 0;
  // Progress within a step that copies files; shown, never logged.
  virtual void ReportFileProgress(const CHFS_FileProgress& progress) {}
};
