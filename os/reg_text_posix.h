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
//   "Path"=hex(2):25,54,25,00
//
// Loading accepts ANSI text, UTF-16LE with a byte order mark (what reg
// export writes) or UTF-8 with one (what an editor may save), the
// "REGEDIT4" header too, comments, "[-key]" and "Name"=- deletions, and what
// regedit takes besides: hex data going on with a backslash past blank and
// comment lines, a comment after the data, blanks after "dword:", hex bytes
// with leading zeros ("001"). Lines it still cannot read are kept as they
// stand and written back with their key; sections of other roots are
// ignored. Hex data of the string types is ANSI in an ANSI file and UTF-16 in
// a UTF-16 file, as regedit reads it. Key and value names are ANSI, as the A
// calls see them (a character the code page lacks becomes '?'); a name from
// a UTF-16 file that the code page cannot carry is written back as it was.
//
// Writing gives ANSI text with CR LF line ends, readable and diffable; a root
// holding string data the code page cannot carry is written as UTF-16LE with
// a byte order mark instead, so nothing is lost. A REG_SZ that is one line
// ending in its NUL is a quoted string, a 4-byte REG_DWORD dword:, anything
// else hex bytes.
#pragma once

#include <string>
#include <vector>

#include "os/reg_tree_posix.h"

namespace os {
namespace regtext {

// Deepest key path a file may name; NT's own limit.
constexpr size_t kMaxDepth = 512;

// Fills root (named rootName, e.g. "HKEY_LOCAL_MACHINE") from file bytes.
// False when the bytes hold text but no known header line.
// Lines inside this root's sections that cannot be read are kept in their
// key (Key::keptLines) and, as ANSI text, added to unreadable when given.
[[nodiscard]] bool Parse(const std::string& bytes, const std::string& rootName, regtree::Key& root,
                         std::vector<std::string>* unreadable = nullptr);

[[nodiscard]] std::string Format(const regtree::Key& root, const std::string& rootName);

}  // namespace regtext
}  // namespace os
