// What the two registry sections share: their item keys and showing an
// item's description.
#pragma once

#include <cstdio>
#include <string>

#include "engine/section.h"

inline std::string RegItemKey(int item, const char* field) {
  return CHFS_Section::FormatItemKey("Reg", item, ".", field);
}

// Reads "Reg%d.Description" and adds it, with CR LF, to the detail box.
inline void ShowRegDescription(CHFS_Section& section, CHFS_Engine& engine, int item, int rollbackFlag) {
  std::string text = section.ReadSectionItem(RegItemKey(item, "Description"), 1) + "\r\n";
  if (CHFS_Reporter* reporter = engine.Reporter()) reporter->AddDetailText(text, rollbackFlag);
}
