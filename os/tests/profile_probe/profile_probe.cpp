// Runs the fixed profile cases through the real Win32 profile calls and
// prints the report profile_differential_posix_test compares with the
// sandbox backend. Run it under Wine (scripts/wine-run) or on Windows.
//
//   profile_probe.exe          the report, between "profile-probe begin" and
//                              "profile-probe end"
//   profile_probe.exe --ready  prints "profile-probe ready" (can Wine run us?)
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "os/tests/profile_probe/profile_cases.h"

namespace {

using profile_probe::Step;

// CreateFile and friends take a bare name from the current folder; the
// profile calls take it from the Windows folder. The cases mean the latter.
std::string FilePath(const std::string& path) {
  if (path.find_first_of("\\/") != std::string::npos) return path;
  char folder[MAX_PATH] = {};
  ::GetWindowsDirectoryA(folder, MAX_PATH);
  return std::string(folder) + "\\" + path;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = ::CreateFileA(FilePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = bytes.empty() ||
            ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok != FALSE && written == bytes.size();
}

bool ReadBytes(const std::string& path, std::string& bytes) {
  HANDLE file = ::CreateFileA(FilePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes.clear();
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
  ::CloseHandle(file);
  return true;
}

profile_probe::Calls Win32Calls() {
  profile_probe::Calls calls;
  calls.get = [](const std::string& path, const Step& step, std::string& value) {
    std::vector<char> buffer(step.size + 1, '\0');
    DWORD length = ::GetPrivateProfileStringA(step.section, step.key, step.value, buffer.data(),
                                              step.size, path.c_str());
    value.assign(buffer.data(), length);
    return static_cast<unsigned long>(length);
  };
  calls.section = [](const std::string& path, const Step& step, std::string& raw) {
    std::vector<char> buffer(step.size + 1, '\0');
    DWORD length = ::GetPrivateProfileSectionA(step.section, buffer.data(), step.size, path.c_str());
    raw.assign(buffer.data(), length);
    if (!raw.empty() && raw.back() != '\0') raw += '\0';
    return static_cast<unsigned long>(length);
  };
  calls.write = [](const std::string& path, const Step& step) {
    return ::WritePrivateProfileStringA(step.section, step.key, step.value, path.c_str()) != FALSE;
  };
  calls.writeFile = WriteBytes;
  calls.readFile = ReadBytes;
  calls.removeFile = [](const std::string& path) { ::DeleteFileA(FilePath(path).c_str()); };
  return calls;
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc > 1 && std::strcmp(argv[1], "--ready") == 0) {
    std::printf("profile-probe ready\n");
    return 0;
  }
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp) + "brevane-profile-probe-" + std::to_string(::GetCurrentProcessId());
  ::CreateDirectoryA(folder.c_str(), nullptr);

  const profile_probe::Calls calls = Win32Calls();
  const std::vector<profile_probe::Case> cases = profile_probe::Cases();
  std::printf("profile-probe begin\n");
  for (size_t i = 0; i < cases.size(); ++i) {
    std::printf("case %s\n", cases[i].name.c_str());
    for (const profile_probe::Result& r :
         profile_probe::RunCase(calls, cases[i], profile_probe::CasePath(cases[i], i, folder))) {
      std::printf("%s\n", profile_probe::ResultLine(r).c_str());
    }
  }
  std::printf("profile-probe end\n");
  ::RemoveDirectoryA(folder.c_str());
  return 0;
}
