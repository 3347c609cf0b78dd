#include "app/brevane_app.h"

#include <cstdio>
#include <new>

#include "engine/result_codes.h"
#include "os/simple_file.h"
#include "sections/section_kinds.h"

namespace {
// A result no run returns, so an unstarted run is told apart.
constexpr int kNoResult = -0x7fffffff;
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

int CBrevaneApp::InitInstance(const std::vector<std::string>& arguments) {
  CBrevaneCommandLineInfo::Parse(arguments, flags_);
  traceLog_.reset(new (std::nothrow) CHFS_TraceLog(ChooseTraceLogPath(), flags_));
  if (!traceLog_) return kExitStartupFailure;
  traceLog_->WriteLog(TraceLogBanner());
  windows_ = CBrevaneWindows::Create(flags_);
  if (!windows_) return kExitStartupFailure;
  traceLog_->SetWindowPort(windows_.get());
  engine_.reset(new (std::nothrow) CHFS_Engine(traceLog_.get(), "HotFix.ini", flags_, windows_.get()));
  if (!engine_) return kExitStartupFailure;
  engine_->SetSectionKinds(AllSectionKinds());

  if (!flags_.recordPath.empty() && !os::PathExists(flags_.recordPath)) {
    char line[kTraceBufferSize];
    std::snprintf(line, sizeof(line), "***Error: Can't open Install record file ('%s')",
                  flags_.recordPath.c_str());
    traceLog_->WriteLog(line);
    std::printf("%s\n", line);
    return kExitRecordFileNotFound;
  }

  int result = kNoResult;
  MainWindowOutcome outcome =
      windows_->RunMainWindow(*engine_, [this, &result] { return result = engine_->Execute(); });
  if (outcome == MainWindowOutcome::kCancelled) return kExitCancelled;
  if (outcome == MainWindowOutcome::kNotShown) return kExitStartupFailure;
  if (result == kNoResult) return kExitStartupFailure;
  return ExitStatusForResult(result);
}
