#include "os/change_gate.h"
#include "os/errors.h"
#include "os/process.h"

namespace os {

int RunCommand(const std::string& commandLine) {
  if (!AllowChange(ChangeKind::kCommandRun, commandLine)) return kCommandNotStarted;
  return RunCommandLine(commandLine);
}

int RunThroughInterpreter(const std::string& commandLine) {
  std::string interpreter = CommandInterpreter();
  if (interpreter.empty()) {
    SetLastError(kErrorFileNotFound);
    return kCommandNotStarted;
  }
  return RunCommandWith(interpreter, commandLine);
}

}  // namespace os
