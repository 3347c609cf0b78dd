// The control's state: one string per property, null until set, and what the
// control makes of it: the setup INI file and the listing it draws.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "setupctl/tessaly_properties.h"

namespace tessaly {

// A property value; nullopt is a value never set (a null BSTR).
using Value = std::optional<std::u16string>;

// The listing texts are cut to this many characters each.
constexpr std::size_t kListingTextLimit = 999;

class Settings {
 public:
  // Stores a copy of value; false for a dispid that names no property.
  [[nodiscard]] bool Put(long dispid, const Value& value);
  // A copy of the stored value; false for a dispid that names no property.
  [[nodiscard]] bool Get(long dispid, Value& value) const;

  // Writes every non-empty value into the setup INI file in the temporary
  // folder; null and empty values are skipped, so older keys stay. Results of
  // the single writes are not checked: a page has nothing to do about them.
  void WriteIni() const;

  // The three listing texts, each cut to kListingTextLimit characters.
  [[nodiscard]] std::array<std::string, 3> ListingTexts() const;
  // The three texts joined, as drawn.
  [[nodiscard]] std::string Listing() const;

 private:
  // The ANSI value cut at its first NUL, as a C string would hold it.
  [[nodiscard]] std::optional<std::string> AnsiValue(long dispid) const;

  std::array<Value, kPropertyCount> values_;
};

// The setup INI file's path in folder: one backslash between them; empty
// when folder is empty.
[[nodiscard]] std::string IniPathIn(const std::string& folder);

// The setup INI file's path in the machine's temporary folder; false when
// the folder cannot be had.
[[nodiscard]] bool IniPath(std::string& path);

// A value as it goes on its INI line: cut at the first line break, since the
// rest would otherwise become extra lines, and with them keys and sections
// the page never set.
[[nodiscard]] std::string IniLineValue(const std::string& value);

}  // namespace tessaly
