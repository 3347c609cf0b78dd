#include <vector>

#include "os/files.h"
#include "platform/file_ops.h"

namespace platform {

bool PathExists(const std::string& path) {
  return !IsPathTooLong(path) && os::GetFileAttributes(path) != os::kInvalidFileAttributes;
}

bool FileSizeOf(const std::string& path, std::uint32_t& size) {
  if (IsPathTooLong(path)) return false;
  os::FindData found;
  os::UniqueFind find = os::FindFirstFile(path, found);
  if (!find) return false;
  size = static_cast<std::uint32_t>(found.size & 0xFFFFFFFFu);
  return true;
}

int ListFiles(std::vector<std::string>& list, const std::string& folder, const std::string& pattern) {
  std::string search = JoinPath(folder, pattern);
  if (IsPathTooLong(search)) return 0;
  os::FindData found;
  os::UniqueFind find = os::FindFirstFile(search, found);
  int count = 0;
  for (bool more = find.valid(); more; more = os::FindNextFile(find.get(), found)) {
    if ((found.attributes & os::kAttributeDirectory) != 0) continue;
    std::string path = JoinPath(folder, found.name);
    if (IsPathTooLong(path)) continue;
    list.push_back(path);
    ++count;
  }
  return count;
}

bool GetFileVersionNumbers(const std::string& path, int& major, int& minor, std::uint32_t& low) {
  if (IsPathTooLong(path)) return false;
  std::vector<unsigned char> block;
  os::FixedFileInfo info;
  if (!os::GetFileVersionInfo(path, block) || !os::QueryFixedFileInfo(block, info)) return false;
  major = static_cast<int>(info.fileVersionMS >> 16);
  minor = static_cast<int>(info.fileVersionMS & 0xFFFFu);
  low = info.fileVersionLS;
  return true;
}

}  // namespace platform
