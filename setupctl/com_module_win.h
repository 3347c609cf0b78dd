// Module-wide state of the in-process server: its instance handle, the count
// of live objects and server locks that DllCanUnloadNow answers from.
#pragma once

#include <windows.h>

#include <string>

namespace tessaly {

[[nodiscard]] HINSTANCE ModuleInstance() noexcept;
[[nodiscard]] std::string ModulePath();

void AddModuleReference() noexcept;
void ReleaseModuleReference() noexcept;
[[nodiscard]] bool ModuleInUse() noexcept;

}  // namespace tessaly
