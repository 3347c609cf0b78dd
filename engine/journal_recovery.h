// What a run does with the journal of its install record file: the recovery
// of a run that was killed, the start of an install's journal, and the one
// place a journal is deleted. The log lines are listed in README.md
// ("Interrupted runs").
#pragma once

#include <string>

#include "engine/journal.h"

class CHFS_Engine;
class CHFS_MainSection;

// Why a journal is deleted, as the log names it.
enum class JournalEnd {
  kCommitted,        // the install record file was written: the install is done
  kRolledBack,       // every entry was undone
  kRemovalFinished,  // the install record file was deleted by the removal
  kLeftOver,         // found beside a record state that shows the run had ended
};

// The one place a journal is deleted. False, with a warning logged, when
// the file stays (the next run finds and handles it again).
bool DeleteJournal(CHFS_Engine& engine, const std::string& path, JournalEnd why);

// After a rollback: the journal goes only when the rollback undid every
// entry; otherwise it stays, so that the next run of the package finishes it.
void FinishJournalAfterRollback(CHFS_Engine& engine, CHFS_Journal& journal, bool rollbackComplete);

// Deletes what a killed run's file replacements can leave: the file being
// written under its temporary name (<target> + kReplacementSuffix) and the
// "$B$_<name>" safety copy beside each file the journal names.
void DeleteReplacementLeftovers(CHFS_Engine& engine, const CHFS_Journal::Contents& contents);

// Deletes the files the journal names as created by the run, when they are
// still there.
void DeleteCreatedFiles(CHFS_Engine& engine, const CHFS_Journal::Contents& contents);

// Before an install: a journal a killed install left is rolled back with
// the script's own handlers, and a finished removal's is deleted; then the
// install's own journal is started and attached to record. 0 when the
// install may go on; -1 when it must not (a journal that could not be rolled
// back completely stays as it is, or the new one cannot be written).
int StartInstallJournal(CHFS_Engine& engine, CHFS_MainSection& steps, CHFS_Journal& journal,
                        CHFS_InstallRecord& record);
