#include <mutex>
#include <vector>

#include "os/file_state_posix.h"
#include "os/files.h"

namespace os {
namespace file_state {

namespace {

struct OpenEntry {
  const void* handle;
  dev_t dev;
  ino_t ino;
  unsigned long access;
  unsigned long share;
};

// Recursive: the owner of a SharingLock calls AddOpen under it.
std::recursive_mutex g_lock;
std::vector<OpenEntry> g_open;

bool Conflicts(const OpenEntry& open, unsigned long access, unsigned long share) {
  bool wantsRead = (access & kGenericRead) != 0;
  bool wantsWrite = (access & kGenericWrite) != 0;
  bool hasRead = (open.access & kGenericRead) != 0;
  bool hasWrite = (open.access & kGenericWrite) != 0;
  return (wantsRead && (open.share & kShareRead) == 0) ||
         (wantsWrite && (open.share & kShareWrite) == 0) ||
         (hasRead && (share & kShareRead) == 0) || (hasWrite && (share & kShareWrite) == 0);
}

}  // namespace

SharingLock::SharingLock() { g_lock.lock(); }
SharingLock::~SharingLock() { g_lock.unlock(); }

bool SharingAllows(dev_t dev, ino_t ino, unsigned long access, unsigned long share) {
  std::lock_guard<std::recursive_mutex> guard(g_lock);
  for (const OpenEntry& open : g_open) {
    if (open.dev == dev && open.ino == ino && Conflicts(open, access, share)) return false;
  }
  return true;
}

bool DeleteAllowed(dev_t dev, ino_t ino) {
  std::lock_guard<std::recursive_mutex> guard(g_lock);
  for (const OpenEntry& open : g_open) {
    if (open.dev == dev && open.ino == ino && (open.share & kShareDelete) == 0) return false;
  }
  return true;
}

bool IsOpen(dev_t dev, ino_t ino) {
  std::lock_guard<std::recursive_mutex> guard(g_lock);
  for (const OpenEntry& open : g_open) {
    if (open.dev == dev && open.ino == ino) return true;
  }
  return false;
}

void AddOpen(const void* handle, dev_t dev, ino_t ino, unsigned long access, unsigned long share) {
  std::lock_guard<std::recursive_mutex> guard(g_lock);
  g_open.push_back(OpenEntry{handle, dev, ino, access, share});
}

void RemoveOpen(const void* handle) {
  std::lock_guard<std::recursive_mutex> guard(g_lock);
  for (auto it = g_open.begin(); it != g_open.end(); ++it) {
    if (it->handle == handle) {
      g_open.erase(it);
      return;
    }
  }
}

}  // namespace file_state
}  // namespace os
