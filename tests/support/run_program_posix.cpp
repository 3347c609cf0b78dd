#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "os/sandbox_posix.h"
#include "tests/support/run_program.h"
#include "tests/support/test_machine.h"

namespace testing_support {

namespace {
void ReadBack(int fd, std::string& text) {
  ::lseek(fd, 0, SEEK_SET);
  char buffer[4096];
  ssize_t got;
  while ((got = ::read(fd, buffer, sizeof(buffer))) > 0) text.append(buffer, static_cast<size_t>(got));
}
}  // namespace

std::string BuiltProgramPath() { return os::sandbox::WindowsPathOfHost(BREVANE_PROGRAM_PATH); }

ProgramRun RunProgram(const std::string& programPath, const std::vector<std::string>& arguments,
                      const std::string& input) {
  ProgramRun run;
  std::string host = HostPathOf(programPath);
  std::string folder = host.substr(0, host.rfind('/'));
  char inName[] = "/tmp/brevane-in-XXXXXX";
  char outName[] = "/tmp/brevane-out-XXXXXX";
  char errName[] = "/tmp/brevane-err-XXXXXX";
  int in = ::mkstemp(inName);
  int out = ::mkstemp(outName);
  int err = ::mkstemp(errName);
  if (in < 0 || out < 0 || err < 0) return run;
  if (::write(in, input.data(), input.size()) != static_cast<ssize_t>(input.size())) return run;
  ::lseek(in, 0, SEEK_SET);
  pid_t child = ::fork();
  if (child == 0) {
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    if (::chdir(folder.c_str()) != 0) ::_exit(126);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(host.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(host.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  ReadBack(out, run.output);
  ReadBack(err, run.errors);
  ::close(in);
  ::close(out);
  ::close(err);
  ::unlink(inName);
  ::unlink(outName);
  ::unlink(errName);
  return run;
}

}  // namespace testing_support
