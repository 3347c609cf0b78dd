// INI ("profile") files with the Win32 profile API's semantics.
//
// Windows: GetPrivateProfileStringA / GetPrivateProfileSectionA /
// WritePrivateProfileStringA. POSIX: our own parser and writer over the
// sandbox machine (os/profile_text.h has the parsing rules), agreeing with
// real Windows: section and key names match case-insensitively, blanks
// around keys and values are dropped, one pair of single or double quotes
// enclosing a whole value is removed on key reads (not on section reads), a
// value is cut to the buffer. A file name without any path separator (and no
// drive) is looked up in the Windows folder, as the real API does.
//
// Writing on POSIX changes only the line it touches; every other byte of the
// file (comments, spacing, line ends) stays, and the file is replaced
// atomically. (Wine rewrites the whole file; real Windows does not.)
#pragma once

#include <string>
#include <vector>

// <windows.h> maps these names to its own ANSI and wide calls; ours keep
// their names wherever that header was included first.
#undef GetProfileString
#undef GetProfileSection
#undef WriteProfileString

namespace os {

// The size of the buffer the program reads values with: a value is at most
// 4,095 characters as read.
constexpr unsigned long kProfileValueBuffer = 4096;

// GetPrivateProfileStringA with a buffer of bufferSize bytes: value receives
// the key's value, or defaultValue when the file, the section or the key is
// missing, cut to bufferSize - 1 characters. Returns the number of characters
// placed in value.
unsigned long GetProfileString(const std::string& path, const std::string& section,
                               const std::string& key, const std::string& defaultValue,
                               std::string& value,
                               unsigned long bufferSize = kProfileValueBuffer);

// GetPrivateProfileSectionA with a buffer of bufferSize bytes: raw receives
// the buffer's content (key=value lines, each ended by a NUL, quotes kept) and
// the result is what the API returns (bufferSize - 2 when the section did not
// fit, 0 for a missing or empty section).
unsigned long GetProfileSectionBuffer(const std::string& path, const std::string& section,
                                      std::string& raw, unsigned long bufferSize);

// The whole section, however large, as the lines GetPrivateProfileSectionA
// returns, in file order.
std::vector<std::string> GetProfileSection(const std::string& path, const std::string& section);

// WritePrivateProfileStringA: key null deletes the whole section, value null
// deletes the key; otherwise the key is set (section and file created as
// needed). False on failure, with the last error set.
[[nodiscard]] bool WriteProfileString(const std::string& path, const std::string& section,
                                      const char* key, const char* value);

}  // namespace os
