// Bounds on what a run reads whole from files that input names: INI files,
// scripts and install record files. Past these a file is refused, never read:
// a run's memory stays a small multiple of what it is allowed to read.
#pragma once

#include <cstdint>

namespace os {

// The largest INI or install record file read (16 MiB); a larger one is
// refused with ERROR_FILE_TOO_LARGE.
constexpr std::uint64_t kMaxInputFileSize = std::uint64_t{16} << 20;

}  // namespace os
