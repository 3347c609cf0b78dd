// The base of every section handler: the engine it works for, the section it
// reads, and the two operations a step runs and rolls back with.
#pragma once

#include <functional>
#include <string>

#include "engine/engine.h"
#include "engine/install_record.h"

// How an item walk goes on after an item.
enum class ItemMove { kNext, kRepeat, kEnd };

class CHFS_Section {
 public:
  explicit CHFS_Section(CHFS_Engine* engine) : engine_(engine) {}
  virtual ~CHFS_Section() = default;
  CHFS_Section(const CHFS_Section&) = delete;
  CHFS_Section& operator=(const CHFS_Section&) = delete;

  virtual int Run(const std::string& sessionName, CHFS_InstallRecord& record) { return 0; }
  virtual int Rollback(const std::string& sessionName, CHFS_InstallRecord& record) { return 0; }

  int SetSectionName(const std::string& name) {
    sectionName_ = name;
    return 0;
  }
  // A key of the current section with symbols substituted; "(empty)" when missing.
  std::string ReadSectionItem(const std::string& key, int warn) {
    return engine_->ReadItem(key, sectionName_, warn);
  }

  // What to do after a step or item: reads the event keys under prefix
  // ("Step3.Error.") from the current section, asks the user where the script
  // says so, and returns an action's result code, or oldResult when no key
  // applies.
  int EventHandler(const std::string& prefix, int oldResult);
  // The result code of an action keyword; -1 (logged) for an unknown one.
  int ActionCode(const std::string& keyword);

  // An item's key: kind, number, separator and field, e.g. "Run3.Error.".
  static std::string FormatItemKey(const char* kind, int item, const char* separator,
                                   const char* field);

 protected:
  [[nodiscard]] const std::string& SectionName() const { return sectionName_; }

  // The walk after an item's event answer, stored in result: continue and
  // retry count as success (result 0) and go on with the next or the same
  // item; 0 goes on with the next; anything else ends the walk with it.
  static ItemMove MoveAfter(int answer, int& result);
  // A section may list at most kMaxItems items, and one item may run at most
  // kMaxItemRuns times in a row (retries): past either, a runaway or hostile
  // script ends as a failed run instead of running for hours.
  static constexpr int kMaxItems = 100000;
  static constexpr int kMaxItemRuns = 4096;
  // The number under countKey in the current section, read as C reads it;
  // a count past kMaxItems is a script error (the run fails) and reads as 0.
  int ReadItemCount(const char* countKey);
  // Runs items 1..count: runItem sets result and says how the walk goes on.
  // The result of the last item run (0 for none); -1 and a script error when
  // an item is run again past kMaxItemRuns.
  int WalkItems(int count, const std::function<ItemMove(int item, int& result)>& runItem);

  CHFS_Engine* engine_;
  std::string sectionName_;

 private:
  int AskAndAct(const std::string& prefix, const std::string& text, int style, int wanted,
                const char* chosenLine, const char* chosenKey, const char* otherKey);
};
