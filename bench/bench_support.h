// Small helpers shared by the timed programs in bench/: a wall clock, running
// a command with its own environment and redirections, scratch folders and
// generated file trees, and the one line each measurement prints.
//
// Every program compares our code with a baseline measured in the same run on
// the same data, so a busy machine slows both sides alike; the ratio is the
// number to read, the absolute times only tell the scale.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bench {

// Seconds on a monotonic clock.
double Now();

// Seconds taken by fn.
double Time(const std::function<void()>& fn);

struct Command {
  std::vector<std::string> argv;
  std::vector<std::string> env;  // NAME=value pairs added to ours
  std::string folder;            // working folder; ours when empty
  std::string input;             // file for standard input; /dev/null when empty
  std::string output;            // file for standard output; /dev/null when empty
};

// Runs the command and waits; the exit status, or -1 when it could not run.
int Run(const Command& command);

// Runs the command and returns the seconds it took; exits the whole program
// with a message when its status is not the expected one, so a broken run is
// never reported as a fast one.
double TimeRun(const Command& command, int expectedStatus = 0);

// A new empty folder under $TMPDIR (or /tmp); removed by RemoveTree.
std::string MakeScratchFolder(const char* tag);
void RemoveTree(const std::string& path);
void MakeFolders(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
std::uint64_t TreeBytes(const std::string& path);
// Flushes dirty pages so one measurement does not pay for the writes of the last.
void Sync();

// A deterministic byte pattern of the given size (varies with seed).
std::string Filler(size_t size, unsigned seed);

// The built program, as CMake passed it in, or $BREVANE_BENCH_PROGRAM.
std::string ProgramPath();

// Parses "--name value" options; unknown names end the program with usage.
class Options {
 public:
  Options(int argc, char** argv);
  double Number(const char* name, double fallback) const;
  std::string Text(const char* name, const std::string& fallback) const;

 private:
  std::vector<std::pair<std::string, std::string>> pairs_;
};

// Statistics of repeated measurements.
struct Spread {
  double median = 0;
  double min = 0;
  double max = 0;
};
Spread SpreadOf(std::vector<double> values);

// One result line: "name: ours X s, baseline Y s, ratio R (min..max) target <= T".
// A target of 0 prints none. Returns true when the median ratio meets it.
bool Report(const std::string& name, const std::string& baseline, const std::vector<double>& ours,
            const std::vector<double>& base, double target);

}  // namespace bench
