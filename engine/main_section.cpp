#include "engine/main_section.h"

#include <cstdio>
#include <string>

#include "engine/result_codes.h"
#include "engine/section_kinds.h"
#include "os/profile.h"
#include "platform/c_numbers.h"

namespace {
std::string StepKey(int step, const char* field) {
  char key[64];
  std::snprintf(key, sizeof(key), "Step%d.%s", step, field);
  return key;
}
}  // namespace

CHFS_MainSection::CHFS_MainSection(CHFS_Engine* engine) : CHFS_Section(engine) {
  // One instance per kind key, so the two domains never share a handler.
  for (const SectionKind& kind : engine->SectionKinds()) {
    if (kind.create == nullptr) continue;
    for (const char* domain : {"ProductInstall", "ProductRemove"}) {
      if (!kind.install && std::string(domain) == "ProductInstall") continue;
      RegisterHandler(std::string(domain) + "." + kind.word, kind.create(engine), kind.countKey);
    }
  }
}

void CHFS_MainSection::RegisterHandler(const std::string& kindKey,
                                       std::unique_ptr<CHFS_Section> handler,
                                       const char* countKey) {
  handlers_[kindKey] = std::move(handler);
  countKeys_[kindKey] = countKey;
}

int CHFS_MainSection::ScriptError(int step, const char* what, const std::string& name) {
  engine_->Trace("*** Script error: Step%d %s ['%s']; the run fails and is rolled back. ", step, what,
                 name.c_str());
  return -1;
}

bool CHFS_MainSection::HasCountKey(int step, const std::string& sessionName,
                                   const std::string& domainPrefix) {
  const char* countKey = countKeys_[KindKey(sessionName, domainPrefix)];
  if (countKey == nullptr) return true;
  // A misspelt section header or count key would otherwise run no items.
  // Read straight from the file: a trace run would show it as a read.
  std::string text;
  (void)os::GetProfileString(engine_->GetScriptPath(), sessionName, countKey, kEmptyItem, text,
                             os::kProfileValueBuffer);
  if (text != kEmptyItem) return true;
  engine_->Trace("*** Script error: Step%d section ['%s'] has no count key '%s'; "
                 "the run fails and is rolled back. ",
                 step, sessionName.c_str(), countKey);
  return false;
}

void CHFS_MainSection::ReportDeadLoop() {
  engine_->TraceDetail(
      "*** Runtime error: Found dead loop in your script file (Need less than %d steps) ! ",
      static_cast<int>(CHFS_InstallRecord::kMaxRecords));
}

int CHFS_MainSection::NextStep(int step, int handlerResult, int& result, bool& stop) {
  char prefix[64];
  if (handlerResult > 0) {
    result = 0;
    return handlerResult;
  }
  if (handlerResult < 0) {
    std::snprintf(prefix, sizeof(prefix), "Step%d.Error.", step);
    int action = EventHandler(prefix, handlerResult);
    engine_->Trace("EventHandler() return code = %d ", action);
    if (action == BRVN_CONTINUE || action == BRVN_RETRY || action > 0) {
      result = 0;
      return action == BRVN_CONTINUE ? step + 1 : action == BRVN_RETRY ? step : action;
    }
    engine_->Trace("EventHandler return code = %d ", action);
    result = action;
    stop = true;
    return step;
  }
  std::snprintf(prefix, sizeof(prefix), "Step%d.Success.", step);
  int action = EventHandler(prefix, 0);
  engine_->Trace("EventHandler return code = %d ", action);
  if (action == BRVN_CONTINUE || action == 0 || action == BRVN_RETRY || action > 0) {
    result = 0;
    return action == BRVN_RETRY ? step : action > 0 ? action : step + 1;
  }
  result = action;
  stop = true;
  return step;
}

std::string CHFS_MainSection::KindKey(const std::string& sessionName,
                                      const std::string& domainPrefix) {
  size_t dot = sessionName.find('.', domainPrefix.size() + 1);
  return dot == std::string::npos ? sessionName : sessionName.substr(0, dot);
}

CHFS_Section* CHFS_MainSection::FindHandler(const std::string& sessionName,
                                            const std::string& domainPrefix) {
  if (sessionName.find(domainPrefix) != 0) {
    engine_->Trace("*** Syntax error: Session name ['%s'] not supported in this function domain! ",
                   sessionName.c_str());
    return nullptr;
  }
  auto found = handlers_.find(KindKey(sessionName, domainPrefix));
  if (found == handlers_.end()) {
    engine_->Trace("*** Syntax error: Session name ['%s'] not supported! ", sessionName.c_str());
    return nullptr;
  }
  return found->second.get();
}

