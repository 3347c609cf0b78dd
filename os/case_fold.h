// Names compared without regard to case, as Windows compares file, profile,
// registry and service names: upper case in code page 1252, the ANSI code
// page the program runs with. The one case folding of the program.
#pragma once

#include <string>

namespace os {

[[nodiscard]] unsigned char UpperCaseAnsiChar(unsigned char c) noexcept;

[[nodiscard]] std::string UpperCaseAnsi(std::string text);

// True when a and b differ at most in case.
[[nodiscard]] bool SameAnsiText(const std::string& a, const std::string& b) noexcept;

}  // namespace os
