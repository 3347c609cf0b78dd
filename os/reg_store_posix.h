// The sandbox registry store: $BREVANE_PREFIX/registry/<root name>.reg, one
// text file per root (format in reg_text_posix.h).
//
// Every operation sees the file as it is now: a root is parsed again when its
// file's identity, size or time changed, so handles in this process, other
// processes and hand edits all meet the same keys. A change is made under an
// exclusive lock on registry/.lock and written whole to a temporary file in
// the same folder, flushed to disk and renamed over the old file, so a crash
// leaves either the old store or the new one, never a part.
#pragma once

#include <functional>
#include <string>

#include "os/reg_tree_posix.h"
#include "os/registry.h"

namespace os {
namespace regstore {

// ERROR_BADDB: a root file that holds text but no .reg header line. Such a
// file is never overwritten.
constexpr long kErrorBadDb = 1009;

// Runs use on the root's current tree; returns use's result, or the Win32
// code that loading failed with.
[[nodiscard]] long Read(RegRoot root, const std::function<long(const regtree::Key&)>& use);

// Runs change on the root's current tree; when it sets changed, the tree is
// written back before Change returns. Returns change's result, or the code
// that loading or writing failed with (the change is then lost).
[[nodiscard]] long Change(RegRoot root,
                          const std::function<long(regtree::Key&, bool& changed)>& change);

// The host path of a root's file.
[[nodiscard]] std::string RootFilePath(RegRoot root);

}  // namespace regstore
}  // namespace os
