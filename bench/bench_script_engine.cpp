// The script engine on a script without commands: steps that alternate
// between UpdateSymbols (one new symbol value per line) and UpdateINI (one
// entry of a scratch INI file per item), ten items a step, all values with
// symbol references. Measured in this process over the real engine, trace
// log, step walk and handlers, at two sizes: items per second, and how the
// time per item grows from the small script to the large one (it should not).
//
// A run can record at most 4,096 undoable changes, so the handlers file
// their entries in a record of their own that is emptied as it fills; the
// walk's own record, event handling and every read go through the engine as
// in a real run.
// Options: --small N (1000) --large N (10000) --repeat R (3)
//          --profile-cache off (read and parse the script for every item, as
//          before the cache existed; for comparison).
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "bench/bench_support.h"
#include "engine/engine.h"
#include "engine/main_section.h"
#include "engine/trace_log.h"
#include "os/profile_cache_posix.h"
#include "os/sandbox_posix.h"
#include "sections/section_kinds.h"
#include "sections/update_ini_section.h"
#include "sections/update_symbols_section.h"

namespace {

constexpr int kItemsPerStep = 10;

std::string Symbol(int i) {
  char name[16];
  std::snprintf(name, sizeof(name), "SYM%06d", i);
  return name;
}

std::string MakeScript(int items) {
  int steps = items / kItemsPerStep;
  std::string s = "[ProductInstall.Symbols]\r\nBASE=C:\\bench\r\n";
  for (int i = 0; i < items; ++i) s += Symbol(i) + "=start %BASE%\r\n";
  s += "[ProductInstall.Main]\r\nStepCount=" + std::to_string(steps) + "\r\n";
  for (int step = 1; step <= steps; ++step) {
    std::string n = std::to_string(step);
    const char* kind = step % 2 == 1 ? "UpdateSymbols" : "UpdateINI";
    s += "Step" + n + ".Section=ProductInstall." + kind + "." + n + "\r\n";
    s += "Step" + n + ".Description=Step " + n + " in %BASE%\r\n";
  }
  for (int step = 1; step <= steps; ++step) {
    std::string n = std::to_string(step);
    int first = (step - 1) * kItemsPerStep;
    if (step % 2 == 1) {
      s += "[ProductInstall.UpdateSymbols." + n + "]\r\n";
      for (int k = 0; k < kItemsPerStep; ++k) {
        s += Symbol(first + k) + "=%BASE%\\item" + std::to_string(first + k) + "\r\n";
      }
    } else {
      s += "[ProductInstall.UpdateINI." + n + "]\r\nItemCount=" + std::to_string(kItemsPerStep) + "\r\n";
      for (int k = 1; k <= kItemsPerStep; ++k) {
        int item = first + k - 1;
        std::string key = "Item" + std::to_string(k);
        s += key + ".Description=Entry " + std::to_string(item) + "\r\n";
        s += key + ".Key=INI:%BASE%\\scratch.ini,Bench,Key" + std::to_string(item % 50) + "\r\n";
        s += key + ".Value=%" + Symbol(item - kItemsPerStep) + "% " + std::to_string(item) + "\r\n";
      }
    }
  }
  return s;
}

// Runs the real handler of a kind with a record of its own, emptied before it
// would refuse an entry.
template <typename Handler>
class SideRecordHandler : public CHFS_Section {
 public:
  explicit SideRecordHandler(CHFS_Engine* engine) : CHFS_Section(engine), handler_(engine), side_(engine) {}

  int Run(const std::string& sessionName, CHFS_InstallRecord& record) override {
    if (side_.size() + kItemsPerStep >= CHFS_InstallRecord::kMaxRecords) side_ = CHFS_InstallRecord(engine_);
    (void)side_.BeginStep(record.CurrentStep());
    return handler_.Run(sessionName, side_);
  }

