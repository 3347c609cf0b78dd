#include <windows.h>

#include <cstdlib>

#include "os/errors.h"
#include "os/process.h"
#include "os/handle_owners_win.h"

namespace os {

namespace {

bool IsFile(const char* path) {
  DWORD attributes = ::GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string FindOnSearchPath(const char* name) {
  char found[MAX_PATH + 1] = {};
  DWORD length = ::SearchPathA(nullptr, name, nullptr, sizeof(found), found, nullptr);
  return length > 0 && length < sizeof(found) ? std::string(found, length) : std::string();
}

bool IsNtFamily() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  return !::GetVersionExA(&info) || info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}
}  // namespace

std::string CommandInterpreter() {
  char comspec[MAX_PATH + 1] = {};
  DWORD length = ::GetEnvironmentVariableA("COMSPEC", comspec, sizeof(comspec));
  if (length > 0 && length < sizeof(comspec) && IsFile(comspec)) return comspec;
  return FindOnSearchPath(IsNtFamily() ? "cmd.exe" : "command.com");
}

int RunCommandWith(const std::string& interpreter, const std::string& commandLine) {
  // The interpreter's name is quoted so a folder with blanks cannot split it;
  // the command line goes on exactly as given.
  std::string line = "\"" + interpreter + "\" /c " + commandLine;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!::CreateProcessA(interpreter.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                        nullptr, &startup, &info)) {
    return kCommandNotStarted;
  }
  UniqueKernelHandle process(info.hProcess);
  UniqueKernelHandle thread(info.hThread);
  if (::WaitForSingleObject(process.get(), INFINITE) == WAIT_FAILED) return kCommandNotStarted;
  DWORD exitCode = 0;
  if (!::GetExitCodeProcess(process.get(), &exitCode)) return kCommandNotStarted;
  return static_cast<int>(exitCode);
}

int RunCommandLine(const std::string& commandLine) { return RunThroughInterpreter(commandLine); }

void KillCurrentProcess() {
  (void)::TerminateProcess(::GetCurrentProcess(), 137);
  std::abort();
}

}  // namespace os
