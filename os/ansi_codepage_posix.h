// The sandbox's ANSI code page, Windows-1252, as the A calls convert it.
// The five bytes that code page leaves undefined map to the control
// characters of the same number, so every byte survives a round trip.
#pragma once

#include <string>

namespace os {

[[nodiscard]] char16_t AnsiToUnicode(unsigned char c) noexcept;

// The byte for a UTF-16 unit; false for a character the code page lacks.
[[nodiscard]] bool UnicodeToAnsi(char16_t u, unsigned char& c) noexcept;

// UTF-16LE bytes for ANSI text, and back; a character the code page lacks
// becomes '?', and an odd last byte is dropped, as WideCharToMultiByte does.
[[nodiscard]] std::string AnsiToUtf16le(const std::string& ansi);
[[nodiscard]] std::string Utf16leToAnsi(const std::string& utf16le);

}  // namespace os
