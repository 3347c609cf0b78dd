// Writing and removing the registry script's keys under HKEY_CLASSES_ROOT
// through the OS layer, so both platforms register the same way and every
// change passes the change gate.
#pragma once

#include <string>
#include <vector>

#include "setupctl/registration_steps.h"

namespace tessaly {

// Sets every entry, parents first; 0, or the Win32 code of the first failure.
[[nodiscard]] long ApplyRegistryScript(const std::vector<ScriptEntry>& script);

// Deletes the key at path under HKEY_CLASSES_ROOT with all its subkeys; a
// key that does not exist is no failure. 0 or a Win32 code.
[[nodiscard]] long RemoveRegistryTree(const std::string& path);

// What the system's type-library registration records for our library,
// for platforms that have no such call.
[[nodiscard]] std::vector<ScriptEntry> TypeLibraryScript(const std::string& modulePath);
[[nodiscard]] std::vector<std::string> TypeLibraryRoots();

}  // namespace tessaly
