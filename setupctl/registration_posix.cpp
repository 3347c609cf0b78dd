#include "setupctl/registration_posix.h"

#include <dlfcn.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "os/errors.h"
#include "os/sandbox_posix.h"
#include "setupctl/registration_steps.h"
#include "setupctl/registry_script.h"

namespace tessaly {

namespace {

using minicom::HRESULT;

HRESULT FromWin32(long code) {
  return code == 0 ? 0 : static_cast<HRESULT>((static_cast<unsigned long>(code) & 0xFFFFu) | 0x80070000u);
}

// The library's own file as the sandbox's programs see it (Z:\...).
bool ModuleWindowsPath(std::string& path) {
  Dl_info info = {};
  if (::dladdr(reinterpret_cast<void*>(&ModuleWindowsPath), &info) == 0 || info.dli_fname == nullptr) {
    return false;
  }
  char resolved[PATH_MAX];
  if (::realpath(info.dli_fname, resolved) == nullptr) return false;
  path = os::sandbox::WindowsPathOfHost(resolved);
  return true;
}

class SandboxCategoryRegistrar final : public CategoryRegistrar {
 public:
  std::int32_t CreateCategory(SafetyCategory category, const char* description) override {
    const std::string key = std::string("Component Categories\\") + CategoryIdText(category);
    return FromWin32(ApplyRegistryScript({{key, "409", description, true}}));
  }
  std::int32_t RegisterClassIn(SafetyCategory category) override {
    const std::string key = std::string("CLSID\\") + kClsidText + "\\Implemented Categories\\" +
                            CategoryIdText(category);
    return FromWin32(ApplyRegistryScript({{key, "", "", false}}));
  }
  // No windows here: the person registering reads standard error.
  void ShowFailure(const char* caption, std::int32_t result) override {
    const auto code = static_cast<unsigned long>(static_cast<std::uint32_t>(result));
    const unsigned long win32 = (code & 0xFFFF0000u) == 0x80070000u ? (code & 0xFFFFu) : code;
    std::fprintf(stderr, "%s: %s\n", caption, os::SystemMessage(win32).c_str());
  }
};

}  // namespace

HRESULT RegisterServer() {
  std::string module;
  if (!ModuleWindowsPath(module)) return kSelfRegClassError;
  if (ApplyRegistryScript(RegistryScript(module)) != os::kErrorSuccess ||
      ApplyRegistryScript(TypeLibraryScript(module)) != os::kErrorSuccess) {
    return kSelfRegClassError;
  }
  SandboxCategoryRegistrar registrar;
  return RegisterSafetyCategories(registrar);
}

HRESULT UnregisterServer() {
  std::vector<std::string> roots = RegistryScriptRoots();
  for (const std::string& root : TypeLibraryRoots()) roots.push_back(root);
  long failure = os::kErrorSuccess;
  for (const std::string& root : roots) {
    const long status = RemoveRegistryTree(root);
    if (status != os::kErrorSuccess && failure == os::kErrorSuccess) failure = status;
  }
  return FromWin32(failure);
}

}  // namespace tessaly
