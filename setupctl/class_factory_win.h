// The class object that makes TessalyCtrl instances.
#pragma once

#include <windows.h>

namespace tessaly {

// A new class factory, queried for iid.
[[nodiscard]] HRESULT CreateClassFactory(REFIID iid, void** object) noexcept;

}  // namespace tessaly
