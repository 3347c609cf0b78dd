// The owners of POSIX handles, declared once for the sandbox's files.
#pragma once

#include <unistd.h>

#include "os/unique_handle.h"

namespace os {

struct FdTraits {
  static int Invalid() noexcept { return -1; }
  static void Close(int fd) noexcept { ::close(fd); }
};
// A file descriptor; a write whose completion matters is checked through
// ::close(fd.release()).
using UniqueFd = UniqueHandle<int, FdTraits>;

}  // namespace os
