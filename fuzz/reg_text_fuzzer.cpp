// The sandbox registry store's .reg reader and writer. Checks: what a file
// loads as is written out as text that loads as the same tree and is
// written out again byte for byte; no key path is deeper than the limit.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "os/reg_text_posix.h"

namespace {

size_t Depth(const os::regtree::Key& key) {
  size_t deepest = 0;
  for (const os::regtree::Key& sub : key.subkeys) {
    size_t depth = Depth(sub) + 1;
    if (depth > deepest) deepest = depth;
  }
  return deepest;
}

bool SameTree(const os::regtree::Key& a, const os::regtree::Key& b) {
  if (a.name != b.name || a.values.size() != b.values.size() ||
      a.subkeys.size() != b.subkeys.size()) {
    return false;
  }
  for (size_t i = 0; i < a.values.size(); ++i) {
    const os::regtree::Value& x = a.values[i];
    const os::regtree::Value& y = b.values[i];
    if (x.name != y.name || x.type != y.type || x.data != y.data) return false;
  }
  for (size_t i = 0; i < a.subkeys.size(); ++i) {
    if (!SameTree(a.subkeys[i], b.subkeys[i])) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 256 * 1024) return 0;
  const std::string rootName = "HKEY_LOCAL_MACHINE";
  os::regtree::Key root;
  if (!os::regtext::Parse(std::string(reinterpret_cast<const char*>(data), size), rootName, root)) {
    return 0;
  }
  // Depth counts from the root's own level.
  FUZZ_CHECK(Depth(root) <= os::regtext::kMaxDepth);
  std::string text = os::regtext::Format(root, rootName);
  os::regtree::Key reloaded;
  FUZZ_CHECK(os::regtext::Parse(text, rootName, reloaded));
  FUZZ_CHECK(SameTree(root, reloaded));
  FUZZ_CHECK(os::regtext::Format(reloaded, rootName) == text);
  return 0;
}
