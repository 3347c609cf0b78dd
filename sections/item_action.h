// What an item loop does with the event handler's answer for an item.
#pragma once

#include "engine/result_codes.h"

enum class ItemMove { kNext, kRepeat, kEnd };

// Continue and retry count as success (result 0) and go on with the next or
// the same item; 0 goes on; anything else ends the loop with result as it is.
inline ItemMove ItemMoveAfter(int& result) {
  if (result == BRVN_CONTINUE || result == BRVN_RETRY) {
    ItemMove move = result == BRVN_RETRY ? ItemMove::kRepeat : ItemMove::kNext;
    result = 0;
    return move;
  }
  return result == 0 ? ItemMove::kNext : ItemMove::kEnd;
}
