#include "os/profile_cache_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <utility>
#include <vector>

#include "os/errors.h"
#include "os/input_file_posix.h"
#include "os/profile_encoding_posix.h"
#include "os/handle_owners_posix.h"

namespace os {
namespace profile_cache {

namespace {

constexpr double kDefaultTrustMargin = 2.0;
constexpr size_t kMaxEntries = 16;

struct Stamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  timespec changed{};

  static Stamp Of(const struct stat& st) {
    Stamp s;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.modified = st.st_mtim;
    s.changed = st.st_ctim;
    return s;
  }
  bool operator==(const Stamp& o) const {
    return device == o.device && inode == o.inode && size == o.size &&
           modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
           changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
  }
};

struct Entry {
  std::string host;
  Stamp stamp;
  std::shared_ptr<const ProfileText> text;
  std::uint64_t lastUse = 0;
};

std::mutex g_lock;
std::vector<Entry> g_entries;
std::uint64_t g_uses = 0;
double g_margin = kDefaultTrustMargin;

double Seconds(const timespec& t) { return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9; }

double WallClock() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return Seconds(now);
}

// The whole file and its stamp; false (last error set) when it cannot be read.
bool ReadWholeFile(const std::string& host, std::string& bytes, Stamp& stamp) {
  // Not blocking: a FIFO must not hold the open until a writer comes.
  UniqueFd fd(::open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd) {
    SetLastError(errno == ENOENT ? kErrorFileNotFound : Win32FromErrno(errno));
    return false;
  }
  struct stat st;
  if (::fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode)) {
    SetLastError(kErrorAccessDenied);
    return false;
  }
  if (!InputFileReadable(st)) return false;
  stamp = Stamp::Of(st);
  // One read for the size the file has; more only if it grew meanwhile.
  bytes.resize(static_cast<size_t>(st.st_size > 0 ? st.st_size : 0) + 1);
  size_t done = 0;
  for (;;) {
    if (done == bytes.size() && !InputSizeAllowed(done)) return false;
    if (done == bytes.size()) bytes.resize(bytes.size() * 2);
    ssize_t got = ::read(fd.get(), &bytes[done], bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      SetLastError(Win32FromErrno(errno));
      return false;
    }
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  bytes.resize(done);
  return true;
}

// The cached text for host when its stamp is still stamp; null otherwise.
std::shared_ptr<const ProfileText> Find(const std::string& host, const Stamp& stamp) {
  std::lock_guard<std::mutex> guard(g_lock);
  for (Entry& entry : g_entries) {
    if (entry.host != host) continue;
    if (!(entry.stamp == stamp)) return nullptr;
    entry.lastUse = ++g_uses;
    return entry.text;
  }
  return nullptr;
}

void Store(const std::string& host, const Stamp& stamp, std::shared_ptr<const ProfileText> text) {
  std::lock_guard<std::mutex> guard(g_lock);
  Entry* slot = nullptr;
  for (Entry& entry : g_entries) {
    if (entry.host == host) slot = &entry;
  }
  if (slot == nullptr && g_entries.size() < kMaxEntries) slot = &g_entries.emplace_back();
  if (slot == nullptr) {
    slot = &g_entries.front();
    for (Entry& entry : g_entries) {
      if (entry.lastUse < slot->lastUse) slot = &entry;
    }
  }
  slot->host = host;
  slot->stamp = stamp;
  slot->text = std::move(text);
  slot->lastUse = ++g_uses;
}

}  // namespace

std::shared_ptr<const ProfileText> Load(const std::string& host) {
  struct stat st;
  if (::stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
    if (auto cached = Find(host, Stamp::Of(st))) return cached;
  }
  double readAt = WallClock();
  std::string bytes;
  Stamp stamp;
  if (!ReadWholeFile(host, bytes, stamp)) {
    Forget(host);
    return nullptr;
  }
  auto text = std::make_shared<const ProfileText>(ProfileAnsiView(bytes));
  double margin;
  {
    std::lock_guard<std::mutex> guard(g_lock);
    margin = g_margin;
  }
  // A change this recent could be followed by another in the same tick that
  // leaves every stamp as it is: such a text is not kept.
  if (Seconds(stamp.changed) + margin < readAt && Seconds(stamp.modified) + margin < readAt) {
    Store(host, stamp, text);
  } else {
    Forget(host);
  }
  return text;
}

bool ReadFresh(const std::string& host, std::string& bytes) {
  Stamp stamp;
  return ReadWholeFile(host, bytes, stamp);
}

void Forget(const std::string& host) {
  std::lock_guard<std::mutex> guard(g_lock);
  for (size_t i = 0; i < g_entries.size(); ++i) {
    if (g_entries[i].host == host) {
      g_entries.erase(g_entries.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
  }
}

void SetTrustMarginForTesting(double seconds) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_margin = seconds < 0 ? kDefaultTrustMargin : seconds;
}

}  // namespace profile_cache
}  // namespace os
