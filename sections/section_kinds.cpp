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
      {"CheckRequirement", true, &Make<CHFS_CheckRequirementSection>, "CheckCount"},
      {"StartService", true, &Make<CHFS_StartServiceSection>, "ServiceCount"},
      {"StopService", true, &Make<CHFS_StopServiceSection>, "ServiceCount"},
      {"UpdateRegistry", true, &Make<CHFS_UpdateRegistrySection>, "RegCount"},
      {"RemoveRegistry", true, &Make<CHFS_RemoveRegistrySection>, "RegCount"},
      {"CopyFileGroupTo", true, &Make<CHFS_CopyFileGroupToSection>, "FileGroupCount"},
      {"Run", true, &Make<CHFS_RunSection>, "RunCount"},
      {"UpdateINI", true, &Make<CHFS_UpdateINISection>, "ItemCount"},
      {"ReplaceSymbolsInFile", true, &Make<CHFS_ReplaceTextSection>, "FileCount"},
      {"GetUserInput", true, &Make<CHFS_UserInputSection>, "InputCount"},
      {"UpdateSymbols", true, &Make<CHFS_UpdateSymbolsSection>, nullptr},
      {"BackupFiles", true, &Make<CHFS_BackupFileSection>, "FileCount"},
      {"Rollback", false, &Make<CHFS_RollbackSection>, nullptr},
  };
  return kinds;
}
