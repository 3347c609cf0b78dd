#include "os/ansi_codepage_posix.h"

namespace os {

namespace {

constexpr char16_t kHighHalf[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

char16_t AnsiToUnicode(unsigned char c) noexcept {
  if (c >= 0x80 && c < 0xA0) return kHighHalf[c - 0x80];
  return c;
}

bool UnicodeToAnsi(char16_t u, unsigned char& c) noexcept {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
    c = static_cast<unsigned char>(u);
    return true;
  }
  for (unsigned i = 0; i < 32; ++i) {
    if (kHighHalf[i] == u) {
      c = static_cast<unsigned char>(0x80 + i);
      return true;
    }
  }
  return false;
}

std::string AnsiToUtf16le(const std::string& ansi) {
  std::string out;
  out.reserve(ansi.size() * 2);
  for (char ch : ansi) {
    char16_t u = AnsiToUnicode(static_cast<unsigned char>(ch));
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
  return out;
}

std::string Utf16leToAnsi(const std::string& utf16le) {
  std::string out;
  out.reserve(utf16le.size() / 2);
  for (size_t i = 0; i + 1 < utf16le.size(); i += 2) {
    char16_t u = static_cast<char16_t>(static_cast<unsigned char>(utf16le[i]) |
                                       (static_cast<unsigned char>(utf16le[i + 1]) << 8));
    // A surrogate pair is one character, so one '?'.
    if (u >= 0xDC00 && u <= 0xDFFF && i >= 2) {
      char16_t before = static_cast<char16_t>(static_cast<unsigned char>(utf16le[i - 2]) |
                                              (static_cast<unsigned char>(utf16le[i - 1]) << 8));
      if (before >= 0xD800 && before <= 0xDBFF) continue;
    }
    unsigned char c = '?';
    if (!UnicodeToAnsi(u, c)) c = '?';
    out += static_cast<char>(c);
  }
  return out;
}

}  // namespace os
