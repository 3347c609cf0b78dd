#include "sections/copy_file_group_to_section.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/result_codes.h"
#include "os/files.h"
#include "platform/c_numbers.h"
#include "platform/file_ops.h"
#include "platform/path_utils.h"
#include "sections/replaceable.h"

using platform::JoinPath;

namespace {

std::string GroupName(int number) {
  char name[32];
  std::snprintf(name, sizeof(name), "FileGroup%d", number);
  return name;
}

std::string FileKey(int number) {
  return CHFS_Section::FormatItemKey("File", number, "", "");
}

// "[major.minor low]" for the log; empty for a file without version numbers.
std::string VersionText(const std::string& path) {
  int major = 0;
  int minor = 0;
  std::uint32_t low = 0;
  if (!platform::GetFileVersionNumbers(path, major, minor, low)) return std::string();
  char text[48];
  std::snprintf(text, sizeof(text), "[%d.%d %d]", major, minor, static_cast<int>(low));
  return text;
}

}  // namespace

CHFS_CopyFileGroupToSection::CHFS_CopyFileGroupToSection(CHFS_Engine* engine)
    : CHFS_Section(engine), packageFolder_(engine->GetModuleFolder()) {}

int CHFS_CopyFileGroupToSection::Run(const std::string& sessionName, CHFS_InstallRecord& record) {
  SetSectionName(sessionName);
  record_ = &record;
  int count = ReadItemCount("FileGroupCount");
  std::string startText = ReadSectionItem("FileGroupStartCount", 1);
  int start = startText == kEmptyItem ? 1 : CDecimalToInt(startText);
  int result = 0;
  for (int done = 0; done < count; ++done) {
    // Group numbers past INT_MAX have no section name to run.
    long long number = static_cast<long long>(start) + done;
    if (number > INT_MAX) break;
    int group = static_cast<int>(number);
    if (engine_->StopRequested("before file group " + std::to_string(group))) {
      result = BRVN_USERBREAK;
      break;
    }
    // Recorded first, so a group that fails half way is still rolled back.
    if (record.AddRecord(group, std::string(), std::string(), std::string()) != 0) {
      result = BRVN_USERBREAK;
      break;
    }
    if (RunFileGroup(GroupName(group)) != 0) {
      result = engine_->Stopping() ? BRVN_USERBREAK : kGroupFailed;
      break;
    }
  }
  engine_->Trace("[CHFS_CopyFileGroupToSection::Run(...)=%d]", result);
  return result;
}

CHFS_CopyFileGroupToSection::GroupKeys CHFS_CopyFileGroupToSection::ReadGroupKeys() {
  GroupKeys keys;
  keys.fileCount = ReadItemCount("FileCount");
  keys.description = ReadSectionItem("Description", 1);
  keys.target = ReadSectionItem("Target", 1);
  keys.backup = ReadSectionItem("Backup", 1);
  return keys;
}

bool CHFS_CopyFileGroupToSection::CheckGroupFolders(const std::string& group, const GroupKeys& keys) {
  // A missing key would name a folder "(empty)" below the current folder.
  bool good = true;
  if (keys.target == kEmptyItem) {
    engine_->Trace("*** Syntax error: Target='' can not be empty in section ['%s']. ", group.c_str());
    good = false;
  }
  if (keys.backup == kEmptyItem) {
    engine_->Trace("*** Syntax error: Backup='' can not be empty in section ['%s']. ", group.c_str());
    good = false;
  }
  return good;
}

int CHFS_CopyFileGroupToSection::RunFileGroup(const std::string& group) {
  SetSectionName(group);
  GroupKeys keys = ReadGroupKeys();
  CHFS_Reporter* reporter = engine_->Reporter();
  if (reporter != nullptr) reporter->AddDetailText("Patch " + keys.description + " : " + group + ".", 0);
  engine_->Trace("Patch [%s : %s]", keys.description.c_str(), group.c_str());
  int result = CheckGroupFolders(group, keys) ? 0 : kGroupFailed;
  if (result == 0) progress_.Begin(reporter, GroupSources(group, keys));
  for (int spec = 1; spec <= keys.fileCount && result == 0; ++spec) {
    result = PatchSpec(group, keys, ReadSectionItem(FileKey(spec), 1));
  }
  if (result == 0) progress_.End();
  if (reporter != nullptr) {
    const char* outcome = result == 0 ? " Success.\r\n" : engine_->Stopping() ? " Stopped.\r\n" : " Fail.\r\n";
    reporter->AddDetailText(outcome, 0);
  }
  return result;
}

