// What the os and platform tests share: the checked-in fixtures as Windows
// paths (the source tree is on Z:\ under Wine and in the sandbox alike), the
// change gate's setting, images in memory, and whether the Windows build runs
// under Wine.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "os/change_gate.h"
#include "os/version_resource.h"
#include "tests/support/test_machine.h"
#include "tests/support/under_wine.h"

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
  testing_support::SetEnvironment("BREVANE_FAIL_AT", setting);
  os::ResetChangeGateForTesting();
}

// An image held in memory, for the version resource reader.
class MemoryImage : public os::version_resource::ImageReader {
 public:
  explicit MemoryImage(const std::string& bytes) : bytes_(bytes) {}
  bool ReadAt(std::uint32_t offset, std::size_t size, unsigned char* out) override {
    if (offset > bytes_.size() || size > bytes_.size() - offset) return false;
    std::memcpy(out, bytes_.data() + offset, size);
    return true;
  }

 private:
  const std::string& bytes_;
};

// True under Wine. A few checks follow real Windows where Wine is known to
// differ; they are skipped there, never weakened.
inline bool OnWine() { return testing_support::RunningUnderWine(); }

}  // namespace os_test
