#include <windows.h>

#include "os/change_gate.h"
#include "os/errors.h"
#include "os/registry.h"

namespace os {

namespace {

HKEY RootHandle(RegRoot root) {
  switch (root) {
    case RegRoot::kClassesRoot: return HKEY_CLASSES_ROOT;
    case RegRoot::kCurrentUser: return HKEY_CURRENT_USER;
    case RegRoot::kLocalMachine: return HKEY_LOCAL_MACHINE;
    case RegRoot::kUsers: return HKEY_USERS;
    case RegRoot::kCurrentConfig: return HKEY_CURRENT_CONFIG;
  }
  return nullptr;
}

HKEY AsHkey(void* key) { return static_cast<HKEY>(key); }

// The real calls leave the last error alone; a refusal by the change gate
// must not leave its mark there either.
bool Allowed(ChangeKind kind, const std::string& target) {
  PreserveLastError keep;
  return AllowChange(kind, target);
}

}  // namespace

void RegKeyTraits::Close(void* key) noexcept { ::RegCloseKey(AsHkey(key)); }

long RegistryKey::OpenFrom(void* parent, const std::string& parentName, const std::string& subkey,
                           RegAccess access) {
  HKEY key = nullptr;
  REGSAM sam = access == RegAccess::kRead ? KEY_READ : KEY_ALL_ACCESS;
  long status = ::RegOpenKeyExA(AsHkey(parent), subkey.c_str(), 0, sam, &key);
  if (status != ERROR_SUCCESS) return status;
  handle_.reset(key);
  fullName_ = JoinRegistryPath(parentName, subkey);
  return status;
}

long RegistryKey::CreateFrom(void* parent, const std::string& parentName, const std::string& subkey,
                             RegDisposition* disposition) {
  if (disposition != nullptr) *disposition = RegDisposition::kNone;
  std::string target = JoinRegistryPath(parentName, subkey);
  if (!Allowed(ChangeKind::kRegistryCreate, target)) return ERROR_ACCESS_DENIED;
  HKEY key = nullptr;
  DWORD how = 0;
  long status = ::RegCreateKeyExA(AsHkey(parent), subkey.c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, &how);
  if (status != ERROR_SUCCESS) return status;
  handle_.reset(key);
  fullName_ = target;
  if (disposition != nullptr) *disposition = static_cast<RegDisposition>(how);
  return status;
}

long RegistryKey::Open(RegRoot root, const std::string& subkey, RegAccess access) {
  return Settle(OpenFrom(RootHandle(root), RegRootName(root), subkey, access));
}

long RegistryKey::Open(const RegistryKey& parent, const std::string& subkey, RegAccess access) {
  if (!parent.valid()) return Settle(ERROR_INVALID_HANDLE);
  return Settle(OpenFrom(parent.handle_.get(), parent.fullName_, subkey, access));
}

long RegistryKey::Create(RegRoot root, const std::string& subkey, RegDisposition* disposition) {
  return Settle(CreateFrom(RootHandle(root), RegRootName(root), subkey, disposition));
}

long RegistryKey::Create(const RegistryKey& parent, const std::string& subkey,
                         RegDisposition* disposition) {
  if (!parent.valid()) return Settle(ERROR_INVALID_HANDLE);
  return Settle(CreateFrom(parent.handle_.get(), parent.fullName_, subkey, disposition));
}

long RegistryKey::QueryValue(const std::string& name, unsigned long* type, void* data,
                             unsigned long* size) const {
  if (!valid()) return ERROR_INVALID_HANDLE;
  DWORD got = size != nullptr ? *size : 0;
  DWORD kind = 0;
  long status = ::RegQueryValueExA(AsHkey(handle_.get()), name.c_str(), nullptr, &kind,
                                   static_cast<BYTE*>(data), size != nullptr ? &got : nullptr);
  if (type != nullptr) *type = kind;
  if (size != nullptr) *size = got;
  return status;
}

long RegistryKey::SetValue(const std::string& name, unsigned long type, const std::string& data) {
  if (!valid()) return ERROR_INVALID_HANDLE;
  if (!Allowed(ChangeKind::kRegistrySet, JoinRegistryPath(fullName_, name))) {
    return ERROR_ACCESS_DENIED;
  }
  // c_str() keeps the NUL after the data that the call looks at.
  return ::RegSetValueExA(AsHkey(handle_.get()), name.c_str(), 0, type,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size()));
}

long RegistryKey::DeleteValue(const std::string& name) {
  if (!valid()) return ERROR_INVALID_HANDLE;
  if (!Allowed(ChangeKind::kRegistryDelete, JoinRegistryPath(fullName_, name))) {
    return ERROR_ACCESS_DENIED;
  }
  return ::RegDeleteValueA(AsHkey(handle_.get()), name.c_str());
}

long RegistryKey::EnumValue(unsigned long index, std::string& name, unsigned long* type) const {
  if (!valid()) return ERROR_INVALID_HANDLE;
  char buffer[16384];
  DWORD length = sizeof(buffer);
  DWORD kind = 0;
  long status = ::RegEnumValueA(AsHkey(handle_.get()), index, buffer, &length, nullptr, &kind,
                                nullptr, nullptr);
  if (status != ERROR_SUCCESS) return status;
  name.assign(buffer, length);
  if (type != nullptr) *type = kind;
  return status;
}

long RegistryKey::EnumKey(unsigned long index, std::string& name) const {
  if (!valid()) return ERROR_INVALID_HANDLE;
  char buffer[kMaxRegKeyName + 1];
  DWORD length = sizeof(buffer);
  long status = ::RegEnumKeyExA(AsHkey(handle_.get()), index, buffer, &length, nullptr, nullptr,
                                nullptr, nullptr);
  if (status == ERROR_SUCCESS) name.assign(buffer, length);
  return status;
}

long RegistryKey::DeleteSubKey(const std::string& subkey) {
  if (!valid()) return ERROR_INVALID_HANDLE;
  if (!Allowed(ChangeKind::kRegistryDelete, JoinRegistryPath(fullName_, subkey))) {
    return ERROR_ACCESS_DENIED;
  }
  return ::RegDeleteKeyA(AsHkey(handle_.get()), subkey.c_str());
}

long DeleteRegistryKey(RegRoot root, const std::string& subkey) {
  if (!Allowed(ChangeKind::kRegistryDelete, JoinRegistryPath(RegRootName(root), subkey))) {
    return ERROR_ACCESS_DENIED;
  }
  return ::RegDeleteKeyA(RootHandle(root), subkey.c_str());
}

}  // namespace os
