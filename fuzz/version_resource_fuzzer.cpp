// The PE version-resource reader. The first byte chooses what the rest is: a
// whole image, or a version block on its own (which a mutated image reaches
// only rarely). Checks: a block is never larger than the resource can be;
// every value found lies inside its block; text is no longer than its value.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "os/version_resource.h"

namespace {

namespace vr = os::version_resource;

class MemoryImage : public vr::ImageReader {
 public:
  MemoryImage(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool ReadAt(std::uint32_t offset, std::size_t size, unsigned char* out) override {
    if (offset > size_ || size > size_ - offset) return false;
    std::memcpy(out, data_ + offset, size);
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

void Query(const std::vector<unsigned char>& block, const std::string& path,
           std::vector<std::uint32_t>* translations) {
  vr::Value value;
  if (!vr::FindValue(block, path, value)) return;
  // An empty value has no data pointer.
  if (value.size == 0) return;
  FUZZ_CHECK(value.data >= block.data() && value.size <= block.size() &&
             value.data - block.data() <= static_cast<std::ptrdiff_t>(block.size() - value.size));
  if (value.isText) FUZZ_CHECK(vr::TextOf(value).size() <= value.size / 2);
  if (translations == nullptr) return;
  for (size_t i = 0; i + 4 <= value.size && translations->size() < 4; i += 4) {
    const unsigned char* p = value.data + i;
    translations->push_back(static_cast<std::uint32_t>(p[0] | p[1] << 8 | p[2] << 16) |
                            static_cast<std::uint32_t>(p[3]) << 24);
  }
}

void QueryAll(const std::vector<unsigned char>& block) {
  std::vector<std::uint32_t> translations;
  Query(block, "\\", nullptr);
  Query(block, "\\VarFileInfo\\Translation", &translations);
  for (std::uint32_t t : translations) {
    char path[64];
    std::snprintf(path, sizeof(path), "\\StringFileInfo\\%04X%04X\\FileVersion",
                  static_cast<unsigned>(t & 0xFFFF), static_cast<unsigned>(t >> 16));
    Query(block, path, nullptr);
  }
  Query(block, "\\StringFileInfo\\040904E4\\SpecialBuild", nullptr);
  Query(block, "\\StringFileInfo", nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 1024 * 1024) return 0;
  std::vector<unsigned char> block;
  if (data[0] & 1) {
    block.assign(data + 1, data + size);
  } else {
    MemoryImage image(data + 1, size - 1);
    if (!vr::ExtractVersionBlock(image, block)) return 0;
    FUZZ_CHECK(block.size() <= 0x10000);
  }
  QueryAll(block);
  return 0;
}
