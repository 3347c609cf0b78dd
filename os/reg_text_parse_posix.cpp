#include <cstdint>
#include <vector>

#include "os/ansi_codepage_posix.h"
#include "os/reg_text_posix.h"
#include "os/registry.h"

namespace os {
namespace regtext {

namespace {

using Text = std::u16string;

const char kHeader5[] = "Windows Registry Editor Version 5.00";
const char kHeader4[] = "REGEDIT4";

bool IsUtf16(const std::string& bytes) {
  return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
         static_cast<unsigned char>(bytes[1]) == 0xFE;
}

bool IsUtf8(const std::string& bytes) { return bytes.compare(0, 3, "\xef\xbb\xbf") == 0; }

void AppendCodePoint(Text& text, uint32_t point) {
  if (point < 0x10000) {
    text += static_cast<char16_t>(point);
    return;
  }
  point -= 0x10000;
  text += static_cast<char16_t>(0xD800 + (point >> 10));
  text += static_cast<char16_t>(0xDC00 + (point & 0x3FF));
}

// A file saved by a text editor; a broken sequence reads as U+FFFD.
Text DecodeUtf8(const std::string& bytes) {
  Text text;
  size_t i = 3;
  while (i < bytes.size()) {
    unsigned char lead = static_cast<unsigned char>(bytes[i++]);
    size_t more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    uint32_t point = more == 0 ? lead : lead & (0x3F >> more);
    bool broken = lead >= 0x80 && (more == 0 || lead >= 0xF8);
    for (size_t k = 0; k < more && !broken; ++k, ++i) {
      if (i >= bytes.size() || (static_cast<unsigned char>(bytes[i]) & 0xC0) != 0x80) {
        broken = true;
        break;
      }
      point = (point << 6) | (static_cast<unsigned char>(bytes[i]) & 0x3F);
    }
    AppendCodePoint(text, broken || point > 0x10FFFF ? 0xFFFD : point);
  }
  return text;
}

Text Decode(const std::string& bytes) {
  if (IsUtf8(bytes)) return DecodeUtf8(bytes);
  Text text;
  if (IsUtf16(bytes)) {
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                    (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return text;
  }
  for (char c : bytes) text += AnsiToUnicode(static_cast<unsigned char>(c));
  return text;
}

std::string ToAnsi(const Text& text) {
  std::string out;
  for (char16_t u : text) {
    unsigned char c = '?';
    if (!UnicodeToAnsi(u, c)) c = '?';
    out += static_cast<char>(c);
  }
  return out;
}

std::string ToUtf16le(const Text& text) {
  std::string out;
  for (char16_t u : text) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
  return out;
}

bool IsBlank(char16_t c) { return c == ' ' || c == '\t'; }

Text Trim(const Text& line) {
  size_t start = 0;
  size_t end = line.size();
  while (start < end && IsBlank(line[start])) ++start;
  while (end > start && (IsBlank(line[end - 1]) || line[end - 1] == '\r')) --end;
  return line.substr(start, end - start);
}

bool StartsWith(const Text& text, size_t pos, const char* ascii) {
  for (size_t i = 0; ascii[i] != '\0'; ++i, ++pos) {
    if (pos >= text.size()) return false;
    char16_t c = text[pos];
    if (c >= 'A' && c <= 'Z') c = static_cast<char16_t>(c + 32);
    char16_t want = static_cast<char16_t>(ascii[i]);
    if (want >= 'A' && want <= 'Z') want = static_cast<char16_t>(want + 32);
    if (c != want) return false;
  }
  return true;
}

// A quoted string starting at pos (on the opening quote); pos ends after the
// closing quote. The escapes are \\ and \", and the \r and \n that Wine's
// reg export writes; any other backslash stands for itself.
bool ReadQuoted(const Text& line, size_t& pos, Text& out) {
  ++pos;
  while (pos < line.size()) {
    char16_t c = line[pos++];
    if (c == '"') return true;
    if (c == '\\' && pos < line.size()) {
      char16_t next = line[pos];
      if (next == '\\' || next == '"' || next == 'r' || next == 'n') {
        c = next == 'r' ? u'\r' : next == 'n' ? u'\n' : next;
        ++pos;
      }
    }
    out += c;
  }
  return false;
}

int HexDigit(char16_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Where a value line's data starts (past '=' and blanks), or npos.
size_t DataStart(const Text& line) {
  size_t pos = 0;
  Text name;
  if (line.empty() || (line[0] != '@' && line[0] != '"')) return Text::npos;
  if (line[0] == '@') {
    pos = 1;
  } else if (!ReadQuoted(line, pos, name)) {
    return Text::npos;
  }
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  if (pos >= line.size() || line[pos] != '=') return Text::npos;
  ++pos;
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  return pos;
}

// Blanks, then the end of the line or a comment, as regedit allows after data.
bool EndsHere(const Text& line, size_t pos) {
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  return pos == line.size() || line[pos] == ';';
}

// Hex data without a comment after it (hex data holds no ';').
Text WithoutHexComment(const Text& line, size_t from) {
  return Trim(line.substr(0, line.find(u';', from)));
}

// Drops the backslash that says hex data goes on in the next line.
bool TakeContinuation(Text& text) {
  if (text.empty() || text.back() != '\\') return false;
  text.pop_back();
  text = Trim(text);
  return true;
}

struct Logical {
  Text text;  // trimmed, its continuations joined, a comment after hex data dropped
  Text raw;   // the lines as they stood, CR LF between them
  bool broken = false;  // hex data promised to go on but did not
};

// Logical lines: hex data ending in a backslash goes on with the next line
// that is neither blank nor a comment, as regedit reads it. A line that does
// not go on with hex digits breaks the value and stands on its own (Wine's
// regedit drops it too, a key header included; that would lose data).
std::vector<Logical> LogicalLines(const Text& text) {
  std::vector<Logical> lines;
  size_t start = 0;
  bool joining = false;
  Text passed;  // blank and comment lines inside hex data
  while (start <= text.size()) {
    size_t end = text.find(u'\n', start);
    if (end == Text::npos) end = text.size();
    Text raw = text.substr(start, end - start);
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    start = end + 1;
    Text line = Trim(raw);
    if (joining && (line.empty() || line[0] == ';')) {
      passed += u"\r\n" + raw;
      continue;
    }
    if (joining && HexDigit(line[0]) >= 0) {
      Logical& current = lines.back();
      current.raw += passed + u"\r\n" + raw;
      passed.clear();
      current.text += WithoutHexComment(line, 0);
      joining = TakeContinuation(current.text);
      continue;
    }
    if (joining) lines.back().broken = true;
    passed.clear();
    Logical next{line, raw};
    size_t data = DataStart(line);
    joining = false;
    if (data != Text::npos && StartsWith(line, data, "hex")) {
      next.text = WithoutHexComment(line, data);
      joining = TakeContinuation(next.text);
    }
    lines.push_back(std::move(next));
  }
  if (joining) lines.back().broken = true;
  return lines;
}

// Up to maxDigits hex digits filling text from pos to its end.
bool ReadHexNumber(const Text& text, size_t pos, size_t end, size_t maxDigits, uint32_t& value) {
  if (end <= pos || end - pos > maxDigits) return false;
  value = 0;
  for (; pos < end; ++pos) {
    int digit = HexDigit(text[pos]);
    if (digit < 0) return false;
    value = (value << 4) | static_cast<uint32_t>(digit);
  }
  return true;
}

// "01,02, ff" (possibly empty) as bytes.
bool ReadHexBytes(const Text& text, size_t pos, std::string& bytes) {
  Text rest = Trim(text.substr(pos));
  size_t start = 0;
  while (start < rest.size()) {
    size_t end = rest.find(u',', start);
    if (end == Text::npos) end = rest.size();
    Text item = Trim(rest.substr(start, end - start));
    // regedit takes "001" for 01: leading zeros do not count.
    size_t digits = 0;
    while (digits + 2 < item.size() && item[digits] == '0') ++digits;
    uint32_t byte = 0;
    if (!ReadHexNumber(item, digits, item.size(), 2, byte)) {
      // reg export ends no list with a comma, but a trailing one is harmless.
      if (item.empty() && end == rest.size()) break;
      return false;
    }
    bytes += static_cast<char>(byte);
    start = end + 1;
  }
  return true;
}

struct ParsedData {
  bool remove = false;
  unsigned long type = kRegNone;
  std::string data;
};

bool ReadHexData(const Text& line, size_t pos, bool unicodeFile, ParsedData& out) {
  out.type = kRegBinary;
  if (line[pos] == '(') {
    size_t close = line.find(u')', pos);
    uint32_t type = 0;
    if (close == Text::npos || !ReadHexNumber(line, pos + 1, close, 8, type)) return false;
    out.type = type;
    pos = close + 1;
  }
  if (pos >= line.size() || line[pos] != ':') return false;
  if (!ReadHexBytes(line, pos + 1, out.data)) return false;
  bool stringType = out.type == kRegSz || out.type == kRegExpandSz || out.type == kRegMultiSz;
  if (stringType && !unicodeFile) out.data = AnsiToUtf16le(out.data);
  return true;
}

bool ReadData(const Text& line, size_t pos, bool unicodeFile, ParsedData& out) {
  if (pos >= line.size()) return false;
  if (line[pos] == '"') {
    Text text;
    if (!ReadQuoted(line, pos, text) || !EndsHere(line, pos)) return false;
    out.type = kRegSz;
    out.data = ToUtf16le(text) + std::string(2, '\0');
    return true;
  }
  if (line[pos] == '-') {
    out.remove = true;
    return EndsHere(line, pos + 1);
  }
  if (StartsWith(line, pos, "dword:")) {
    // regedit allows blanks around the digits and a comment after them.
    size_t start = pos + 6;
    while (start < line.size() && IsBlank(line[start])) ++start;
    size_t end = start;
    while (end < line.size() && HexDigit(line[end]) >= 0) ++end;
    uint32_t value = 0;
    if (!ReadHexNumber(line, start, end, 8, value) || !EndsHere(line, end)) return false;
    out.type = kRegDword;
    out.data = RegDwordData(value);
    return true;
  }
  if (StartsWith(line, pos, "hex")) return ReadHexData(line, pos + 3, unicodeFile, out);
  return false;
}

// Whether the code page carries every character of a name.
bool FitsCodePage(const Text& name) {
  unsigned char c = 0;
  for (char16_t u : name) {
    if (!UnicodeToAnsi(u, c)) return false;
  }
  return true;
}

// False for a line that cannot be read.
bool ApplyValueLine(const Text& line, bool unicodeFile, regtree::Key& key) {
  size_t pos = DataStart(line);
  if (pos == Text::npos) return false;
  Text name;
  size_t at = 0;
  if (line[0] == '"' && !ReadQuoted(line, at, name)) return false;
  ParsedData data;
  if (!ReadData(line, pos, unicodeFile, data)) return false;
  std::string ansi = ToAnsi(name);
  if (data.remove) {
    regtree::RemoveValue(key, ansi);
    return true;
  }
  regtree::PutValue(key, ansi, data.type, data.data);
  if (!FitsCodePage(name)) regtree::FindValue(key, ansi)->wideName = name;
  return true;
}

std::vector<Text> SplitWide(const Text& path) {
  std::vector<Text> parts;
  size_t start = 0;
  while (start < path.size()) {
    size_t end = path.find(u'\\', start);
    if (end == Text::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// The key a "[...]" line opens, or null for one this root does not hold.
// "[-...]" removes the key and everything below it.
regtree::Key* ApplyHeader(const Text& line, const std::string& rootName, regtree::Key& root) {
  Text inner = line.substr(1, line.size() - 2);
  bool remove = !inner.empty() && inner[0] == '-';
  std::vector<Text> parts = SplitWide(remove ? inner.substr(1) : inner);
  if (parts.empty() || regtree::CompareNames(ToAnsi(parts[0]), rootName) != 0) return nullptr;
  parts.erase(parts.begin());
  if (parts.size() > kMaxDepth) return nullptr;
  if (remove) {
    if (parts.empty()) return nullptr;
    std::vector<std::string> path;
    for (size_t i = 0; i + 1 < parts.size(); ++i) path.push_back(ToAnsi(parts[i]));
    if (regtree::Key* parent = regtree::FindPath(root, path)) {
      regtree::RemoveSubkey(*parent, ToAnsi(parts.back()));
    }
    return nullptr;
  }
  regtree::Key* key = &root;
  for (const Text& name : parts) {
    key = &regtree::AddSubkey(*key, ToAnsi(name), nullptr);
    if (!FitsCodePage(name) && key->wideName.empty()) key->wideName = name;
  }
  return key;
}

}  // namespace

bool Parse(const std::string& bytes, const std::string& rootName, regtree::Key& root,
           std::vector<std::string>* unreadable) {
  std::vector<Logical> lines = LogicalLines(Decode(bytes));
  size_t first = 0;
  while (first < lines.size() && lines[first].text.empty()) ++first;
  if (first == lines.size()) return true;
  std::string header = ToAnsi(lines[first].text);
  if (header != kHeader5 && header != kHeader4) return false;
  // Hex string data follows the file's encoding, whatever its header says.
  bool unicodeFile = IsUtf16(bytes) || IsUtf8(bytes);
  regtree::Key* key = nullptr;     // the section's key
  // Where lines that cannot be read go. Lines before the first key header
  // belong to no key: regedit passes over them, and so does the store (kept
  // on the root they would be read as its values once written back below
  // its header).
  regtree::Key* keeper = nullptr;
  for (size_t i = first + 1; i < lines.size(); ++i) {
    const Text& line = lines[i].text;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[' && line.back() == ']') {
      // Sections of other roots, and deletions, are passed over whole.
      key = keeper = ApplyHeader(line, rootName, root);
      continue;
    }
    if (keeper == nullptr) continue;
    if (line[0] == '[') key = nullptr;  // a broken header: its lines are kept, not read
    if (key != nullptr && !lines[i].broken && ApplyValueLine(line, unicodeFile, *key)) continue;
    keeper->keptLines.push_back(lines[i].raw);
    if (unreadable != nullptr) unreadable->push_back(ToAnsi(lines[i].raw));
  }
  return true;
}

}  // namespace regtext
}  // namespace os
