// The journal: the undo entries of a run that is under way, on disk before
// the changes they undo. It lies beside the install record file, named after
// it with ".journal" appended ("C:\WINDOWS\HotFix1.rec.journal").
//
// An install writes each entry into it (append and flush, no sync) before its
// change, and marks entries undone as a rollback takes them back; a removal
// marks the install record's entries it has restored. A run of the same
// package that finds a journal left by a killed run first rolls the install
// back, or finishes the removal, from it (engine/journal_recovery.h).
//
// The file is text, one line per event, each line ending in CR LF; a last
// line without its line end was cut by the kill and is not read:
//   BREVANE-JOURNAL 1 install|remove    first line
//   E<TAB>key=value<TAB>key=value...    an entry (keys: RecordEntryKeys)
//   U<TAB>n                             the entries from the (n+1)th on are undone
//   T<TAB>path                          a file this run writes or restores
//   N<TAB>path                          a file recovery deletes if it is there: one
//                                       the run created where none was, or a
//                                       saved copy already put back
// Values and paths escape backslash, tab, CR and LF as \\ \t \r \n.
#pragma once

#include <string>
#include <vector>

#include "engine/install_record.h"

class CHFS_Journal {
 public:
  enum class Kind { kInstall, kRemove };

  // What a journal on disk holds, its events played back in order.
  struct Contents {
    Kind kind = Kind::kInstall;
    // The entries not undone (an install journal).
    std::vector<RecordEntry> entries;
    // The last U mark (a removal journal: how many of the install record's
    // entries are not restored yet); hasUndone false when there is none.
    size_t undoneFrom = 0;
    bool hasUndone = false;
    std::vector<std::string> replacedFiles;   // T lines
    std::vector<std::string> createdFiles;    // N lines
  };

  // The journal of an install record file.
  static std::string PathFor(const std::string& recordFile) { return recordFile + ".journal"; }

  // An idle journal, for path; empty path: a journal that keeps nothing.
  explicit CHFS_Journal(std::string path) : path_(std::move(path)) {}

  [[nodiscard]] const std::string& Path() const { return path_; }
  [[nodiscard]] bool Active() const { return active_; }

  // Reads the journal at path; false when there is none or it is not one of
  // ours (its first line is not the header).
  static bool Read(const std::string& path, Contents& contents);

  // Starts a journal of that kind, or goes on with the one at the path when
  // resume is true and it exists; false when it cannot be written.
  bool Begin(Kind kind, bool resume = false);
  // Each appends one line and flushes it; false when the write failed.
  bool Append(const RecordEntry& entry);
  bool MarkUndone(size_t remaining);
  bool NoteReplacedFile(const std::string& path);
  bool NoteCreatedFile(const std::string& path);
  // Puts the journal on the disk itself (fsync): at step boundaries and
  // before the install record file is written.
  bool Sync();

  // Escaping of a value or path in a line.
  static std::string Escape(const std::string& text);
  static std::string Unescape(const std::string& text);

 private:
  bool AppendLine(const std::string& line);

  std::string path_;
  bool active_ = false;
};
