// The install record: every undoable change of a run, oldest first, in
// memory; saved into the install record file after a successful install and
// loaded back by a removal run.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

class CHFS_Engine;
class CHFS_Journal;

struct RecordEntry {
  int step = 0;
  int item = 0;
  std::string Param1;
  std::string Param2;
  std::string Param3;
};

// The one place an entry is turned into keys and texts and read back from
// them: the install record file (WriteEntries, LoadRecords) and the journal
// both go through these two. read gives a key's text, "(empty)" when the key
// is missing; warn asks for the missing key to be logged.
using RecordKeys = std::vector<std::pair<std::string, std::string>>;
RecordKeys RecordEntryKeys(const RecordEntry& entry);
RecordEntry RecordEntryFromKeys(const std::function<std::string(const char* key, int warn)>& read);

class CHFS_InstallRecord;

// While it lives, the files the platform layer creates under names of its
// own are noted in the record's journal (as created files).
class CreatedFilesNoted {
 public:
  explicit CreatedFilesNoted(CHFS_InstallRecord& record);
  ~CreatedFilesNoted();
  CreatedFilesNoted(const CreatedFilesNoted&) = delete;
  CreatedFilesNoted& operator=(const CreatedFilesNoted&) = delete;

 private:
  void (*previous_)(void*, const std::string&);
  void* previousContext_ = nullptr;
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

  // With a journal attached, every entry is written to it before AddRecord
  // returns (an entry that cannot be written is refused, as a full record
  // refuses one), and entries taken back are marked undone: one popped entry
  // once the next pop, PeekStep or ConfirmUndone comes (its undo finished).
  void AttachJournal(CHFS_Journal* journal) { journal_ = journal; }
  [[nodiscard]] CHFS_Journal* Journal() const { return journal_; }
  void ConfirmUndone();
  // The popped entry's undo failed: it is not marked undone.
  void DropPendingUndo() { undoPending_ = false; }
  // Takes back the newest entry, whose change was not made after all.
  void DiscardLast();
  // Keeps the oldest n entries (a removal resumed: the others are restored).
  void KeepFirst(size_t n);
  // Journal notes, for the recovery of a killed run: a file the run writes or
  // restores, and a file it created where there was none (a temporary copy,
  // a reserved backup name, a file group's new file), which the recovery
  // deletes if it is still there.
  void NoteReplacedFile(const std::string& path);
  void NoteCreatedFile(const std::string& path);
  // True once the journal refused a write: the run cannot count as done.
  [[nodiscard]] bool JournalFailed() const { return journalFailed_; }

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

  void JournalWriteFailed();

  std::vector<RecordEntry> entries_;
  int currentStep_ = 0;
  bool overflowed_ = false;
  CHFS_Journal* journal_ = nullptr;
  bool undoPending_ = false;
  bool journalFailed_ = false;
};
