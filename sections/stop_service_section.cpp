#include "sections/stop_service_section.h"

int CHFS_StopServiceSection::Run(const std::string& sessionName, CHFS_InstallRecord& record) {
  engine_->Trace("CHFS_StopServiceSection::Run('%s')", sessionName.c_str());
  SetSectionName(sessionName);
  int result = RunItems(Operation::kStop, record, false);
  engine_->Trace("CHFS_StopServiceSection::Run('%s') iRet=%d", sessionName.c_str(), result);
  return result;
}

int CHFS_StopServiceSection::Rollback(const std::string& sessionName, CHFS_InstallRecord& record) {
  SetSectionName(sessionName);
  engine_->Trace("CHFS_StopServiceSection::Rollback('%s')", sessionName.c_str());
  return RollbackItems(Operation::kStart, record);
}
