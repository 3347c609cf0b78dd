// Parsed INI files of the POSIX profile backend, kept between calls so a run
// that reads a script item by item does not read and parse the whole file
// for every item.
//
// A cached text is used only while the file is the same file with the same
// size, modification time and change time (nanoseconds), and only when its
// last change was at least a trust margin older than the moment it was read:
// a file rewritten within one clock tick of our read keeps its time stamps,
// and is read anew every time until it has aged. Our own writes drop the
// entry at once. Safe to call from several threads.
#pragma once

#include <memory>
#include <string>

#include "os/profile_text.h"

namespace os {
namespace profile_cache {

// The parsed file at host path host: from the cache when still valid, else
// read and parsed now. Null, with the last error set as a failed open or
// read gives it, when the file cannot be read (missing, a folder ...).
std::shared_ptr<const ProfileText> Load(const std::string& host);

// The whole file at host read now, past the cache (writers start from it);
// false, with the last error set, when it cannot be read.
[[nodiscard]] bool ReadFresh(const std::string& host, std::string& bytes);

// Forgets the file at host; called after we replace it.
void Forget(const std::string& host);

// Tests and benchmarks only: the trust margin in seconds (2 by default, a
// coarse file system's time stamp step); a negative value restores it.
void SetTrustMarginForTesting(double seconds);

}  // namespace profile_cache
}  // namespace os
