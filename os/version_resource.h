// Version resources read without the system's help: the VS_VERSIONINFO
// resource of a PE image (32- or 64-bit) and the queries VerQueryValueA
// answers on it. The POSIX backend of os/files.h is built on this; it is
// portable so that both platforms test it against the same DLL.
//
// Every offset and length read from the image is checked before use: a
// damaged or hostile file gives false, never a read outside the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace os {
namespace version_resource {

// Where the image's bytes come from (a file, or memory in tests).
class ImageReader {
 public:
  virtual ~ImageReader() = default;
  // Reads exactly size bytes at offset; false when they are not all there.
  virtual bool ReadAt(std::uint32_t offset, std::size_t size, unsigned char* out) = 0;
};

// The raw VS_VERSIONINFO block of the image: the RT_VERSION resource with ID
// 1 (the system reads no other), in the language the loader picks.
[[nodiscard]] bool ExtractVersionBlock(ImageReader& image, std::vector<unsigned char>& block);

// A value of the block found by a VerQueryValue path ("\", "\VarFileInfo\Translation",
// "\StringFileInfo\040904E4\FileVersion"); keys match without regard to case.
struct Value {
  const unsigned char* data = nullptr;
  std::size_t size = 0;  // bytes
  bool isText = false;   // UTF-16LE text (wType 1)
};
[[nodiscard]] bool FindValue(const std::vector<unsigned char>& block, const std::string& path,
                             Value& value);

// A text value up to its terminating NUL.
std::u16string TextOf(const Value& value);

}  // namespace version_resource
}  // namespace os
