#include "descriptors/descriptor_syntax.h"

#include <vector>

#include "platform/log_port.h"

namespace {

struct RootName {
  const char* name;
  os::RegRoot root;
};

// "HKCR" is ours: the classes root had no name a descriptor could reach.
const RootName kRoots[] = {
    {"HKCU", os::RegRoot::kCurrentUser},
    {"HKLM", os::RegRoot::kLocalMachine},
    {"HKEY_USERS", os::RegRoot::kUsers},
    {"HKEY_CURRENT_CONFIG", os::RegRoot::kCurrentConfig},
    {"HKCR", os::RegRoot::kClassesRoot},
};

bool SameIgnoringCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 'a' + 'A') : a[i];
    char y = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 'a' + 'A') : b[i];
    if (x != y) return false;
  }
  return i == a.size() && b[i] == '\0';
}

// The fields after keyword: up to fieldCount - 1 comma-ended fields, then
// the rest. False when the keyword or one of those commas is missing.
bool SplitFields(const std::string& text, const char* keyword, size_t fieldCount,
                 std::vector<std::string>& fields) {
  size_t at = text.find(keyword);
  if (at == std::string::npos) return false;
  size_t pos = at + std::char_traits<char>::length(keyword);
  fields.clear();
  for (size_t i = 0; i + 1 < fieldCount; ++i) {
    size_t comma = text.find(',', pos);
    if (comma == std::string::npos) return false;
    fields.push_back(text.substr(pos, comma - pos));
    pos = comma + 1;
  }
  fields.push_back(text.substr(pos));
  return true;
}

}  // namespace

bool RegistryRootByName(const std::string& name, os::RegRoot& root) {
  for (const RootName& entry : kRoots) {
    if (SameIgnoringCase(name, entry.name)) {
      root = entry.root;
      return true;
    }
  }
  return false;
}

int ReadRegistryDescriptor(const std::string& text, RegistryDescriptor& out, std::string* rootName) {
  std::vector<std::string> fields;
  bool ok = SplitFields(text, "Reg:", 3, fields);
  if (ok) {
    out.keyPath = fields[2];
    out.valueName.clear();
    size_t comma = fields[2].find(',');
    if (comma != std::string::npos) {
      out.keyPath = fields[2].substr(0, comma);
      out.valueName = fields[2].substr(comma + 1);
      ok = !out.valueName.empty();
    }
  }
  if (!ok) return -1;
  if (rootName != nullptr) *rootName = fields[1];
  if (fields[0] == "REG_DWORD") {
    out.type = os::kRegDword;
  } else if (fields[0] == "REG_SZ") {
    out.type = os::kRegSz;
  } else {
    return -2;
  }
  return RegistryRootByName(fields[1], out.root) ? 0 : -3;
}

int ParseRegistryDescriptor(CHFS_LogPort& log, const std::string& text, RegistryDescriptor& out) {
  std::string rootName;
  int code = ReadRegistryDescriptor(text, out, &rootName);
  if (code == -1) log.Trace("*** Syntax error: Incorrect registry description '%s'!", text.c_str());
  if (code == -2) log.Trace("*** Syntax error: Incorrect registry data type '%s'!", text.c_str());
  if (code == -3) log.Trace("*** Syntax error: Incorrect registry root_type '%s'!", rootName.c_str());
  return code;
}

bool ReadINIDescriptor(const std::string& text, std::string& file, std::string& section,
                       std::string& key) {
  std::vector<std::string> fields;
  if (!SplitFields(text, "INI:", 3, fields) || fields[2].empty()) return false;
  file = fields[0];
  section = fields[1];
  key = fields[2];
  return true;
}

int SpliteINIParameter(CHFS_LogPort& log, const std::string& text, std::string& file,
                       std::string& section, std::string& key) {
  if (ReadINIDescriptor(text, file, section, key)) return 0;
  log.Trace("*** Syntax error: Incorrect INI description '%s'!", text.c_str());
  return -1;
}

bool ReadFileInfoDescriptor(const std::string& text, std::string& file, std::string& property) {
  std::vector<std::string> fields;
  if (!SplitFields(text, "FileInfo:", 2, fields) || fields[1].empty()) return false;
  file = fields[0];
  property = fields[1];
  return true;
}

int ParseFileInfoDescriptor(CHFS_LogPort& log, const std::string& text, std::string& file,
                            std::string& property) {
  if (ReadFileInfoDescriptor(text, file, property)) return 0;
  log.Trace("*** Syntax error: Incorrect FileInfo description '%s'!", text.c_str());
  return -1;
}

bool BracketedInner(const std::string& value, std::string& inner) {
  size_t close = value.rfind(']');
  if (close == std::string::npos) return false;
  inner = close > 1 ? value.substr(1, close - 1) : std::string();
  return true;
}
