#include "os/ansi_codepage_posix.h"
#include "setupctl/ansi_text.h"

namespace tessaly {

namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

std::string ToAnsi(const std::u16string& text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    // A surrogate pair is one character, so it becomes one '?'.
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
    unsigned char byte = '?';
    if (!os::UnicodeToAnsi(text[i], byte)) byte = '?';
    result += static_cast<char>(byte);
  }
  return result;
}

}  // namespace tessaly
