// The handler of CopyFileGroupTo steps: installs the hotfix's file groups.
// Each group is a section "FileGroup<n>" naming file specs, a Target folder
// and a Backup folder; its files ship in a folder of the same name beside the
// program. Every installed file that a new one replaces is first copied into
// the Backup folder (mirroring the layout below Target), so a rollback can put
// it back, newest group first, and then remove the backup folders.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/section.h"
#include "sections/file_progress.h"

// Result codes of this handler.
enum CopyFileGroupResult : int {
  kGroupFailed = -1100,
  kGroupFolderFailed = -1130,
  kGroupCopyFailed = -1140,
  kGroupBackupFailed = -1150,
  kGroupRollbackFailed = -1170,
  kGroupSpecMatchedNothing = -1190,
};

class CHFS_CopyFileGroupToSection : public CHFS_Section {
 public:
  explicit CHFS_CopyFileGroupToSection(CHFS_Engine* engine);

  // 0, -300 (install record full, or the run was asked to stop) or -1100
  // (a group failed).
  int Run(const std::string& sessionName, CHFS_InstallRecord& record) override;
  // 0 or -1170 (a group's rollback failed).
  int Rollback(const std::string& sessionName, CHFS_InstallRecord& record) override;

  // 0, -1130, -1140, -1150 or -1190; -1100 for a group without a Target or
  // Backup folder, rejected before anything is copied; -300 when the run was
  // asked to stop (between two files).
  int RunFileGroup(const std::string& group);
  // 0 or -1130; backupFolder receives the group's Backup folder (empty for a
  // group without one).
  int RollbackFileGroup(const std::string& group, std::string& backupFolder);
  // 0 when the folder exists or was made, else -1130.
  int EnsureFolder(const std::string& folder);

  // The folder the groups' folders are in; the program's own folder unless a
  // test moves it.
  void SetPackageFolder(const std::string& folder) { packageFolder_ = folder; }

 private:
  struct GroupKeys {
    int fileCount = 0;
    std::string description;
    std::string target;
    std::string backup;
  };
  GroupKeys ReadGroupKeys();
  // False, after logging, when Target or Backup is missing.
  bool CheckGroupFolders(const std::string& group, const GroupKeys& keys);
  // The files a group copies, for its progress.
  std::vector<std::string> GroupSources(const std::string& group, const GroupKeys& keys);
  int PatchSpec(const std::string& group, const GroupKeys& keys, const std::string& spec);
  int PatchFile(const std::string& group, const GroupKeys& keys, const std::string& matched);
  int RestoreSpec(const GroupKeys& keys, const std::string& spec);
  int RestoreFile(const GroupKeys& keys, const std::string& matched);
  void RemoveBackupFolders(const std::vector<std::string>& folders);

  std::string packageFolder_;
  sections::CFileProgressCounter progress_;
  // The record of the Run or Rollback under way, for its journal notes.
  CHFS_InstallRecord* record_ = nullptr;
};
