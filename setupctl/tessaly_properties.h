// The static description of the control's 53 string properties: dispids,
// names, the names pages persist them under, where each is written in the
// setup INI file and in what order.
#pragma once

#include <cstddef>

namespace tessaly {

constexpr long kWriteIniDispid = 52;
constexpr std::size_t kPropertyCount = 53;

struct PropertyInfo {
  long dispid;
  const char* name;           // the property's name in the type library
  const char* persistedName;  // the parameter name a page uses
  const char* key;            // the INI key
};

// All properties in type-library order.
const PropertyInfo* Properties() noexcept;

// The property of a dispid, or null.
const PropertyInfo* FindByDispid(long dispid) noexcept;
// The property whose type-library name equals name, ignoring ASCII case as
// IDispatch name lookup does; null when none.
const PropertyInfo* FindByName(const char* name) noexcept;

// The order in which persistence saves and loads: type-library order except
// that UseProxy ("CgiProxy") stands before CgiOnRequestAlertMessage.
const PropertyInfo* const* PersistenceOrder() noexcept;

// Persisted names of the control's extent, saved after the properties.
constexpr const char* kExtentWidthName = "_cx";
constexpr const char* kExtentHeightName = "_cy";

// One INI section and the dispids written into it, in writing order.
struct IniSection {
  const char* name;
  const long* dispids;
  std::size_t count;
};
constexpr std::size_t kIniSectionCount = 2;
const IniSection* IniSections() noexcept;

constexpr const char* kIniFileName = "FerrovalWebDeployment.ini";

}  // namespace tessaly
