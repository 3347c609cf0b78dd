#include <cstring>
#include <vector>

#include "os/ansi_codepage_posix.h"
#include "os/change_gate.h"
#include "os/errors.h"
#include "os/reg_store_posix.h"
#include "os/reg_text_posix.h"
#include "os/registry.h"

namespace os {

namespace {

// What a handle holds: the key by path, so every handle sees the store as it
// is now.
struct PosixKey {
  RegRoot root;
  std::vector<std::string> path;
  bool writable;
};

constexpr size_t kMaxValueName = 16383;

const PosixKey& AsKey(void* key) { return *static_cast<const PosixKey*>(key); }

bool HasLineBreak(const std::string& name) {
  return name.find('\r') != std::string::npos || name.find('\n') != std::string::npos;
}

bool IsStringType(unsigned long type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// The real calls leave the last error alone; a refusal by the change gate
// must not leave its mark there either.
bool Allowed(ChangeKind kind, const std::string& target) {
  PreserveLastError keep;
  return AllowChange(kind, target);
}

long SplitSubkey(const std::string& subkey, std::vector<std::string>& parts) {
  if (!subkey.empty() && subkey[0] == '\\') return kErrorBadPathname;
  parts = regtree::SplitPath(subkey);
  for (const std::string& name : parts) {
    // A line break could not be written to the store's text.
    if (name.size() > kMaxRegKeyName || HasLineBreak(name)) return kErrorInvalidParameter;
  }
  return kErrorSuccess;
}

long CheckValueName(const std::string& name) {
  if (name.size() > kMaxValueName || HasLineBreak(name)) return kErrorInvalidParameter;
  return kErrorSuccess;
}

// The key a handle names, or null once it has been deleted.
regtree::Key* KeyOf(regtree::Key& tree, const PosixKey& key) {
  return regtree::FindPath(tree, key.path);
}
const regtree::Key* KeyOf(const regtree::Key& tree, const PosixKey& key) {
  return regtree::FindPath(tree, key.path);
}

PosixKey RootKey(RegRoot root) { return PosixKey{root, {}, true}; }

// A root value outside the five is no handle at all, as on Windows.
bool KnownRoot(RegRoot root) { return *RegRootName(root) != '\0'; }

long DeleteKeyAt(const PosixKey& base, const std::string& subkey) {
  if (!KnownRoot(base.root)) return kErrorInvalidHandle;
  std::vector<std::string> parts;
  long status = SplitSubkey(subkey, parts);
  if (status != kErrorSuccess) return status;
  // An empty subkey deletes the key itself; a predefined root never goes.
  if (parts.empty() && base.path.empty()) return kErrorAccessDenied;
  std::vector<std::string> path = base.path;
  path.insert(path.end(), parts.begin(), parts.end());
  std::string last = path.back();
  path.pop_back();
  return regstore::Change(base.root, [&](regtree::Key& tree, bool& changed) -> long {
    if (KeyOf(tree, base) == nullptr) return kErrorKeyDeleted;
    regtree::Key* parent = regtree::FindPath(tree, path);
    const regtree::Key* doomed = parent != nullptr ? regtree::FindSubkey(*parent, last) : nullptr;
    if (doomed == nullptr) return kErrorFileNotFound;
    if (!doomed->subkeys.empty()) return kErrorAccessDenied;
    changed = regtree::RemoveSubkey(*parent, last);
    return kErrorSuccess;
  });
}



}  // namespace

void RegKeyTraits::Close(void* key) noexcept { delete static_cast<PosixKey*>(key); }

namespace {
// The key path of subkey below from; a Win32 code for an unknown root or a
// malformed subkey.
long ChildPath(const PosixKey& from, const std::string& subkey, std::vector<std::string>& path) {
  if (!KnownRoot(from.root)) return kErrorInvalidHandle;
  std::vector<std::string> parts;
  long status = SplitSubkey(subkey, parts);
  if (status != kErrorSuccess) return status;
  path = from.path;
  path.insert(path.end(), parts.begin(), parts.end());
  return kErrorSuccess;
}
}  // namespace

long RegistryKey::OpenFrom(void* parent, const std::string& parentName, const std::string& subkey,
                           RegAccess access) {
  const PosixKey& from = AsKey(parent);
  std::vector<std::string> path;
  long status = ChildPath(from, subkey, path);
  if (status != kErrorSuccess) return status;
  status = regstore::Read(from.root, [&](const regtree::Key& tree) -> long {
    if (KeyOf(tree, from) == nullptr) return kErrorKeyDeleted;
    return regtree::FindPath(tree, path) != nullptr ? kErrorSuccess : kErrorFileNotFound;
  });
  if (status != kErrorSuccess) return status;
  handle_.reset(new PosixKey{from.root, path, access == RegAccess::kAllAccess});
  fullName_ = JoinRegistryPath(parentName, subkey);
  return kErrorSuccess;
}

long RegistryKey::CreateFrom(void* parent, const std::string& parentName, const std::string& subkey,
                             RegDisposition* disposition) {
  if (disposition != nullptr) *disposition = RegDisposition::kNone;
  std::string target = JoinRegistryPath(parentName, subkey);
  if (!Allowed(ChangeKind::kRegistryCreate, target)) return kErrorAccessDenied;
  const PosixKey& from = AsKey(parent);
  std::vector<std::string> path;
  long status = ChildPath(from, subkey, path);
  if (status != kErrorSuccess) return status;
  // Deeper keys could not be read back from the store.
  if (path.size() > regtext::kMaxDepth) return kErrorInvalidParameter;
  bool createdAny = false;
  status = regstore::Change(from.root, [&](regtree::Key& tree, bool& changed) -> long {
    regtree::Key* key = KeyOf(tree, from);
    if (key == nullptr) return kErrorKeyDeleted;
    for (size_t i = from.path.size(); i < path.size(); ++i) {
      bool created = false;
      key = &regtree::AddSubkey(*key, path[i], &created);
      createdAny = createdAny || created;
    }
    changed = createdAny;
    return kErrorSuccess;
  });
  if (status != kErrorSuccess) return status;
  handle_.reset(new PosixKey{from.root, path, true});
  fullName_ = target;
  if (disposition != nullptr) {
    *disposition = createdAny ? RegDisposition::kCreatedNewKey : RegDisposition::kOpenedExistingKey;
  }
  return kErrorSuccess;
}

long RegistryKey::Open(RegRoot root, const std::string& subkey, RegAccess access) {
  PosixKey rootKey = RootKey(root);
  return Settle(OpenFrom(&rootKey, RegRootName(root), subkey, access));
}

long RegistryKey::Open(const RegistryKey& parent, const std::string& subkey, RegAccess access) {
  if (!parent.valid()) return Settle(kErrorInvalidHandle);
  return Settle(OpenFrom(parent.handle_.get(), parent.fullName_, subkey, access));
}

long RegistryKey::Create(RegRoot root, const std::string& subkey, RegDisposition* disposition) {
  PosixKey rootKey = RootKey(root);
  return Settle(CreateFrom(&rootKey, RegRootName(root), subkey, disposition));
}

long RegistryKey::Create(const RegistryKey& parent, const std::string& subkey,
                         RegDisposition* disposition) {
  if (!parent.valid()) return Settle(kErrorInvalidHandle);
  return Settle(CreateFrom(parent.handle_.get(), parent.fullName_, subkey, disposition));
}

long RegistryKey::QueryValue(const std::string& name, unsigned long* type, void* data,
                             unsigned long* size) const {
  if (!valid()) return kErrorInvalidHandle;
  if (data != nullptr && size == nullptr) return kErrorInvalidParameter;
  const PosixKey& key = AsKey(handle_.get());
  unsigned long kind = 0;
  std::string bytes;
  long status = regstore::Read(key.root, [&](const regtree::Key& tree) -> long {
    const regtree::Key* found = KeyOf(tree, key);
    if (found == nullptr) return kErrorKeyDeleted;
    const regtree::Value* value = regtree::FindValue(*found, name);
    if (value == nullptr) return kErrorFileNotFound;
    kind = value->type;
    bytes = IsStringType(kind) ? Utf16leToAnsi(value->data) : value->data;
    return kErrorSuccess;
  });
  if (status != kErrorSuccess) return status;
  if (type != nullptr) *type = kind;
  if (size == nullptr) return kErrorSuccess;
  unsigned long room = *size;
  *size = static_cast<unsigned long>(bytes.size());
  if (data == nullptr) return kErrorSuccess;
  // Too small a buffer is left untouched, as the real call leaves it.
  if (room < bytes.size()) return kErrorMoreData;
  if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
  return kErrorSuccess;
}

long RegistryKey::SetValue(const std::string& name, unsigned long type, const std::string& data) {
  if (!valid()) return kErrorInvalidHandle;
  if (!Allowed(ChangeKind::kRegistrySet, JoinRegistryPath(fullName_, name))) {
    return kErrorAccessDenied;
  }
  const PosixKey& key = AsKey(handle_.get());
  if (!key.writable) return kErrorAccessDenied;
  long status = CheckValueName(name);
  if (status != kErrorSuccess) return status;
  std::string stored = data;
  if (IsStringType(type)) {
    // NT counts the NUL that a C string passed with cbData = strlen left out.
    if (!stored.empty() && stored.back() != '\0') stored += '\0';
    stored = AnsiToUtf16le(stored);
  }
  return regstore::Change(key.root, [&](regtree::Key& tree, bool& changed) -> long {
    regtree::Key* found = KeyOf(tree, key);
    if (found == nullptr) return kErrorKeyDeleted;
    regtree::PutValue(*found, name, type, stored);
    changed = true;
    return kErrorSuccess;
  });
}

long RegistryKey::DeleteValue(const std::string& name) {
  if (!valid()) return kErrorInvalidHandle;
  if (!Allowed(ChangeKind::kRegistryDelete, JoinRegistryPath(fullName_, name))) {
    return kErrorAccessDenied;
  }
  const PosixKey& key = AsKey(handle_.get());
  if (!key.writable) return kErrorAccessDenied;
  return regstore::Change(key.root, [&](regtree::Key& tree, bool& changed) -> long {
    regtree::Key* found = KeyOf(tree, key);
    if (found == nullptr) return kErrorKeyDeleted;
    changed = regtree::RemoveValue(*found, name);
    return changed ? kErrorSuccess : kErrorFileNotFound;
  });
}

long RegistryKey::EnumValue(unsigned long index, std::string& name, unsigned long* type) const {
  if (!valid()) return kErrorInvalidHandle;
  const PosixKey& key = AsKey(handle_.get());
  return regstore::Read(key.root, [&](const regtree::Key& tree) -> long {
    const regtree::Key* found = KeyOf(tree, key);
    if (found == nullptr) return kErrorKeyDeleted;
    if (index >= found->values.size()) return kErrorNoMoreItems;
    name = found->values[index].name;
    if (type != nullptr) *type = found->values[index].type;
    return kErrorSuccess;
  });
}

long RegistryKey::EnumKey(unsigned long index, std::string& name) const {
  if (!valid()) return kErrorInvalidHandle;
  const PosixKey& key = AsKey(handle_.get());
  return regstore::Read(key.root, [&](const regtree::Key& tree) -> long {
    const regtree::Key* found = KeyOf(tree, key);
    if (found == nullptr) return kErrorKeyDeleted;
    if (index >= found->subkeys.size()) return kErrorNoMoreItems;
    name = found->subkeys[index].name;
    return kErrorSuccess;
  });
}

long RegistryKey::DeleteSubKey(const std::string& subkey) {
  if (!valid()) return kErrorInvalidHandle;
  if (!Allowed(ChangeKind::kRegistryDelete, JoinRegistryPath(fullName_, subkey))) {
    return kErrorAccessDenied;
  }
  return DeleteKeyAt(AsKey(handle_.get()), subkey);
}

long DeleteRegistryKey(RegRoot root, const std::string& subkey) {
  if (!Allowed(ChangeKind::kRegistryDelete, JoinRegistryPath(RegRootName(root), subkey))) {
    return kErrorAccessDenied;
  }
  return DeleteKeyAt(RootKey(root), subkey);
}

}  // namespace os
