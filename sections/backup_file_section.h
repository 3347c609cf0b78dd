// The handler of BackupFiles steps: saves a copy of each listed file under a
// unique name in one backup folder and records the pair, so that a rollback
// copies each file back and removes the saved copy.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/section.h"

class CHFS_BackupFileSection : public CHFS_Section {
 public:
  explicit CHFS_BackupFileSection(CHFS_Engine* engine) : CHFS_Section(engine) {}

  // 0; -1 without a Backup folder; -300 when the install record is full; the
  // copy result of the first file that could not be saved; -100 when every
  // file that exists was saved but a listed file does not exist.
  int Run(const std::string& sessionName, CHFS_InstallRecord& record) override;
  // 0, or the copy result of the first file that could not be restored (its
  // saved copy and the entries not yet taken are kept).
  int Rollback(const std::string& sessionName, CHFS_InstallRecord& record) override;

 private:
  // The files that items 1 to count name, for the progress.
  std::vector<std::string> ListedFiles(int count);
  void EnsureBackupFolder(const std::string& folder);
  // The copy result of saving file number item; records it on success.
  int SaveFile(int item, const std::string& file, const std::string& folder,
               CHFS_InstallRecord& record);
};
