#include "setupctl/tessaly_properties.h"

#include "setupctl/property_list.h"

namespace tessaly {

namespace {

#define TESSALY_ROW(dispid, name, persisted, key) {dispid, #name, persisted, key},
const PropertyInfo kProperties[kPropertyCount] = {TESSALY_PROPERTIES(TESSALY_ROW)};
#undef TESSALY_ROW

const long kWebDeploymentOrder[] = {1,  53, 2,  3,  4,  29, 5,  6,  7,  26, 8,  9,  10, 27, 30, 31,
                                    32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 48, 54};
const long kServerOrder[] = {1,  28, 11, 12, 13, 14, 15, 16, 17, 18, 19,
                             20, 21, 49, 50, 51, 46, 47, 22, 23, 24, 25};

const IniSection kSections[kIniSectionCount] = {
    {"FerrovalWebDeployment", kWebDeploymentOrder, sizeof(kWebDeploymentOrder) / sizeof(long)},
    {"FerrovalServer", kServerOrder, sizeof(kServerOrder) / sizeof(long)},
};

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

bool SameIgnoringCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (LowerAscii(*a) != LowerAscii(*b)) return false;
  }
  return *a == *b;
}

struct PersistenceTable {
  const PropertyInfo* rows[kPropertyCount];
  PersistenceTable() {
    std::size_t n = 0;
    for (const PropertyInfo& p : kProperties) {
      if (p.dispid == 48) continue;
      if (p.dispid == 47) rows[n++] = FindByDispid(48);
      rows[n++] = &p;
    }
  }
};

}  // namespace

const PropertyInfo* Properties() noexcept { return kProperties; }

const PropertyInfo* FindByDispid(long dispid) noexcept {
  for (const PropertyInfo& p : kProperties) {
    if (p.dispid == dispid) return &p;
  }
  return nullptr;
}

const PropertyInfo* FindByName(const char* name) noexcept {
  if (name == nullptr) return nullptr;
  for (const PropertyInfo& p : kProperties) {
    if (SameIgnoringCase(p.name, name)) return &p;
  }
  return nullptr;
}

const PropertyInfo* const* PersistenceOrder() noexcept {
  static const PersistenceTable table;
  return table.rows;
}

const IniSection* IniSections() noexcept { return kSections; }

}  // namespace tessaly
