// The step runner: walks a domain's Main section step by step, dispatching
// each step's session name to the handler of its kind, and walks the install
// record backwards to undo a failed run.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "engine/section.h"

class CHFS_MainSection : public CHFS_Section {
 public:
  explicit CHFS_MainSection(CHFS_Engine* engine);

  int Run(const std::string& mainSection, CHFS_InstallRecord& record) override;
  int Rollback(const std::string& mainSection, CHFS_InstallRecord& record) override;

  // Puts a handler in the map under a kind key such as "ProductInstall.Run",
  // replacing any there, with the count key its sections must hold (null for
  // none). The constructor registers every built handler; tests add handlers
  // of their own.
  void RegisterHandler(const std::string& kindKey, std::unique_ptr<CHFS_Section> handler,
                       const char* countKey = nullptr);

  // Runs of one step in one walk beyond which the walk is a dead loop, even
  // when its steps record nothing.
  static constexpr int kMaxStepRuns = 4096;

  // The kind key of a session name under a domain prefix ("ProductInstall."):
  // the name cut before the first "." after the kind word's first character.
  static std::string KindKey(const std::string& sessionName, const std::string& domainPrefix);

 private:
  // Makes the Main section current and gives its domain prefix
  // ("ProductInstall."); false, logged, for a name without a dot.
  bool EnterMainSection(const std::string& mainSection, std::string& domainPrefix);
  // The handler for session name S, or null after logging why there is none.
  CHFS_Section* FindHandler(const std::string& sessionName, const std::string& domainPrefix);
  // The next step after handler result R of step n; stop set when the walk ends.
  int NextStep(int step, int handlerResult, int& result, bool& stop);
  void ReportDeadLoop();
  // Logs why step n cannot run and gives the walk's failure: a script that
  // names no section or a wrong one must not pass for a finished install.
  int ScriptError(int step, const char* what, const std::string& name);
  // False, logged, when S's kind counts items and S lacks its count key.
  bool HasCountKey(int step, const std::string& sessionName, const std::string& domainPrefix);

  std::map<std::string, std::unique_ptr<CHFS_Section>> handlers_;
  std::map<std::string, const char*> countKeys_;
};
