#include "os/registry.h"

#include "os/errors.h"

namespace os {

const char* RegRootName(RegRoot root) noexcept {
  switch (root) {
    case RegRoot::kClassesRoot: return "HKEY_CLASSES_ROOT";
    case RegRoot::kCurrentUser: return "HKEY_CURRENT_USER";
    case RegRoot::kLocalMachine: return "HKEY_LOCAL_MACHINE";
    case RegRoot::kUsers: return "HKEY_USERS";
    case RegRoot::kCurrentConfig: return "HKEY_CURRENT_CONFIG";
  }
  return "";
}

std::string JoinRegistryPath(const std::string& parent, const std::string& subkey) {
  std::string result = parent;
  size_t start = 0;
  while (start < subkey.size()) {
    size_t end = subkey.find('\\', start);
    if (end == std::string::npos) end = subkey.size();
    if (end > start) {
      if (!result.empty()) result += '\\';
      result.append(subkey, start, end - start);
    }
    start = end + 1;
  }
  return result;
}

std::string RegDwordData(unsigned long value) {
  std::string data(4, '\0');
  for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return data;
}

long RegistryKey::QueryValue(const std::string& name, unsigned long& type,
                             std::string& data) const {
  // The value may grow between the two calls; ask again until it fits.
  for (;;) {
    unsigned long size = 0;
    long status = QueryValue(name, &type, nullptr, &size);
    if (status != kErrorSuccess) return status;
    data.assign(size, '\0');
    status = QueryValue(name, &type, size == 0 ? nullptr : &data[0], &size);
    if (status == kErrorMoreData) continue;
    if (status == kErrorSuccess) data.resize(size);
    return status;
  }
}

}  // namespace os
