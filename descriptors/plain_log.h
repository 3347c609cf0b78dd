// Plain trace-log lines (no time stamp) with values in them, written through
// the engine's reporter. The format must be a literal of ours; values go in
// as arguments, and the line is cut to the trace buffer's bound.
#pragma once

#include "engine/engine.h"

void WritePlainLog(CHFS_Engine& engine, const char* format, ...) BREVANE_PRINTF(2, 3);
