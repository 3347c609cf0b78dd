// Prints every value below a registry key as RegQueryValueExA answers it,
// for reg_differential_posix_test to compare with the sandbox store. Run it
// under Wine (scripts/wine-run) or on Windows.
//
//   reg_probe.exe --ready          prints "reg-probe ready"
//   reg_probe.exe HKLM|HKCU <key>  one line per value, between "reg-probe
//                                  begin" and "reg-probe end":
//     value <key path> <name> <type> <data>   (escaped, blanks too)
//     wide <key path> <name>                  a name the code page lacks, which
//                                             the A calls cannot reach
//
// Keys are walked with the W calls, so a key whose name the code page lacks
// is still walked; its path is printed as the A calls would spell it.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "os/tests/profile_probe/profile_cases.h"

namespace {

std::string ToAnsi(const std::wstring& text) {
  if (text.empty()) return std::string();
  int size = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr,
                        nullptr);
  return out;
}

bool FitsCodePage(const std::wstring& text) {
  BOOL lost = FALSE;
  ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), nullptr,
                        0, nullptr, &lost);
  return lost == FALSE;
}

// Escaped so that a field holds no blank.
std::string Escape(const std::string& text) {
  std::string out;
  for (char c : profile_probe::Escape(text)) out += c == ' ' ? std::string("\\x20") : std::string(1, c);
  return out;
}

void PrintValue(HKEY key, const std::string& path, const std::wstring& name) {
  if (!FitsCodePage(name)) {
    std::printf("wide %s %s\n", Escape(path).c_str(), Escape(ToAnsi(name)).c_str());
    return;
  }
  const std::string ansi = ToAnsi(name);
  DWORD type = 0;
  DWORD size = 0;
  LONG status = ::RegQueryValueExA(key, ansi.c_str(), nullptr, &type, nullptr, &size);
  std::vector<BYTE> data(size + 2, 0);
  if (status == ERROR_SUCCESS) {
    status = ::RegQueryValueExA(key, ansi.c_str(), nullptr, &type, data.data(), &size);
  }
  if (status != ERROR_SUCCESS) {
    std::printf("error %s %s %ld\n", Escape(path).c_str(), Escape(ansi).c_str(), status);
    return;
  }
  std::string bytes(reinterpret_cast<const char*>(data.data()), size);
  std::printf("value %s %s %lu %s\n", Escape(path).c_str(), Escape(ansi).c_str(), type,
              Escape(bytes).c_str());
}

void Walk(HKEY key, const std::wstring& path) {
  const std::string ansiPath = ToAnsi(path);
  std::vector<wchar_t> name(32768);
  for (DWORD i = 0;; ++i) {
    DWORD length = static_cast<DWORD>(name.size());
    if (::RegEnumValueW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      break;
    }
    PrintValue(key, ansiPath, std::wstring(name.data(), length));
  }
  for (DWORD i = 0;; ++i) {
    DWORD length = static_cast<DWORD>(name.size());
    if (::RegEnumKeyExW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      break;
    }
    std::wstring sub(name.data(), length);
    HKEY child = nullptr;
    if (::RegOpenKeyExW(key, sub.c_str(), 0, KEY_READ, &child) != ERROR_SUCCESS) continue;
    Walk(child, path + L"\\" + sub);
    ::RegCloseKey(child);
  }
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc > 1 && std::strcmp(argv[1], "--ready") == 0) {
    std::printf("reg-probe ready\n");
    return 0;
  }
  if (argc != 3) return 2;
  HKEY root = std::strcmp(argv[1], "HKLM") == 0 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, argv[2], 0, KEY_READ, &key) != ERROR_SUCCESS) return 1;
  std::printf("reg-probe begin\n");
  int wide = ::MultiByteToWideChar(CP_ACP, 0, argv[2], -1, nullptr, 0);
  std::wstring path(static_cast<size_t>(wide > 0 ? wide - 1 : 0), L'\0');
  if (wide > 1) ::MultiByteToWideChar(CP_ACP, 0, argv[2], -1, &path[0], wide);
  Walk(key, path);
  ::RegCloseKey(key);
  std::printf("reg-probe end\n");
  return 0;
}
