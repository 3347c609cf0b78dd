// The in-memory form of one registry root in the sandbox store: a tree of
// keys, each with its values. Names are ANSI, compared ignoring case and kept
// as first written; data is held as the registry holds it (string types as
// UTF-16LE). Subkeys stay sorted by upper-cased name, values in the order
// they were first set.
#pragma once

#include <string>
#include <vector>

namespace os {
namespace regtree {

// wideName: the name as a UTF-16 file spelled it, kept when the code page
// cannot carry it, so a write of the file gives it back unchanged.
struct Value {
  std::string name;
  unsigned long type = 0;
  std::string data;
  std::u16string wideName;
};

struct Key {
  std::string name;
  std::vector<Value> values;
  std::vector<Key> subkeys;
  std::u16string wideName;
  // Lines of the key's section that could not be read, written back as
  // they stood.
  std::vector<std::u16string> keptLines;
};

// <0, 0, >0 comparing names upper-cased, byte by byte.
[[nodiscard]] int CompareNames(const std::string& a, const std::string& b) noexcept;

[[nodiscard]] Key* FindSubkey(Key& key, const std::string& name);
[[nodiscard]] const Key* FindSubkey(const Key& key, const std::string& name);

// The key at a path of names below root, or null.
[[nodiscard]] Key* FindPath(Key& root, const std::vector<std::string>& path);
[[nodiscard]] const Key* FindPath(const Key& root, const std::vector<std::string>& path);

// The subkey of that name, added in its sorted place when missing.
Key& AddSubkey(Key& key, const std::string& name, bool* created);

// Removes the named subkey with everything below it; false when missing.
bool RemoveSubkey(Key& key, const std::string& name);

[[nodiscard]] Value* FindValue(Key& key, const std::string& name);
[[nodiscard]] const Value* FindValue(const Key& key, const std::string& name);

// Sets a value, keeping the name and place of one that exists.
void PutValue(Key& key, const std::string& name, unsigned long type, const std::string& data);

// Removes a value; false when missing.
bool RemoveValue(Key& key, const std::string& name);

// "A\\B\\\\C\\" as {"A", "B", "C"}: empty names are skipped.
[[nodiscard]] std::vector<std::string> SplitPath(const std::string& path);

}  // namespace regtree
}  // namespace os
