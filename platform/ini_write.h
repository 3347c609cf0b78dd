// Writing single entries of INI-format files for the engine, the install
// record and the UpdateINI and UpdateSymbols sections.
//
// Entries before a file's first section header have no section name, which
// the profile calls cannot address; an empty section name reaches them
// through a temporary copy of the file that carries the header line
// "[Brevane_TempINI]" first. A write copies the result back, keeping the
// earlier content in "<file>.bak".
#pragma once

#include <string>

#include "platform/log_port.h"

// The section name the temporary copy gives the section-less entries.
constexpr const char kTempINISection[] = "Brevane_TempINI";

// Writes key=value into section of file, with its "Update INI" trace lines.
// An empty value removes the key. 0 on success, -1 when the write failed
// (or the temporary copy could not be made), -2 when the change could not
// be copied back into the file.
int SetINIVariable(CHFS_LogPort& log, const std::string& file, const std::string& section,
                   const std::string& key, const std::string& value);

// The temporary copy: a new file in the temporary folder (prefix "TMP")
// holding the header line and then the file's bytes. 0 and its path; -1
// when the file cannot be opened, -2 when the copy cannot be created.
[[nodiscard]] int MakeTempINICopy(const std::string& file, std::string& copy);

// Writes the copy back under file's name without the header line, keeping
// the earlier content in file + ".bak". The new text is written beside the
// file and replaces it in one step, so a run stopped part way leaves the old
// file or the new one. 0; -1 when the copy cannot be opened, -2 when the
// backup or the new file cannot be made (the file is then as it was).
[[nodiscard]] int ApplyTempINICopy(const std::string& copy, const std::string& file);

// A new, empty file in path's folder, which can replace path with a rename
// (os::MoveFile with replaceExisting). False when none could be made.
[[nodiscard]] bool MakeTempFileBeside(const std::string& path, std::string& temp);
