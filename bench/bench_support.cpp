#include "bench/bench_support.h"

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

extern char** environ;

namespace bench {

double Now() {
  using Clock = std::chrono::steady_clock;
  return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

double Time(const std::function<void()>& fn) {
  double start = Now();
  fn();
  return Now() - start;
}

namespace {

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "bench: %s\n", what.c_str());
  std::exit(2);
}

void Redirect(const std::string& path, int fd, int flags) {
  int opened = ::open(path.empty() ? "/dev/null" : path.c_str(), flags, 0644);
  if (opened < 0) _exit(126);
  ::dup2(opened, fd);
  ::close(opened);
}

}  // namespace

int Run(const Command& command) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) env.push_back(*e);
  for (const std::string& added : command.env) {
    std::string name = added.substr(0, added.find('=') + 1);
    env.erase(std::remove_if(env.begin(), env.end(),
                             [&](const std::string& e) { return e.compare(0, name.size(), name) == 0; }),
              env.end());
    env.push_back(added);
  }
  std::vector<char*> argv;
  for (const std::string& a : command.argv) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    if (!command.folder.empty() && ::chdir(command.folder.c_str()) != 0) _exit(126);
    Redirect(command.input, 0, O_RDONLY);
    Redirect(command.output, 1, O_WRONLY | O_CREAT | O_TRUNC);
    ::execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double TimeRun(const Command& command, int expectedStatus) {
  int status = 0;
  double seconds = Time([&] { status = Run(command); });
  if (status != expectedStatus) {
    Fail(command.argv[0] + " exited with " + std::to_string(status) + ", expected " +
         std::to_string(expectedStatus));
  }
  return seconds;
}

std::string MakeScratchFolder(const char* tag) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/brevane-" +
                        tag + ".XXXXXX";
  if (::mkdtemp(&pattern[0]) == nullptr) Fail("cannot make a scratch folder " + pattern);
  return pattern;
}

void RemoveTree(const std::string& path) {
  if (path.empty()) return;
  ::nftw(
      path.c_str(),
      [](const char* p, const struct stat*, int, struct FTW*) { return ::remove(p) == 0 ? 0 : 0; },
      32, FTW_DEPTH | FTW_PHYS);
}

void MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    std::string part = path.substr(0, slash);
    if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) Fail("cannot create " + part);
    if (slash == std::string::npos) return;
  }
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) Fail("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

namespace {
std::uint64_t g_treeBytes = 0;
}

std::uint64_t TreeBytes(const std::string& path) {
  g_treeBytes = 0;
  ::nftw(
      path.c_str(),
      [](const char*, const struct stat* st, int type, struct FTW*) {
        if (type == FTW_F) g_treeBytes += static_cast<std::uint64_t>(st->st_size);
        return 0;
      },
      32, FTW_PHYS);
  return g_treeBytes;
}

void Sync() { ::sync(); }

std::string Filler(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  std::uint32_t x = seed * 2654435761u + 1;
  for (size_t i = 0; i < size; ++i) {
    x = x * 1664525u + 1013904223u;
    bytes[i] = static_cast<char>(x >> 24);
  }
  return bytes;
}

std::string ProgramPath() {
  const char* chosen = std::getenv("BREVANE_BENCH_PROGRAM");
  return chosen != nullptr && *chosen != '\0' ? chosen : BREVANE_PROGRAM_PATH;
}

Options::Options(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i];
    if (name.compare(0, 2, "--") != 0 || i + 1 >= argc) {
      std::fprintf(stderr, "usage: %s [--name value]...\n", argv[0]);
      std::exit(2);
    }
    pairs_.emplace_back(name.substr(2), argv[++i]);
  }
}

double Options::Number(const char* name, double fallback) const {
  for (const auto& pair : pairs_) {
    if (pair.first == name) return std::atof(pair.second.c_str());
  }
  return fallback;
}

std::string Options::Text(const char* name, const std::string& fallback) const {
  for (const auto& pair : pairs_) {
    if (pair.first == name) return pair.second;
  }
  return fallback;
}

Spread SpreadOf(std::vector<double> values) {
  Spread spread;
  if (values.empty()) return spread;
  std::sort(values.begin(), values.end());
  spread.min = values.front();
  spread.max = values.back();
  size_t mid = values.size() / 2;
  spread.median = values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
  return spread;
}

bool Report(const std::string& name, const std::string& baseline, const std::vector<double>& ours,
            const std::vector<double>& base, double target) {
  std::vector<double> ratios;
  for (size_t i = 0; i < ours.size() && i < base.size(); ++i) {
    ratios.push_back(base[i] > 0 ? ours[i] / base[i] : 0);
  }
  Spread o = SpreadOf(ours);
  Spread b = SpreadOf(base);
  Spread r = SpreadOf(ratios);
  bool met = target <= 0 || r.median <= target;
  std::printf("%-34s ours %9.4g s  %-18s %9.4g s  ratio %5.2f (%.2f..%.2f, n=%zu)", name.c_str(),
              o.median, baseline.c_str(), b.median, r.median, r.min, r.max, ratios.size());
  if (target > 0) std::printf("  target <= %.1f %s", target, met ? "met" : "MISSED");
  std::printf("\n");
  std::fflush(stdout);
  return met;
}

}  // namespace bench
