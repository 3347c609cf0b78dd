// Plain trace-log lines (no time stamp) with values in them. The format must
// be a literal of ours; values go in as arguments, and the line is cut to the
// trace buffer's bound.
#pragma once

#include "platform/log_port.h"

void WritePlainLog(CHFS_LogPort& log, const char* format, ...) BREVANE_PRINTF(2, 3);
