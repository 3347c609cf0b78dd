#include <cstring>

#include "os/ansi_codepage_posix.h"
#include "os/errors.h"
#include "os/files.h"
#include "os/version_resource.h"

namespace os {

namespace {

class FileImage : public version_resource::ImageReader {
 public:
  explicit FileImage(NativeHandle file) : file_(file) {}

  bool ReadAt(std::uint32_t offset, std::size_t size, unsigned char* out) override {
    unsigned long got = 0;
    return SetFilePointer(file_, offset) &&
           ReadFile(file_, out, static_cast<unsigned long>(size), got) && got == size;
  }

 private:
  NativeHandle file_;
};

bool Find(const std::vector<unsigned char>& block, const std::string& path,
          version_resource::Value& value) {
  if (version_resource::FindValue(block, path, value)) return true;
  SetLastError(kErrorResourceTypeNotFound);
  return false;
}

}  // namespace

bool GetFileVersionInfo(const std::string& path, std::vector<unsigned char>& block) {
  UniqueFile file = CreateFile(path, kGenericRead, kShareRead | kShareWrite, kOpenExisting);
  if (!file) return false;
  FileImage image(file.get());
  if (!version_resource::ExtractVersionBlock(image, block)) {
    block.clear();
    SetLastError(kErrorResourceTypeNotFound);
    return false;
  }
  return true;
}

bool QueryFixedFileInfo(const std::vector<unsigned char>& block, FixedFileInfo& info) {
  version_resource::Value value;
  if (!Find(block, "\\", value)) return false;
  std::uint32_t fields[13] = {};
  if (value.size < sizeof(fields)) {
    SetLastError(kErrorResourceTypeNotFound);
    return false;
  }
  for (int i = 0; i < 13; ++i) {
    const unsigned char* p = value.data + 4 * i;
    fields[i] = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  }
  info.fileVersionMS = fields[2];
  info.fileVersionLS = fields[3];
  info.productVersionMS = fields[4];
  info.productVersionLS = fields[5];
  info.fileFlags = fields[7];
  info.fileOS = fields[8];
  info.fileType = fields[9];
  return true;
}

bool QueryTranslations(const std::vector<unsigned char>& block,
                       std::vector<std::uint32_t>& translations) {
  version_resource::Value value;
  if (!Find(block, "\\VarFileInfo\\Translation", value)) return false;
  translations.clear();
  for (std::size_t i = 0; i + 4 <= value.size; i += 4) {
    std::uint32_t entry = 0;
    std::memcpy(&entry, value.data + i, 4);  // little-endian on every host we build for
    translations.push_back(entry);
  }
  return true;
}

bool QueryVersionString(const std::vector<unsigned char>& block, const std::string& subBlock,
                        std::string& text) {
  version_resource::Value value;
  if (!Find(block, subBlock, value)) return false;
  if (!value.isText) {
    text.assign(value.data, value.data + value.size);
    return true;
  }
  // Through the ANSI code page, as VerQueryValueA gives it.
  std::string utf16le;
  for (char16_t c : version_resource::TextOf(value)) {
    utf16le += static_cast<char>(c & 0xFF);
    utf16le += static_cast<char>(c >> 8);
  }
  text = Utf16leToAnsi(utf16le);
  return true;
}

}  // namespace os
