// An engine over a script written by the test, with a recording reporter.
#pragma once

#include <memory>
#include <string>

#include "engine/engine.h"
#include "sections/section_kinds.h"
#include "tests/support/fake_windows.h"
#include "tests/support/test_machine.h"

namespace testing_support {

struct EngineFixture {
  // Writes script as the script file of a new test folder and builds an
  // engine on it (install domain unless remove is set).
  explicit EngineFixture(const std::string& script, bool remove = false,
                         const std::string& recordFile = std::string())
      : folder(NewTestFolder()), scriptPath(folder + "\\HotFix.ini") {
    WriteFileBytes(scriptPath, script);
    flags.remove = remove;
    flags.recordPath = recordFile.empty() ? scriptPath : recordFile;
    engine = std::make_unique<CHFS_Engine>(&reporter, "HotFix.ini", flags, &windows);
    engine->SetSectionKinds(AllSectionKinds());
  }

  std::string folder;
  std::string scriptPath;
  CHFS_RunFlags flags;
  RecordingReporter reporter;
  FakeWindows windows;
  std::unique_ptr<CHFS_Engine> engine;
};

}  // namespace testing_support
