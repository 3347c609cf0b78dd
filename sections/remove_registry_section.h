// RemoveRegistry: deletes registry values, or whole keys with their values,
// named by "Reg:" descriptors, recording each deleted value (and, for a key,
// one entry more) so that the rollback puts them back. A key is deleted only
// when every one of its values has been read and recorded.
#pragma once

#include <memory>
#include <string>

#include "engine/section.h"
#include "os/registry.h"

struct RegistryDescriptor;

class CHFS_RemoveRegistrySection : public CHFS_Section {
 public:
  using CHFS_Section::CHFS_Section;

  int Run(const std::string& sessionName, CHFS_InstallRecord& record) override;
  int Rollback(const std::string& sessionName, CHFS_InstallRecord& record) override;

 private:
  ItemMove RunItem(int item, CHFS_InstallRecord& record, int& result);
  // Each returns the status of the last platform call; full set when the
  // install record refused an entry (the section then ends with -300).
  long RemoveKey(int item, const RegistryDescriptor& d, CHFS_InstallRecord& record, bool& full);
  long RemoveValue(int item, const RegistryDescriptor& d, CHFS_InstallRecord& record, bool& full);
  bool RollbackEntry(int item, const std::string& name, const std::string& data,
                     const std::string& type);

  os::RegistryKey key_;  // the last item's key, open until the next item or the end
};
