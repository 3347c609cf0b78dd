// Run sections: each item runs a command line through the command interpreter
// in its folder and waits for it; an item's rollback command undoes it when
// the install is rolled back. Only an exit code of -300 counts as a failure,
// unless the item lists the exit codes that count as success
// ("Run1.SuccessCodes=0,3010"), and (Linux build) a program that could not
// be found or started.
#pragma once

#include <climits>
#include <functional>
#include <string>

#include "engine/section.h"

class CHFS_RunSection : public CHFS_Section {
 public:
  // Runs a command line in the current folder: its exit code, or -1, or
  // kNotRun.
  using CommandRunner = std::function<int(const std::string& commandLine)>;

  // What the real runner gives where no program was found or started and no
  // program's exit code can say the same: the item fails (-1, not the user
  // break of -300).
  static constexpr int kNotRun = INT_MIN;

  // runner replaces the command interpreter (tests); null uses the real one.
  explicit CHFS_RunSection(CHFS_Engine* engine, CommandRunner runner = nullptr);

  int Run(const std::string& sessionName, CHFS_InstallRecord& record) override;
  int Rollback(const std::string& sessionName, CHFS_InstallRecord& record) override;

 private:
  std::string ItemKey(int item, const char* field) const;
  void ShowDescription(int item, int rollbackFlag);
  // Changes to the item's folder (the program's folder when it names none)
  // and returns it; a failed change leaves the current folder as it is.
  std::string EnterItemFolder(int item);
  int RunLogged(const std::string& commandLine);
  // How an item's exit code counts: -300 fails as it always did; with a
  // SuccessCodes key, a code not in it (or a list that cannot be read, or a
  // command not started) is rejected; without one, every other code passes.
  enum class Outcome { kSucceeded, kFailed, kRejected };
  Outcome JudgeExitCode(int item, int code);
  ItemMove RunItem(int item, CHFS_InstallRecord& record, int& result);
  // Runs the item's rollback command, if it has one: 0, -300, or -1 when its
  // program was not run.
  int RollbackItem(int item);

  CommandRunner runner_;
};
