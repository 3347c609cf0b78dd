#include <windows.h>

#include <cstdio>

#include "os/change_gate.h"
#include "os/errors.h"
#include "os/handle_owners_win.h"
#include "os/simple_file.h"

namespace os {

namespace {

}  // namespace

bool AppendText(const std::string& path, const std::string& text) {
  ChangeCheckpoint();
  UniqueStdFile file(std::fopen(path.c_str(), "a+t"));
  if (!file) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
  ok = std::fflush(file.get()) == 0 && ok;
  return ok;
}

bool SyncFile(const std::string& path) {
  UniqueWin32File file(
      ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  return ::FlushFileBuffers(file.get()) != 0;
}

bool ReadAllBytes(const std::string& path, std::string& bytes) {
  UniqueWin32File file(
      ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  bytes.clear();
  char buffer[65536];
  DWORD got = 0;
  for (;;) {
    if (!::ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr)) return false;
    if (got == 0) return true;
    bytes.append(buffer, got);
  }
}

}  // namespace os

namespace os {

bool PathExists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace os
