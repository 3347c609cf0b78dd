#include <windows.h>

#include "os/errors.h"

namespace os {

unsigned long LastError() noexcept { return ::GetLastError(); }

void SetLastError(unsigned long code) noexcept { ::SetLastError(code); }

std::string SystemMessage(unsigned long code) {
  char buffer[1024] = {};
  DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                  buffer, sizeof(buffer), nullptr);
  std::string text(buffer, length < sizeof(buffer) ? length : 0);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace os
