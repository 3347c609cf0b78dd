#include "os/reg_store_posix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <string>
#include <vector>

#include "os/errors.h"
#include "os/notices.h"
#include "os/reg_text_posix.h"
#include "os/sandbox_posix.h"
#include "os/handle_owners_posix.h"

namespace os {
namespace regstore {

namespace {

struct FileStamp {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  long long mtimeSec = 0;
  long mtimeNsec = 0;

  bool operator==(const FileStamp& o) const {
    return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
           mtimeSec == o.mtimeSec && mtimeNsec == o.mtimeNsec;
  }
};

struct CachedRoot {
  bool loaded = false;
  std::string path;
  FileStamp stamp;
  regtree::Key tree;
};

std::mutex g_lock;
CachedRoot g_roots[5];

CachedRoot& Cached(RegRoot root) {
  switch (root) {
    case RegRoot::kClassesRoot: return g_roots[0];
    case RegRoot::kCurrentUser: return g_roots[1];
    case RegRoot::kLocalMachine: return g_roots[2];
    case RegRoot::kUsers: return g_roots[3];
    case RegRoot::kCurrentConfig: break;
  }
  return g_roots[4];
}

std::string Folder() { return sandbox::Prefix() + "/registry"; }

long StampOf(const std::string& path, FileStamp& stamp) {
  struct stat st;
  stamp = FileStamp();
  if (::stat(path.c_str(), &st) != 0) {
    return errno == ENOENT ? kErrorSuccess : Win32FromErrno(errno);
  }
  stamp.exists = true;
  stamp.device = st.st_dev;
  stamp.inode = st.st_ino;
  stamp.size = st.st_size;
  stamp.mtimeSec = st.st_mtim.tv_sec;
  stamp.mtimeNsec = st.st_mtim.tv_nsec;
  return kErrorSuccess;
}

long ReadWhole(const std::string& path, std::string& bytes) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) return Win32FromErrno(errno);
  bytes.clear();
  char buffer[65536];
  for (;;) {
    ssize_t got = ::read(fd.get(), buffer, sizeof(buffer));
    if (got == 0) return kErrorSuccess;
    if (got < 0) {
      if (errno == EINTR) continue;
      return Win32FromErrno(errno);
    }
    bytes.append(buffer, static_cast<size_t>(got));
  }
}

// Each line once per process: the root is read again after every change.
void NoticeUnreadable(const std::string& path, const std::vector<std::string>& lines) {
  for (std::string line : lines) {
    for (char& c : line) {
      if (c == '\r' || c == '\n') c = ' ';
    }
    PostNotice("Registry file " + path + ": a line that cannot be read is kept as it stands: " + line);
  }
}

long Load(RegRoot root, CachedRoot& cached) {
  std::string path = RootFilePath(root);
  FileStamp stamp;
  long status = StampOf(path, stamp);
  if (status != kErrorSuccess) return status;
  if (cached.loaded && cached.path == path && cached.stamp == stamp) return kErrorSuccess;
  cached.loaded = false;
  cached.tree = regtree::Key();
  std::string bytes;
  if (stamp.exists) {
    status = ReadWhole(path, bytes);
    if (status != kErrorSuccess) return status;
    std::vector<std::string> unreadable;
    if (!regtext::Parse(bytes, RegRootName(root), cached.tree, &unreadable)) return kErrorBadDb;
    NoticeUnreadable(path, unreadable);
  }
  cached.loaded = true;
  cached.path = path;
  cached.stamp = stamp;
  return kErrorSuccess;
}

long WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t put = ::write(fd, text.data() + done, text.size() - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      return Win32FromErrno(errno);
    }
    done += static_cast<size_t>(put);
  }
  return ::fsync(fd) == 0 ? kErrorSuccess : Win32FromErrno(errno);
}

long WriteAtomically(const std::string& path, const std::string& text) {
  std::string temp = path + ".XXXXXX";
  size_t slash = temp.rfind('/');
  temp.insert(slash + 1, ".");
  UniqueFd fd(::mkstemp(&temp[0]));
  if (!fd) return Win32FromErrno(errno);
  long status = ::fchmod(fd.get(), 0644) == 0 ? WriteAll(fd.get(), text) : Win32FromErrno(errno);
  if (status == kErrorSuccess && ::close(fd.release()) != 0) status = Win32FromErrno(errno);
  if (status == kErrorSuccess && ::rename(temp.c_str(), path.c_str()) != 0) {
    status = Win32FromErrno(errno);
  }
  if (status != kErrorSuccess) {
    ::unlink(temp.c_str());
    return status;
  }
  // The rename itself reaches the disk with the folder.
  UniqueFd folder(::open(path.substr(0, slash).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder) ::fsync(folder.get());
  return kErrorSuccess;
}

long Save(RegRoot root, CachedRoot& cached) {
  long status = WriteAtomically(cached.path, regtext::Format(cached.tree, RegRootName(root)));
  if (status == kErrorSuccess) status = StampOf(cached.path, cached.stamp);
  return status;
}

// Other processes on the same prefix change the store one at a time.
long LockFolder(UniqueFd& lock) {
  std::string folder = Folder();
  ::mkdir(folder.c_str(), 0777);
  lock.reset(::open((folder + "/.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
  if (!lock) return Win32FromErrno(errno);
  while (::flock(lock.get(), LOCK_EX) != 0) {
    if (errno != EINTR) return Win32FromErrno(errno);
  }
  return kErrorSuccess;
}

}  // namespace

std::string RootFilePath(RegRoot root) { return Folder() + "/" + RegRootName(root) + ".reg"; }

long Read(RegRoot root, const std::function<long(const regtree::Key&)>& use) {
  std::lock_guard<std::mutex> guard(g_lock);
  CachedRoot& cached = Cached(root);
  long status = Load(root, cached);
  if (status != kErrorSuccess) return status;
  return use(cached.tree);
}

long Change(RegRoot root, const std::function<long(regtree::Key&, bool& changed)>& change) {
  std::lock_guard<std::mutex> guard(g_lock);
  UniqueFd lock;
  long status = LockFolder(lock);
  if (status != kErrorSuccess) return status;
  CachedRoot& cached = Cached(root);
  status = Load(root, cached);
  if (status != kErrorSuccess) return status;
  bool changed = false;
  status = change(cached.tree, changed);
  if (!changed) return status;
  long saved = Save(root, cached);
  if (saved == kErrorSuccess) return status;
  // The tree in memory is ahead of the file: forget it.
  cached.loaded = false;
  return saved;
}

}  // namespace regstore
}  // namespace os
