#include "engine/section_kinds.h"

#include "engine/section.h"
#include "sections/backup_file_section.h"
#include "sections/check_requirement_section.h"
#include "sections/copy_file_group_to_section.h"
#include "sections/remove_registry_section.h"
#include "sections/rollback_section.h"
#include "sections/update_ini_section.h"
#include "sections/update_registry_section.h"
#include "sections/update_symbols_section.h"
#include "sections/user_input_section.h"

const std::vector<SectionKind>& SectionKinds() {
  static const std::vector<SectionKind> kinds = {
      {"CheckRequirement", true, &CHFS_CheckRequirementSection::Create},
      {"StartService", true, nullptr},
      {"StopService", true, nullptr},
      {"UpdateRegistry", true, &CHFS_UpdateRegistrySection::Create},
      {"RemoveRegistry", true, &CHFS_RemoveRegistrySection::Create},
      {"CopyFileGroupTo", true, &CHFS_CopyFileGroupToSection::Create},
      {"Run", true, nullptr},
      {"UpdateINI", true, &CHFS_UpdateINISection::Create},
      {"ReplaceSymbolsInFile", true, nullptr},
      {"GetUserInput", true, CreateUserInputSection},
      {"UpdateSymbols", true, &CHFS_UpdateSymbolsSection::Create},
      {"BackupFiles", true, &CHFS_BackupFileSection::Create},
      {"Rollback", false, &CHFS_RollbackSection::Create},
  };
  return kinds;
}
