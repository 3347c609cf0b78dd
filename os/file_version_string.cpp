#include <cstdio>
#include <vector>

#include "os/errors.h"
#include "os/files.h"

namespace os {

bool GetFileVersionString(const std::string& path, const std::string& entry, std::string& text) {
  std::vector<unsigned char> block;
  std::vector<std::uint32_t> translations;
  if (!GetFileVersionInfo(path, block) || !QueryTranslations(block, translations)) return false;
  if (translations.empty()) {
    SetLastError(kErrorResourceTypeNotFound);
    return false;
  }
  char table[32];
  std::snprintf(table, sizeof(table), "\\StringFileInfo\\%04X%04X\\",
                static_cast<unsigned int>(translations[0] & 0xFFFFu),
                static_cast<unsigned int>(translations[0] >> 16));
  return QueryVersionString(block, table + entry, text);
}

}  // namespace os
