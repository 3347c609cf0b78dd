// The script engine: the one engine of a run. It holds the symbol tables, the
// script and install record paths, the main section name and the module
// folder, reads script items with symbol substitution, and drives a run.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "descriptors/value_queries.h"
#include "engine/command_line.h"
#include "engine/reporter.h"
#include "engine/section_kinds.h"
#include "engine/symbol_substitution.h"
#include "engine/window_port.h"
#include "platform/empty_item.h"
#include "platform/log_port.h"

class CHFS_InstallRecord;
class CHFS_MainSection;

class CHFS_Engine : public CHFS_LogPort {
 public:
  using SymbolTable = std::map<std::string, std::string>;

  // Performs the whole initialisation: module folder, debug-log lines,
  // built-in symbols, Symbols sections, the Main section's InstallRecordFile,
  // MainDescription and ReadmeFile. flags and windows belong to the
  // application and outlive the engine; reporter and windows may be null.
  // Without queries the engine reads descriptors with its own readers.
  CHFS_Engine(CHFS_Reporter* reporter, const std::string& scriptFileName, CHFS_RunFlags& flags,
              CHFS_WindowPort* windows, CHFS_ValueQueries* queries = nullptr);
  CHFS_Engine(const CHFS_Engine&) = delete;
  CHFS_Engine& operator=(const CHFS_Engine&) = delete;

  // Runs the domain: the step walk, rollback on failure, the outcome texts
  // and, after a successful install, the install record file.
  int Execute();

  // The section kinds the step runner dispatches to; none until given.
  void SetSectionKinds(const SectionKindTable& kinds) { sectionKinds_ = &kinds; }
  [[nodiscard]] const SectionKindTable& SectionKinds() const { return *sectionKinds_; }

  // Tests only: called on each step runner Execute makes, before its walk,
  // to add handlers of the test's own.
  void SetStepRunnerSetup(std::function<void(CHFS_MainSection&)> setup) {
    stepRunnerSetup_ = std::move(setup);
  }

  // Script reader: the value of key in section (of fileName, or of the script
  // when fileName is empty) with symbols substituted; "(empty)" when missing.
  std::string ReadItem(const std::string& key, const std::string& section, int warnIfMissing,
                       const std::string& fileName = std::string());

  // Time-stamped log line / detail line; formats are literals of ours only.
  void Trace(const char* format, ...) override BREVANE_PRINTF(2, 3);
  void WriteLogLine(const std::string& line) override;
  void NoteRefusedRead(const std::string& file) override { CheckRefusedRead(file); }
  void TraceDetail(const char* format, ...) const BREVANE_PRINTF(2, 3);

  // Symbol tables and substitution.
  int SetGlobalSymbol(const std::string& name, const std::string& value);
  int SetSymbol(const std::string& name, const std::string& value);
  int UpdateSymbol(const std::string& name, const std::string& value);
  [[nodiscard]] std::string GetSymbol(const std::string& name) const;
  // The text with its symbols substituted. A substitution that would grow the
  // text by more than kMaxSubstitutionGrowth is a script error: it is logged
  // and shown naming the symbol, the text reads as missing ("(empty)"), and
  // the run fails (see RefusedInput).
  [[nodiscard]] std::string ReplaceSymbols(const std::string& text) const;
  // After a read of file that found nothing: when the file was refused for
  // its size (os/input_limits.h) that is a script error, logged and shown,
  // and the run fails.
  void CheckRefusedRead(const std::string& file) const;
  // The first input refused as a script error: the symbol whose substitution
  // grew too long, or the file too large to read; empty when none was.
  [[nodiscard]] const std::string& RefusedInput() const { return refusedInput_; }
  // A script error that must end the run as failed (a runaway item walk),
  // named by what caused it; the first one is kept.
  void NoteScriptError(const std::string& cause) {
    if (refusedInput_.empty()) refusedInput_ = cause;
  }
  // A value holding "[Reg:", "[FileInfo:" or "[INI:" (first match in that
  // order) replaced by what that descriptor reads; any other value as it is.
  std::string EvaluateDescriptors(const std::string& value);
  int LoadSymbolsSection(const std::string& section);
  // 0, or -1 when a write failed (the file then lacks the symbols after it).
  int SaveSymbols(const std::string& file);
  int LoadSavedSymbols(const std::string& file);
  int InitBuiltInSymbols();

  // True when the run is to stop here, at a safe point (between steps,
  // items or files): a request to stop came from outside (os/interrupt.h).
  // The first time it logs the cause and where ("before step 3"). False
  // while the run is being rolled back.
  [[nodiscard]] bool StopRequested(const std::string& where);
  // True once StopRequested has stopped the run.
  [[nodiscard]] bool Stopping() const { return stopping_; }

  [[nodiscard]] std::string GetModuleFolder() const { return moduleFolder_; }
  [[nodiscard]] std::string GetScriptPath() const { return scriptPath_; }
  [[nodiscard]] const std::string& InstallRecordPath() const { return installRecordPath_; }
  [[nodiscard]] const std::string& MainSectionName() const { return mainSectionName_; }
  [[nodiscard]] bool IsRemoveDomain() const { return flags_.remove; }
  [[nodiscard]] CHFS_Reporter* Reporter() const { return reporter_; }
  // The windows the prompts of a run are shown in; may be null.
  [[nodiscard]] CHFS_WindowPort* Windows() const { return windows_; }
  [[nodiscard]] CHFS_RunFlags& Flags() const { return flags_; }
  [[nodiscard]] const SymbolTable& GlobalSymbols() const { return globalSymbols_; }
  [[nodiscard]] const SymbolTable& ScriptSymbols() const { return scriptSymbols_; }

 private:
  void InitModuleFolder();
  void ReadMainItems();
  void ShowTraceBox(const std::string& section, const std::string& key, const std::string& value);
  void ReportOutcome(int result);
  int WriteInstallRecordFile(CHFS_InstallRecord& record);
  // The rollback after a failure or a stop; requests that come meanwhile are
  // logged and do not end it.
  // The walk's result: 0 when it went through.
  int RollBack(CHFS_MainSection& mainSection, CHFS_InstallRecord& record);

  SymbolTable globalSymbols_;
  SymbolTable scriptSymbols_;
  SymbolNameFacts symbolNames_;  // of both tables; every name put in is noted
  mutable std::string refusedInput_;
  std::string scriptPath_;
  std::string installRecordPath_;
  std::string mainSectionName_;
  std::string moduleFolder_;
  CHFS_Reporter* reporter_;
  CHFS_RunFlags& flags_;
  CHFS_WindowPort* windows_;
  CHFS_ValueQueries* queries_;
  std::unique_ptr<CHFS_ValueQueries> ownQueries_;  // the default, when none is given
  std::function<void(CHFS_MainSection&)> stepRunnerSetup_;
  static const SectionKindTable kNoSectionKinds;
  const SectionKindTable* sectionKinds_ = &kNoSectionKinds;
  bool stopping_ = false;
  bool rollingBack_ = false;
  int requestsSeen_ = 0;  // stop requests logged so far
};
