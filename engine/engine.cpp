#include "engine/engine.h"

#include <cstdarg>
#include <cstdio>

#include "descriptors/value_queries.h"
#include "engine/builtin_symbols.h"
#include "engine/install_record.h"
#include "engine/journal_recovery.h"
#include "engine/main_section.h"
#include "engine/result_codes.h"
#include "engine/strings.h"
#include "os/files.h"
#include "os/machine.h"
#include "os/simple_file.h"
#include "platform/file_ops.h"
#include "platform/ini_write.h"
#include "platform/path_utils.h"

CHFS_Engine::CHFS_Engine(CHFS_Reporter* reporter, const std::string& scriptFileName,
                         CHFS_RunFlags& flags, CHFS_WindowPort* windows,
                         CHFS_ValueQueries* queries)
    : reporter_(reporter), flags_(flags), windows_(windows), queries_(queries) {
  if (queries_ == nullptr) {
    ownQueries_ = MakeDescriptorQueries(*this);
    queries_ = ownQueries_.get();
  }
  InitModuleFolder();
  if (flags_.recordPath.empty()) {
    Trace("*** Begin of debug log ***");
    Trace("Current Module Path = %s", moduleFolder_.c_str());
    scriptPath_ = moduleFolder_ + scriptFileName;
  } else {
    scriptPath_ = flags_.recordPath;
  }
  InitBuiltInSymbols();
  LoadSymbolsSection("ProductInstall.Symbols");
  if (flags_.remove) {
    mainSectionName_ = "ProductRemove.Main";
    installRecordPath_ = flags_.recordPath;
    if (!installRecordPath_.empty()) {
      LoadSavedSymbols(installRecordPath_);
      LoadSymbolsSection("ProductRemove.Symbols");
    }
  } else {
    mainSectionName_ = "ProductInstall.Main";
    std::string recordFile = ReadItem("InstallRecordFile", mainSectionName_, 0);
    if (recordFile != kEmptyItem) {
      std::string folder = platform::DirectoryOf(recordFile);
      if (!folder.empty()) (void)platform::CreateFolderTree(folder);
      installRecordPath_ = recordFile;
    }
  }
  ReadMainItems();
}

void CHFS_Engine::InitModuleFolder() {
  std::string path;
  moduleFolder_ = ".\\";
  if (!os::GetModulePath(path, 2048)) return;
  size_t slash = path.rfind('\\');
  if (slash != std::string::npos) moduleFolder_ = path.substr(0, slash + 1);
}

void CHFS_Engine::ReadMainItems() {
  std::string description = ReadItem("MainDescription", mainSectionName_, 1);
  if (reporter_ != nullptr) reporter_->SetMainDescription(description);
  std::string readmeFile = ReadItem("ReadmeFile", mainSectionName_, 1);
  if (reporter_ == nullptr) return;
  std::string readme;
  if (!os::ReadAllBytes(readmeFile, readme)) readme.clear();
  // The text ends at the file's first NUL byte, as a C string would.
  size_t nul = readme.find('\0');
  if (nul != std::string::npos) readme.resize(nul);
  reporter_->SetReadmeText(readme);
}

const SectionKindTable CHFS_Engine::kNoSectionKinds;

void CHFS_Engine::Trace(const char* format, ...) {
  if (reporter_ == nullptr) return;
  char buffer[kTraceBufferSize];
  os::LocalTime now = os::GetLocalTime();
  int prefix = std::snprintf(buffer, sizeof(buffer), "[%s:%s]", DateText(now).c_str(),
                             TimeText(now).c_str());
  if (prefix < 0 || static_cast<size_t>(prefix) >= sizeof(buffer)) prefix = 0;
  va_list args;
  va_start(args, format);
  int length = std::vsnprintf(buffer + prefix, sizeof(buffer) - prefix, format, args);
  va_end(args);
  if (length < 0) std::snprintf(buffer + prefix, sizeof(buffer) - prefix, "%s", "format debug string failed!");
  reporter_->WriteLog(buffer);
}

void CHFS_Engine::WriteLogLine(const std::string& line) {
  if (reporter_ != nullptr) reporter_->WriteLog(line);
}

void CHFS_Engine::TraceDetail(const char* format, ...) const {
  if (reporter_ == nullptr) return;
  // Room is kept for the CR LF, so a long message is cut, never overrun.
  char buffer[kTraceBufferSize];
  va_list args;
  va_start(args, format);
  int length = std::vsnprintf(buffer, sizeof(buffer) - 2, format, args);
  va_end(args);
  if (length < 0) std::snprintf(buffer, sizeof(buffer) - 2, "%s", "format debug string failed!");
  std::string line(buffer);
  line += "\r\n";
  reporter_->AddDetailText(line, 0);
}

