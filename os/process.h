// Running a command line through the command interpreter and waiting for it.
//
// Windows: the program named by COMSPEC when that file exists, else "cmd.exe"
// (NT family) or "command.com" (others) found along the search path; it is
// started as <interpreter> /c <command line>, the command line passed on
// unchanged. POSIX: COMSPEC when it names an executable host program, else
// /bin/sh; it is started with "-c" and the command line, since a POSIX shell
// takes "-c" where cmd.exe takes "/c". Both run in the process's current
// folder and wait without a time limit.
#pragma once

#include <string>

namespace os {

// The exit code RunCommand gives when no interpreter could be started.
constexpr int kCommandNotStarted = -1;

// The interpreter RunCommand would use (a Windows path on Windows, a host path
// on POSIX); empty when there is none.
[[nodiscard]] std::string CommandInterpreter();

// Starts interpreter with the command line, waits for it to end and returns
// its exit code (the 32-bit code on Windows; on POSIX 0-255, or 128 + the
// signal number for a program killed by a signal), or kCommandNotStarted
// with the last error set when it could not be started.
[[nodiscard]] int RunCommandWith(const std::string& interpreter, const std::string& commandLine);

// Asks os::AllowChange(kCommandRun) and runs the command line through
// CommandInterpreter(); kCommandNotStarted when refused or when there is no
// interpreter.
[[nodiscard]] int RunCommand(const std::string& commandLine);

}  // namespace os