std::vector<std::string> CHFS_CopyFileGroupToSection::GroupSources(const std::string& group,
                                                                  const GroupKeys& keys) {
  std::vector<std::string> sources;
  for (int spec = 1; spec <= keys.fileCount; ++spec) {
    std::string pattern = ReadSectionItem(FileKey(spec), 0);
    // The copying stops at a spec that matches nothing; so does the count.
    if (platform::ListFiles(sources, JoinPath(packageFolder_, group, platform::DirectoryOf(pattern)),
                            platform::FileNameOf(pattern)) == 0) {
      break;
    }
  }
  return sources;
}

int CHFS_CopyFileGroupToSection::PatchSpec(const std::string& group, const GroupKeys& keys,
                                           const std::string& spec) {
  std::vector<std::string> matched;
  std::string folder = JoinPath(packageFolder_, group, platform::DirectoryOf(spec));
  if (platform::ListFiles(matched, folder, platform::FileNameOf(spec)) == 0) {
    engine_->Trace("[File not existed, patch stop: %s]", spec.c_str());
    return kGroupSpecMatchedNothing;
  }
  int result = 0;
  for (size_t i = 0; i < matched.size() && result == 0; ++i) {
    // Between files, never within one: each is copied whole or not at all.
    if (engine_->StopRequested("before file '" + matched[i] + "'")) return BRVN_USERBREAK;
    result = PatchFile(group, keys, matched[i]);
  }
  return result;
}

int CHFS_CopyFileGroupToSection::PatchFile(const std::string& group, const GroupKeys& keys,
                                           const std::string& matched) {
  std::string relative =
      platform::RelativePathUnder(platform::DirectoryOf(matched), JoinPath(packageFolder_, group));
  std::string targetFolder = JoinPath(keys.target, relative);
  std::string backupFolder = JoinPath(keys.backup, platform::CutHostPart(relative));
  std::string name = platform::FileNameOf(matched);
  std::string target = JoinPath(targetFolder, name);
  std::string backup = JoinPath(backupFolder, name);
  std::string source = JoinPath(packageFolder_, group, relative);
  source = JoinPath(source, name);
  if (EnsureFolder(targetFolder) != 0 || EnsureFolder(backupFolder) != 0) return kGroupFolderFailed;

  std::string targetVersion = VersionText(target);
  std::string backupVersion = VersionText(backup);
  engine_->Trace("[%s : %s%s->%s%s]", name.c_str(), target.c_str(), targetVersion.c_str(),
                 backup.c_str(), backupVersion.c_str());
  progress_.Next(source);
  // Named in the journal before either is written, so the recovery of a
  // killed run finds what their replacement may have left.
  if (record_ != nullptr) {
    record_->NoteReplacedFile(backup);
    record_->NoteReplacedFile(target);
    // A new file of the hotfix goes when a killed install is recovered.
    if (!platform::PathExists(target)) record_->NoteCreatedFile(target);
  }
  // Written whole: a copy killed part way leaves at most backup.~brv, never
  // a half copy that a rollback would take for the original.
  int saved = platform::CopyFileWithTimes(target, backup);
  if (saved != 0) {
    bool nothingInstalled = saved == platform::kCopySourceNotOpened;
    engine_->Trace("[%s : %s%s->%s%s %s]", name.c_str(), target.c_str(), targetVersion.c_str(),
                   backup.c_str(), backupVersion.c_str(),
                   nothingInstalled ? "skip extra files." : "fail.");
    if (!nothingInstalled) return kGroupBackupFailed;
  }
  engine_->Trace("[%s : %s%s->%s%s]", name.c_str(), source.c_str(), VersionText(source).c_str(),
                 target.c_str(), targetVersion.c_str());
  // Whole or not at all: a copy that fails leaves the old target, or none.
  if (platform::CopyFileWithTimes(source, target) != 0) {
    engine_->Trace("[%s : %s->%s fail]", name.c_str(), source.c_str(), target.c_str());
    return kGroupCopyFailed;
  }
  return 0;
}

int CHFS_CopyFileGroupToSection::EnsureFolder(const std::string& folder) {
  if (platform::PathExists(folder)) return 0;
  engine_->TraceDetail("[Create dir : %s]", folder.c_str());
  engine_->Trace("[Create dir : %s]", folder.c_str());
  if (platform::CreateFolderTree(folder)) return 0;
  if (engine_->Reporter() != nullptr) engine_->Reporter()->AddDetailText("Create dir fail", 0);
  engine_->Trace("[Create dir fail: %s]", folder.c_str());
  return kGroupFolderFailed;
}

