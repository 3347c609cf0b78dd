#include "engine/journal_recovery.h"

#include "engine/engine.h"
#include "engine/main_section.h"
#include "os/errors.h"
#include "os/files.h"
#include "os/replacement_name.h"
#include "os/simple_file.h"
#include "platform/path_utils.h"

namespace {

const char* EndText(JournalEnd why) {
  switch (why) {
    case JournalEnd::kCommitted: return "the install is complete";
    case JournalEnd::kRolledBack: return "everything it held is rolled back";
    case JournalEnd::kRemovalFinished: return "the removal is complete";
    case JournalEnd::kLeftOver: return "left by a run that had ended";
  }
  return "";
}

void DeleteLeftover(CHFS_Engine& engine, const std::string& path) {
  if (!os::PathExists(path)) return;
  // A copy made from a read-only file keeps that attribute.
  (void)os::SetFileAttributes(path, os::kAttributeNormal);
  if (os::DeleteFile(path)) {
    engine.Trace("Recovery: leftover file '%s' deleted.", path.c_str());
  } else {
    engine.Trace("*** Warning: Recovery: leftover file '%s' not deleted. lasterror=%lu", path.c_str(),
                 os::LastError());
  }
}

}  // namespace

bool DeleteJournal(CHFS_Engine& engine, const std::string& path, JournalEnd why) {
  if (path.empty() || !os::PathExists(path)) return true;
  if (os::DeleteFile(path)) {
    engine.Trace("Journal '%s' deleted: %s.", path.c_str(), EndText(why));
    return true;
  }
  engine.Trace("*** Warning: Journal '%s' not deleted. lasterror=%lu", path.c_str(), os::LastError());
  return false;
}

void FinishJournalAfterRollback(CHFS_Engine& engine, CHFS_Journal& journal, bool rollbackComplete) {
  if (!journal.Active()) return;
  if (rollbackComplete) {
    (void)DeleteJournal(engine, journal.Path(), JournalEnd::kRolledBack);
  } else {
    engine.Trace("*** Journal '%s' kept: the rollback did not undo everything; the next run of "
                 "this package goes on with it.",
                 journal.Path().c_str());
  }
}

void DeleteReplacementLeftovers(CHFS_Engine& engine, const CHFS_Journal::Contents& contents) {
  for (const std::string& file : contents.replacedFiles) {
    DeleteLeftover(engine, file + os::kReplacementSuffix);
    std::string folder = platform::DirectoryOf(file);
    DeleteLeftover(engine, platform::JoinPath(folder, "$B$_" + platform::FileNameOf(file)));
  }
}

void DeleteCreatedFiles(CHFS_Engine& engine, const CHFS_Journal::Contents& contents) {
  for (const std::string& file : contents.createdFiles) {
    DeleteLeftover(engine, file);
    // A file of the run's own (the install record's temporary copy, say) is
    // written whole too, through its replacement name.
    DeleteLeftover(engine, file + os::kReplacementSuffix);
  }
}

namespace {

// 0 when the journal at path is taken care of and deleted.
int RecoverInstallJournal(CHFS_Engine& engine, CHFS_MainSection& steps, const std::string& path,
                          CHFS_Journal::Contents& contents) {
  engine.Trace("Recovery: journal '%s' of an interrupted install found: rolling back %d entries.",
               path.c_str(), static_cast<int>(contents.entries.size()));
  engine.TraceDetail("Recovery: rolling back an interrupted install of this hotfix.");
  DeleteReplacementLeftovers(engine, contents);
  CHFS_InstallRecord interrupted(&engine);
  for (const RecordEntry& entry : contents.entries) {
    (void)interrupted.BeginStep(entry.step);
    (void)interrupted.AddRecord(entry.item, entry.Param1, entry.Param2, entry.Param3);
  }
  // The undone marks go on in the same journal, so a recovery that is
  // killed in its turn is resumed where it stopped.
  CHFS_Journal journal(path);
  if (!journal.Begin(CHFS_Journal::Kind::kInstall, true)) return -1;
  interrupted.AttachJournal(&journal);
  CreatedFilesNoted createdFiles(interrupted);
  int walk = steps.Rollback(engine.MainSectionName(), interrupted);
  const bool complete = walk == 0 && interrupted.size() == 0 && !interrupted.JournalFailed();
  if (!complete) {
    engine.Trace("*** Recovery: the interrupted install was not rolled back completely (%d entries "
                 "left); journal '%s' kept, the run stops.",
                 static_cast<int>(interrupted.size()), path.c_str());
    engine.TraceDetail("*** Recovery: the interrupted install could not be rolled back completely.");
    return -1;
  }
  DeleteCreatedFiles(engine, contents);
  engine.Trace("Recovery: interrupted install rolled back.");
  return DeleteJournal(engine, path, JournalEnd::kRolledBack) ? 0 : -1;
}

}  // namespace

int StartInstallJournal(CHFS_Engine& engine, CHFS_MainSection& steps, CHFS_Journal& journal,
                        CHFS_InstallRecord& record) {
  if (journal.Path().empty()) return 0;
  CHFS_Journal::Contents contents;
  if (CHFS_Journal::Read(journal.Path(), contents)) {
    if (os::PathExists(engine.InstallRecordPath())) {
      // The install record file is written: the run that left the journal
      // had completed, only the journal's deletion did not happen.
      if (!DeleteJournal(engine, journal.Path(), JournalEnd::kLeftOver)) return -1;
    } else if (contents.kind == CHFS_Journal::Kind::kInstall) {
      if (RecoverInstallJournal(engine, steps, journal.Path(), contents) != 0) return -1;
    } else {
      // The install record file is gone (an install finds none, or it
      // stops before this): the removal had finished.
      engine.Trace("Recovery: journal '%s' of a removal that had finished found.",
                   journal.Path().c_str());
      if (!DeleteJournal(engine, journal.Path(), JournalEnd::kLeftOver)) return -1;
    }
  } else if (os::PathExists(journal.Path())) {
    engine.Trace("*** Error: '%s' is in the journal's place but is no journal; the run stops.",
                 journal.Path().c_str());
    return -1;
  }
  if (!journal.Begin(CHFS_Journal::Kind::kInstall)) {
    engine.Trace("*** Error: journal '%s' not written. lasterror=%lu", journal.Path().c_str(),
                 os::LastError());
    return -1;
  }
  record.AttachJournal(&journal);
  return 0;
}
