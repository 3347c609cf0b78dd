// UpdateRegistry: writes registry values named by "Reg:" descriptors,
// creating missing keys, and records what the rollback needs: the earlier
// data and the flags "A" (the value was added) and "K" (the key was created;
// "K<n>" when n keys were created, the key and the parents it lacked).
#pragma once

#include <memory>
#include <string>

#include "engine/section.h"
#include "os/registry.h"

class CHFS_UpdateRegistrySection : public CHFS_Section {
 public:
  using CHFS_Section::CHFS_Section;

  int Run(const std::string& sessionName, CHFS_InstallRecord& record) override;
  int Rollback(const std::string& sessionName, CHFS_InstallRecord& record) override;

 private:
  // Item n; false ends the section with result.
  ItemMove RunItem(int item, CHFS_InstallRecord& record, int& result);
  void RollbackEntry(int item, const std::string& earlier, const std::string& flags, int& result);

  os::RegistryKey key_;  // the last item's key, open until the next item or the end
};
