#include <cstring>

#include "engine/result_codes.h"
#include "engine/section.h"
#include "platform/c_numbers.h"

int CHFS_Section::ActionCode(const std::string& keyword) {
  if (keyword == "BRVN_CONTINUE") return BRVN_CONTINUE;
  if (keyword == "BRVN_RETRY") return BRVN_RETRY;
  if (keyword == "BRVN_USERBREAK") return BRVN_USERBREAK;
  static const char kGotoStep[] = "BRVN_GOTOSTEP(";
  const size_t prefixLength = std::strlen(kGotoStep);
  if (keyword.compare(0, prefixLength, kGotoStep) == 0) {
    // The closing parenthesis is not checked; no digits give 0.
    return CDecimalToInt(keyword.substr(prefixLength));
  }
  engine_->Trace("!!!Error Action not found. '%s'", keyword.c_str());
  return -1;
}

int CHFS_Section::AskAndAct(const std::string& prefix, const std::string& text, int style,
                            int wanted, const char* chosenLine, const char* chosenKey,
                            const char* otherKey) {
  CHFS_Reporter* reporter = engine_->Reporter();
  int answer = reporter != nullptr ? reporter->Ask(text, style) : 0;
  if (answer == wanted) {
    engine_->Trace("%s", chosenLine);
    return ActionCode(ReadSectionItem(prefix + chosenKey, 1));
  }
  return ActionCode(ReadSectionItem(prefix + otherKey, 1));
}

int CHFS_Section::EventHandler(const std::string& prefix, int oldResult) {
  engine_->Trace("EventHandler('%s',OldRet=%d)", prefix.c_str(), oldResult);
  std::string action = ReadSectionItem(prefix + "Action", 0);
  if (action != kEmptyItem) {
    engine_->Trace("Return=%s", action.c_str());
    return ActionCode(action);
  }
  if (engine_->Flags().silent) {
    const std::string key = prefix + "Default";
    engine_->Trace("In the silent mode, use Default action to continue installation.[%s]",
                   key.c_str());
    std::string fallback = ReadSectionItem(key, 0);
    return fallback != kEmptyItem ? ActionCode(fallback) : oldResult;
  }
  std::string question = ReadSectionItem(prefix + "AskYesNo", 0);
  if (question != kEmptyItem) {
    engine_->Trace("AskYesNo=%s", question.c_str());
    return AskAndAct(prefix, question, 36, 6,
                     "After Ask user, user choose YES to continue installation.", "Yes", "No");
  }
  question = ReadSectionItem(prefix + "AskRetryCancel", 0);
  if (question != kEmptyItem) {
    engine_->Trace("AskRetryCancel=%s", question.c_str());
    return AskAndAct(prefix, question, 37, 4,
                     "After Ask user, user choose RETRY to retry failed task.", "Retry", "Cancel");
  }
  question = ReadSectionItem(prefix + "AskOK", 0);
  if (question != kEmptyItem) {
    engine_->Trace("AskOK=%s", question.c_str());
    if (CHFS_Reporter* reporter = engine_->Reporter()) reporter->Ask(question, oldResult != 0 ? 16 : 64);
    engine_->Trace("After show message to user, user choose OK to continue installation.");
    return ActionCode(ReadSectionItem(prefix + "OK", 1));
  }
  return oldResult;
}
