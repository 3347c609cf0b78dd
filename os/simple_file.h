// Whole-file conveniences for the trace log and the readme: no handle is kept
// between calls.
#pragma once

#include <string>

namespace os {

// Opens path for appending in text mode ("a+t"), writes text with every line
// feed stored as CR LF, flushes and closes. False (nothing written) when the
// file cannot be opened. The Windows build uses the C runtime's text mode;
// the POSIX build writes the same bytes.
[[nodiscard]] bool AppendText(const std::string& path, const std::string& text);

// Reads the whole file, opened for reading without denying others access.
// False when it cannot be opened or read.
[[nodiscard]] bool ReadAllBytes(const std::string& path, std::string& bytes);

}  // namespace os

namespace os {

// True when a file or folder of that name exists (GetFileAttributesA succeeds).
[[nodiscard]] bool PathExists(const std::string& path);

}  // namespace os
