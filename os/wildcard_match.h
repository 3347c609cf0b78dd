// File-name patterns as FindFirstFileA matches them: case-insensitive, '*'
// and '?' with the DOS rules Windows keeps ("*.*" and "name.*" also match
// names without a dot, a '?' before a dot or at the end may match nothing,
// "*." matches names without a dot). Used by the POSIX backend; portable so
// that it is tested on both platforms.
#pragma once

#include <string>

namespace os {

[[nodiscard]] bool MatchesFilePattern(const std::string& pattern, const std::string& name);

}  // namespace os
