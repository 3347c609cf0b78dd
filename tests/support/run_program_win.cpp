#include <windows.h>

#include "tests/support/run_program.h"
#include "tests/support/test_machine.h"

namespace testing_support {

namespace {
HANDLE InheritableTempFile(const std::string& path) {
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  return ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
}

std::string Quoted(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  for (char c : argument) {
    if (c == '"') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}
}  // namespace

std::string BuiltProgramPath() {
  char full[MAX_PATH] = {};
  ::GetFullPathNameA(BREVANE_PROGRAM_PATH, sizeof(full), full, nullptr);
  return full;
}

ProgramRun RunProgram(const std::string& programPath, const std::vector<std::string>& arguments,
                      const std::string& input) {
  ProgramRun run;
  std::string folder = programPath.substr(0, programPath.rfind('\\'));
  std::string inPath = folder + "\\stdin.txt";
  std::string outPath = folder + "\\stdout.txt";
  WriteFileBytes(inPath, input);
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE in = ::CreateFileA(inPath.c_str(), GENERIC_READ, FILE_SHARE_READ, &inherit, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  HANDLE out = InheritableTempFile(outPath);
  std::string commandLine = Quoted(programPath);
  for (const std::string& argument : arguments) commandLine += " " + Quoted(argument);
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = out;
  PROCESS_INFORMATION process = {};
  if (::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(),
                       &startup, &process)) {
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    run.exitCode = static_cast<int>(code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
  ::CloseHandle(in);
  ::CloseHandle(out);
  ReadFileBytes(outPath, run.output);
  return run;
}

}  // namespace testing_support
