#include "platform/plain_log.h"

#include <cstdarg>
#include <cstdio>

void WritePlainLog(CHFS_LogPort& log, const char* format, ...) {
  char line[kTraceBufferSize];
  va_list args;
  va_start(args, format);
  int length = std::vsnprintf(line, sizeof(line), format, args);
  va_end(args);
  if (length < 0) std::snprintf(line, sizeof(line), "%s", "format debug string failed!");
  log.WriteLogLine(line);
}
