#include "sections/backup_file_section.h"

#include <cstdio>
#include <string>

#include "engine/result_codes.h"
#include "os/files.h"
#include "platform/c_numbers.h"
#include "platform/created_files.h"
#include "platform/file_ops.h"
#include "platform/path_utils.h"
#include "sections/file_progress.h"
#include "sections/replaceable.h"

void CHFS_BackupFileSection::EnsureBackupFolder(const std::string& folder) {
  if (platform::PathExists(folder)) return;
  engine_->TraceDetail("[Create dir : %s]", folder.c_str());
  engine_->Trace("[Create dir : %s]", folder.c_str());
  if (platform::CreateFolderTree(folder)) return;
  // Not acted on here: the name or the copy that follows fails and says so.
  if (engine_->Reporter() != nullptr) engine_->Reporter()->AddDetailText("Create dir fail", 0);
  engine_->Trace("[Create dir fail: %s]", folder.c_str());
}

int CHFS_BackupFileSection::SaveFile(int item, const std::string& file, const std::string& folder,
                                     CHFS_InstallRecord& record) {
  std::string saved;
  if (!platform::CreateNotedTempFile(folder, "BAK", saved)) {
    engine_->Trace("*** Warning: No backup file name can be made in '%s'. lasterror=%lu",
                   folder.c_str(), os::LastError());
    // Copying to no name fails as the copy would: -100 when the file is not
    // there, -130 otherwise.
    saved.clear();
  } else {
    // Noted as made when it was (a run killed before the entry below is
    // written must not leave it behind); the copy is written into it.
    record.NoteReplacedFile(saved);
  }
  int copied = platform::CopyFileWithTimes(file, saved);
  engine_->Trace("Backup file from '%s' to '%s'. result=%d", file.c_str(), saved.c_str(), copied);
  if (copied != platform::kCopyOk) return copied;
  if (record.AddRecord(item, file, saved, std::string()) != 0) return BRVN_USERBREAK;
  return 0;
}

std::vector<std::string> CHFS_BackupFileSection::ListedFiles(int count) {
  std::vector<std::string> files;
  for (int item = 1; item <= count; ++item) {
    char key[32];
    std::snprintf(key, sizeof(key), "File%d", item);
    std::string file = ReadSectionItem(key, 0);
    if (file != kEmptyItem) files.push_back(file);
  }
  return files;
}

int CHFS_BackupFileSection::Run(const std::string& sessionName, CHFS_InstallRecord& record) {
  SetSectionName(sessionName);
  int count = ReadItemCount("FileCount");
  std::string folder = ReadSectionItem("Backup", 1);
  if (folder == kEmptyItem) {
    engine_->Trace("*** Syntax error: Backup='' can not be empty in section ['%s']. ", sessionName.c_str());
    return -1;
  }
  int result = 0;
  bool missingFile = false;
  sections::CFileProgressCounter progress;
  progress.Begin(engine_->Reporter(), ListedFiles(count));
  for (int item = 1; item <= count && result == 0; ++item) {
    const std::string key = FormatItemKey("File", item, "", "");
    std::string file = ReadSectionItem(key, 1);
    if (file == kEmptyItem) {
      engine_->Trace("*** Syntax error: %s can not be empty in section ['%s']. ", key.c_str(), sessionName.c_str());
      continue;
    }
    if (engine_->StopRequested("before backing up '" + file + "'")) {
      result = BRVN_USERBREAK;
      break;
    }
    EnsureBackupFolder(folder);
    progress.Next(file);
    int saved = SaveFile(item, file, folder, record);
    // A file that is not there has nothing to save, but the files after it
    // must still be saved before later steps change them.
    if (saved == platform::kCopySourceNotOpened) {
      missingFile = true;
    } else {
      result = saved;
    }
  }
  if (result == 0) progress.End();
  if (result == 0 && missingFile) result = platform::kCopySourceNotOpened;
  engine_->Trace("[CHFS_BackupFileSection::Run(...)=%d]", result);
  return result;
}

int CHFS_BackupFileSection::Rollback(const std::string& sessionName, CHFS_InstallRecord& record) {
  SetSectionName(sessionName);
  int item = 0;
  std::string file;
  std::string saved;
  while (record.PopRecord(item, file, saved) == 0) {
    // A saved copy is deleted only once it is back, so a removal run again
    // after a failure finds the ones already restored gone from a backup
    // folder that is still there (a folder that is gone lost its copies).
    if (!platform::PathExists(saved) && platform::PathExists(platform::DirectoryOf(saved))) {
      engine_->Trace("*** Warning: Saved copy '%s' not found; '%s' taken as restored.", saved.c_str(),
                     file.c_str());
      continue;
    }
    // The saved copy carries the file's attributes; a read-only or hidden
    // file must still take its old content back.
    record.NoteReplacedFile(file);
    unsigned long attributes = sections::MakeReplaceable(file);
    int restored = platform::CopyFileWithTimes(saved, file);
    engine_->Trace("Restore file from '%s' to '%s'. result=%d", saved.c_str(), file.c_str(), restored);
    if (restored != platform::kCopyOk) {
      sections::PutAttributesBack(file, attributes);
      return restored;
    }
    // The file is back: the journal learns it before the saved copy goes,
    // whose attributes are cleared first. A run killed in between must not
    // restore the file again from a copy that lost them; its recovery
    // deletes the copy instead.
    record.ConfirmUndone();
    record.NoteCreatedFile(saved);
    (void)sections::DeleteEvenReadOnly(saved);
  }
  return 0;
}
