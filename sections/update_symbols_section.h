// UpdateSymbols: gives symbols of the script table new values from the
// section's name=value lines (symbols substituted, descriptors read),
// recording each old value so that the rollback puts it back.
#pragma once

#include <memory>
#include <string>

#include "engine/section.h"

class CHFS_UpdateSymbolsSection : public CHFS_Section {
 public:
  using CHFS_Section::CHFS_Section;

  int Run(const std::string& sessionName, CHFS_InstallRecord& record) override;
  int Rollback(const std::string& sessionName, CHFS_InstallRecord& record) override;
};
