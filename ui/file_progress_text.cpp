#include "ui/file_progress_text.h"

#include <cstdio>

std::string ByteCountText(std::uint64_t bytes) {
  static const char* const kUnits[] = {"KB", "MB", "GB", "TB"};
  if (bytes < 1024) return std::to_string(bytes) + " B";
  double value = static_cast<double>(bytes) / 1024.0;
  size_t unit = 0;
  while (value >= 1024.0 && unit + 1 < sizeof(kUnits) / sizeof(kUnits[0])) {
    value /= 1024.0;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof(text), "%.1f %s", value, kUnits[unit]);
  return text;
}

std::string FileCountsText(const CHFS_FileProgress& progress) {
  return "files " + std::to_string(progress.filesDone) + "/" +
         std::to_string(progress.filesTotal) + ", " + ByteCountText(progress.bytesDone) +
         " of " + ByteCountText(progress.bytesTotal);
}

bool CProgressPace::Due(const CHFS_FileProgress& progress, Clock::time_point now) {
  const bool atEnd = progress.currentFile.empty();
  if (!atEnd && shownAny_ && now - last_ < std::chrono::milliseconds(100)) return false;
  last_ = now;
  shownAny_ = true;
  return true;
}
