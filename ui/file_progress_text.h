// The counts of a file group or backup as short texts, and the pace at which
// they are shown: both backends show the same words at the same rate.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "engine/reporter.h"

// "512 B", "1.5 KB", "2.0 GB".
std::string ByteCountText(std::uint64_t bytes);
// "files 3/6, 1.5 MB of 2.0 MB".
std::string FileCountsText(const CHFS_FileProgress& progress);

// Lets an update through at most every tenth of a second, so a group of many
// small files does not spend its time redrawing; the end of a group (no file
// under way) always passes, so the counts never stop short.
class CProgressPace {
 public:
  using Clock = std::chrono::steady_clock;

  bool Due(const CHFS_FileProgress& progress, Clock::time_point now = Clock::now());

 private:
  Clock::time_point last_;
  bool shownAny_ = false;
};