int CHFS_CopyFileGroupToSection::Rollback(const std::string& sessionName, CHFS_InstallRecord& record) {
  SetSectionName(sessionName);
  record_ = &record;
  int result = 0;
  std::vector<std::string> backupFolders;
  int group = 0;
  while (record.PopRecord(group) == 0) {
    std::string folder;
    if (RollbackFileGroup(GroupName(group), folder) != 0) {
      result = kGroupRollbackFailed;
      break;
    }
    backupFolders.push_back(folder);
  }
  // Every group is back before their saved copies go (see BackupFile's rollback).
  if (result == 0) record.ConfirmUndone();
  RemoveBackupFolders(backupFolders);
  return result;
}

void CHFS_CopyFileGroupToSection::RemoveBackupFolders(const std::vector<std::string>& folders) {
  for (const std::string& folder : folders) {
    if (folder.empty()) continue;  // a group without one, rejected at install
    if (platform::PathExists(folder)) {
      platform::DeleteFiles(folder, "*.*");
      engine_->Trace("[Remove %s]", folder.c_str());
    } else {
      engine_->Trace("[Not exist %s]", folder.c_str());
    }
  }
}

int CHFS_CopyFileGroupToSection::RollbackFileGroup(const std::string& group, std::string& backupFolder) {
  SetSectionName(group);
  GroupKeys keys = ReadGroupKeys();
  backupFolder = keys.backup;
  if (engine_->Reporter() != nullptr) {
    engine_->Reporter()->AddDetailText("Rollback " + keys.description + " : " + group + ".", 0);
  }
  engine_->Trace("ROLLBACK [%s : %s]", keys.description.c_str(), group.c_str());
  int result = 0;
  if (!CheckGroupFolders(group, keys)) {
    // Such a group was refused before it copied anything.
    backupFolder.clear();
  } else {
    for (int spec = keys.fileCount; spec >= 1 && result == 0; --spec) {
      result = RestoreSpec(keys, ReadSectionItem(FileKey(spec), 1));
    }
  }
  engine_->TraceDetail(" %s.\r\n", result == 0 ? "Success" : "Fail");
  return result;
}

int CHFS_CopyFileGroupToSection::RestoreSpec(const GroupKeys& keys, const std::string& spec) {
  std::vector<std::string> saved;
  std::string folder = JoinPath(keys.backup, platform::DirectoryOf(spec));
  if (platform::ListFiles(saved, folder, platform::FileNameOf(spec)) == 0) {
    engine_->Trace("[File not existed, skip it: %s]", spec.c_str());
    return 0;
  }
  int result = 0;
  for (size_t i = 0; i < saved.size() && result == 0; ++i) result = RestoreFile(keys, saved[i]);
  return result;
}

int CHFS_CopyFileGroupToSection::RestoreFile(const GroupKeys& keys, const std::string& matched) {
  std::string relative = platform::DirectoryOf(platform::RelativePathUnder(matched, keys.backup));
  std::string targetFolder = JoinPath(keys.target, relative);
  std::string backupFolder = JoinPath(keys.backup, relative);
  std::string name = platform::RelativePathUnder(matched, backupFolder);
  std::string backup = JoinPath(backupFolder, name);
  std::string target = JoinPath(targetFolder, name);
  if (EnsureFolder(targetFolder) != 0 || EnsureFolder(backupFolder) != 0) return kGroupFolderFailed;
  if (!platform::PathExists(backup)) return 0;
  std::string backupVersion = VersionText(backup);
  std::string targetVersion = VersionText(target);
  engine_->Trace("[%s : %s%s->%s%s]", matched.c_str(), backup.c_str(), backupVersion.c_str(),
                 target.c_str(), targetVersion.c_str());
  // What the install put there may be read-only or hidden (copies keep the
  // package file's attributes); the old file must still come back.
  if (record_ != nullptr) record_->NoteReplacedFile(target);
  unsigned long attributes = sections::MakeReplaceable(target);
  if (platform::CopyFileWithTimes(backup, target) != platform::kCopyOk) {
    sections::PutAttributesBack(target, attributes);
    engine_->Trace("[Rollback failed , skip it : %s->%s]", backup.c_str(), target.c_str());
    engine_->Trace("[%s : %s%s->%s%s %s]", matched.c_str(), backup.c_str(), backupVersion.c_str(),
                   target.c_str(), targetVersion.c_str(), "fail.");
    // The group fails, so its backup folder, the only copy of the old
    // file, is kept and a removal can be run again.
    return kGroupRollbackFailed;
  }
  return 0;
}
