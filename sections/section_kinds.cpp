#include "sections/section_kinds.h"

#include "engine/section.h"
#include "sections/backup_file_section.h"
#include "sections/check_requirement_section.h"
#include "sections/copy_file_group_to_section.h"
#include "sections/remove_registry_section.h"
#include "sections/replace_text_section.h"
#include "sections/rollback_section.h"
#include "sections/run_section.h"
#include "sections/start_service_section.h"
#include "sections/stop_service_section.h"
#include "sections/update_ini_section.h"
#include "sections/update_registry_section.h"
#include "sections/update_symbols_section.h"
#include "sections/user_input_section.h"

namespace {
template <typename Handler>
std::unique_ptr<CHFS_Section> Make(CHFS_Engine* engine) {
  return std::make_unique<Handler>(engine);
}
}  // namespace

const SectionKindTable& AllSectionKinds() {
  static const SectionKindTable kinds = {
      {"CheckRequirement", true, &Make<CHFS_CheckRequirementSection>},
      {"StartService", true, &Make<CHFS_StartServiceSection>},
      {"StopService", true, &Make<CHFS_StopServiceSection>},
      {"UpdateRegistry", true, &Make<CHFS_UpdateRegistrySection>},
      {"RemoveRegistry", true, &Make<CHFS_RemoveRegistrySection>},
      {"CopyFileGroupTo", true, &Make<CHFS_CopyFileGroupToSection>},
      {"Run", true, &Make<CHFS_RunSection>},
      {"UpdateINI", true, &Make<CHFS_UpdateINISection>},
      {"ReplaceSymbolsInFile", true, &Make<CHFS_ReplaceTextSection>},
      {"GetUserInput", true, &Make<CHFS_UserInputSection>},
      {"UpdateSymbols", true, &Make<CHFS_UpdateSymbolsSection>},
      {"BackupFiles", true, &Make<CHFS_BackupFileSection>},
      {"Rollback", false, &Make<CHFS_RollbackSection>},
  };
  return kinds;
}
