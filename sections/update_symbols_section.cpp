#include "sections/update_symbols_section.h"

#include "engine/result_codes.h"
#include "os/profile.h"

int CHFS_UpdateSymbolsSection::Run(const std::string& sessionName, CHFS_InstallRecord& record) {
  engine_->Trace("CHFS_UpdateSymbolsSection::Run(%s)", sessionName.c_str());
  SetSectionName(sessionName);
  // The whole section, like the Symbols sections: a fixed buffer would drop
  // the lines that do not fit without a word.
  int item = 0;
  for (const std::string& line : os::GetProfileSection(engine_->GetScriptPath(), sessionName)) {
    size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    ++item;
    const std::string name = line.substr(0, equals);
    const std::string value = engine_->EvaluateDescriptors(engine_->ReplaceSymbols(line.substr(equals + 1)));
    if (record.AddRecord(item, name, engine_->GetSymbol(name), "") != 0) return BRVN_USERBREAK;
    if (engine_->UpdateSymbol(name, value) != 0) return BRVN_USERBREAK;
  }
  return 0;
}

int CHFS_UpdateSymbolsSection::Rollback(const std::string& sessionName, CHFS_InstallRecord& record) {
  engine_->Trace("CHFS_UpdateSymbolsSection::Rollback(%s)", sessionName.c_str());
  int item = 0;
  std::string name, value;
  while (record.PopRecord(item, name, value) == 0) (void)engine_->UpdateSymbol(name, value);
  return 0;
}
