// The handler of the removal domain's Rollback step: undoes an earlier
// installation from its install record file (the removal run's script) and
// deletes the file when everything was undone, so a failed removal can be
// run again.
#pragma once

#include <memory>
#include <string>

#include "engine/section.h"

class CHFS_RollbackSection : public CHFS_Section {
 public:
  explicit CHFS_RollbackSection(CHFS_Engine* engine) : CHFS_Section(engine) {}
  static std::unique_ptr<CHFS_Section> Create(CHFS_Engine* engine);

  // -1 when the run has no install record file; otherwise the answer of the
  // "Rollback.Success." or "Rollback.Error." event keys to the walk's result.
  int Run(const std::string& sessionName, CHFS_InstallRecord& record) override;
  int Rollback(const std::string& sessionName, CHFS_InstallRecord& record) override;

 private:
  // Loads the record file's entries and undoes them: 0 when all were undone.
  int UndoInstallation(const std::string& recordFile);
};
