// Refusing one change call in turn (BREVANE_FAIL_AT), and the names a folder
// holds afterwards: for tests that a write is whole or not made at all.
#pragma once

#include <set>
#include <string>

#include "os/change_gate.h"
#include "os/files.h"
#include "tests/support/test_machine.h"

namespace testing_support {

// The nth change call from now on fails; 0 turns failing off.
inline void FailChangeCall(int n) {
  SetEnvironment("BREVANE_FAIL_AT", n > 0 ? std::to_string(n) : std::string());
  os::ResetChangeGateForTesting();
}

// The names of the files in folder.
inline std::set<std::string> FileNamesIn(const std::string& folder) {
  std::set<std::string> names;
  os::FindData data;
  os::UniqueFind find = os::FindFirstFile(folder + "\\*", data);
  if (!find) return names;
  do {
    if ((data.attributes & os::kAttributeDirectory) == 0) names.insert(data.name);
  } while (os::FindNextFile(find.get(), data));
  return names;
}

}  // namespace testing_support
