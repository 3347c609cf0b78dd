#include "descriptors/registry_value.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "descriptors/descriptor_syntax.h"
#include "os/errors.h"
#include "platform/c_numbers.h"
#include "platform/empty_item.h"
#include "platform/log_port.h"
#include "platform/plain_log.h"

namespace {

constexpr unsigned long kDataBuffer = 4096;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

unsigned long HexToDword(const char* text) {
  while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
  if (*text == '+' || *text == '-') ++text;
  std::uint64_t value = 0;
  for (int digit; (digit = HexDigit(*text)) >= 0; ++text) {
    value = value * 16 + static_cast<unsigned>(digit);
    if (value > 0xFFFFFFFFull) return 0xFFFFFFFFul;
  }
  return static_cast<unsigned long>(value);
}

}  // namespace

std::string QueryOpenKeyValue(CHFS_LogPort& log, const os::RegistryKey& key, unsigned long type,
                              const std::string& valueName, long* status) {
  long ret = 0;
  std::string result;
  if (type == os::kRegDword) {
    std::uint32_t number = 0;
    unsigned long size = sizeof(number);
    ret = key.QueryValue(valueName, nullptr, &number, &size);
    char text[16];
    std::snprintf(text, sizeof(text), "%d", static_cast<int>(static_cast<std::int32_t>(number)));
    result = text;
  } else {
    std::vector<char> data(kDataBuffer, '\0');
    unsigned long size = kDataBuffer;
    ret = key.QueryValue(valueName, nullptr, data.data(), &size);
    result.assign(data.begin(), std::find(data.begin(), data.end(), '\0'));
  }
  if (status != nullptr) *status = ret;
  if (ret == 0) return result;
  WritePlainLog(log, "RegQueryValue Item ='%s' Failed! ret=%d,lasterror=%d", valueName.c_str(),
                static_cast<int>(ret), static_cast<int>(os::LastError()));
  return kEmptyItem;
}

std::string QueryRegistryValue(CHFS_LogPort& log, unsigned long type, os::RegRoot root,
                               const std::string& keyPath, const std::string& valueName) {
  os::RegistryKey key;
  long ret = key.Open(root, keyPath, os::RegAccess::kRead);
  if (ret != 0) {
    WritePlainLog(log, "RegOpenKeyEx key='%s' Failed! ret=%d,lasterror=%d", keyPath.c_str(),
                  static_cast<int>(ret), static_cast<int>(os::LastError()));
    return kEmptyItem;
  }
  return QueryOpenKeyValue(log, key, type, valueName);
}

std::string QueryRegistryDescriptor(CHFS_LogPort& log, const std::string& value) {
  std::string inner;
  if (!BracketedInner(value, inner)) return std::string();
  RegistryDescriptor descriptor;
  if (ParseRegistryDescriptor(log, inner, descriptor) != 0) {
    WritePlainLog(log, "%s", "Syntax error , Incorrect registry description!");
    return std::string();
  }
  std::string result = QueryRegistryValue(log, descriptor.type, descriptor.root,
                                          descriptor.keyPath, descriptor.valueName);
  return result == kEmptyItem ? std::string() : result;
}

unsigned long RegistryDwordFromText(const std::string& text, bool hexPrefix) {
  if (hexPrefix && text.compare(0, 2, "0x") == 0) return HexToDword(text.c_str() + 2);
  return static_cast<unsigned long>(static_cast<std::uint32_t>(CDecimalToInt(text)));
}

long WriteRegistryText(os::RegistryKey& key, const std::string& valueName, unsigned long type,
                       const std::string& text, bool hexPrefix) {
  if (type == os::kRegDword) {
    return key.SetValue(valueName, os::kRegDword,
                        os::RegDwordData(RegistryDwordFromText(text, hexPrefix)));
  }
  return key.SetValue(valueName, os::kRegSz, text);
}

bool IsRegistryDwordText(const std::string& text) {
  size_t at = text.find_first_not_of(" \t\n\v\f\r");
  if (at != std::string::npos && (text[at] == '+' || text[at] == '-')) ++at;
  return at < text.size() && text[at] >= '0' && text[at] <= '9';
}
