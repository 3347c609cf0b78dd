#include "engine/install_record.h"

#include <cstdio>

#include "engine/engine.h"
#include "os/errors.h"
#include "os/files.h"
#include "platform/c_numbers.h"
#include "platform/file_ops.h"
#include "platform/ini_write.h"

int CHFS_InstallRecord::BeginStep(int step) {
  if (entries_.size() >= kMaxRecords) return -1;
  currentStep_ = step;
  return 0;
}

int CHFS_InstallRecord::AddRecord(int item, const std::string& param1, const std::string& param2,
                                  const std::string& param3) {
  if (entries_.size() >= kMaxRecords) {
    if (!overflowed_ && engine_ != nullptr) {
      engine_->TraceDetail("*** Runtime error: Install record full (at most %d entries) ! ",
                           static_cast<int>(kMaxRecords));
    }
    overflowed_ = true;
    return -1;
  }
  entries_.push_back(RecordEntry{currentStep_, item, param1, param2, param3});
  return 0;
}

int CHFS_InstallRecord::PeekStep(int& step) {
  if (entries_.empty()) return -1;
  currentStep_ = entries_.back().step;
  step = currentStep_;
  return 0;
}

int CHFS_InstallRecord::PopRecord(int& item, std::string& param1, std::string& param2,
                                  std::string& param3) {
  if (entries_.empty() || entries_.back().step != currentStep_) return -1;
  RecordEntry& last = entries_.back();
  item = last.item;
  param1 = std::move(last.Param1);
  param2 = std::move(last.Param2);
  param3 = std::move(last.Param3);
  entries_.pop_back();
  return 0;
}

int CHFS_InstallRecord::PopRecord(int& item, std::string& param1, std::string& param2) {
  std::string unused;
  return PopRecord(item, param1, param2, unused);
}

int CHFS_InstallRecord::PopRecord(int& item, std::string& param1) {
  std::string unused2, unused3;
  return PopRecord(item, param1, unused2, unused3);
}

int CHFS_InstallRecord::PopRecord(int& item) {
  std::string unused1, unused2, unused3;
  return PopRecord(item, unused1, unused2, unused3);
}

bool CHFS_InstallRecord::WriteEntries(const std::string& file) {
  char number[32];
  std::snprintf(number, sizeof(number), "%d", static_cast<int>(entries_.size()));
  if (SetINIVariable(*engine_, file, "REC_0", "TotalCount", number) != 0) return false;
  int n = 0;
  for (const RecordEntry& entry : entries_) {
    char section[32];
    std::snprintf(section, sizeof(section), "REC_%d", ++n);
    char step[32];
    std::snprintf(step, sizeof(step), "%d", entry.step);
    std::snprintf(number, sizeof(number), "%d", entry.item);
    if (SetINIVariable(*engine_, file, section, "SectionIndex", step) != 0 ||
        SetINIVariable(*engine_, file, section, "ItemIndex", number) != 0 ||
        SetINIVariable(*engine_, file, section, "Param1", entry.Param1) != 0 ||
        SetINIVariable(*engine_, file, section, "Param2", entry.Param2) != 0 ||
        SetINIVariable(*engine_, file, section, "Param3", entry.Param3) != 0) {
      return false;
    }
  }
  return true;
}

int CHFS_InstallRecord::SaveRecords(const std::string& file) {
  if (engine_ == nullptr) return -1;
  std::string temp;
  if (!MakeTempFileBeside(file, temp)) {
    engine_->Trace("*** Error: no temporary file beside '%s'. lasterror=%lu", file.c_str(),
                   os::LastError());
    return -1;
  }
  // A record that misses an entry would leave that change in place at
  // removal: the file is replaced only by a complete one.
  bool ok = !platform::PathExists(file) || platform::CopyFileWithTimes(file, temp) == platform::kCopyOk;
  ok = ok && WriteEntries(temp) && os::MoveFile(temp, file, true);
  if (!ok) {
    unsigned long error = os::LastError();
    (void)os::DeleteFile(temp);
    engine_->Trace("*** Error: install record file '%s' not written. lasterror=%lu", file.c_str(),
                   error);
    return -1;
  }
  return 0;
}

int CHFS_InstallRecord::LoadRecords(const std::string& file) {
  if (engine_ == nullptr) return -1;
  int count = CDecimalToInt(engine_->ReadItem("TotalCount", "REC_0", 1, file));
  // Entries past the capacity would be refused anyway; a damaged count must
  // not keep the run reading for hours.
  if (count > static_cast<int>(kMaxRecords)) count = static_cast<int>(kMaxRecords);
  for (int n = 1; n <= count; ++n) {
    char section[32];
    std::snprintf(section, sizeof(section), "REC_%d", n);
    int step = CDecimalToInt(engine_->ReadItem("SectionIndex", section, 1, file));
    int item = CDecimalToInt(engine_->ReadItem("ItemIndex", section, 1, file));
    std::string params[3];
    const char* keys[3] = {"Param1", "Param2", "Param3"};
    for (int i = 0; i < 3; ++i) {
      params[i] = engine_->ReadItem(keys[i], section, 0, file);
      if (params[i] == kEmptyItem) params[i].clear();
    }
    (void)BeginStep(step);
    (void)AddRecord(item, params[0], params[1], params[2]);
  }
  return 0;
}
