// Tells the reporter how far a step that copies files has got: files and
// bytes done of those it was given, and the file under way.
#pragma once

#include <string>
#include <vector>

#include "engine/reporter.h"

namespace sections {

class CFileProgressCounter {
 public:
  // The files ahead, sized now; nothing is reported yet. A null reporter
  // makes every call do nothing.
  void Begin(CHFS_Reporter* reporter, const std::vector<std::string>& files);
  // The next file starts: reported with what was done before it.
  void Next(const std::string& file);
  // Everything was copied: reported with done equal to total.
  void End();

 private:
  CHFS_Reporter* reporter_ = nullptr;
  CHFS_FileProgress progress_;
  std::uint64_t currentSize_ = 0;
  bool started_ = false;
};

}  // namespace sections
