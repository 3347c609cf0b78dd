// What the layers below the engine may write to the trace log: a time-stamped
// line and a plain one. The engine implements it; the descriptor readers and
// the INI writer are handed it instead of the whole engine.
#pragma once

#include <cstddef>
#include <string>

#if defined(__GNUC__)
#define BREVANE_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define BREVANE_PRINTF(fmt, args)
#endif

// Bound of one formatted Trace or TraceDetail line, prefix and NUL included.
constexpr size_t kTraceBufferSize = 2048;

class CHFS_LogPort {
 public:
  virtual ~CHFS_LogPort() = default;
  // Time-stamped log line; formats are literals of ours only.
  virtual void Trace(const char* format, ...) BREVANE_PRINTF(2, 3) = 0;
  // One line of the trace log as it is (nothing when there is no log).
  virtual void WriteLogLine(const std::string& line) = 0;
  // A file a reader was handed back unread (too large, a device): the engine
  // names it and fails the run; other ports need not care.
  virtual void NoteRefusedRead(const std::string& file) {}
};
