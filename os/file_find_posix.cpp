#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <vector>

#include "os/case_fold.h"
#include "os/errors.h"
#include "os/file_state_posix.h"
#include "os/files.h"
#include "os/sandbox_posix.h"
#include "os/wildcard_match.h"

namespace os {

namespace {

struct PosixFind {
  std::vector<FindData> entries;
  size_t next = 0;
};

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// A drive root (C:\) or a share root (\\host\share\) lists no "." or "..".
bool IsRoot(const std::string& windowsFolder) {
  std::string full;
  if (!sandbox::FullWindowsPath(windowsFolder, full)) return false;
  if (full.size() == 3 && full[1] == ':') return true;
  if (full.size() < 2 || full[0] != '\\') return false;
  size_t separators = 0;
  for (size_t i = 2; i < full.size(); ++i) separators += full[i] == '\\' ? 1 : 0;
  return separators < 2 || (separators == 2 && full.back() == '\\');
}

// One lstat and one read of the record an entry; stat only for a link.
FindData EntryOf(const std::string& host, const std::string& name) {
  FindData data;
  data.name = name;
  struct stat link;
  if (::lstat(host.c_str(), &link) != 0) {
    data.attributes = file_state::AttributesOfHost(host);
    return data;
  }
  struct stat st = link;
  bool followed = !S_ISLNK(link.st_mode) || ::stat(host.c_str(), &st) == 0;
  if (!followed) st = link;
  file_state::Metadata meta = file_state::ReadMetadata(host);
  data.attributes = file_state::AttributesFrom(link, st, meta);
  if (followed) {
    if (!S_ISDIR(st.st_mode)) data.size = static_cast<std::uint64_t>(st.st_size);
    data.times.creation = file_state::CreationTimeOf(host, st, meta);
    data.times.lastAccess = file_state::FiletimeOf(st.st_atim);
    data.times.lastWrite = file_state::FiletimeOf(st.st_mtim);
  }
  return data;
}

// The order a Windows disk lists a folder in: "." and "..", then by name
// without regard to case.
bool ListedBefore(const FindData& a, const FindData& b) {
  bool aDots = a.name == "." || a.name == "..";
  bool bDots = b.name == "." || b.name == "..";
  if (aDots != bDots) return aDots;
  return UpperCaseAnsi(a.name) < UpperCaseAnsi(b.name);
}

bool ListFolder(const std::string& folder, const std::string& pattern, PosixFind& find) {
  std::string host;
  if (!sandbox::HostPath(folder, host)) return false;
  DIR* dir = ::opendir(host.c_str());
  if (dir == nullptr) {
    SetLastError(errno == ENOTDIR || errno == ENOENT ? kErrorPathNotFound : Win32FromErrno(errno));
    return false;
  }
  bool root = IsRoot(folder);
  while (struct dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    bool dots = name == "." || name == "..";
    if ((dots && root) || !MatchesFilePattern(pattern, name)) continue;
    find.entries.push_back(EntryOf(host + "/" + name, name));
  }
  ::closedir(dir);
  std::sort(find.entries.begin(), find.entries.end(), ListedBefore);
  return true;
}

}  // namespace

void FindHandleTraits::Close(NativeHandle handle) noexcept {
  delete static_cast<PosixFind*>(handle);
}

UniqueFind FindFirstFile(const std::string& pattern, FindData& data) {
  size_t cut = pattern.size();
  while (cut > 0 && !IsSeparator(pattern[cut - 1])) --cut;
  std::string name = pattern.substr(cut);
  std::string folder = cut == 0 ? std::string(".") : pattern.substr(0, cut);
  if (name.empty()) {
    SetLastError(pattern.empty() ? kErrorPathNotFound : kErrorFileNotFound);
    return UniqueFind();
  }
  auto find = std::make_unique<PosixFind>();
  if (!ListFolder(folder, name, *find)) return UniqueFind();
  if (find->entries.empty()) {
    SetLastError(kErrorFileNotFound);
    return UniqueFind();
  }
  data = find->entries[0];
  find->next = 1;
  SetLastError(kErrorSuccess);
  return UniqueFind(find.release());
}

bool FindNextFile(NativeHandle handle, FindData& data) {
  if (handle == nullptr || handle == InvalidNativeHandle()) {
    SetLastError(kErrorInvalidHandle);
    return false;
  }
  PosixFind* find = static_cast<PosixFind*>(handle);
  if (find->next >= find->entries.size()) {
    SetLastError(kErrorNoMoreFiles);
    return false;
  }
  data = find->entries[find->next++];
  return true;
}

}  // namespace os
