#include "os/version_resource.h"

#include <algorithm>
#include <utility>

namespace os {
namespace version_resource {

namespace {

constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kVersionInfoId = 1;  // the only one the system reads
constexpr std::uint32_t kLanguageNeutral = 0x0000;
constexpr std::uint32_t kLanguageUsEnglish = 0x0409;
constexpr std::uint32_t kMaxBlock = 0x10000;  // wLength is 16 bits
constexpr std::uint32_t kHighBit = 0x80000000u;

std::uint16_t Word(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t Dword(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool ReadDword(ImageReader& image, std::uint32_t offset, std::uint32_t& value) {
  unsigned char bytes[4];
  if (!image.ReadAt(offset, sizeof(bytes), bytes)) return false;
  value = Dword(bytes);
  return true;
}

struct Section {
  std::uint32_t virtualAddress;
  std::uint32_t virtualSize;
  std::uint32_t rawSize;
  std::uint32_t rawOffset;
};

struct Image {
  std::vector<Section> sections;
  std::uint32_t resourceRva = 0;
  std::uint32_t resourceSize = 0;
};

bool FileOffsetOf(const Image& image, std::uint32_t rva, std::uint32_t size, std::uint32_t& offset) {
  for (const Section& s : image.sections) {
    std::uint32_t span = std::max(s.virtualSize, s.rawSize);
    if (rva < s.virtualAddress || rva - s.virtualAddress >= span) continue;
    std::uint32_t within = rva - s.virtualAddress;
    if (within > s.rawSize || size > s.rawSize - within) return false;
    offset = s.rawOffset + within;
    return offset >= s.rawOffset;
  }
  return false;
}

bool ReadHeaders(ImageReader& reader, Image& image) {
  unsigned char dos[64];
  if (!reader.ReadAt(0, sizeof(dos), dos) || dos[0] != 'M' || dos[1] != 'Z') return false;
  std::uint32_t pe = Dword(dos + 0x3C);
  unsigned char coff[24];
  if (pe > 0x10000000u || !reader.ReadAt(pe, sizeof(coff), coff)) return false;
  if (coff[0] != 'P' || coff[1] != 'E' || coff[2] != 0 || coff[3] != 0) return false;
  std::uint16_t sectionCount = Word(coff + 6);
  std::uint16_t optionalSize = Word(coff + 20);
  std::uint32_t optional = pe + 24;
  unsigned char magic[2];
  if (!reader.ReadAt(optional, 2, magic)) return false;
  std::uint16_t kind = Word(magic);
  std::uint32_t countAt = kind == 0x10B ? 92 : kind == 0x20B ? 108 : 0;
  std::uint32_t directories = 0;
  if (countAt == 0 || !ReadDword(reader, optional + countAt, directories)) return false;
  if (directories < 3 || countAt + 4 + 3 * 8 > optionalSize) return false;
  std::uint32_t resourceEntry = optional + countAt + 4 + 2 * 8;
  if (!ReadDword(reader, resourceEntry, image.resourceRva) ||
      !ReadDword(reader, resourceEntry + 4, image.resourceSize)) {
    return false;
  }
  std::uint32_t table = optional + optionalSize;
  for (std::uint16_t i = 0; i < sectionCount; ++i) {
    unsigned char header[40];
    if (!reader.ReadAt(table + 40u * i, sizeof(header), header)) return false;
    image.sections.push_back(Section{Dword(header + 12), Dword(header + 8), Dword(header + 16),
                                     Dword(header + 20)});
  }
  return image.resourceRva != 0 && image.resourceSize != 0;
}

// The entries of one resource directory: (name or id, target) pairs.
bool ReadDirectory(ImageReader& reader, std::uint32_t base, std::uint32_t limit, std::uint32_t dir,
                   std::vector<std::pair<std::uint32_t, std::uint32_t>>& entries) {
  unsigned char header[16];
  if (dir > limit || limit - dir < sizeof(header) || !reader.ReadAt(base + dir, sizeof(header), header)) {
    return false;
  }
  std::uint32_t count = static_cast<std::uint32_t>(Word(header + 12)) + Word(header + 14);
  if (count > (limit - dir - 16) / 8) return false;
  entries.clear();
  for (std::uint32_t i = 0; i < count; ++i) {
    unsigned char entry[8];
    if (!reader.ReadAt(base + dir + 16 + 8 * i, 8, entry)) return false;
    entries.emplace_back(Dword(entry), Dword(entry + 4));
  }
  return true;
}

// The directory entry with the numeric id.
bool FindEntry(ImageReader& reader, std::uint32_t base, std::uint32_t limit, std::uint32_t dir,
               std::uint32_t id, std::uint32_t& target) {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> entries;
  if (!ReadDirectory(reader, base, limit, dir, entries)) return false;
  for (const auto& entry : entries) {
    if ((entry.first & kHighBit) == 0 && entry.first == id) {
      target = entry.second;
      return true;
    }
  }
  return false;
}

// The language the loader takes: neutral, the user's, the system's, US
// English (the sandbox's user and system language, all three), else the
// first one there is.
bool FindLanguage(ImageReader& reader, std::uint32_t base, std::uint32_t limit, std::uint32_t dir,
                  std::uint32_t& target) {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> entries;
  if (!ReadDirectory(reader, base, limit, dir, entries) || entries.empty()) return false;
  for (std::uint32_t language : {kLanguageNeutral, kLanguageUsEnglish}) {
    for (const auto& entry : entries) {
      if (entry.first == language) {
        target = entry.second;
        return true;
      }
    }
  }
  target = entries.front().second;
  return true;
}

}  // namespace

bool ExtractVersionBlock(ImageReader& reader, std::vector<unsigned char>& block) {
  Image image;
  std::uint32_t base = 0;
  if (!ReadHeaders(reader, image) ||
      !FileOffsetOf(image, image.resourceRva, image.resourceSize, base)) {
    return false;
  }
  const std::uint32_t limit = image.resourceSize;
  std::uint32_t types = 0, names = 0, languages = 0;
  if (!FindEntry(reader, base, limit, 0, kRtVersion, types) || (types & kHighBit) == 0 ||
      !FindEntry(reader, base, limit, types & ~kHighBit, kVersionInfoId, names) ||
      (names & kHighBit) == 0 || !FindLanguage(reader, base, limit, names & ~kHighBit, languages) ||
      (languages & kHighBit) != 0 || languages > limit || limit - languages < 16) {
    return false;
  }
  unsigned char data[8];
  if (!reader.ReadAt(base + languages, sizeof(data), data)) return false;
  std::uint32_t rva = Dword(data);
  std::uint32_t size = Dword(data + 4);
  std::uint32_t offset = 0;
  if (size < 6 || size > kMaxBlock || !FileOffsetOf(image, rva, size, offset)) return false;
  block.assign(size, 0);
  if (!reader.ReadAt(offset, size, block.data())) return false;
  std::uint32_t declared = Word(block.data());
  if (declared < 6 || declared > size) return false;
  block.resize(declared);
  return true;
}

namespace {

// One node of the block: wLength, wValueLength, wType, key, value, children.
struct Node {
  std::size_t start = 0;
  std::size_t end = 0;
  std::u16string key;
  std::size_t valueStart = 0;
  std::size_t valueSize = 0;
  bool isText = false;
  std::size_t childrenStart = 0;
};

std::size_t Align4(std::size_t offset) { return (offset + 3) & ~static_cast<std::size_t>(3); }

bool ParseNode(const std::vector<unsigned char>& block, std::size_t start, std::size_t limit,
               Node& node) {
  if (start > limit || limit - start < 6) return false;
  std::size_t length = Word(&block[start]);
  if (length < 6 || length > limit - start) return false;
  node.start = start;
  node.end = start + length;
  std::size_t valueLength = Word(&block[start + 2]);
  node.isText = Word(&block[start + 4]) == 1;
  std::size_t at = start + 6;
  node.key.clear();
  while (true) {
    if (at + 2 > node.end) return false;
    char16_t c = static_cast<char16_t>(Word(&block[at]));
    at += 2;
    if (c == 0) break;
    node.key += c;
  }
  node.valueStart = std::min(Align4(at), node.end);
  std::size_t bytes = node.isText ? valueLength * 2 : valueLength;
  node.valueSize = std::min(bytes, node.end - node.valueStart);
  node.childrenStart = std::min(Align4(node.valueStart + node.valueSize), node.end);
  return true;
}

bool SameKey(const std::u16string& key, const std::string& name) {
  if (key.size() != name.size()) return false;
  for (std::size_t i = 0; i < key.size(); ++i) {
    char16_t a = key[i];
    char16_t b = static_cast<unsigned char>(name[i]);
    if (a >= 'a' && a <= 'z') a = static_cast<char16_t>(a - 32);
    if (b >= 'a' && b <= 'z') b = static_cast<char16_t>(b - 32);
    if (a != b) return false;
  }
  return true;
}

bool FindChild(const std::vector<unsigned char>& block, const Node& parent, const std::string& name,
               Node& child) {
  std::size_t at = parent.childrenStart;
  while (at + 6 <= parent.end) {
    if (!ParseNode(block, at, parent.end, child)) return false;
    if (SameKey(child.key, name)) return true;
    at = Align4(child.end);
  }
  return false;
}

}  // namespace

bool FindValue(const std::vector<unsigned char>& block, const std::string& path, Value& value) {
  Node node;
  if (!ParseNode(block, 0, block.size(), node)) return false;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) {
      Node child;
      if (!FindChild(block, node, path.substr(start, end - start), child)) return false;
      node = child;
    }
    start = end + 1;
  }
  value.data = node.valueSize > 0 ? &block[node.valueStart] : nullptr;
  value.size = node.valueSize;
  value.isText = node.isText;
  return true;
}

std::u16string TextOf(const Value& value) {
  std::u16string text;
  for (std::size_t i = 0; i + 2 <= value.size; i += 2) {
    char16_t c = static_cast<char16_t>(Word(value.data + i));
    if (c == 0) break;
    text += c;
  }
  return text;
}

}  // namespace version_resource
}  // namespace os
