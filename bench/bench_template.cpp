// Fills one large template with the real program (a ReplaceSymbolsInFile
// step) and compares with GNU envsubst on the same text, where each %NAME%
// reference is written ${NAME} and the symbols are environment variables.
// Both outputs must be byte for byte the same.
// Options: --mb M (50) --refs N (10000) --symbols K (1000) --repeat R (3).
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"

namespace {

std::string SymbolName(int i) {
  char name[16];
  std::snprintf(name, sizeof(name), "SYM%04d", i);
  return name;
}

std::string SymbolValue(int i) { return "value of symbol " + std::to_string(i); }

// The template in our syntax and in envsubst's: filler lines with the
// references spread evenly.
void MakeTemplates(size_t bytes, int refs, int symbols, std::string& ours, std::string& theirs) {
  const std::string line = "Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eius.\r\n";
  size_t gap = bytes / static_cast<size_t>(refs + 1);
  ours.reserve(bytes + 64);
  theirs.reserve(bytes + 64);
  for (int r = 0; r < refs; ++r) {
    size_t target = ours.size() + gap;
    while (ours.size() + line.size() <= target) {
      ours += line;
      theirs += line;
    }
    std::string name = SymbolName(static_cast<int>((static_cast<unsigned>(r) * 7919u) %
                                                   static_cast<unsigned>(symbols)));
    ours += "%" + name + "%";
    theirs += "${" + name + "}";
  }
  while (ours.size() + line.size() <= bytes) {
    ours += line;
    theirs += line;
  }
}

std::string WindowsPath(std::string host) {
  for (char& c : host) c = c == '/' ? '\\' : c;
  return "Z:" + host;
}

}  // namespace

int main(int argc, char** argv) {
  bench::Options options(argc, argv);
  double mb = options.Number("mb", 50);
  int refs = static_cast<int>(options.Number("refs", 10000));
  int symbols = static_cast<int>(options.Number("symbols", 1000));
  int repeat = static_cast<int>(options.Number("repeat", 3));
  std::string work = bench::MakeScratchFolder("bench-template");
  std::string ours, theirs;
  MakeTemplates(static_cast<size_t>(mb * 1048576), refs, symbols, ours, theirs);
  bench::WriteFile(work + "/template.txt", ours);
  bench::WriteFile(work + "/template.env", theirs);

  std::string script = "[ProductInstall.Symbols]\r\n";
  std::vector<std::string> env;
  for (int i = 0; i < symbols; ++i) {
    script += SymbolName(i) + "=" + SymbolValue(i) + "\r\n";
    env.push_back(SymbolName(i) + "=" + SymbolValue(i));
  }
  script +=
      "[ProductInstall.Main]\r\nStepCount=1\r\nStep1.Section=ProductInstall.ReplaceSymbolsInFile\r\n"
      "[ProductInstall.ReplaceSymbolsInFile]\r\nFileCount=1\r\n"
      "File1.Description=Bench template\r\n";
  script += "File1.Source=" + WindowsPath(work + "/template.txt") + "\r\n";
  script += "File1.Output=" + WindowsPath(work + "/out-ours.txt") + "\r\n";
  std::string package = work + "/package";
  bench::MakeFolders(package);
  bench::WriteFile(package + "/HotFix.ini", script);
  bench::WriteFile(package + "/brevane", bench::ReadFile(bench::ProgramPath()));
  ::chmod((package + "/brevane").c_str(), 0755);
  std::printf("template: %.1f MB, %d references to %d symbols\n",
              static_cast<double>(ours.size()) / 1048576.0, refs, symbols);

  std::vector<double> engine, envsubst;
  for (int r = 0; r < repeat; ++r) {
    std::string prefix = work + "/machine";
    bench::RemoveTree(prefix);
    bench::MakeFolders(prefix + "/drive_c");
    env.push_back("BREVANE_PREFIX=" + prefix);
    bench::Sync();
    envsubst.push_back(bench::TimeRun(
        {{"/usr/bin/envsubst"}, env, "", work + "/template.env", work + "/out-envsubst.txt"}));
    bench::Sync();
    engine.push_back(bench::TimeRun({{package + "/brevane", "/s"}, env, package, "", ""}));
    env.pop_back();
  }
  if (bench::ReadFile(work + "/out-ours.txt") != bench::ReadFile(work + "/out-envsubst.txt")) {
    std::fprintf(stderr, "bench: the two outputs differ (see %s)\n", work.c_str());
    return 2;
  }
  bool met = bench::Report("ReplaceSymbolsInFile template", "envsubst", engine, envsubst, 2.0);
  bench::RemoveTree(work);
  return met ? 0 : 1;
}
