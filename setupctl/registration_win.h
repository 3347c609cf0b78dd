// DllRegisterServer and DllUnregisterServer: the registry script, the type
// library and the safety component categories.
#pragma once

#include <windows.h>

namespace tessaly {

[[nodiscard]] HRESULT RegisterServer();
[[nodiscard]] HRESULT UnregisterServer();

}  // namespace tessaly
