// The sandbox store's file format: the text that reg export writes and
// regedit imports.
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\Software\X]
//   @="default"
//   "Name"="C:\\path with \"quotes\""
//   "Count"=dword:0000002a
//   "Blob"=hex:01,02,\   <- long hex data goes on in the next line
//     03
//   "Path"=hex(2):25,00,54,00,00,00
//
// Loading accepts ANSI text or UTF-16LE with a byte order mark (what reg
// export writes), the "REGEDIT4" header (whose hex string data is ANSI), line
// continuations, comments, "[-key]" and "Name"=- deletions; lines it cannot
// read are passed over, as regedit does, and sections of other roots are
// ignored. Writing gives ANSI text with CR LF line ends: a REG_SZ that is one
// line of code-page text ending in its NUL as a quoted string, a 4-byte
// REG_DWORD as dword:, everything else as hex bytes, so nothing is lost.
#pragma once

#include <string>

#include "os/reg_tree_posix.h"

namespace os {
namespace regtext {

// Deepest key path a file may name; NT's own limit.
constexpr size_t kMaxDepth = 512;

// Fills root (named rootName, e.g. "HKEY_LOCAL_MACHINE") from file bytes.
// False when the bytes hold text but no known header line.
[[nodiscard]] bool Parse(const std::string& bytes, const std::string& rootName, regtree::Key& root);

[[nodiscard]] std::string Format(const regtree::Key& root, const std::string& rootName);

}  // namespace regtext
}  // namespace os
