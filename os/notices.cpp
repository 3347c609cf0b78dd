#include "os/notices.h"

#include <mutex>
#include <set>
#include <utility>

namespace os {

namespace {

// A store full of damaged lines must not fill the memory or the log.
constexpr size_t kMaxNotices = 200;

std::mutex g_lock;
std::set<std::string> g_posted;
std::vector<std::string> g_waiting;

}  // namespace

void PostNotice(const std::string& text) {
  std::lock_guard<std::mutex> guard(g_lock);
  if (g_posted.size() >= kMaxNotices || !g_posted.insert(text).second) return;
  g_waiting.push_back(text);
}

std::vector<std::string> TakeNotices() {
  std::lock_guard<std::mutex> guard(g_lock);
  return std::exchange(g_waiting, {});
}

}  // namespace os
