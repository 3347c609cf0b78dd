#include "engine/section_kinds.h"

#include "engine/section.h"
#include "sections/remove_registry_section.h"
#include "sections/update_ini_section.h"
#include "sections/update_registry_section.h"
#include "sections/update_symbols_section.h"

const std::vector<SectionKind>& SectionKinds() {
  static const std::vector<SectionKind> kinds = {
      {"CheckRequirement", true, nullptr},
      {"StartService", true, nullptr},
      {"StopService", true, nullptr},
      {"UpdateRegistry", true, &CHFS_UpdateRegistrySection::Create},
      {"RemoveRegistry", true, &CHFS_RemoveRegistrySection::Create},
      {"CopyFileGroupTo", true, nullptr},
      {"Run", true, nullptr},
      {"UpdateINI", true, &CHFS_UpdateINISection::Create},
      {"ReplaceSymbolsInFile", true, nullptr},
      {"GetUserInput", true, nullptr},
      {"UpdateSymbols", true, &CHFS_UpdateSymbolsSection::Create},
      {"BackupFiles", true, nullptr},
      {"Rollback", false, nullptr},
  };
  return kinds;
}
