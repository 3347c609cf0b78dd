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

  std::vector<double> bigOurs, bigLarge, smallOurs, smallLarge;
  for (int r = 0; r < repeat; ++r) {
    bench::Sync();
    bigOurs.push_back(bench::Time([] {
      (void)platform::CopyFileWithTimes("C:\\big.bin", "C:\\big.copy");
    }));
    bench::Sync();
    bigLarge.push_back(bench::Time([] { CopyWithBuffer("C:\\big.bin", "C:\\big.copy2", 1ul << 20); }));
    bench::Sync();
    smallOurs.push_back(bench::Time([&] {
      for (int i = 0; i < files; ++i) {
        std::string n = std::to_string(i);
        (void)platform::CopyFileWithTimes("C:\\small\\f" + n, "C:\\small\\c" + n);
      }
    }));
    bench::Sync();
    smallLarge.push_back(bench::Time([&] {
      for (int i = 0; i < files; ++i) {
        std::string n = std::to_string(i);
        CopyWithBuffer("C:\\small\\f" + n, "C:\\small\\d" + n, 1ul << 20);
      }
    }));
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
