#include "setupctl/registry_script.h"

#include "os/errors.h"
#include "os/registry.h"

namespace tessaly {

namespace {

constexpr const char* kInterfaceIidText = "{5E366048-E46D-424F-B887-297356B00D3D}";
// The system's marshaller for dual interfaces described by a type library.
constexpr const char* kTypeLibraryMarshaler = "{00020424-0000-0000-C000-000000000046}";

// Subkeys are deleted before their parent, since a key with subkeys cannot be.
long RemoveChildren(os::RegistryKey& key) {
  std::string child;
  // Always the first subkey: each deletion shifts the rest down.
  while (key.EnumKey(0, child) == os::kErrorSuccess) {
    os::RegistryKey sub;
    long status = sub.Open(key, child, os::RegAccess::kAllAccess);
    if (status != os::kErrorSuccess) return status;
    status = RemoveChildren(sub);
    sub.Close();
    if (status == os::kErrorSuccess) status = key.DeleteSubKey(child);
    if (status != os::kErrorSuccess) return status;
  }
  return os::kErrorSuccess;
}

}  // namespace

long ApplyRegistryScript(const std::vector<ScriptEntry>& script) {
  for (const ScriptEntry& entry : script) {
    os::RegistryKey key;
    long status = key.Create(os::RegRoot::kClassesRoot, entry.keyPath, nullptr);
    if (status == os::kErrorSuccess && entry.hasValue) {
      status = key.SetValue(entry.valueName, os::kRegSz, entry.value);
    }
    if (status != os::kErrorSuccess) return status;
  }
  return os::kErrorSuccess;
}

long RemoveRegistryTree(const std::string& path) {
  os::RegistryKey key;
  long status = key.Open(os::RegRoot::kClassesRoot, path, os::RegAccess::kAllAccess);
  if (status == os::kErrorFileNotFound) return os::kErrorSuccess;
  if (status == os::kErrorSuccess) status = RemoveChildren(key);
  key.Close();
  if (status == os::kErrorSuccess) status = os::DeleteRegistryKey(os::RegRoot::kClassesRoot, path);
  return status == os::kErrorFileNotFound ? 0L : status;
}

std::vector<ScriptEntry> TypeLibraryScript(const std::string& modulePath) {
  const std::string version = std::string("TypeLib\\") + kLibidText + "\\1.0";
  const std::string folder = modulePath.substr(0, modulePath.find_last_of('\\') + 1);
  const std::string iface = std::string("Interface\\") + kInterfaceIidText;
  return {
      {version, "", "Ferroval Tessaly 1.0 Type Library", true},
      {version + "\\FLAGS", "", "0", true},
      {version + "\\HELPDIR", "", folder, true},
      {version + "\\409\\win32", "", modulePath, true},
      {iface, "", "ITessalyCtrl", true},
      {iface + "\\ProxyStubClsid", "", kTypeLibraryMarshaler, true},
      {iface + "\\ProxyStubClsid32", "", kTypeLibraryMarshaler, true},
      {iface + "\\TypeLib", "", kLibidText, true},
      {iface + "\\TypeLib", "Version", "1.0", true},
  };
}

std::vector<std::string> TypeLibraryRoots() {
  return {std::string("TypeLib\\") + kLibidText, std::string("Interface\\") + kInterfaceIidText};
}

}  // namespace tessaly
