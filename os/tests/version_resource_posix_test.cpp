// Version resources of PE images built here: which resource and language
// the reader takes, and how its strings reach the A calls.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "os/files.h"
#include "os/tests/os_test_support.h"
#include "os/version_resource.h"
#include "tests/support/test_machine.h"

namespace {

void Put16(std::string& bytes, size_t at, std::uint32_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& bytes, size_t at, std::uint32_t value) {
  Put16(bytes, at, value & 0xFFFF);
  Put16(bytes, at + 2, value >> 16);
}

void PadTo4(std::string& bytes) { bytes.resize((bytes.size() + 3) & ~size_t{3}); }

std::string Utf16(const std::u16string& text) {
  std::string bytes;
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

// One node of a version block: length, value length, type, key, value, children.
std::string Node(const std::u16string& key, const std::string& value, bool text,
                 const std::string& children = "") {
  std::string node(6, '\0');
  node += Utf16(key + u'\0');
  PadTo4(node);
  node += value;
  PadTo4(node);
  node += children;
  Put16(node, 0, static_cast<std::uint32_t>(node.size()));
  Put16(node, 2, static_cast<std::uint32_t>(text ? value.size() / 2 : value.size()));
  Put16(node, 4, text ? 1 : 0);
  PadTo4(node);
  return node;
}

// A block whose file version's high word is marker and whose US English
// table holds FileVersion.
std::string Block(std::uint32_t marker, const std::u16string& fileVersion = u"1.0") {
  std::string fixed(52, '\0');
  Put32(fixed, 0, 0xFEEF04BD);
  Put32(fixed, 4, 0x10000);
  Put32(fixed, 8, marker);
  std::string table = Node(u"040904E4", "", true, Node(u"FileVersion", Utf16(fileVersion + u'\0'), true));
  std::string translation = Node(u"Translation", "\x09\x04\xe4\x04", false);
  return Node(u"VS_VERSION_INFO", fixed, false,
              Node(u"StringFileInfo", "", true, table) + Node(u"VarFileInfo", "", true, translation));
}

struct Resource {
  std::uint32_t id;
  std::uint32_t language;
  std::string block;
};

// A resource directory: its header and count of ID entries.
std::string Directory(size_t entries) {
  std::string dir(16 + 8 * entries, '\0');
  Put16(dir, 14, static_cast<std::uint32_t>(entries));
  return dir;
}

// The .rsrc section for version resources given in ID order.
std::string ResourceSection(const std::vector<Resource>& resources, std::uint32_t rva) {
  std::vector<std::uint32_t> ids;
  for (const Resource& r : resources) {
    if (ids.empty() || ids.back() != r.id) ids.push_back(r.id);
  }
  std::string section = Directory(1);  // types
  Put32(section, 16, 16);              // RT_VERSION
  Put32(section, 20, 0x80000000u | static_cast<std::uint32_t>(section.size()));
  const size_t names = section.size();
  section += Directory(ids.size());
  std::vector<size_t> dataEntries;
  for (size_t i = 0; i < ids.size(); ++i) {
    Put32(section, names + 16 + 8 * i, ids[i]);
    Put32(section, names + 20 + 8 * i, 0x80000000u | static_cast<std::uint32_t>(section.size()));
    size_t count = 0;
    for (const Resource& r : resources) count += r.id == ids[i] ? 1 : 0;
    const size_t languages = section.size();
    section += Directory(count);
    size_t k = 0;
    for (const Resource& r : resources) {
      if (r.id != ids[i]) continue;
      Put32(section, languages + 16 + 8 * k, r.language);
      dataEntries.push_back(languages + 20 + 8 * k++);
    }
  }
  for (size_t i = 0; i < resources.size(); ++i) {
    Put32(section, dataEntries[i], static_cast<std::uint32_t>(section.size()));
    std::string entry(16, '\0');
    Put32(entry, 4, static_cast<std::uint32_t>(resources[i].block.size()));
    dataEntries[i] = section.size();
    section += entry;
  }
  for (size_t i = 0; i < resources.size(); ++i) {
    Put32(section, dataEntries[i], rva + static_cast<std::uint32_t>(section.size()));
    section += resources[i].block;
    PadTo4(section);
  }
  return section;
}

// A 32-bit PE image with nothing but the resource section.
std::string Image(const std::vector<Resource>& resources) {
  const std::uint32_t rva = 0x1000;
  const std::string rsrc = ResourceSection(resources, rva);
  std::string image(0x200, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  Put32(image, 0x3C, 0x40);
  std::memcpy(&image[0x40], "PE\0\0", 4);
  Put16(image, 0x44, 0x14C);         // i386
  Put16(image, 0x46, 1);             // one section
  Put16(image, 0x54, 224);           // optional header size
  Put16(image, 0x58, 0x10B);         // PE32
  Put32(image, 0x58 + 92, 16);       // data directories
  Put32(image, 0x58 + 112, rva);     // the resource directory
  Put32(image, 0x58 + 116, static_cast<std::uint32_t>(rsrc.size()));
  const size_t header = 0x58 + 224;  // the section table
  std::memcpy(&image[header], ".rsrc", 5);
  Put32(image, header + 8, static_cast<std::uint32_t>(rsrc.size()));
  Put32(image, header + 12, rva);
  Put32(image, header + 16, static_cast<std::uint32_t>(rsrc.size()));
  Put32(image, header + 20, 0x200);
  return image + rsrc;
}

// The marker of the block the reader takes; 0 for none.
std::uint32_t MarkerRead(const std::vector<Resource>& resources) {
  const std::string image = Image(resources);
  os_test::MemoryImage reader(image);
  std::vector<unsigned char> block;
  os::version_resource::Value fixed;
  if (!os::version_resource::ExtractVersionBlock(reader, block) ||
      !os::version_resource::FindValue(block, "\\", fixed) || fixed.size < 12) {
    return 0;
  }
  std::uint32_t marker = 0;
  std::memcpy(&marker, fixed.data + 8, 4);
  return marker;
}

TEST(VersionResourcePosix, OnlyIdOneInTheLoadersLanguage) {
  struct Case {
    const char* name;
    std::vector<Resource> resources;
    std::uint32_t marker;
  } cases[] = {
      {"only ID 102", {{102, 0x0409, Block(1)}}, 0},
      {"ID 1 beside 102", {{1, 0x0409, Block(1)}, {102, 0x0409, Block(2)}}, 1},
      {"US English before Arabic", {{1, 0x0401, Block(1)}, {1, 0x0407, Block(2)}, {1, 0x0409, Block(3)}}, 3},
      {"neutral first", {{1, 0x0000, Block(1)}, {1, 0x0401, Block(2)}, {1, 0x0409, Block(3)}}, 1},
      {"else the first", {{1, 0x0401, Block(1)}, {1, 0x0407, Block(2)}}, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(c.marker, MarkerRead(c.resources)) << c.name;
}

TEST(VersionResourcePosix, StringsGoThroughCodePage1252) {
  const std::string path = testing_support::NewTestFolder() + "\\signs.dll";
  ASSERT_TRUE(testing_support::WriteFileBytes(path, Image({{1, 0x0409, Block(1, u"1 \u20ac\u2122\u00e9\u65e5")}})));
  std::string text;
  ASSERT_TRUE(os::GetFileVersionString(path, "FileVersion", text));
  EXPECT_EQ("1 \x80\x99\xe9?", text);
}

}  // namespace
