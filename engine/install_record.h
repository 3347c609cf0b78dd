// The install record: every undoable change of a run, oldest first, in
// memory; saved into the install record file after a successful install and
// loaded back by a removal run.
#pragma once

#include <string>
#include <vector>

class CHFS_Engine;

struct RecordEntry {
  int step = 0;
  int item = 0;
  std::string Param1;
  std::string Param2;
  std::string Param3;
};

class CHFS_InstallRecord {
 public:
  static constexpr size_t kMaxRecords = 4096;

  explicit CHFS_InstallRecord(CHFS_Engine* engine) : engine_(engine) {}

  // 0, or -1 when the list already holds kMaxRecords entries (the dead-loop guard).
  int BeginStep(int step);
  // -1 when the list already holds kMaxRecords entries: the first refusal is
  // logged and shown, and the run must then fail (see Overflowed).
  int AddRecord(int item, const std::string& param1, const std::string& param2,
                const std::string& param3);
  // The step of the newest entry, made the current step; -1 when empty.
  int PeekStep(int& step);
  // The newest entry when it belongs to the current step; -1 otherwise.
  int PopRecord(int& item, std::string& param1, std::string& param2, std::string& param3);
  int PopRecord(int& item, std::string& param1, std::string& param2);
  int PopRecord(int& item, std::string& param1);
  int PopRecord(int& item);

  [[nodiscard]] size_t size() const { return entries_.size(); }
  // True once AddRecord refused an entry: the record misses a change, so the
  // run cannot count as done, whatever the script's events say.
  [[nodiscard]] bool Overflowed() const { return overflowed_; }
  [[nodiscard]] int CurrentStep() const { return currentStep_; }
  [[nodiscard]] const std::vector<RecordEntry>& Entries() const { return entries_; }

  // Adds the entries to what file holds (REC_0 TotalCount, then REC_1...
  // SectionIndex, ItemIndex, Param1-3; an empty text leaves its key out),
  // written into a copy beside it that then replaces it in one step: a run
  // stopped part way leaves the earlier file or the whole new one. -1 when
  // anything failed; the file is then as it was and no copy is left.
  int SaveRecords(const std::string& file);
  // The same entries written key by key into file as it stands, for a file
  // that is already a private copy about to replace its original; false when
  // a write failed.
  [[nodiscard]] bool WriteEntries(const std::string& file);
  int LoadRecords(const std::string& file);

 private:
  CHFS_Engine* engine_;

  std::vector<RecordEntry> entries_;
  int currentStep_ = 0;
  bool overflowed_ = false;
};
