#include "tests/support/under_wine.h"

namespace testing_support {

bool RunningUnderWine() { return false; }

}  // namespace testing_support
