// Pure string helpers over ANSI Windows paths (backslash separators, drive
// paths "C:\..." and UNC paths "\\host\share\..."). Wherever they look at a
// last character or split at backslashes they walk the text character by
// character in the ANSI code page, so the second byte of a double-byte
// character is never taken for a backslash.
#pragma once

#include <string>

namespace platform {

// The longest path the file operations accept after joining (MAX_PATH less
// its terminating NUL, the size of the buffers the joins were made for).
constexpr size_t kMaxJoinedPath = 260;

// Drive and folder part as _splitpath gives it, ending in a backslash when
// there is a folder part: C:\a\b.txt gives C:\a\; a bare name gives "".
std::string DirectoryOf(const std::string& path);
// Name and extension part: C:\a\b.txt gives b.txt; *.dll stays *.dll.
std::string FileNameOf(const std::string& path);
// base and tail with exactly one backslash at the seam; an empty base gives
// tail, an empty tail adds nothing.
std::string JoinPath(const std::string& base, const std::string& tail);
std::string JoinPath(const std::string& a, const std::string& b, const std::string& c);
// The folder without its last component: C:\a\b gives C:\a, C:\a gives C:,
// \\host\share\a gives \\host\share.
std::string ParentFolder(const std::string& folder);
// The part of path below folder (folder plus its separator removed), or path
// unchanged when folder does not occur in it or is not shorter.
std::string RelativePathUnder(const std::string& path, const std::string& folder);
// A relative folder without its double-backslash host part:
// \\host\share\dir\ gives share\dir\.
std::string CutHostPart(const std::string& relative);

// True when the path is longer than the file operations accept.
[[nodiscard]] inline bool IsPathTooLong(const std::string& path) {
  return path.size() > kMaxJoinedPath;
}

}  // namespace platform
