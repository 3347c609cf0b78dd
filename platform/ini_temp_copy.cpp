#include "platform/ini_write.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "os/errors.h"
#include "os/input_limits.h"
#include "os/files.h"
#include "os/machine.h"
#include "platform/created_files.h"
#include "platform/file_ops.h"
#include "platform/path_utils.h"

namespace {

constexpr unsigned long kBlock = 4096;

std::string HeaderLine() { return std::string("[") + kTempINISection + "]\r\n"; }

bool WriteAll(os::NativeHandle file, const char* data, unsigned long size) {
  unsigned long written = 0;
  return os::WriteFile(file, data, size, written) && written == size;
}

// Copies from to to block by block; skipHeader drops the header line from a
// block that begins with it. A source past the input bound (a device that
// never ends, say) is refused with ERROR_FILE_TOO_LARGE.
bool CopyBlocks(os::NativeHandle from, os::NativeHandle to, bool skipHeader) {
  const std::string header = HeaderLine();
  std::vector<char> block(kBlock);
  for (std::uint64_t copied = 0;; copied += kBlock) {
    if (copied > os::kMaxInputFileSize) {
      os::SetLastError(os::kErrorFileTooLarge);
      return false;
    }
    unsigned long got = 0;
    if (!os::ReadFile(from, block.data(), kBlock, got)) return false;
    unsigned long skip = 0;
    if (skipHeader && got >= header.size() && std::memcmp(block.data(), header.data(), header.size()) == 0) {
      skip = static_cast<unsigned long>(header.size());
    }
    if (!WriteAll(to, block.data() + skip, got - skip)) return false;
    if (got < kBlock) return true;
  }
}

}  // namespace

int MakeTempINICopy(const std::string& file, std::string& copy) {
  os::UniqueFile source = os::CreateFile(file, os::kGenericRead, os::kShareNone, os::kOpenExisting);
  if (!source) return -1;
  std::string folder;
  std::string name;
  if (!os::GetTempFolder(folder) || os::GetTempFileName(folder, "TMP", 0, name) == 0) return -2;
  platform::NoteCreatedFile(name);
  os::UniqueFile target = os::CreateFile(name, os::kGenericRead | os::kGenericWrite, os::kShareNone,
                                         os::kCreateAlways);
  if (!target) {
    (void)os::DeleteFile(name);
    return -2;
  }
  const std::string header = HeaderLine();
  if (!WriteAll(target.get(), header.data(), static_cast<unsigned long>(header.size())) ||
      !CopyBlocks(source.get(), target.get(), false)) {
    const unsigned long error = os::LastError();
    target.reset();
    (void)os::DeleteFile(name);
    os::SetLastError(error);  // why it failed, for the caller's log
    return -2;
  }
  copy = name;
  return 0;
}

int ApplyTempINICopy(const std::string& copy, const std::string& file) {
  os::UniqueFile source = os::CreateFile(copy, os::kGenericRead, os::kShareNone, os::kOpenExisting);
  if (!source) return -1;
  const std::string backup = file + ".bak";
  (void)os::DeleteFile(backup);
  if (platform::CopyFileWithTimes(file, backup) != platform::kCopyOk) return -2;
  std::string temp;
  if (!MakeTempFileBeside(file, temp)) return -2;
  os::UniqueFile target = os::CreateFile(temp, os::kGenericRead | os::kGenericWrite, os::kShareNone,
                                         os::kCreateAlways);
  bool written = target && CopyBlocks(source.get(), target.get(), true);
  target.reset();
  if (!written || !os::MoveFile(temp, file, true)) {
    (void)os::DeleteFile(temp);
    return -2;
  }
  return 0;
}

bool MakeTempFileBeside(const std::string& path, std::string& temp) {
  std::string folder = platform::DirectoryOf(path);
  if (folder.empty()) folder = ".";
  return platform::CreateNotedTempFile(folder, "BRV", temp);
}
