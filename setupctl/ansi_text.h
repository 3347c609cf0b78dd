// Wide (UTF-16) text to the system's 8-bit ANSI code page, as the control
// hands its values to the profile API.
//
// Windows: WideCharToMultiByte with CP_ACP. POSIX: the sandbox machine's code
// page is Windows-1252; characters it cannot hold become '?', as with the
// default character of the real conversion; the five bytes 1252 leaves
// undefined stand for the control characters of the same number.
#pragma once

#include <string>

namespace tessaly {

[[nodiscard]] std::string ToAnsi(const std::u16string& text);

}  // namespace tessaly
