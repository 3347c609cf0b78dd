// CopyFileWithTimes moves data in chunks of 16,383 bytes, a size the program
// keeps. This measures what that chunk costs against the same copy through
// the same file calls with a 1 MiB buffer, on one large file and on many
// small ones, all in the page cache.
// Options: --mb M (200) --files N (2000) --repeat R (3).
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "os/files.h"
#include "os/sandbox_posix.h"
#include "platform/file_ops.h"

namespace {

// The data of source into a new target with a buffer of the given size.
void CopyWithBuffer(const std::string& source, const std::string& target, unsigned long size) {
  os::UniqueFile from = os::CreateFile(source, os::kGenericRead, os::kShareRead, os::kOpenExisting);
  os::UniqueFile to = os::CreateFile(target, os::kGenericWrite, os::kShareNone, os::kCreateAlways);
  std::vector<char> buffer(size);
  for (;;) {
    unsigned long got = 0;
    unsigned long put = 0;
    if (!os::ReadFile(from.get(), buffer.data(), size, got) || got == 0) return;
    if (!os::WriteFile(to.get(), buffer.data(), got, put)) return;
  }
}

}  // namespace

int main(int argc, char** argv) {
  bench::Options options(argc, argv);
  double mb = options.Number("mb", 200);
  int files = static_cast<int>(options.Number("files", 2000));
  int repeat = static_cast<int>(options.Number("repeat", 3));
  std::string work = bench::MakeScratchFolder("bench-copy");
  std::string prefix = work + "/machine";
  bench::MakeFolders(prefix + "/drive_c/small");
  ::setenv("BREVANE_PREFIX", prefix.c_str(), 1);
  os::sandbox::ResetForTesting();
  size_t bytes = static_cast<size_t>(mb * 1048576);
  bench::WriteFile(prefix + "/drive_c/big.bin", bench::Filler(bytes, 3));
  std::string small = bench::Filler(bytes / static_cast<size_t>(files), 5);
  for (int i = 0; i < files; ++i) {
    bench::WriteFile(prefix + "/drive_c/small/f" + std::to_string(i), small);
  }

  // Every copy goes to a new file, after the writes before it are flushed.
  const std::string drive = prefix + "/drive_c";
  auto fresh = [&](const std::string& name) {
    ::remove((drive + "/" + name).c_str());
    bench::Sync();
  };
  auto freshSmall = [&](const char* tag) {
    for (int i = 0; i < files; ++i) ::remove((drive + "/small/" + tag + std::to_string(i)).c_str());
    bench::Sync();
  };
  auto copySmall = [&](const char* tag, bool ours) {
    for (int i = 0; i < files; ++i) {
      std::string from = "C:\\small\\f" + std::to_string(i);
      std::string to = std::string("C:\\small\\") + tag + std::to_string(i);
      if (ours) {
        (void)platform::CopyFileWithTimes(from, to);
      } else {
        CopyWithBuffer(from, to, 1ul << 20);
      }
    }
  };
  std::vector<double> bigOurs, bigLarge, smallOurs, smallLarge;
  for (int r = 0; r < repeat; ++r) {
    fresh("big.copy");
    bigOurs.push_back(bench::Time([] {
      (void)platform::CopyFileWithTimes("C:\\big.bin", "C:\\big.copy");
    }));
    fresh("big.copy2");
    bigLarge.push_back(bench::Time([] { CopyWithBuffer("C:\\big.bin", "C:\\big.copy2", 1ul << 20); }));
    freshSmall("c");
    smallOurs.push_back(bench::Time([&] { copySmall("c", true); }));
    freshSmall("d");
    smallLarge.push_back(bench::Time([&] { copySmall("d", false); }));
  }
  if (bench::ReadFile(prefix + "/drive_c/big.copy") != bench::ReadFile(prefix + "/drive_c/big.bin")) {
    std::fprintf(stderr, "bench: the copy differs from its source\n");
    return 2;
  }
  bench::Report("CopyFileWithTimes, one large file", "1 MiB buffer", bigOurs, bigLarge, 0);
  bench::Report("CopyFileWithTimes, small files", "1 MiB buffer", smallOurs, smallLarge, 0);
  bench::RemoveTree(work);
  return 0;
}
