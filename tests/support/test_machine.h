// Helpers that let one test run unchanged on the Windows build (under Wine)
// and on the Linux sandbox: files are named by Windows paths and reached the
// way each platform reaches them.
#pragma once

#include <string>

namespace testing_support {

// Prepares the machine for this test process. POSIX: a fresh, empty sandbox
// prefix in the host's temporary folder (BREVANE_PREFIX), removed at exit.
// Windows: nothing (Wine's prefix is the machine).
void SetUpTestMachine();

// A new, empty folder for one test, as a Windows path with no trailing
// backslash (C:\... on the sandbox, the Windows temporary folder under Wine).
std::string NewTestFolder();

// Whole-file helpers by Windows path; bytes are written and read unchanged.
bool WriteFileBytes(const std::string& windowsPath, const std::string& bytes);
bool ReadFileBytes(const std::string& windowsPath, std::string& bytes);
bool FileExists(const std::string& windowsPath);

// The host path for a Windows path (the path itself on Windows).
std::string HostPathOf(const std::string& windowsPath);

}  // namespace testing_support

namespace testing_support {

// Copies a program file, keeping it runnable.
bool CopyProgram(const std::string& fromWindowsPath, const std::string& toWindowsPath);

}  // namespace testing_support

namespace testing_support {

// Sets (or, with an empty value, removes) an environment variable of this process.
void SetEnvironment(const std::string& name, const std::string& value);

}  // namespace testing_support
