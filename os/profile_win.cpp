#include <windows.h>

#include <string>
#include <vector>

#include "os/change_gate.h"
#include "os/profile.h"

namespace os {

namespace {

// The lines of a GetPrivateProfileSectionA buffer, each ended by its NUL.
std::vector<std::string> SplitLines(const char* buffer, unsigned long length) {
  std::vector<std::string> lines;
  unsigned long start = 0;
  for (unsigned long i = 0; i < length; ++i) {
    if (buffer[i] == '\0') {
      lines.emplace_back(buffer + start, i - start);
      start = i + 1;
    }
  }
  if (start < length) lines.emplace_back(buffer + start, length - start);
  return lines;
}

}  // namespace

unsigned long GetProfileString(const std::string& path, const std::string& section,
                               const std::string& key, const std::string& defaultValue,
                               std::string& value, unsigned long bufferSize) {
  if (bufferSize == 0) return 0;
  std::vector<char> buffer(bufferSize, '\0');
  DWORD length = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                            buffer.data(), bufferSize, path.c_str());
  value.assign(buffer.data(), length);
  return length;
}

unsigned long GetProfileSectionBuffer(const std::string& path, const std::string& section,
                                      std::string& raw, unsigned long bufferSize) {
  raw.clear();
  if (bufferSize == 0) return 0;
  std::vector<char> buffer(bufferSize, '\0');
  DWORD length = ::GetPrivateProfileSectionA(section.c_str(), buffer.data(), bufferSize, path.c_str());
  raw.assign(buffer.data(), length);
  if (!raw.empty() && raw.back() != '\0') raw += '\0';
  return length;
}

std::vector<std::string> GetProfileSection(const std::string& path, const std::string& section) {
  // The API reports size - 2 when the section did not fit: grow until it does.
  // The cap only stops a runaway loop; no real section comes near it.
  const DWORD kLimit = 64ul * 1024 * 1024;
  for (DWORD size = 8192;; size *= 2) {
    std::vector<char> buffer(size, '\0');
    DWORD length = ::GetPrivateProfileSectionA(section.c_str(), buffer.data(), size, path.c_str());
    if (length != size - 2 || size >= kLimit) return SplitLines(buffer.data(), length);
  }
}

bool WriteProfileString(const std::string& path, const std::string& section, const char* key,
                        const char* value) {
  if (!AllowChange(ChangeKind::kProfileWrite, path)) return false;
  return ::WritePrivateProfileStringA(section.c_str(), key, value, path.c_str()) != FALSE;
}

}  // namespace os
