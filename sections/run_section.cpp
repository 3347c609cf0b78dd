#include "sections/run_section.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/result_codes.h"
#include "os/machine.h"
#include "os/process.h"

namespace {

// Puts the process back into the folder it was in, when that could be read.
class CurrentFolderKeeper {
 public:
  CurrentFolderKeeper() : saved_(os::GetCurrentFolder(folder_)) {}
  ~CurrentFolderKeeper() {
    if (saved_) (void)os::SetCurrentFolder(folder_);
  }
  CurrentFolderKeeper(const CurrentFolderKeeper&) = delete;
  CurrentFolderKeeper& operator=(const CurrentFolderKeeper&) = delete;

 private:
  std::string folder_;
  bool saved_;
};

// Reads "0, 3010" into codes: decimal exit codes 0..4294967295 separated by
// commas, blanks around each allowed. False for anything else, an empty
// list included.
bool ParseExitCodes(const std::string& text, std::vector<std::uint32_t>& codes) {
  size_t start = 0;
  while (true) {
    size_t comma = text.find(',', start);
    std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    size_t first = part.find_first_not_of(" \t");
    size_t last = part.find_last_not_of(" \t");
    if (first == std::string::npos) return false;
    part = part.substr(first, last - first + 1);
    if (part.size() > 10 || part.find_first_not_of("0123456789") != std::string::npos) return false;
    unsigned long long value = std::strtoull(part.c_str(), nullptr, 10);
    if (value > 0xFFFFFFFFull) return false;
    codes.push_back(static_cast<std::uint32_t>(value));
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

}  // namespace

CHFS_RunSection::CHFS_RunSection(CHFS_Engine* engine, CommandRunner runner)
    : CHFS_Section(engine), runner_(std::move(runner)) {
  // A program that could not be found or started has not done its work
  // (where that cannot be mistaken for a program's own exit code).
  if (!runner_) {
    runner_ = [](const std::string& commandLine) {
      int code = os::RunCommand(commandLine);
      return os::kNotStartedIsUnambiguous && code == os::kCommandNotStarted ? kNotRun : code;
    };
  }
}

std::string CHFS_RunSection::ItemKey(int item, const char* field) const {
  return CHFS_Section::FormatItemKey("Run", item, ".", field);
}

void CHFS_RunSection::ShowDescription(int item, int rollbackFlag) {
  std::string text = ReadSectionItem(ItemKey(item, "Description"), 1) + "\r\n";
  if (CHFS_Reporter* reporter = engine_->Reporter()) reporter->AddDetailText(text, rollbackFlag);
}

std::string CHFS_RunSection::EnterItemFolder(int item) {
  std::string folder = ReadSectionItem(ItemKey(item, "Path"), 1);
  if (folder == kEmptyItem) folder = engine_->GetModuleFolder();
  (void)os::SetCurrentFolder(folder);
  return folder;
}

int CHFS_RunSection::RunLogged(const std::string& commandLine) {
  int code = runner_(commandLine);
  engine_->Trace("return code = %d", code);
  return code;
}

CHFS_RunSection::Outcome CHFS_RunSection::JudgeExitCode(int item, int code) {
  if (code == BRVN_USERBREAK) return Outcome::kFailed;
  if (code == kNotRun) return Outcome::kRejected;
  const std::string list = ReadSectionItem(ItemKey(item, "SuccessCodes"), 0);
  if (list == kEmptyItem) return Outcome::kSucceeded;
  std::vector<std::uint32_t> codes;
  if (!ParseExitCodes(list, codes)) {
    engine_->Trace("*** Syntax error: %s='%s' is not a list of exit codes in section ['%s']. ",
                   ItemKey(item, "SuccessCodes").c_str(), list.c_str(), SectionName().c_str());
    return Outcome::kRejected;
  }
  // A command that could not be started has no exit code to accept.
  if (code != os::kCommandNotStarted) {
    for (std::uint32_t accepted : codes) {
      if (accepted == static_cast<std::uint32_t>(code)) return Outcome::kSucceeded;
    }
  }
  engine_->Trace("Exit code %d is not one of %s=%s", code, ItemKey(item, "SuccessCodes").c_str(),
                 list.c_str());
  return Outcome::kRejected;
}

ItemMove CHFS_RunSection::RunItem(int item, CHFS_InstallRecord& record, int& result) {
  ShowDescription(item, 0);
  std::string command = ReadSectionItem(ItemKey(item, "Command"), 0);
  if (command == kEmptyItem) {
    // Nothing runs now, but a rollback command still has to run on rollback.
    if (ReadSectionItem(ItemKey(item, "RollbackCommand"), 0) == kEmptyItem) return ItemMove::kNext;
    if (record.AddRecord(item, "", "", "") == 0) return ItemMove::kNext;
    result = BRVN_USERBREAK;
    return ItemMove::kEnd;
  }
  command = ReadSectionItem(ItemKey(item, "Command"), 1);
  std::string folder = EnterItemFolder(item);
  engine_->Trace("Run '%s' in folder '%s'", command.c_str(), folder.c_str());
  // Recorded before the command runs: a run killed while it works still
  // has its rollback command run.
  if (record.AddRecord(item, "", "", "") != 0) {
    result = BRVN_USERBREAK;
    return ItemMove::kEnd;
  }
  int code = RunLogged(command);
  Outcome outcome = JudgeExitCode(item, code);
  if (outcome != Outcome::kSucceeded) {
    engine_->Trace("Failed to run '%s' in folder '%s'", command.c_str(), folder.c_str());
    result = EventHandler(ItemKey(item, "Error."), outcome == Outcome::kFailed ? BRVN_USERBREAK : -1);
  } else {
    engine_->Trace("Success to run '%s' in folder '%s'", command.c_str(), folder.c_str());
    result = EventHandler(ItemKey(item, "Success."), 0);
  }
  return MoveAfter(result, result);
}

int CHFS_RunSection::Run(const std::string& sessionName, CHFS_InstallRecord& record) {
  engine_->Trace("CHFS_RunSection::Run('%s') ", sessionName.c_str());
  SetSectionName(sessionName);
  int result = 0;
  {
    CurrentFolderKeeper keeper;
    result = WalkItems(ReadItemCount("RunCount"),
                       [&](int item, int& itemResult) { return RunItem(item, record, itemResult); });
  }
  engine_->Trace("CHFS_RunSection::Run('%s') Ret=%d", sessionName.c_str(), result);
  return result;
}

int CHFS_RunSection::RollbackItem(int item) {
  ShowDescription(item, 1);
  std::string command = ReadSectionItem(ItemKey(item, "RollbackCommand"), 0);
  if (command == kEmptyItem) return 0;
  std::string folder = EnterItemFolder(item);
  engine_->Trace("Run rollback command '%s' in folder '%s'", command.c_str(), folder.c_str());
  const int code = RunLogged(command);
  if (code == BRVN_USERBREAK || code == kNotRun) {
    engine_->Trace("Failed to run '%s' in folder '%s'", command.c_str(), folder.c_str());
    return code == kNotRun ? -1 : BRVN_USERBREAK;
  }
  engine_->Trace("Success to run '%s' in folder '%s'", command.c_str(), folder.c_str());
  return 0;
}

int CHFS_RunSection::Rollback(const std::string& sessionName, CHFS_InstallRecord& record) {
  engine_->Trace("CHFS_RunSection::Rollback('%s') ", sessionName.c_str());
  SetSectionName(sessionName);
  int result = 0;
  {
    CurrentFolderKeeper keeper;
    int item = 0;
    while (result == 0 && record.PopRecord(item) == 0) result = RollbackItem(item);
  }
  engine_->Trace("CHFS_RunSection::Rollback('%s') Ret=%d", sessionName.c_str(), result);
  return result;
}
