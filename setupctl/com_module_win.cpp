#include "setupctl/com_module_win.h"

#include <objbase.h>

#include "setupctl/class_factory_win.h"
#include "setupctl/registration_win.h"
#include "setupctl/tessaly_h.h"

namespace {
HINSTANCE g_instance = nullptr;
volatile LONG g_references = 0;
}  // namespace

namespace tessaly {

HINSTANCE ModuleInstance() noexcept { return g_instance; }

std::string ModulePath() {
  char buffer[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(g_instance, buffer, sizeof(buffer));
  if (length == 0 || length >= sizeof(buffer)) return std::string();
  return std::string(buffer, length);
}

void AddModuleReference() noexcept { ::InterlockedIncrement(&g_references); }
void ReleaseModuleReference() noexcept { ::InterlockedDecrement(&g_references); }
bool ModuleInUse() noexcept { return g_references != 0; }

}  // namespace tessaly

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_instance = instance;
    ::DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllCanUnloadNow() { return tessaly::ModuleInUse() ? S_FALSE : S_OK; }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!::IsEqualCLSID(clsid, CLSID_TessalyCtrl)) return CLASS_E_CLASSNOTAVAILABLE;
  return tessaly::CreateClassFactory(iid, object);
}

STDAPI DllRegisterServer() { return tessaly::RegisterServer(); }

STDAPI DllUnregisterServer() { return tessaly::UnregisterServer(); }