 private:
  Handler handler_;
  CHFS_InstallRecord side_;
};

struct Cost {
  double wall = 0;
  double cpu = 0;  // user and system time of this process
};

double CpuSeconds() {
  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// One whole run of the script: the engine's start-up (symbols loaded) and
// its Execute.
Cost RunOnce(const std::string& prefix, int items) {
  std::string host = prefix + "/drive_c/bench";
  bench::RemoveTree(host);
  bench::MakeFolders(host);
  bench::WriteFile(host + "/HotFix.ini", MakeScript(items));
  ::remove((prefix + "/drive_c/Brevane.log").c_str());
  // A package is made well before it runs; a file changed within the last
  // two seconds is never trusted to the profile cache.
  std::this_thread::sleep_for(std::chrono::milliseconds(2100));
  CHFS_RunFlags flags;
  flags.silent = true;
  flags.recordPath = "C:\\bench\\HotFix.ini";
  CHFS_TraceLog log("C:\\Brevane.log", flags);
  int result = -1;
  double cpuBefore = CpuSeconds();
  Cost cost;
  cost.wall = bench::Time([&] {
    CHFS_Engine engine(&log, "HotFix.ini", flags, nullptr);
    engine.SetSectionKinds(AllSectionKinds());
    engine.SetStepRunnerSetup([&engine](CHFS_MainSection& walk) {
      walk.RegisterHandler("ProductInstall.UpdateSymbols",
                           std::make_unique<SideRecordHandler<CHFS_UpdateSymbolsSection>>(&engine));
      walk.RegisterHandler("ProductInstall.UpdateINI",
                           std::make_unique<SideRecordHandler<CHFS_UpdateINISection>>(&engine));
    });
    result = engine.Execute();
  });
  cost.cpu = CpuSeconds() - cpuBefore;
  std::string scratch = bench::ReadFile(host + "/scratch.ini");
  if (result != 0 || scratch.find("Key49=") == std::string::npos) {
    std::fprintf(stderr, "bench: the run of %d items failed (%d); see %s\n", items, result,
                 prefix.c_str());
    std::exit(2);
  }
  return cost;
}

}  // namespace

int main(int argc, char** argv) {
  bench::Options options(argc, argv);
  int small = static_cast<int>(options.Number("small", 1000));
  int large = static_cast<int>(options.Number("large", 10000));
  int repeat = static_cast<int>(options.Number("repeat", 3));
  if (options.Text("profile-cache", "on") == "off") {
    // No file is ever old enough to be trusted: every read goes to the file.
    os::profile_cache::SetTrustMarginForTesting(1e12);
  }
  std::string work = bench::MakeScratchFolder("bench-engine");
  std::string prefix = work + "/machine";
  bench::MakeFolders(prefix + "/drive_c");
  ::setenv("BREVANE_PREFIX", prefix.c_str(), 1);
  os::sandbox::ResetForTesting();

  std::vector<double> wallSmall, wallLarge, cpuSmall, cpuLarge;
  for (int r = 0; r < repeat; ++r) {
    Cost a = RunOnce(prefix, small);
    Cost b = RunOnce(prefix, large);
    wallSmall.push_back(a.wall / small);
    wallLarge.push_back(b.wall / large);
    cpuSmall.push_back(a.cpu / small);
    cpuLarge.push_back(b.cpu / large);
  }
  for (auto [items, wall, cpu] : {std::make_tuple(small, &wallSmall, &cpuSmall),
                                  std::make_tuple(large, &wallLarge, &cpuLarge)}) {
    bench::Spread w = bench::SpreadOf(*wall);
    bench::Spread c = bench::SpreadOf(*cpu);
    std::printf("script engine, %5d items: %6.0f items/s, %7.1f us/item (%.1f..%.1f), cpu %6.1f us/item\n",
                items, 1 / w.median, w.median * 1e6, w.min * 1e6, w.max * 1e6, c.median * 1e6);
  }
  bool met = bench::Report("time per item, large/small", "per item, small", wallLarge, wallSmall, 1.5);
  met = bench::Report("cpu per item, large/small", "per item, small", cpuLarge, cpuSmall, 1.5) && met;
  bench::RemoveTree(work);
  return met ? 0 : 1;
}
