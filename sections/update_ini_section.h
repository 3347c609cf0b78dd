// UpdateINI: sets INI entries named by "INI:" descriptors, recording each
// entry's previous value so that the rollback writes it back (or removes an
// entry that did not exist).
#pragma once

#include <memory>
#include <string>

#include "engine/section.h"

class CHFS_UpdateINISection : public CHFS_Section {
 public:
  using CHFS_Section::CHFS_Section;

  int Run(const std::string& sessionName, CHFS_InstallRecord& record) override;
  int Rollback(const std::string& sessionName, CHFS_InstallRecord& record) override;

 private:
  // Item i; false ends the section with result.
  ItemMove RunItem(int item, CHFS_InstallRecord& record, int& result);
  // The entry's current value, "(empty)" when it does not exist; false when
  // it exists or may exist but cannot be read.
  bool PreviousValue(const std::string& file, const std::string& section, const std::string& key,
                     std::string& value);
  void ShowDescription(int item, int rollbackFlag);
};
