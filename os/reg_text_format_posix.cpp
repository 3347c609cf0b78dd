#include <cstdio>

#include "os/ansi_codepage_posix.h"
#include "os/reg_text_posix.h"
#include "os/registry.h"

namespace os {
namespace regtext {

namespace {

using Text = std::u16string;

// reg export keeps hex lines within 80 columns.
constexpr size_t kHexLineWidth = 77;

bool IsStringType(unsigned long type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

char16_t UnitAt(const std::string& utf16le, size_t i) {
  return static_cast<char16_t>(static_cast<unsigned char>(utf16le[i]) |
                               (static_cast<unsigned char>(utf16le[i + 1]) << 8));
}

bool FitsCodePage(const Text& text) {
  unsigned char c = 0;
  for (char16_t u : text) {
    if (!UnicodeToAnsi(u, c)) return false;
  }
  return true;
}

// Text that ANSI cannot carry: string data with an odd byte or a character
// outside the code page, a name kept in UTF-16, a kept line.
bool NeedsUnicode(const regtree::Key& key) {
  if (!key.wideName.empty()) return true;
  for (const Text& line : key.keptLines) {
    if (!FitsCodePage(line)) return true;
  }
  for (const regtree::Value& value : key.values) {
    if (!value.wideName.empty()) return true;
    if (!IsStringType(value.type)) continue;
    if (value.data.size() % 2 != 0) return true;
    for (size_t i = 0; i < value.data.size(); i += 2) {
      unsigned char c = 0;
      if (!UnicodeToAnsi(UnitAt(value.data, i), c)) return true;
    }
  }
  for (const regtree::Key& sub : key.subkeys) {
    if (NeedsUnicode(sub)) return true;
  }
  return false;
}

Text FromAnsi(const std::string& ansi) {
  Text text;
  for (char c : ansi) text += AnsiToUnicode(static_cast<unsigned char>(c));
  return text;
}

// A name as it was read, when the code page could not carry it.
Text NameText(const std::string& name, const Text& wideName) {
  return wideName.empty() ? FromAnsi(name) : wideName;
}

// A line break in a name (an export may give one) is written as Wine's
// export writes it: raw, it would end the line, the name's value would be
// lost and the rest of the name would be read as lines of its own.
Text Escape(const Text& text) {
  Text out;
  for (char16_t c : text) {
    if (c == '\r') {
      out += u"\\r";
    } else if (c == '\n') {
      out += u"\\n";
    } else {
      if (c == '\\' || c == '"') out += u'\\';
      out += c;
    }
  }
  return out;
}

// The text of REG_SZ data that a quoted string gives back exactly: one line
// ending in a single NUL.
bool QuotableText(const std::string& data, Text& text) {
  if (data.size() < 2 || data.size() % 2 != 0) return false;
  text.clear();
  for (size_t i = 0; i < data.size(); i += 2) {
    char16_t u = UnitAt(data, i);
    if (i + 2 == data.size()) return u == 0;
    if (u == 0 || u == '\r' || u == '\n') return false;
    text += u;
  }
  return false;
}

void AppendHex(Text& out, Text line, const std::string& data) {
  char byte[4];
  for (size_t i = 0; i < data.size(); ++i) {
    std::snprintf(byte, sizeof(byte), "%02x", static_cast<unsigned char>(data[i]));
    line += FromAnsi(byte);
    if (i + 1 == data.size()) break;
    line += u',';
    if (line.size() + 3 > kHexLineWidth) {
      out += line + u"\\\r\n";
      line = u"  ";
    }
  }
  out += line + u"\r\n";
}

// Hex string data is UTF-16 in a UTF-16 file and ANSI in an ANSI one, as
// regedit reads it.
void AppendValue(Text& out, const regtree::Value& value, bool unicode) {
  Text line = value.name.empty() ? Text(u"@=") : u"\"" + Escape(NameText(value.name, value.wideName)) + u"\"=";
  Text text;
  if (value.type == kRegSz && QuotableText(value.data, text)) {
    out += line + u"\"" + Escape(text) + u"\"\r\n";
    return;
  }
  char prefix[24];
  if (value.type == kRegDword && value.data.size() == 4) {
    unsigned long number = 0;
    for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(value.data[i]);
    std::snprintf(prefix, sizeof(prefix), "dword:%08lx", number);
    out += line + FromAnsi(prefix) + u"\r\n";
    return;
  }
  if (value.type == kRegBinary) {
    std::snprintf(prefix, sizeof(prefix), "hex:");
  } else {
    std::snprintf(prefix, sizeof(prefix), "hex(%lx):", value.type);
  }
  bool ansiData = IsStringType(value.type) && !unicode;
  AppendHex(out, line + FromAnsi(prefix), ansiData ? Utf16leToAnsi(value.data) : value.data);
}

void AppendKey(Text& out, const regtree::Key& key, const Text& path, bool isRoot, bool unicode) {
  // The root always exists; it needs a section only for its own values.
  if (!isRoot || !key.values.empty() || !key.keptLines.empty()) {
    out += u"[" + path + u"]\r\n";
    for (const regtree::Value& value : key.values) AppendValue(out, value, unicode);
    for (const Text& line : key.keptLines) out += line + u"\r\n";
    out += u"\r\n";
  }
  for (const regtree::Key& sub : key.subkeys) {
    AppendKey(out, sub, path + u"\\" + NameText(sub.name, sub.wideName), false, unicode);
  }
}

}  // namespace

std::string Format(const regtree::Key& root, const std::string& rootName) {
  bool unicode = NeedsUnicode(root);
  Text text = u"Windows Registry Editor Version 5.00\r\n\r\n";
  AppendKey(text, root, FromAnsi(rootName), true, unicode);
  std::string bytes;
  if (!unicode) {
    for (char16_t u : text) {
      unsigned char c = '?';
      if (!UnicodeToAnsi(u, c)) c = '?';
      bytes += static_cast<char>(c);
    }
    return bytes;
  }
  bytes = "\xff\xfe";
  for (char16_t u : text) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  return bytes;
}

}  // namespace regtext
}  // namespace os
