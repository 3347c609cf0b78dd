#include "sections/user_input_section.h"

#include <cstdio>

#include "engine/result_codes.h"
#include "engine/strings.h"
#include "engine/window_port.h"
#include "platform/c_numbers.h"

namespace {

const char kFolderSelect[] = "BRVN_INPUT_FOLDER_SELECT";
const char kEditBox[] = "BRVN_INPUT_EDITBOX";

// "Input<n>.<field>"
std::string ItemKey(int item, const char* field) {
  return CHFS_Section::FormatItemKey("Input", item, ".", field);
}

}  // namespace

int CHFS_UserInputSection::Run(const std::string& sessionName, CHFS_InstallRecord& record) {
  engine_->Trace("CHFS_UserInputSection::Run('%s') ", sessionName.c_str());
  SetSectionName(sessionName);
  const int count = ReadItemCount("InputCount");
  minimum_ = 0;
  maximum_ = 256;
  return WalkItems(count, [&](int item, int& result) { return RunItem(item, record, result); });
}

ItemMove CHFS_UserInputSection::RunItem(int item, CHFS_InstallRecord& record, int& result) {
  std::string description;
  std::string answer;
  Asked asked = AskItem(item, record, description, answer);
  if (asked == Asked::kSkipped) return ItemMove::kNext;
  if (asked == Asked::kRecordFull) return MoveAfter(BRVN_USERBREAK, result);
  if (asked == Asked::kCancelled) {
    AddDetail(" - " + description + " (" + BrevaneString(kIdsNoPass) + ")\r\n");
    return MoveAfter(EventHandler(ItemKey(item, "Error."), -1), result);
  }
  AddDetail(" - " + answer + "\r\n");
  return MoveAfter(EventHandler(ItemKey(item, "Success."), 0), result);
}

CHFS_UserInputSection::Asked CHFS_UserInputSection::AskItem(int item, CHFS_InstallRecord& record,
                                                            std::string& description,
                                                            std::string& answer) {
  description = ReadSectionItem(ItemKey(item, "Description"), 1);
  std::string limit = ReadSectionItem(ItemKey(item, "Min"), 1);
  if (limit != kEmptyItem) minimum_ = CDecimalToInt(limit);
  limit = ReadSectionItem(ItemKey(item, "Max"), 1);
  if (limit != kEmptyItem) maximum_ = CDecimalToInt(limit);
  const std::string type = ReadSectionItem(ItemKey(item, "Type"), 1);
  if (type == kEmptyItem) return Asked::kSkipped;
  const std::string symbol = ReadSectionItem(ItemKey(item, "RefSymbol"), 0);
  if (symbol == kEmptyItem) return Asked::kSkipped;

  engine_->Trace("%d.GetUserInput(Type='%s',variable='%s')", item, type.c_str(), symbol.c_str());
  const std::string initial = engine_->GetSymbol(symbol);
  if (type != kFolderSelect && type != kEditBox) {
    // Not an input type: nothing is asked or changed; the detail line shows
    // the value the symbol keeps.
    answer = initial;
    return Asked::kAnswered;
  }
  if (Prompt(type, description, initial, answer) != 1) {
    engine_->Trace("%d.GetUserInput(Type='%s',variable='%s') failed!", item, type.c_str(),
                   symbol.c_str());
    return Asked::kCancelled;
  }
  const std::string earlier = engine_->GetSymbol(symbol);
  if (type == kFolderSelect) {
    engine_->Trace("User Select folder = '%s'", answer.c_str());
  } else {
    engine_->Trace("User Input = '%s'", answer.c_str());
  }
  engine_->SetSymbol(symbol, answer);
  if (record.AddRecord(item, earlier, std::string(), std::string()) != 0) return Asked::kRecordFull;
  return Asked::kAnswered;
}

// 1 when the user answered; anything else when the prompt was cancelled or
// cannot be shown.
int CHFS_UserInputSection::Prompt(const std::string& type, const std::string& description,
                                  const std::string& initial, std::string& answer) {
  CHFS_WindowPort* windows = engine_->Windows();
  if (windows == nullptr) return -1;
  const std::string title = BrevaneString(kIdsMessageCaption);
  if (type == kEditBox) return windows->AskInput(title, description, initial, maximum_, answer);
  CHFS_Reporter* reporter = engine_->Reporter();
  if (reporter == nullptr) return -1;
  return windows->BrowseForFolder(title, description, initial, *reporter, answer);
}

void CHFS_UserInputSection::AddDetail(const std::string& text) {
  if (CHFS_Reporter* reporter = engine_->Reporter()) reporter->AddDetailText(text, 0);
}

int CHFS_UserInputSection::Rollback(const std::string& sessionName, CHFS_InstallRecord& record) {
  engine_->Trace("CHFS_UserInputSection::Rollback('%s') ", sessionName.c_str());
  SetSectionName(sessionName);
  int item = 0;
  std::string earlier;
  while (record.PopRecord(item, earlier) == 0) {
    const std::string symbol = ReadSectionItem(ItemKey(item, "RefSymbol"), 0);
    if (symbol != kEmptyItem) engine_->SetSymbol(symbol, earlier);
  }
  return 0;
}

