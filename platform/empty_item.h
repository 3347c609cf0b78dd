// The text a read of a missing key, section or file gives: the script reader
// returns it, the INI reader asks for it as the default to tell a missing key
// from an empty one.
#pragma once

constexpr const char kEmptyItem[] = "(empty)";
