// Reading and writing single entries of INI-format files for the engine, the
// install record and the UpdateINI and UpdateSymbols sections.
#pragma once

#include <string>

class CHFS_Engine;

// Writes key=value into section of file, with its "Update INI" trace lines.
// An empty value removes the key. 0 on success, -1 when the write failed.
int SetINIVariable(CHFS_Engine& engine, const std::string& file, const std::string& section,
                   const std::string& key, const std::string& value);
