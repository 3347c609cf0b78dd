#include "os/reg_tree_posix.h"

#include <algorithm>
#include <utility>

#include "os/ansi_codepage_posix.h"
#include "os/case_fold.h"

namespace os {
namespace regtree {

namespace {

template <typename KeyT>
KeyT* FindSubkeyIn(KeyT& key, const std::string& name) {
  for (auto& sub : key.subkeys) {
    if (CompareNames(sub.name, name) == 0) return &sub;
  }
  return nullptr;
}

template <typename KeyT>
KeyT* FindPathIn(KeyT& root, const std::vector<std::string>& path) {
  KeyT* key = &root;
  for (const std::string& name : path) {
    key = FindSubkeyIn(*key, name);
    if (key == nullptr) return nullptr;
  }
  return key;
}

template <typename KeyT>
auto FindValueIn(KeyT& key, const std::string& name) -> decltype(&key.values[0]) {
  for (auto& value : key.values) {
    if (CompareNames(value.name, name) == 0) return &value;
  }
  return nullptr;
}

}  // namespace

int CompareNames(const std::string& a, const std::string& b) noexcept {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = UpperCaseAnsiChar(static_cast<unsigned char>(a[i]));
    unsigned char y = UpperCaseAnsiChar(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

Key* FindSubkey(Key& key, const std::string& name) { return FindSubkeyIn(key, name); }
const Key* FindSubkey(const Key& key, const std::string& name) { return FindSubkeyIn(key, name); }

Key* FindPath(Key& root, const std::vector<std::string>& path) { return FindPathIn(root, path); }
const Key* FindPath(const Key& root, const std::vector<std::string>& path) {
  return FindPathIn(root, path);
}

Key& AddSubkey(Key& key, const std::string& name, bool* created) {
  auto place = std::lower_bound(
      key.subkeys.begin(), key.subkeys.end(), name,
      [](const Key& sub, const std::string& n) { return CompareNames(sub.name, n) < 0; });
  bool exists = place != key.subkeys.end() && CompareNames(place->name, name) == 0;
  if (created != nullptr) *created = !exists;
  if (exists) return *place;
  Key fresh;
  fresh.name = name;
  return *key.subkeys.insert(place, std::move(fresh));
}

bool RemoveSubkey(Key& key, const std::string& name) {
  for (auto it = key.subkeys.begin(); it != key.subkeys.end(); ++it) {
    if (CompareNames(it->name, name) == 0) {
      key.subkeys.erase(it);
      return true;
    }
  }
  return false;
}

Value* FindValue(Key& key, const std::string& name) { return FindValueIn(key, name); }
const Value* FindValue(const Key& key, const std::string& name) { return FindValueIn(key, name); }

void PutValue(Key& key, const std::string& name, unsigned long type, const std::string& data) {
  Value* value = FindValue(key, name);
  if (value == nullptr) {
    Value fresh;
    fresh.name = name;
    fresh.type = type;
    fresh.data = data;
    key.values.push_back(std::move(fresh));
    return;
  }
  value->type = type;
  value->data = data;
}

bool RemoveValue(Key& key, const std::string& name) {
  for (auto it = key.values.begin(); it != key.values.end(); ++it) {
    if (CompareNames(it->name, name) == 0) {
      key.values.erase(it);
      return true;
    }
  }
  return false;
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start < path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

}  // namespace regtree
}  // namespace os
