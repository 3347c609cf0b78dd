// What the os and platform tests share: the checked-in fixtures as Windows
// paths (the source tree is on Z:\ under Wine and in the sandbox alike), the
// change gate's setting, and whether the Windows build runs under Wine.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "os/change_gate.h"

namespace os_test {

inline std::string WindowsPathOfHost(const std::string& host) {
  if (host.empty() || host[0] != '/') return host;
  std::string path = "Z:";
  for (char c : host) path += c == '/' ? '\\' : c;
  return path;
}

inline std::string FixturePath(const std::string& name) {
  return WindowsPathOfHost(std::string(BREVANE_SOURCE_DIR) + "/os/tests/data/" + name);
}

// Sets BREVANE_FAIL_AT for the change gate and makes it read the value again;
// an empty value turns failing off.
inline void FailChangeAt(const char* setting) {
  // putenv may keep the very buffer it is given, so it lives for good.
  static char text[64];
  std::snprintf(text, sizeof(text), "BREVANE_FAIL_AT=%s", setting);
  putenv(text);
  os::ResetChangeGateForTesting();
}

// True under Wine (started through scripts/wine-run, which names the prefix).
// A few checks follow real Windows where Wine is known to differ; they are
// skipped there, never weakened.
inline bool OnWine() {
#ifdef _WIN32
  return std::getenv("WINEPREFIX") != nullptr;
#else
  return false;
#endif
}

}  // namespace os_test
