#include "os/profile_encoding_posix.h"

#include "os/ansi_codepage_posix.h"

namespace os {

namespace {

bool IsUtf16(const std::string& bytes) { return bytes.compare(0, 2, "\xff\xfe") == 0; }

char16_t UnitAt(const std::string& bytes, size_t unit) {
  size_t at = 2 + 2 * unit;
  return static_cast<char16_t>(static_cast<unsigned char>(bytes[at]) |
                               (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

}  // namespace

std::string ProfileAnsiView(const std::string& fileBytes) {
  if (!IsUtf16(fileBytes)) return fileBytes;
  const size_t units = (fileBytes.size() - 2) / 2;
  std::string view(units, '?');
  for (size_t i = 0; i < units; ++i) {
    unsigned char c = '?';
    if (UnicodeToAnsi(UnitAt(fileBytes, i), c)) view[i] = static_cast<char>(c);
  }
  return view;
}

std::string ProfileFileBytes(const std::string& fileBytes, const std::string& view,
                             const std::string& edited) {
  if (!IsUtf16(fileBytes)) return edited;
  // An edit changes one stretch: what leads and trails it stays as it was.
  size_t head = 0;
  while (head < view.size() && head < edited.size() && view[head] == edited[head]) ++head;
  size_t tail = 0;
  while (tail < view.size() - head && tail < edited.size() - head &&
         view[view.size() - 1 - tail] == edited[edited.size() - 1 - tail]) {
    ++tail;
  }
  std::string out = fileBytes.substr(0, 2 + 2 * head);
  out += AnsiToUtf16le(edited.substr(head, edited.size() - head - tail));
  // The trailing units, and an odd last byte of a damaged file, as they were.
  out += fileBytes.substr(2 + 2 * (view.size() - tail));
  return out;
}

}  // namespace os
