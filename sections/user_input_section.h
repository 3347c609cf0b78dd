// GetUserInput sections: each item asks the user for a folder (the folder
// browser) or a free text (the input window) and stores the answer in a
// script symbol; the symbol's earlier value is recorded so a rollback puts
// it back.
#pragma once

#include <memory>
#include <string>

#include "engine/section.h"

class CHFS_UserInputSection : public CHFS_Section {
 public:
  explicit CHFS_UserInputSection(CHFS_Engine* engine) : CHFS_Section(engine) {}

  int Run(const std::string& sessionName, CHFS_InstallRecord& record) override;
  int Rollback(const std::string& sessionName, CHFS_InstallRecord& record) override;

  // The working limits of the last Run: they start at 0 and 256 and carry
  // from item to item until an item gives its own. The minimum is kept but
  // does not constrain the answer.
  [[nodiscard]] int Minimum() const { return minimum_; }
  [[nodiscard]] int Maximum() const { return maximum_; }

 private:
  // What asking one item came to.
  enum class Asked { kSkipped, kAnswered, kCancelled, kRecordFull };

  Asked AskItem(int item, CHFS_InstallRecord& record, std::string& description,
                std::string& answer);
  int Prompt(const std::string& type, const std::string& description,
             const std::string& initial, std::string& answer);
  void AddDetail(const std::string& text);
  // One input: ask, show the answer, and the item's event.
  ItemMove RunItem(int item, CHFS_InstallRecord& record, int& result);

  int minimum_ = 0;
  int maximum_ = 256;
};

