// What an item-walking section does after an item's event question: go on,
// run the same item again, or end with the answer.
#pragma once

#include "engine/result_codes.h"

// Applies the event handler's answer to the walk: true to go on (item is
// then the next item to run), false to end the section with result.
inline bool NextItem(int answer, int& item, int& result) {
  if (answer == BRVN_CONTINUE || answer == BRVN_RETRY) {
    result = 0;
    if (answer == BRVN_CONTINUE) ++item;
    return true;
  }
  if (answer == 0) {
    ++item;
    return true;
  }
  result = answer;
  return false;
}
