// INI files that begin with a UTF-16LE byte order mark, as the profile API
// treats them: read as Unicode and converted to the ANSI code page for the
// A calls, and kept UTF-16 when written.
//
// The profile text is parsed and edited as its ANSI view: one byte for each
// UTF-16 unit, so positions in the view are positions in the file. After an
// edit only the units of the changed stretch are written anew; every other
// unit keeps its exact bytes, characters the code page lacks included. (A
// character beyond U+FFFF reads as "??" here, as "?" on Windows.)
#pragma once

#include <string>

namespace os {

// The text the profile parser reads: the file itself for an ANSI file, one
// ANSI byte per unit (a character the code page lacks as '?') for UTF-16.
[[nodiscard]] std::string ProfileAnsiView(const std::string& fileBytes);

// The file's new bytes once its view became edited: edited itself for an
// ANSI file; for UTF-16 the original bytes with the stretch that differs
// from view replaced by edited's characters in UTF-16.
[[nodiscard]] std::string ProfileFileBytes(const std::string& fileBytes, const std::string& view,
                                           const std::string& edited);

}  // namespace os
