#include <string>

#include "engine/engine.h"
#include "engine/result_codes.h"
#include "engine/section.h"
#include "platform/c_numbers.h"

ItemMove CHFS_Section::MoveAfter(int answer, int& result) {
  result = answer;
  if (result == BRVN_CONTINUE || result == BRVN_RETRY) {
    ItemMove move = result == BRVN_RETRY ? ItemMove::kRepeat : ItemMove::kNext;
    result = 0;
    return move;
  }
  return result == 0 ? ItemMove::kNext : ItemMove::kEnd;
}

int CHFS_Section::ReadItemCount(const char* countKey) {
  const int count = CDecimalToInt(ReadSectionItem(countKey, 1));
  if (count <= kMaxItems) return count;
  engine_->TraceDetail("*** Script error: %s=%d in section ['%s'] is more than %d items! ", countKey,
                       count, sectionName_.c_str(), kMaxItems);
  engine_->NoteScriptError(sectionName_);
  return 0;
}

int CHFS_Section::WalkItems(int count, const std::function<ItemMove(int item, int& result)>& runItem) {
  int result = 0;
  int runs = 0;
  for (int item = 1; item <= count;) {
    if (++runs > kMaxItemRuns) {
      engine_->TraceDetail("*** Script error: Item %d of section ['%s'] was run %d times in a row! ",
                           item, sectionName_.c_str(), kMaxItemRuns);
      engine_->NoteScriptError(sectionName_);
      return -1;
    }
    if (engine_->StopRequested("before item " + std::to_string(item) + " of section ['" +
                               sectionName_ + "']")) {
      return BRVN_USERBREAK;
    }
    ItemMove move = runItem(item, result);
    if (move == ItemMove::kEnd) break;
    if (move == ItemMove::kNext) {
      ++item;
      runs = 0;
    }
  }
  return result;
}

std::string CHFS_Section::FormatItemKey(const char* kind, int item, const char* separator,
                                        const char* field) {
  return kind + std::to_string(item) + separator + field;
}
