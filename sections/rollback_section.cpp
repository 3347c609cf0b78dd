#include "sections/rollback_section.h"

#include "engine/journal_recovery.h"
#include "engine/main_section.h"
#include "engine/result_codes.h"
#include "os/errors.h"
#include "os/files.h"
#include "os/simple_file.h"

int CHFS_RollbackSection::UndoInstallation(const std::string& recordFile) {
  // A runner and record of its own, so the removal run's handlers and
  // entries stay apart from the installation being undone.
  CHFS_MainSection runner(engine_);
  CHFS_InstallRecord installed(engine_);
  int walk = installed.LoadRecords(recordFile);
  // What is restored is journaled, so a removal that is killed goes on
  // where it stopped when it is run again.
  CHFS_Journal journal(CHFS_Journal::PathFor(recordFile));
  bool resume = false;
  CHFS_Journal::Contents contents;
  if (walk == 0 && CHFS_Journal::Read(journal.Path(), contents)) {
    if (contents.kind == CHFS_Journal::Kind::kRemove) {
      resume = true;
      const size_t all = installed.size();
      if (contents.hasUndone) installed.KeepFirst(contents.undoneFrom);
      engine_->Trace("Recovery: journal '%s' of an interrupted removal found: %d of %d entries "
                     "already restored, the removal goes on.",
                     journal.Path().c_str(), static_cast<int>(all - installed.size()),
                     static_cast<int>(all));
      DeleteReplacementLeftovers(*engine_, contents);
      DeleteCreatedFiles(*engine_, contents);
    } else if (!DeleteJournal(*engine_, journal.Path(), JournalEnd::kLeftOver)) {
      walk = -1;  // the install's journal beside its written record file
    }
  }
  if (walk == 0 && !journal.Begin(CHFS_Journal::Kind::kRemove, resume)) {
    engine_->Trace("*** Error: journal '%s' not written. lasterror=%lu", journal.Path().c_str(),
                   os::LastError());
    walk = -1;
  }
  installed.AttachJournal(&journal);
  CreatedFilesNoted createdFiles(installed);
  if (walk == 0) walk = runner.Rollback("ProductInstall.Main", installed);
  if (walk == 0 && installed.JournalFailed()) walk = -1;
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
  } else if (walk == 0) {
    // Kept while the record file stays: a removal run again then restores
    // nothing twice.
    (void)DeleteJournal(*engine_, CHFS_Journal::PathFor(path), JournalEnd::kRemovalFinished);
  }
  engine_->Trace("CHFS_RollbackSection::Run('%s') Ret=%d", sessionName.c_str(), result);
  return result;
}

int CHFS_RollbackSection::Rollback(const std::string& sessionName, CHFS_InstallRecord& record) {
  engine_->Trace("CHFS_RollbackSection::Rollback('%s') ", sessionName.c_str());
  return 0;
}
