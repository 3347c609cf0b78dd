#include "sections/run_section.h"

#include <cstdio>

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
  int code = RunLogged(command);
  if (record.AddRecord(item, "", "", "") != 0) {
    result = BRVN_USERBREAK;
    return ItemMove::kEnd;
  }
  if (code == BRVN_USERBREAK || code == kNotRun) {
    engine_->Trace("Failed to run '%s' in folder '%s'", command.c_str(), folder.c_str());
    result = EventHandler(ItemKey(item, "Error."), code == kNotRun ? -1 : BRVN_USERBREAK);
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
