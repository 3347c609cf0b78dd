#include "setupctl/registration_win.h"

#include <comcat.h>

#include <string>

#include "os/errors.h"
#include "setupctl/com_module_win.h"
#include "setupctl/com_ptr_win.h"
#include "setupctl/registration_steps.h"
#include "setupctl/registry_script.h"
#include "setupctl/tessaly_h.h"

namespace tessaly {

namespace {

// {7DD95801-9882-11CF-9FA9-00AA006C42C4} and {7DD95802-...}: the system's
// categories for controls safe for scripting and for initialising.
const CATID kCatidSafeForScripting = {0x7DD95801, 0x9882, 0x11CF, {0x9F, 0xA9, 0x00, 0xAA, 0x00, 0x6C, 0x42, 0xC4}};
const CATID kCatidSafeForInitializing = {0x7DD95802, 0x9882, 0x11CF, {0x9F, 0xA9, 0x00, 0xAA, 0x00, 0x6C, 0x42, 0xC4}};
constexpr LCID kEnglish = 0x0409;
#ifdef _WIN64
constexpr SYSKIND kSysKind = SYS_WIN64;
#else
constexpr SYSKIND kSysKind = SYS_WIN32;
#endif

HRESULT RegisterScriptAndTypeLibrary() {
  const std::string module = ModulePath();
  if (module.empty()) return E_FAIL;
  const long status = ApplyRegistryScript(RegistryScript(module));
  if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(ModuleInstance(), path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return E_FAIL;
  ComPtr<ITypeLib> library;
  HRESULT hr = ::LoadTypeLibEx(path, REGKIND_NONE, library.put());
  if (SUCCEEDED(hr)) hr = ::RegisterTypeLib(library.get(), path, nullptr);
  return hr;
}

const CATID& CatidOf(SafetyCategory category) {
  return category == SafetyCategory::kSafeForScripting ? kCatidSafeForScripting : kCatidSafeForInitializing;
}

class WinCategoryRegistrar final : public CategoryRegistrar {
 public:
  std::int32_t CreateCategory(SafetyCategory category, const char* description) override {
    const HRESULT hr = EnsureManager();
    if (FAILED(hr)) return hr;
    CATEGORYINFO info = {};
    info.catid = CatidOf(category);
    info.lcid = kEnglish;
    const int written = ::MultiByteToWideChar(CP_ACP, 0, description, -1, info.szDescription,
                                              sizeof(info.szDescription) / sizeof(info.szDescription[0]));
    if (written == 0) return E_INVALIDARG;
    return manager_->RegisterCategories(1, &info);
  }
  std::int32_t RegisterClassIn(SafetyCategory category) override {
    const HRESULT hr = EnsureManager();
    if (FAILED(hr)) return hr;
    CATID catid = CatidOf(category);
    return manager_->RegisterClassImplCategories(CLSID_TessalyCtrl, 1, &catid);
  }
  void ShowFailure(const char* caption, std::int32_t result) override {
    const std::string text = os::SystemMessage(static_cast<unsigned long>(result));
    ::MessageBoxA(nullptr, text.c_str(), caption, MB_OK);
  }

 private:
  HRESULT EnsureManager() {
    if (manager_) return S_OK;
    return ::CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                              IID_ICatRegister, manager_.put_void());
  }
  ComPtr<ICatRegister> manager_;
};

}  // namespace

HRESULT RegisterServer() {
  if (FAILED(RegisterScriptAndTypeLibrary())) return kSelfRegClassError;
  WinCategoryRegistrar registrar;
  return RegisterSafetyCategories(registrar);
}

HRESULT UnregisterServer() {
  HRESULT result = S_OK;
  for (const std::string& root : RegistryScriptRoots()) {
    const long status = RemoveRegistryTree(root);
    if (status != ERROR_SUCCESS && SUCCEEDED(result)) result = HRESULT_FROM_WIN32(status);
  }
  const HRESULT hr = ::UnRegisterTypeLib(LIBID_TESSALYLib, 1, 0, kEnglish, kSysKind);
  // A library that is not registered any more is what we want.
  if (FAILED(hr) && hr != TYPE_E_REGISTRYACCESS && hr != TYPE_E_LIBNOTREGISTERED && SUCCEEDED(result)) {
    result = hr;
  }
  return result;
}

}  // namespace tessaly
