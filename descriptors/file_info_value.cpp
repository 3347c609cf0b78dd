#include "descriptors/file_info_value.h"

#include <cstdint>
#include <cstdio>

#include "descriptors/descriptor_syntax.h"
#include "os/errors.h"
#include "os/files.h"
#include "platform/file_ops.h"
#include "platform/log_port.h"
#include "platform/plain_log.h"

namespace {

// The caller's buffer was 512 bytes.
constexpr size_t kMaxVersionText = 511;

bool FileProperty(const std::string& file, const std::string& property, std::string& result) {
  char text[32];
  if (property == "FileSize") {
    std::uint32_t size = 0;
    if (!platform::FileSizeOf(file, size)) return false;
    std::snprintf(text, sizeof(text), "%d", static_cast<int>(static_cast<std::int32_t>(size)));
  } else if (property == "FileVersion" || property == "BuildVersion") {
    int major = 0, minor = 0;
    std::uint32_t low = 0;
    if (!platform::GetFileVersionNumbers(file, major, minor, low)) return false;
    if (property == "FileVersion") {
      std::snprintf(text, sizeof(text), "%d.%d", major, minor);
    } else {
      std::snprintf(text, sizeof(text), "%d", static_cast<int>(static_cast<std::int32_t>(low)));
    }
  } else if (property == "ProductVersion") {
    return ReadVersionString(file, "FileVersion", result) == 1;
  } else if (property == "SpecialBuild") {
    return ReadVersionString(file, "SpecialBuild", result) == 1;
  } else {
    return false;
  }
  result = text;
  return true;
}

}  // namespace

int ReadVersionString(const std::string& file, const std::string& entry, std::string& text) {
  if (!os::GetFileVersionString(file, entry, text)) {
    text.clear();
    return 0;
  }
  if (text.size() > kMaxVersionText) text.resize(kMaxVersionText);
  return 1;
}

std::string QueryFileInfo(CHFS_LogPort& log, const std::string& value) {
  std::string inner;
  if (!BracketedInner(value, inner)) return std::string();
  std::string file, property;
  if (ParseFileInfoDescriptor(log, inner, file, property) != 0) {
    WritePlainLog(log, "%s", "Syntax error , Incorrect FileInfo description!");
    return std::string();
  }
  std::string result;
  if (!FileProperty(file, property, result)) {
    WritePlainLog(log, "Query file info '%s' Failed! (lasterror=%d)", inner.c_str(),
                  static_cast<int>(os::LastError()));
    return std::string();
  }
  return result;
}
