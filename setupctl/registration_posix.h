// Registration into the sandbox machine's registry: the same registry
// script as on Windows, the keys the system's type-library registration
// writes there, and the safety component categories.
#pragma once

#include "setupctl/mini_com_posix.h"

namespace tessaly {

[[nodiscard]] minicom::HRESULT RegisterServer();
[[nodiscard]] minicom::HRESULT UnregisterServer();

}  // namespace tessaly
