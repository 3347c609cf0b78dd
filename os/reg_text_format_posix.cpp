#include <cstdio>

#include "os/ansi_codepage_posix.h"
#include "os/reg_text_posix.h"
#include "os/registry.h"

namespace os {
namespace regtext {

namespace {

// reg export keeps hex lines within 80 columns.
constexpr size_t kHexLineWidth = 77;

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

// The ANSI text of REG_SZ data that a quoted string gives back exactly: one
// line of code-page characters followed by a single NUL.
bool QuotableText(const std::string& data, std::string& text) {
  if (data.size() < 2 || data.size() % 2 != 0) return false;
  text.clear();
  for (size_t i = 0; i < data.size(); i += 2) {
    char16_t u = static_cast<char16_t>(static_cast<unsigned char>(data[i]) |
                                       (static_cast<unsigned char>(data[i + 1]) << 8));
    bool last = i + 2 == data.size();
    if (last) return u == 0;
    unsigned char c = 0;
    if (u == 0 || u == '\r' || u == '\n' || !UnicodeToAnsi(u, c)) return false;
    text += static_cast<char>(c);
  }
  return false;
}

void AppendHex(std::string& out, std::string line, const std::string& data) {
  char byte[4];
  for (size_t i = 0; i < data.size(); ++i) {
    std::snprintf(byte, sizeof(byte), "%02x", static_cast<unsigned char>(data[i]));
    line += byte;
    if (i + 1 == data.size()) break;
    line += ',';
    if (line.size() + 3 > kHexLineWidth) {
      out += line + "\\\r\n";
      line = "  ";
    }
  }
  out += line + "\r\n";
}

void AppendValue(std::string& out, const regtree::Value& value) {
  std::string line = value.name.empty() ? "@=" : "\"" + Escape(value.name) + "\"=";
  std::string text;
  if (value.type == kRegSz && QuotableText(value.data, text)) {
    out += line + "\"" + Escape(text) + "\"\r\n";
    return;
  }
  if (value.type == kRegDword && value.data.size() == 4) {
    unsigned long number = 0;
    for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(value.data[i]);
    char digits[16];
    std::snprintf(digits, sizeof(digits), "%08lx", number);
    out += line + "dword:" + digits + "\r\n";
    return;
  }
  if (value.type == kRegBinary) {
    line += "hex:";
  } else {
    char prefix[24];
    std::snprintf(prefix, sizeof(prefix), "hex(%lx):", value.type);
    line += prefix;
  }
  AppendHex(out, line, value.data);
}

void AppendKey(std::string& out, const regtree::Key& key, const std::string& path, bool isRoot) {
  // The root always exists; it needs a section only for its own values.
  if (!isRoot || !key.values.empty()) {
    out += "[" + path + "]\r\n";
    for (const regtree::Value& value : key.values) AppendValue(out, value);
    out += "\r\n";
  }
  for (const regtree::Key& sub : key.subkeys) AppendKey(out, sub, path + "\\" + sub.name, false);
}

}  // namespace

std::string Format(const regtree::Key& root, const std::string& rootName) {
  std::string out = "Windows Registry Editor Version 5.00\r\n\r\n";
  AppendKey(out, root, rootName, true);
  return out;
}

}  // namespace regtext
}  // namespace os
