#include "engine/section_kinds.h"

#include "engine/section.h"
#include "sections/replace_text_section.h"
#include "sections/run_section.h"
#include "sections/start_service_section.h"
#include "sections/stop_service_section.h"

const std::vector<SectionKind>& SectionKinds() {
  static const std::vector<SectionKind> kinds = {
      {"CheckRequirement", true, nullptr},
      {"StartService", true,
       [](CHFS_Engine* e) -> std::unique_ptr<CHFS_Section> { return std::make_unique<CHFS_StartServiceSection>(e); }},
      {"StopService", true,
       [](CHFS_Engine* e) -> std::unique_ptr<CHFS_Section> { return std::make_unique<CHFS_StopServiceSection>(e); }},
      {"UpdateRegistry", true, nullptr},
      {"RemoveRegistry", true, nullptr},
      {"CopyFileGroupTo", true, nullptr},
      {"Run", true,
       [](CHFS_Engine* e) -> std::unique_ptr<CHFS_Section> { return std::make_unique<CHFS_RunSection>(e); }},
      {"UpdateINI", true, nullptr},
      {"ReplaceSymbolsInFile", true,
       [](CHFS_Engine* e) -> std::unique_ptr<CHFS_Section> { return std::make_unique<CHFS_ReplaceTextSection>(e); }},
      {"GetUserInput", true, nullptr},
      {"UpdateSymbols", true, nullptr},
      {"BackupFiles", true, nullptr},
      {"Rollback", false, nullptr},
  };
  return kinds;
}
