#include "sections/file_progress.h"

#include <algorithm>

#include "os/files.h"

namespace sections {
namespace {
std::uint64_t SizeOf(const std::string& file) {
  os::FindData found;
  os::UniqueFind find = os::FindFirstFile(file, found);
  return find ? found.size : 0;
}
}  // namespace

void CFileProgressCounter::Begin(CHFS_Reporter* reporter, const std::vector<std::string>& files) {
  reporter_ = reporter;
  progress_ = CHFS_FileProgress();
  currentSize_ = 0;
  started_ = false;
  if (reporter_ == nullptr) return;
  progress_.filesTotal = static_cast<int>(std::min<size_t>(files.size(), 0x7FFFFFFF));
  for (const std::string& file : files) progress_.bytesTotal += SizeOf(file);
}

void CFileProgressCounter::Next(const std::string& file) {
  if (reporter_ == nullptr) return;
  if (started_) {
    // A file that grew since it was counted must not push done past total.
    progress_.filesDone = std::min(progress_.filesDone + 1, progress_.filesTotal);
    progress_.bytesDone = std::min(progress_.bytesDone + currentSize_, progress_.bytesTotal);
  }
  started_ = true;
  currentSize_ = SizeOf(file);
  progress_.currentFile = file;
  reporter_->ReportFileProgress(progress_);
}

void CFileProgressCounter::End() {
  if (reporter_ == nullptr) return;
  progress_.filesDone = progress_.filesTotal;
  progress_.bytesDone = progress_.bytesTotal;
  progress_.currentFile.clear();
  reporter_->ReportFileProgress(progress_);
}

}  // namespace sections
