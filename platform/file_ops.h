// File and folder operations over ANSI Windows paths, written once over os/.
// None of them logs or throws; each reports through its result. Paths longer
// than kMaxJoinedPath after joining are refused with the operation's failure
// result before anything is touched.
#pragma once

#include <cstdint>
#include <vector>
#include <string>

#include "platform/path_utils.h"

namespace platform {

// CopyFileWithTimes results.
enum CopyResult : int {
  kCopyOk = 0,
  kCopySourceNotOpened = -100,
  kCopyFailed = -110,  // a write failed, a read failed part way, or times or attributes were not set
  kCopyShortWrite = -120,
  kCopyTargetNotOpened = -130,
};

// CheckFolderPath results.
enum FolderCheck : int {
  kFolderValid = 0,
  kFolderInvalidName = 1,
  kFolderMissing = 2,
};

// Copying moves data in chunks of this many bytes (0x3FFF, not 0x4000).
constexpr unsigned long kCopyChunk = 16383;

// True when the attributes of the file or folder can be read.
[[nodiscard]] bool PathExists(const std::string& path);
// True when the path (or pattern) finds a file; size is the low 32 bits of
// its size.
[[nodiscard]] bool FileSizeOf(const std::string& path, std::uint32_t& size);
// True when the folder exists afterwards; each folder made takes its
// parent's attributes. A UNC path's server is never created.
[[nodiscard]] bool CreateFolderTree(const std::string& folder);
// Copies source over target with the source's three times and attributes,
// as a whole file: written under the replacement name beside the target
// (platform/file_replace.h) and moved over it, so the target is never seen
// part written. A read-only, hidden or system target, a folder, and a target
// open in another program without delete sharing are refused (-130) and left
// as they were. A copy whose times or attributes could not be set is a
// failure (-110). On every failure the target is untouched and no
// replacement file is left.
[[nodiscard]] int CopyFileWithTimes(const std::string& source, const std::string& target);
// Appends folder\name for every file (not folder) that matches pattern
// directly in folder, hidden and system files included; the count appended.
int ListFiles(std::vector<std::string>& list, const std::string& folder, const std::string& pattern);
// Deletes what matches pattern in folder, depth first, read-only, hidden and
// system files included, then the folder itself. Names beginning with a
// period are left alone; links to folders are removed, never followed.
// Failures are ignored.
void DeleteFiles(const std::string& folder, const std::string& pattern);
// The fixed file version: major and minor from its high double word, low the
// whole low double word.
[[nodiscard]] bool GetFileVersionNumbers(const std::string& path, int& major, int& minor,
                                         std::uint32_t& low);
// 0 valid (and, unless checkOnly, present or created), 1 invalid name,
// 2 missing or not creatable. Only drive paths are valid.
[[nodiscard]] int CheckFolderPath(const char* path, bool checkOnly);
// False for an empty name, one that begins or ends with a tab, blank or
// period, or one that holds " * / : < > ? \ or |.
[[nodiscard]] bool IsValidFolderName(const std::string& name);

}  // namespace platform
