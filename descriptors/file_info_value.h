// File properties as text for "[FileInfo:file,property]" symbol values:
// FileSize (low 32 bits, signed), FileVersion ("major.minor" of the fixed
// file version), BuildVersion (its low 32 bits, signed), ProductVersion (the
// "FileVersion" string entry) and SpecialBuild (the "SpecialBuild" entry).
// Property names are case-sensitive.
#pragma once

#include <string>

class CHFS_LogPort;

// The property's value, or the empty text after a plain log line.
std::string QueryFileInfo(CHFS_LogPort& log, const std::string& value);

// The string entry ("FileVersion", "SpecialBuild") of the file's version
// information in its first translation, cut to 511 characters. 1, or 0 when
// the file, its translation table or the entry is missing (text then empty).
int ReadVersionString(const std::string& file, const std::string& entry, std::string& text);