bool CHFS_MainSection::EnterMainSection(const std::string& mainSection, std::string& domainPrefix) {
  size_t dot = mainSection.find('.');
  if (dot == std::string::npos) {
    engine_->Trace("*** Syntax error: Session name ['%s'] incorrect. ", mainSection.c_str());
    return false;
  }
  SetSectionName(mainSection);
  domainPrefix = mainSection.substr(0, dot + 1);
  return true;
}

int CHFS_MainSection::Run(const std::string& mainSection, CHFS_InstallRecord& record) {
  std::string domainPrefix;
  if (!EnterMainSection(mainSection, domainPrefix)) return -1;
  const int stepCount = CDecimalToInt(ReadSectionItem("StepCount", 1));
  int result = -1;
  int step = 1;
  std::map<int, int> runs;
  while (step <= stepCount) {
    // A value refused as too long was read as missing: no step may go on with it.
    if (!engine_->RefusedInput().empty()) return -1;
    if (engine_->StopRequested("before step " + std::to_string(step))) return BRVN_USERBREAK;
    // A full record, or a step run again and again without recording
    // anything, is a dead loop; an unattended run must end.
    if (record.BeginStep(step) != 0 || ++runs[step] > kMaxStepRuns) {
      ReportDeadLoop();
      return -1;
    }
    const std::string sectionKey = StepKey(step, "Section");
    const std::string session = ReadSectionItem(sectionKey, 1);
    if (session == kEmptyItem) {
      engine_->Trace("*** Syntax error: Session name ['%s'] not found, skip and continue. ",
                     sectionKey.c_str());
      return ScriptError(step, "has no section key", sectionKey);
    }
    CHFS_Section* handler = FindHandler(session, domainPrefix);
    if (handler == nullptr) return ScriptError(step, "names an unknown section kind", session);
    if (!HasCountKey(step, session, domainPrefix)) return -1;
    std::string description = ReadSectionItem(StepKey(step, "Description"), 1);
    if (CHFS_Reporter* reporter = engine_->Reporter()) {
      reporter->SetTaskText(description, 0);
      reporter->AddDetailText("", 0);
      reporter->SetProgress(step, stepCount + 1);
    }
    int handlerResult = handler->Run(session, record);
    engine_->Trace("@@@ Session name ['%s'] return code = %d ", session.c_str(), handlerResult);
    // A step that stopped part way goes to no event: the run stops.
    if (engine_->Stopping() || engine_->StopRequested("after step " + std::to_string(step))) {
      return BRVN_USERBREAK;
    }
    bool stop = false;
    step = NextStep(step, handlerResult, result, stop);
    if (stop) break;
  }
  return result;
}

int CHFS_MainSection::Rollback(const std::string& mainSection, CHFS_InstallRecord& record) {
  std::string domainPrefix;
  if (!EnterMainSection(mainSection, domainPrefix)) return -1;
  const int initialCount = static_cast<int>(record.size());
  int stop = 0;
  while (stop == 0 && record.size() > 0) {
    int step = 0;
    (void)record.PeekStep(step);
    const std::string sectionKey = StepKey(step, "Section");
    const std::string session = ReadSectionItem(sectionKey, 1);
    if (session == kEmptyItem) {
      engine_->Trace("*** Syntax error: Session name ['%s'] not found, skip and continue. ",
                     sectionKey.c_str());
      int item = 0;
      while (record.PopRecord(item) == 0) {
      }
      continue;
    }
    CHFS_Section* handler = FindHandler(session, domainPrefix);
    if (handler == nullptr) break;
    std::string description = ReadSectionItem(StepKey(step, "Description"), 1);
    if (CHFS_Reporter* reporter = engine_->Reporter()) {
      reporter->SetTaskText(description, 1);
      reporter->AddDetailText("", 0);
      reporter->SetProgress(static_cast<int>(record.size()), initialCount);
    }
    stop = handler->Rollback(session, record);
    // The journal learns which entries are back only from a handler that
    // finished its part.
    if (stop == 0) {
      record.ConfirmUndone();
    } else {
      record.DropPendingUndo();
    }
  }
  return stop;
}
