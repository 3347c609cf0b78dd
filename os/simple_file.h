// Whole-file conveniences for the trace log and the readme: no handle is kept
// between calls.
#pragma once

#include <string>

namespace os {

// Opens path for appending in text mode ("a+t"), writes text with every line
// feed stored as CR LF, flushes and closes. False (nothing written) when the
// file cannot be opened. The Windows build uses the C runtime's text mode;
// the POSIX build writes the same bytes.
// A kill chosen with BREVANE_KILL_AT=N+ that is due happens before the write.
[[nodiscard]] bool AppendText(const std::string& path, const std::string& text);

// Asks the system to put what was written to path on the disk itself
// (fsync / FlushFileBuffers), so that it survives a power loss; false when
// the file cannot be opened or the system refuses.
[[nodiscard]] bool SyncFile(const std::string& path);

// Reads the whole file, opened for reading without denying others access.
// False when it cannot be opened or read.
[[nodiscard]] bool ReadAllBytes(const std::string& path, std::string& bytes);

}  // namespace os

namespace os {

// True when a file or folder of that name exists (GetFileAttributesA succeeds).
[[nodiscard]] bool PathExists(const std::string& path);

}  // namespace os
