// Reading single entries of INI-format files named by "[INI:...]" value
// descriptors; section-less entries are read through the temporary copy of
// platform/ini_write.h.
#pragma once

#include <string>

#include "platform/log_port.h"

// A symbol value holding "[INI:file,section,key]": the entry's value, or the
// empty text when the descriptor is malformed, the key is missing or empty,
// or the file cannot be read.
std::string QueryINIValue(CHFS_LogPort& log, const std::string& value);