void CHFS_Engine::ReportOutcome(int result) {
  if (reporter_ == nullptr) return;
  if (result < 0) {
    std::string text =
        BrevaneString(result == BRVN_USERBREAK ? kIdsTerminatedByUser : kIdsInstallFailed);
    if (flags_.remove) reporter_->SetTaskText(text, 0);
    reporter_->AddDetailText(text, 0);
    reporter_->SetProgress(0, 0);
    return;
  }
  std::string text;
  if (flags_.remove) {
    reporter_->SetProgress(0, 0);
    text = BrevaneString(kIdsRemoveSuccessful);
  } else {
    reporter_->SetProgress(100, 100);
    text = BrevaneString(kIdsInstallSuccessful);
  }
  reporter_->SetTaskText(text, 0);
  reporter_->AddDetailText(text, 0);
}

// The script, the symbols and the record are put together beside the
// record file's place and moved there in one step: a run stopped part way
// leaves the earlier file or the whole new one, never a mix of the two.
int CHFS_Engine::WriteInstallRecordFile(CHFS_InstallRecord& record) {
  std::string temp;
  if (!MakeTempFileBeside(installRecordPath_, temp)) {
    Trace("*** Error: no temporary file beside '%s'. lasterror=%lu", installRecordPath_.c_str(),
          os::LastError());
    return -1;
  }
  bool ok = platform::CopyFileWithTimes(scriptPath_, temp) == platform::kCopyOk;
  // A read-only script (from a CD, say) must not give a read-only record:
  // nothing could be written into it, and removal could not delete it.
  unsigned long attributes = os::GetFileAttributes(temp);
  if (ok && attributes != os::kInvalidFileAttributes && (attributes & os::kAttributeReadOnly) != 0) {
    ok = os::SetFileAttributes(temp, attributes & ~static_cast<unsigned long>(os::kAttributeReadOnly));
  }
  ok = ok && SaveSymbols(temp) == 0 && record.WriteEntries(temp) &&
       os::MoveFile(temp, installRecordPath_, true);
  if (!ok) {
    unsigned long error = os::LastError();
    (void)os::DeleteFile(temp);
    Trace("*** Error: install record file '%s' not written. lasterror=%lu",
          installRecordPath_.c_str(), error);
    return -1;
  }
  return 0;
}

int CHFS_Engine::Execute() {
  CHFS_MainSection mainSection(this);
  if (stepRunnerSetup_) stepRunnerSetup_(mainSection);
  CHFS_InstallRecord record(this);
  // An install keeps its entries in the journal beside the install record
  // file as it goes (engine/journal.h); a removal journals in its Rollback step.
  const bool journaled = !flags_.remove && !installRecordPath_.empty();
  CHFS_Journal journal(journaled ? CHFS_Journal::PathFor(installRecordPath_) : std::string());
  int result = StartInstallJournal(*this, mainSection, journal, record);
  CreatedFilesNoted createdFiles(record);
  if (result == 0) result = mainSection.Run(mainSectionName_, record);
  // A change the record could not hold could never be undone, and a value
  // refused as too long was read as missing: failed, not stopped by the
  // user, even when the script's events went on.
  if (record.Overflowed() || record.JournalFailed() || !refusedInput_.empty()) result = -1;
  // A hotfix whose record file cannot be written could never be removed:
  // the install counts as failed and is rolled back. Its written record
  // file is the commit: from then on the journal is not needed.
  // A stop asked for after the last step still comes before the record file:
  // until that is written the run can be undone, and is.
  if (result >= 0 && StopRequested("after the last step")) result = BRVN_USERBREAK;
  if (stopping_) result = BRVN_USERBREAK;
  if (result >= 0 && journaled && (!journal.Sync() || WriteInstallRecordFile(record) != 0)) {
    result = -1;
  }
  if (result >= 0 && journaled) (void)DeleteJournal(*this, journal.Path(), JournalEnd::kCommitted);
  if (result < 0) {
    if (reporter_ != nullptr && result != BRVN_USERBREAK) {
      reporter_->Ask(BrevaneString(kIdsInstallFailed), kMbOk | kMbIconError);
    }
    int walk = RollBack(mainSection, record);
    FinishJournalAfterRollback(*this, journal, walk == 0 && record.size() == 0);
    ReportOutcome(result);
    return result;
  }
  ReportOutcome(result);
  return result;
}
