#include "engine/install_record.h"

#include <cstdio>

#include "engine/engine.h"
#include "engine/journal.h"
#include "os/errors.h"
#include "os/files.h"
#include "platform/c_numbers.h"
#include "platform/created_files.h"
#include "platform/file_ops.h"
#include "platform/ini_write.h"

RecordKeys RecordEntryKeys(const RecordEntry& entry) {
  char step[32];
  std::snprintf(step, sizeof(step), "%d", entry.step);
  char item[32];
  std::snprintf(item, sizeof(item), "%d", entry.item);
  return RecordKeys{{"SectionIndex", step},
                    {"ItemIndex", item},
                    {"Param1", entry.Param1},
                    {"Param2", entry.Param2},
                    {"Param3", entry.Param3}};
}

RecordEntry RecordEntryFromKeys(const std::function<std::string(const char* key, int warn)>& read) {
  RecordEntry entry;
  entry.step = CDecimalToInt(read("SectionIndex", 1));
  entry.item = CDecimalToInt(read("ItemIndex", 1));
  std::string* params[3] = {&entry.Param1, &entry.Param2, &entry.Param3};
  const char* keys[3] = {"Param1", "Param2", "Param3"};
  for (int i = 0; i < 3; ++i) {
    *params[i] = read(keys[i], 0);
    if (*params[i] == kEmptyItem) params[i]->clear();
  }
  return entry;
}

CreatedFilesNoted::CreatedFilesNoted(CHFS_InstallRecord& record) {
  previous_ = platform::SetCreatedFileObserver(
      [](void* context, const std::string& path) {
        static_cast<CHFS_InstallRecord*>(context)->NoteCreatedFile(path);
      },
      &record, &previousContext_);
}

CreatedFilesNoted::~CreatedFilesNoted() {
  (void)platform::SetCreatedFileObserver(previous_, previousContext_, nullptr);
}

int CHFS_InstallRecord::BeginStep(int step) {
  if (entries_.size() >= kMaxRecords) return -1;
  currentStep_ = step;
  // A step boundary: what the journal holds so far goes to the disk itself.
  if (journal_ != nullptr && !journal_->Sync()) JournalWriteFailed();
  return 0;
}

void CHFS_InstallRecord::JournalWriteFailed() {
  if (!journalFailed_ && engine_ != nullptr) {
    engine_->Trace("*** Error: journal '%s' not written. lasterror=%lu", journal_->Path().c_str(),
                   os::LastError());
    engine_->TraceDetail("*** Runtime error: Journal '%s' can not be written ! ",
                         journal_->Path().c_str());
  }
  journalFailed_ = true;
}

void CHFS_InstallRecord::ConfirmUndone() {
  if (!undoPending_) return;
  undoPending_ = false;
  if (journal_ != nullptr && !journal_->MarkUndone(entries_.size())) JournalWriteFailed();
}

void CHFS_InstallRecord::DiscardLast() {
  ConfirmUndone();
  if (entries_.empty()) return;
  entries_.pop_back();
  undoPending_ = true;
  ConfirmUndone();
}

void CHFS_InstallRecord::KeepFirst(size_t n) {
  if (n < entries_.size()) entries_.resize(n);
}

void CHFS_InstallRecord::NoteReplacedFile(const std::string& path) {
  if (journal_ != nullptr && !journal_->NoteReplacedFile(path)) JournalWriteFailed();
}

void CHFS_InstallRecord::NoteCreatedFile(const std::string& path) {
  if (journal_ != nullptr && !journal_->NoteCreatedFile(path)) JournalWriteFailed();
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
  RecordEntry entry{currentStep_, item, param1, param2, param3};
  // Written ahead: on disk before the change it undoes is made.
  if (journal_ != nullptr && !journal_->Append(entry)) {
    JournalWriteFailed();
    return -1;
  }
  entries_.push_back(std::move(entry));
  return 0;
}

int CHFS_InstallRecord::PeekStep(int& step) {
  ConfirmUndone();
  if (entries_.empty()) return -1;
  if (journal_ != nullptr && entries_.back().step != currentStep_ && !journal_->Sync()) {
    JournalWriteFailed();
  }
  currentStep_ = entries_.back().step;
  step = currentStep_;
  return 0;
}

int CHFS_InstallRecord::PopRecord(int& item, std::string& param1, std::string& param2,
                                  std::string& param3) {
  ConfirmUndone();
  if (entries_.empty() || entries_.back().step != currentStep_) return -1;
  undoPending_ = true;
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
    for (const auto& key : RecordEntryKeys(entry)) {
      if (SetINIVariable(*engine_, file, section, key.first, key.second) != 0) return false;
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
    RecordEntry entry = RecordEntryFromKeys([&](const char* key, int warn) {
      return engine_->ReadItem(key, section, warn, file);
    });
    (void)BeginStep(entry.step);
    (void)AddRecord(entry.item, entry.Param1, entry.Param2, entry.Param3);
  }
  return 0;
}
