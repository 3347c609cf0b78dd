#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "os/command_line_split.h"
#include "os/case_fold.h"
#include "os/errors.h"
#include "os/machine.h"
#include "os/process.h"
#include "os/sandbox_posix.h"

extern char** environ;

namespace os {

namespace {

// Starts path with args (args[0] is the name the program sees) and waits.
int SpawnAndWait(const std::string& path, std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(&arg[0]);
  argv.push_back(nullptr);
  pid_t child = 0;
  int error = ::posix_spawn(&child, path.c_str(), nullptr, nullptr, argv.data(), environ);
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

// The extension of a path's last name, with its dot, in upper case; empty when none.
std::string Extension(const std::string& path) {
  size_t name = path.find_last_of("\\/:");
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || (name != std::string::npos && dot < name)) return std::string();
  return UpperCaseAnsi(path.substr(dot));
}

bool IsScript(const std::string& path) {
  const std::string extension = Extension(path);
  return extension == ".CMD" || extension == ".BAT";
}

// A regular file we may run (a script only needs to be readable).
bool IsProgramFile(const std::string& host) {
  struct stat st;
  if (::stat(host.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  return ::access(host.c_str(), IsScript(host) ? R_OK : X_OK) == 0;
}

// The names to try for a program name: with ".exe" first when it has no
// extension, as CreateProcess does, then as written for host programs.
std::vector<std::string> CandidateNames(const std::string& name) {
  if (!Extension(name).empty()) return {name};
  return {name + ".exe", name};
}

bool FindInWindowsFolder(const std::string& folder, const std::string& name, std::string& host) {
  for (const std::string& candidate : CandidateNames(name)) {
    if (sandbox::HostPath(folder.empty() ? candidate : folder + "\\" + candidate, host) &&
        IsProgramFile(host)) {
      return true;
    }
  }
  return false;
}

bool FindOnHostPath(const std::string& name, std::string& host) {
  const char* path = std::getenv("PATH");
  std::string list = path != nullptr ? path : "";
  for (size_t start = 0; start <= list.size();) {
    size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    const std::string folder = end > start ? list.substr(start, end - start) : ".";
    for (const std::string& candidate : CandidateNames(name)) {
      host = folder + "/" + candidate;
      if (IsProgramFile(host)) return true;
    }
    start = end + 1;
  }
  return false;
}

// The host path of the program a command line names, looked for as
// CreateProcess looks (see process.h).
bool FindProgram(const std::string& name, std::string& host) {
  if (name.empty()) return false;
  if (name.find_first_of("\\/:") != std::string::npos) return FindInWindowsFolder("", name, host);
  std::string windows;
  const bool haveWindows = GetWindowsFolder(windows);
  std::vector<std::string> folders = {"."};
  if (haveWindows) folders.insert(folders.end(), {windows + "\\system32", windows + "\\system", windows});
  for (const std::string& folder : folders) {
    if (FindInWindowsFolder(folder, name, host)) return true;
  }
  return FindOnHostPath(name, host);
}

// "cmd /c": the program named cmd or cmd.exe, in any folder.
bool AsksForInterpreter(const std::vector<std::string>& args) {
  if (args.size() < 2 || UpperCaseAnsi(args[1]) != "/C") return false;
  const std::string name = UpperCaseAnsi(args[0].substr(args[0].find_last_of("\\/:") + 1));
  return name == "CMD" || name == "CMD.EXE";
}

}  // namespace

std::string CommandInterpreter() {
  const char* comspec = std::getenv("COMSPEC");
  if (comspec != nullptr && *comspec != '\0' && ::access(comspec, X_OK) == 0) return comspec;
  return ::access("/bin/sh", X_OK) == 0 ? "/bin/sh" : std::string();
}

int RunCommandWith(const std::string& interpreter, const std::string& commandLine) {
  return SpawnAndWait(interpreter, {interpreter, "-c", commandLine});
}

int RunCommandLine(const std::string& commandLine) {
  size_t start = commandLine.find_first_not_of(" \t");
  const std::string line = start == std::string::npos ? std::string() : commandLine.substr(start);
  std::vector<size_t> ends;
  std::vector<std::string> args = SplitCommandLine(line, &ends);
  if (AsksForInterpreter(args)) {
    size_t rest = line.find_first_not_of(" \t", ends[1]);
    return RunThroughInterpreter(rest == std::string::npos ? std::string() : line.substr(rest));
  }
  std::string program;
  if (args.empty() || !FindProgram(args[0], program)) {
    SetLastError(kErrorFileNotFound);
    return kCommandNotStarted;
  }
  if (!IsScript(program)) return SpawnAndWait(program, args);
  const std::string interpreter = CommandInterpreter();
  if (interpreter.empty()) {
    SetLastError(kErrorFileNotFound);
    return kCommandNotStarted;
  }
  args[0] = program;
  args.insert(args.begin(), interpreter);
  return SpawnAndWait(interpreter, args);
}

void KillCurrentProcess() {
  (void)::kill(::getpid(), SIGKILL);
  for (;;) ::pause();
}

}  // namespace os
