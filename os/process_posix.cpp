#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "os/errors.h"
#include "os/process.h"

extern char** environ;

namespace os {

std::string CommandInterpreter() {
  const char* comspec = std::getenv("COMSPEC");
  if (comspec != nullptr && *comspec != '\0' && ::access(comspec, X_OK) == 0) return comspec;
  return ::access("/bin/sh", X_OK) == 0 ? "/bin/sh" : std::string();
}

int RunCommandWith(const std::string& interpreter, const std::string& commandLine) {
  std::string program = interpreter;
  std::string flag = "-c";
  std::string command = commandLine;
  char* argv[] = {&program[0], &flag[0], &command[0], nullptr};
  pid_t child = 0;
  int error = ::posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ);
  if (error != 0) {
    SetLastError(Win32FromErrno(error));
    return kCommandNotStarted;
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) {
      SetLastError(Win32FromErrno(errno));
      return kCommandNotStarted;
    }
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : kCommandNotStarted;
}

}  // namespace os
