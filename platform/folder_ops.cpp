#include <cctype>
#include <cstring>
#include <vector>

#include "os/files.h"
#include "platform/file_ops.h"

namespace platform {

namespace {

bool IsFolder(const std::string& path) {
  unsigned long attributes = os::GetFileAttributes(path);
  return attributes != os::kInvalidFileAttributes && (attributes & os::kAttributeDirectory) != 0;
}

// The components below the drive of a drive or UNC path.
std::vector<std::string> Components(const std::string& rest) {
  std::vector<std::string> parts;
  size_t start = rest.size() >= 2 && rest[1] == ':' ? 2 : 0;
  std::string part;
  for (size_t i = start; i < rest.size(); ++i) {
    bool lead = os::IsLeadByte(static_cast<unsigned char>(rest[i])) && i + 1 < rest.size();
    if (!lead && (rest[i] == '\\' || rest[i] == '/')) {
      if (!part.empty()) parts.push_back(part);
      part.clear();
      continue;
    }
    part += rest[i];
    if (lead) part += rest[++i];
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

bool CreateWithParentTemplate(const std::string& folder) {
  return os::CreateDirectoryEx(ParentFolder(folder), folder);
}

// Creates every missing folder from the drive (or share) down.
bool CreateEachLevel(const std::string& folder) {
  bool unc = folder.size() >= 2 && folder[0] == '\\' && folder[1] == '\\';
  bool drive = folder.size() >= 2 && folder[1] == ':';
  std::string prefix = drive ? folder.substr(0, 2) : std::string();
  std::vector<std::string> parts = Components(folder);
  for (size_t i = 0; i < parts.size(); ++i) {
    prefix = JoinPath(prefix, parts[i]) + "\\";
    if (unc && i == 0) continue;  // the server: never ours to create
    std::string level = unc ? "\\\\" + prefix : prefix;
    if (PathExists(level)) continue;
    if (!CreateWithParentTemplate(level)) return false;
  }
  return true;
}

}  // namespace

bool CreateFolderTree(const std::string& folder) {
  std::string target = folder;
  if (target.empty() || target.back() != '\\') target += '\\';
  if (IsPathTooLong(target)) return false;
  if (PathExists(target)) return true;
  if (CreateWithParentTemplate(target)) return true;
  if (!CreateEachLevel(target)) return false;
  return PathExists(target) || CreateWithParentTemplate(target);
}

bool IsValidFolderName(const std::string& name) {
  if (name.empty()) return false;
  const char* edges = "\t .";
  if (std::strchr(edges, name.front()) != nullptr || std::strchr(edges, name.back()) != nullptr) {
    return false;
  }
  for (size_t i = 0; i < name.size(); ++i) {
    // The second byte of a double-byte character may look like '\\' or '|'.
    if (os::IsLeadByte(static_cast<unsigned char>(name[i])) && i + 1 < name.size()) {
      ++i;
      continue;
    }
    if (std::strchr("\"*/:<>?\\|", name[i]) != nullptr) return false;
  }
  return true;
}

int CheckFolderPath(const char* path, bool checkOnly) {
  if (path == nullptr) return kFolderInvalidName;
  std::string text = path;
  if (text.size() <= 2 || IsPathTooLong(text) ||
      !std::isalpha(static_cast<unsigned char>(text[0])) || text[1] != ':' ||
      text[2] != '\\') {
    return kFolderInvalidName;
  }
  // Only a folder will do: a file of that name cannot be made a folder.
  if (text.size() == 3) return checkOnly || IsFolder(text) ? kFolderValid : kFolderMissing;
  size_t start = 3;
  while (start <= text.size()) {
    size_t end = start;
    while (end < text.size() && text[end] != '\\') {
      end += os::IsLeadByte(static_cast<unsigned char>(text[end])) && end + 1 < text.size() ? 2 : 1;
    }
    if (!IsValidFolderName(text.substr(start, end - start))) return kFolderInvalidName;
    if (!checkOnly) {
      std::string prefix = text.substr(0, end);
      (void)os::CreateDirectory(prefix);
      if (!IsFolder(prefix)) return kFolderMissing;
    }
    start = end + 1;
  }
  return kFolderValid;
}

void DeleteFiles(const std::string& folder, const std::string& pattern) {
  std::string search = JoinPath(folder, pattern);
  if (IsPathTooLong(search)) return;
  {
    os::FindData found;
    os::UniqueFind find = os::FindFirstFile(search, found);
    for (bool more = find.valid(); more; more = os::FindNextFile(find.get(), found)) {
      std::string path = JoinPath(folder, found.name);
      if ((found.attributes & os::kAttributeDirectory) != 0) {
        if (found.name.empty() || found.name[0] == '.') continue;
        // A link to a folder elsewhere: remove the link, never what it
        // points at.
        if ((found.attributes & os::kAttributeReparsePoint) != 0) {
          (void)os::RemoveDirectory(path);
        } else {
          DeleteFiles(path, pattern);
        }
        continue;
      }
      if ((found.attributes & (os::kAttributeReadOnly | os::kAttributeHidden | os::kAttributeSystem)) != 0) {
        (void)os::SetFileAttributes(path, os::kAttributeNormal);
      }
      (void)os::DeleteFile(path);
    }
  }
  (void)os::RemoveDirectory(folder);
}

}  // namespace platform
