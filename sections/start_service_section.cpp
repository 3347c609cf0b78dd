#include "sections/start_service_section.h"

int CHFS_StartServiceSection::Run(const std::string& sessionName, CHFS_InstallRecord& record) {
  SetSectionName(sessionName);
  return RunItems(Operation::kStart, record, true);
}

int CHFS_StartServiceSection::Rollback(const std::string& sessionName, CHFS_InstallRecord& record) {
  SetSectionName(sessionName);
  engine_->Trace("CHFS_StartServiceSection::Rollback('%s')", sessionName.c_str());
  return RollbackItems(Operation::kStop, record);
}
