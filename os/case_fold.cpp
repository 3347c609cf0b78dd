#include "os/case_fold.h"

namespace os {

unsigned char UpperCaseAnsiChar(unsigned char c) noexcept {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
  switch (c) {
    case 0x9A: return 0x8A;  // s caron
    case 0x9C: return 0x8C;  // oe
    case 0x9E: return 0x8E;  // z caron
    case 0xFF: return 0x9F;  // y diaeresis
    default: return c;
  }
}

std::string UpperCaseAnsi(std::string text) {
  for (char& c : text) c = static_cast<char>(UpperCaseAnsiChar(static_cast<unsigned char>(c)));
  return text;
}

bool SameAnsiText(const std::string& a, const std::string& b) noexcept {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (UpperCaseAnsiChar(static_cast<unsigned char>(a[i])) != UpperCaseAnsiChar(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace os
