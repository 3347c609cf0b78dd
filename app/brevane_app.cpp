#include "app/brevane_app.h"

#include <cstdio>
#include <new>

#include "app/program_switches.h"
#include "engine/journal.h"
#include "engine/journal_recovery.h"
#include "engine/result_codes.h"
#include "lint/script_checker.h"
#include "os/errors.h"
#include "os/interrupt.h"
#include "os/machine.h"
#include "os/simple_file.h"
#include "sections/section_kinds.h"

namespace {
// A result no run returns, so an unstarted run is told apart.
constexpr int kNoResult = -0x7fffffff;

// HotFix.ini beside the program.
std::string ScriptBesideProgram() {
  std::string path;
  if (!os::GetModulePath(path, 2048)) return "HotFix.ini";
  size_t slash = path.rfind('\\');
  return slash == std::string::npos ? "HotFix.ini" : path.substr(0, slash + 1) + "HotFix.ini";
}

int RunChecker(const std::string& path, bool silent) {
  LintResult result = CheckScriptFile(path.empty() ? ScriptBesideProgram() : path, silent);
  std::fputs(result.Report().c_str(), stdout);
  return result.ExitStatus();
}
}  // namespace

CBrevaneApp::~CBrevaneApp() {
  windows_.reset();
  if (traceLog_) traceLog_->SetWindowPort(nullptr);
  traceLog_.reset();
  engine_.reset();
}

int CBrevaneApp::ExitStatusForResult(int result) {
  if (result >= 0) return kExitSuccess;
  if (result == BRVN_USERBREAK) return kExitStopped;
  return kExitFailedRolledBack;
}

bool CBrevaneApp::ScriptReadable() {
  // Without its script a run would show an empty window and then fail.
  std::string bytes;
  if (os::ReadAllBytes(engine_->GetScriptPath(), bytes)) return true;
  const unsigned long error = os::LastError();
  char line[kTraceBufferSize];
  std::snprintf(line, sizeof(line), "***Error: Can't read script file ('%s'): %s (lasterror=%lu)",
                engine_->GetScriptPath().c_str(), os::SystemMessage(error).c_str(), error);
  traceLog_->WriteLog(line);
  std::printf("%s\n", line);
  return false;
}

namespace {
void LogAndShow(CHFS_TraceLog& log, const std::string& line) {
  log.WriteLog(line);
  std::printf("%s\n", line.c_str());
}
}  // namespace

bool CBrevaneApp::AlreadyInstalled() {
  const std::string& record = engine_->InstallRecordPath();
  if (flags_.remove || record.empty() || !os::PathExists(record)) return false;
  LogAndShow(*traceLog_, "***Error: This hotfix is already installed (install record file '" + record +
                             "'): nothing was changed. To install it again, remove it first with /U:" +
                             record);
  return true;
}

bool CBrevaneApp::RemovalFinishedEarlier() {
  const std::string journal = CHFS_Journal::PathFor(flags_.recordPath);
  CHFS_Journal::Contents contents;
  if (!CHFS_Journal::Read(journal, contents)) return false;
  if (contents.kind != CHFS_Journal::Kind::kRemove) {
    LogAndShow(*traceLog_, "*** Recovery: an interrupted install left the journal '" + journal +
                               "'; run the install again to roll it back.");
    return false;
  }
  if (!DeleteJournal(*engine_, journal, JournalEnd::kRemovalFinished)) return false;
  LogAndShow(*traceLog_, "Recovery: the removal was finished by an earlier run; journal '" + journal +
                             "' deleted.");
  return true;
}

int CBrevaneApp::InitInstance(const std::vector<std::string>& arguments) {
  CBrevaneCommandLineInfo::Parse(arguments, flags_);
  const ProgramSwitches switches = ReadProgramSwitches(arguments);
  if (switches.request == ProgramRequest::kUsage) {
    std::fputs(UsageText().c_str(), stdout);
    return kExitSuccess;
  }
  if (switches.request == ProgramRequest::kVersion) {
    std::printf("%s\n", VersionText().c_str());
    return kExitSuccess;
  }
  if (switches.request == ProgramRequest::kLint) return RunChecker(switches.lintPath, flags_.silent);
  traceLog_.reset(new (std::nothrow) CHFS_TraceLog(ChooseTraceLogPath(), flags_));
  if (!traceLog_) return kExitStartupFailure;
  traceLog_->WriteLog(TraceLogBanner());
  traceLog_->WriteLog(VersionText());
  windows_ = CBrevaneWindows::Create(flags_);
  if (!windows_) return kExitStartupFailure;
  traceLog_->SetWindowPort(windows_.get());
  engine_.reset(new (std::nothrow) CHFS_Engine(traceLog_.get(), "HotFix.ini", flags_, windows_.get()));
  if (!engine_) return kExitStartupFailure;
  engine_->SetSectionKinds(AllSectionKinds());

  if (!flags_.recordPath.empty() && !os::PathExists(flags_.recordPath)) {
    if (RemovalFinishedEarlier()) return kExitSuccess;
    char line[kTraceBufferSize];
    std::snprintf(line, sizeof(line), "***Error: Can't open Install record file ('%s')",
                  flags_.recordPath.c_str());
    traceLog_->WriteLog(line);
    std::printf("%s\n", line);
    return kExitRecordFileNotFound;
  }
  if (!flags_.remove && !ScriptReadable()) return kExitStartupFailure;
  if (AlreadyInstalled()) return kExitAlreadyInstalled;

  int result = kNoResult;
  MainWindowOutcome outcome =
      windows_->RunMainWindow(*engine_, [this, &result] {
        // From the run's start, Ctrl-C, SIGTERM and the like stop it at a
        // safe point and roll it back (exit status 2); before, nothing has
        // changed and they end the program as usual.
        os::WatchInterrupts();
        result = engine_->Execute();
        os::InterruptibleRunEnded();
        return result;
      });
  if (outcome == MainWindowOutcome::kCancelled) return kExitCancelled;
  if (outcome == MainWindowOutcome::kNotShown) return kExitStartupFailure;
  if (result == kNoResult) return kExitStartupFailure;
  return ExitStatusForResult(result);
}
