#include "os/folder_names_posix.h"

#include <dirent.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "os/handle_owners_posix.h"

namespace os {
namespace sandbox {

namespace {

// More folders than this and every one is forgotten: watches are a limited
// resource of the user's, shared with every other program.
constexpr size_t kMostFolders = 512;

constexpr std::uint32_t kWatchMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                     IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_DONT_FOLLOW;

// Names compare as the sandbox compares them: ASCII letters without case.
std::string Folded(const std::string& name) {
  std::string folded = name;
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return folded;
}

struct Folder {
  dev_t dev = 0;
  ino_t ino = 0;
  int watch = -1;
  // Folded name -> the entries with that name, in the order they came.
  std::unordered_map<std::string, std::vector<std::string>> names;

  void Add(const std::string& name) {
    std::vector<std::string>& same = names[Folded(name)];
    if (std::find(same.begin(), same.end(), name) == same.end()) same.push_back(name);
  }

  void Remove(const std::string& name) {
    auto found = names.find(Folded(name));
    if (found == names.end()) return;
    std::vector<std::string>& same = found->second;
    same.erase(std::remove(same.begin(), same.end(), name), same.end());
    if (same.empty()) names.erase(found);
  }
};

class FolderNames {
 public:
  bool Find(const std::string& folder, const struct stat& folderStat, const std::string& name,
            std::string& found) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!keep_ || !S_ISDIR(folderStat.st_mode)) return false;
    if (!events_) {
      events_.reset(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
      if (!events_) {
        keep_ = false;  // no change reports here: every lookup reads the folder
        return false;
      }
    }
    ApplyChanges();
    if (!events_) return false;  // the reports overflowed; all was forgotten
    auto kept = folders_.find(folder);
    if (kept != folders_.end() &&
        (kept->second.dev != folderStat.st_dev || kept->second.ino != folderStat.st_ino)) {
      // Another folder stands at that path now (one above it was renamed).
      Forget(kept);
      kept = folders_.end();
    }
    if (kept == folders_.end()) {
      if (folders_.size() >= kMostFolders) {
        ForgetAll();
        return false;
      }
      Folder loaded;
      if (!Load(folder, folderStat, loaded)) return false;
      int watch = loaded.watch;
      kept = folders_.emplace(folder, std::move(loaded)).first;
      paths_[watch].push_back(folder);
    }
    auto same = kept->second.names.find(Folded(name));
    found = same == kept->second.names.end() ? name : same->second.front();
    return true;
  }

 private:
  // The watch goes on before the folder is read, so a change made while it is
  // read is reported too; applying a report twice changes nothing.
  bool Load(const std::string& folder, const struct stat& folderStat, Folder& loaded) {
    loaded.watch = ::inotify_add_watch(events_.get(), folder.c_str(), kWatchMask);
    if (loaded.watch < 0) return false;
    DIR* dir = ::opendir(folder.c_str());
    struct stat opened;
    bool same = dir != nullptr && ::fstat(::dirfd(dir), &opened) == 0 &&
                opened.st_dev == folderStat.st_dev && opened.st_ino == folderStat.st_ino;
    if (same) {
      errno = 0;
      while (struct dirent* entry = ::readdir(dir)) loaded.Add(entry->d_name);
      same = errno == 0;
    }
    if (dir != nullptr) ::closedir(dir);
    if (!same) {
      if (paths_.find(loaded.watch) == paths_.end()) ::inotify_rm_watch(events_.get(), loaded.watch);
      return false;
    }
    loaded.dev = folderStat.st_dev;
    loaded.ino = folderStat.st_ino;
    return true;
  }

  void ApplyChanges() {
    alignas(struct inotify_event) char buffer[16384];
    while (events_) {
      ssize_t got = ::read(events_.get(), buffer, sizeof(buffer));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        if (got < 0 && errno != EAGAIN) ForgetAll();  // cannot tell what changed
        return;
      }
      for (ssize_t at = 0; at < got && events_;) {
        const auto* event = reinterpret_cast<const struct inotify_event*>(buffer + at);
        at += static_cast<ssize_t>(sizeof(struct inotify_event) + event->len);
        Apply(*event);
      }
    }
  }

  void Apply(const struct inotify_event& event) {
    if ((event.mask & IN_Q_OVERFLOW) != 0) {
      ForgetAll();
      return;
    }
    auto watched = paths_.find(event.wd);
    if (watched == paths_.end()) return;
    if ((event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT)) != 0) {
      for (const std::string& path : watched->second) folders_.erase(path);
      if ((event.mask & IN_IGNORED) == 0) ::inotify_rm_watch(events_.get(), event.wd);
      paths_.erase(watched);
      return;
    }
    if (event.len == 0) return;
    std::string name(event.name);  // the kernel pads it with NULs
    bool added = (event.mask & (IN_CREATE | IN_MOVED_TO)) != 0;
    bool removed = (event.mask & (IN_DELETE | IN_MOVED_FROM)) != 0;
    for (const std::string& path : watched->second) {
      auto kept = folders_.find(path);
      if (kept == folders_.end()) continue;
      if (added) kept->second.Add(name);
      if (removed) kept->second.Remove(name);
    }
  }

  void Forget(std::unordered_map<std::string, Folder>::iterator kept) {
    int watch = kept->second.watch;
    std::string path = kept->first;
    folders_.erase(kept);
    auto watched = paths_.find(watch);
    if (watched == paths_.end()) return;
    std::vector<std::string>& paths = watched->second;
    paths.erase(std::remove(paths.begin(), paths.end(), path), paths.end());
    if (paths.empty()) {
      ::inotify_rm_watch(events_.get(), watch);
      paths_.erase(watched);
    }
  }

  // Closing the descriptor drops every watch with it.
  void ForgetAll() {
    events_.reset();
    folders_.clear();
    paths_.clear();
  }

  std::mutex lock_;
  bool keep_ = true;
  UniqueFd events_;
  std::unordered_map<std::string, Folder> folders_;       // host path -> its names
  std::unordered_map<int, std::vector<std::string>> paths_;  // watch -> host paths
};

FolderNames& Names() {
  static FolderNames* names = new FolderNames;  // lives until exit, used by any thread
  return *names;
}

}  // namespace

bool FolderEntryIgnoringCase(const std::string& folder, const struct stat& folderStat,
                             const std::string& name, std::string& found) {
  return Names().Find(folder, folderStat, name, found);
}

}  // namespace sandbox
}  // namespace os
