#include "sections/rollback_section.h"

#include "engine/main_section.h"
#include "engine/result_codes.h"
#include "os/errors.h"
#include "os/files.h"

std::unique_ptr<CHFS_Section> CHFS_RollbackSection::Create(CHFS_Engine* engine) {
  return std::make_unique<CHFS_RollbackSection>(engine);
}

int CHFS_RollbackSection::UndoInstallation(const std::string& recordFile) {
  // A runner and record of its own, so the removal run's handlers and
  // entries stay apart from the installation being undone.
  CHFS_MainSection runner(engine_);
  CHFS_InstallRecord installed(engine_);
  int walk = installed.LoadRecords(recordFile);
  if (walk == 0) walk = runner.Rollback("ProductInstall.Main", installed);
  // The walk ends with 0 at a step it cannot dispatch; what it left undone
  // must keep the record file, or the removal could never be finished.
  if (walk == 0 && installed.size() != 0) {
    engine_->Trace("*** Runtime error: %d install record entries not rolled back.",
                   static_cast<int>(installed.size()));
    walk = -1;
  }
  return walk;
}

int CHFS_RollbackSection::Run(const std::string& sessionName, CHFS_InstallRecord& record) {
  engine_->Trace("CHFS_RollbackSection::Run('%s') ", sessionName.c_str());
  const std::string path = engine_->InstallRecordPath();
  if (path.empty()) return -1;
  SetSectionName(sessionName);
  int walk = UndoInstallation(path);
  if (walk == 0) {
    engine_->Trace("CHFS_RollbackSection::Run('%s') Ret=BRVN_CMD_ROLLBACK_SUCCESS; Delete Install record file '%s'",
                   sessionName.c_str(), path.c_str());
  }
  // A walk result equal to an action's value (-100 continue, -200 retry, a
  // step number) would be taken for that action when no event key applies,
  // and a failed removal would pass for a good one.
  int failure = walk;
  if (walk == BRVN_CONTINUE || walk == BRVN_RETRY || walk > 0) failure = -1;
  // The event keys are read first: in a removal run the record file is the
  // script that holds them.
  int result = EventHandler(walk == 0 ? "Rollback.Success." : "Rollback.Error.", failure);
  if (walk == 0 && !os::DeleteFile(path)) {
    engine_->Trace("*** Warning: Install record file '%s' not deleted. lasterror=%lu", path.c_str(),
                   os::LastError());
  }
  engine_->Trace("CHFS_RollbackSection::Run('%s') Ret=%d", sessionName.c_str(), result);
  return result;
}

int CHFS_RollbackSection::Rollback(const std::string& sessionName, CHFS_InstallRecord& record) {
  engine_->Trace("CHFS_RollbackSection::Rollback('%s') ", sessionName.c_str());
  return 0;
}
