#include "engine/section_kinds.h"

#include "engine/section.h"
#include "sections/user_input_section.h"

const std::vector<SectionKind>& SectionKinds() {
  static const std::vector<SectionKind> kinds = {
      {"CheckRequirement", true, nullptr},
      {"StartService", true, nullptr},
      {"StopService", true, nullptr},
      {"UpdateRegistry", true, nullptr},
      {"RemoveRegistry", true, nullptr},
      {"CopyFileGroupTo", true, nullptr},
      {"Run", true, nullptr},
      {"UpdateINI", true, nullptr},
      {"ReplaceSymbolsInFile", true, nullptr},
      {"GetUserInput", true, CreateUserInputSection},
      {"UpdateSymbols", true, nullptr},
      {"BackupFiles", true, nullptr},
      {"Rollback", false, nullptr},
  };
  return kinds;
}
