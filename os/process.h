// Running a command line and waiting for it.
//
// Windows: through the command interpreter, the program named by COMSPEC
// when that file exists, else "cmd.exe" (NT family) or "command.com"
// (others) found along the search path; it is started as <interpreter> /c
// <command line>, the command line passed on unchanged.
//
// POSIX: without a shell, as CreateProcess would start it. The line is cut
// into arguments by the Windows rules (os/command_line_split.h); the program
// is looked for as given (a name with a folder), else in the current folder,
// the sandbox's Windows system32 and system folders and the Windows folder,
// then along the host's PATH; a name without an extension is tried with
// ".exe" first, then as it is (host programs have none). It is started with
// the other arguments as they were cut: "&", "|", ";", "$()" and quotes mean
// nothing. Only where the author asks for the interpreter does one read the
// line: "cmd /c <rest>" (cmd or cmd.exe, any folder, /c or /C) hands <rest>
// to COMSPEC when it names an executable host program, else /bin/sh, as
// "-c <rest>"; and a program named *.cmd or *.bat is run by that interpreter
// as a script, with the other arguments. Both run in the process's current
// folder and wait without a time limit.
#pragma once

#include <string>

namespace os {

// Ends this process at once, as a deployment tool's kill would: SIGKILL on
// POSIX, TerminateProcess with exit code 137 on Windows. No destructor,
// buffer flush or exit handler runs.
[[noreturn]] void KillCurrentProcess();

// The exit code RunCommand gives when no interpreter could be started.
constexpr int kCommandNotStarted = -1;

// Whether kCommandNotStarted alone tells that nothing ran: on Windows a
// program may exit with 0xFFFFFFFF, which reads the same; POSIX exit codes
// are 0-255.
#ifdef _WIN32
constexpr bool kNotStartedIsUnambiguous = false;
#else
constexpr bool kNotStartedIsUnambiguous = true;
#endif

// The interpreter RunCommand would use (a Windows path on Windows, a host path
// on POSIX); empty when there is none.
[[nodiscard]] std::string CommandInterpreter();

// Starts interpreter with the command line, waits for it to end and returns
// its exit code (the 32-bit code on Windows; on POSIX 0-255, or 128 + the
// signal number for a program killed by a signal), or kCommandNotStarted
// with the last error set when it could not be started.
[[nodiscard]] int RunCommandWith(const std::string& interpreter, const std::string& commandLine);

// Asks os::AllowChange(kCommandRun) and runs the command line as the
// platform does (above): its exit code as RunCommandWith gives it, or
// kCommandNotStarted, last error set, when refused, when there is no
// interpreter, or (POSIX) when the program cannot be found
// (ERROR_FILE_NOT_FOUND) or started.
[[nodiscard]] int RunCommand(const std::string& commandLine);

// The platform's part of RunCommand, after the change was allowed.
[[nodiscard]] int RunCommandLine(const std::string& commandLine);

// RunCommandWith(CommandInterpreter(), commandLine); kCommandNotStarted,
// ERROR_FILE_NOT_FOUND, when there is no interpreter.
[[nodiscard]] int RunThroughInterpreter(const std::string& commandLine);

}  // namespace os
