// Things the platform layer met that a user should hear of though no call
// failed: a registry store line it could not read and keeps as it stands,
// for one. The engine takes them and writes them to its trace log. Each text
// is posted once per process; the queue is bounded. Safe from any thread.
#pragma once

#include <string>
#include <vector>

namespace os {

void PostNotice(const std::string& text);

// The notices posted since the last call, oldest first.
[[nodiscard]] std::vector<std::string> TakeNotices();

}  // namespace os
