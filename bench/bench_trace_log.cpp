// The trace log opens, appends to and closes its file for every line, so no
// line is lost when the program dies. This measures what that costs per line
// against the same lines written to a file kept open (one flush at the end),
// and against a bare open-append-close per line in C, which shows what our
// own layers add.
// Options: --lines N (20000) --repeat R (3).
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "engine/command_line.h"
#include "engine/trace_log.h"
#include "os/sandbox_posix.h"

int main(int argc, char** argv) {
  bench::Options options(argc, argv);
  int lines = static_cast<int>(options.Number("lines", 20000));
  int repeat = static_cast<int>(options.Number("repeat", 3));
  std::string work = bench::MakeScratchFolder("bench-log");
  std::string prefix = work + "/machine";
  bench::MakeFolders(prefix + "/drive_c");
  ::setenv("BREVANE_PREFIX", prefix.c_str(), 1);
  os::sandbox::ResetForTesting();
  const std::string line =
      "[2026-12-08:10:00:00]SetINIVariable Success! ret=0 [INI:C:\\bench\\scratch.ini,Bench,Key7]";
  const std::string host = prefix + "/drive_c/Brevane.log";

  std::vector<double> ours, keptOpen, plainC;
  for (int r = 0; r < repeat; ++r) {
    CHFS_RunFlags flags;
    CHFS_TraceLog log("C:\\Brevane.log", flags);
    ::remove(host.c_str());
    ours.push_back(bench::Time([&] {
      for (int i = 0; i < lines; ++i) (void)log.WriteLog(line);
    }) / lines);
    ::remove(host.c_str());
    keptOpen.push_back(bench::Time([&] {
      std::FILE* file = std::fopen(host.c_str(), "ab");
      for (int i = 0; i < lines; ++i) {
        std::fwrite(line.data(), 1, line.size(), file);
        std::fwrite("\r\n", 1, 2, file);
      }
      std::fclose(file);
    }) / lines);
    ::remove(host.c_str());
    plainC.push_back(bench::Time([&] {
      for (int i = 0; i < lines; ++i) {
        std::FILE* file = std::fopen(host.c_str(), "ab");
        std::fwrite(line.data(), 1, line.size(), file);
        std::fwrite("\r\n", 1, 2, file);
        std::fflush(file);
        std::fclose(file);
      }
    }) / lines);
  }
  std::printf("trace log: %.2f us per line (file kept open: %.2f us, fopen/fclose per line in C: %.2f us)\n",
              bench::SpreadOf(ours).median * 1e6, bench::SpreadOf(keptOpen).median * 1e6,
              bench::SpreadOf(plainC).median * 1e6);
  bench::Report("trace log line", "file kept open", ours, keptOpen, 0);
  bench::Report("trace log line", "open/close per line", ours, plainC, 0);
  bench::RemoveTree(work);
  return 0;
}
