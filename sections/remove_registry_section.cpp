#include "sections/remove_registry_section.h"

#include "descriptors/descriptor_syntax.h"
#include "descriptors/registry_value.h"
#include "engine/result_codes.h"
#include "os/errors.h"
#include "platform/plain_log.h"
#include "sections/registry_items.h"

long CHFS_RemoveRegistrySection::RemoveKey(int item, const RegistryDescriptor& d,
                                           CHFS_InstallRecord& record, bool& full) {
  long status = key_.Open(d.root, d.keyPath, os::RegAccess::kAllAccess);
  if (status != 0) return status;
  std::string name;
  unsigned long type = 0;
  for (unsigned long index = 0; key_.EnumValue(index, name, &type) == 0; ++index) {
    const bool dword = type == os::kRegDword;
    std::string data = QueryOpenKeyValue(*engine_, key_, dword ? os::kRegDword : os::kRegSz, name, &status);
    // A value that cannot be read (more than 4,096 bytes) could not be put back.
    if (status != 0) return status;
    if (record.AddRecord(item, name, data, dword ? "REG_DWORD" : "REG_SZ") != 0) {
      // Deleting the key now would lose the values not recorded for good.
      full = true;
      return status;
    }
  }
  // Recorded first, as every change is; taken back when nothing was deleted.
  if (record.AddRecord(item, "", "", "") != 0) {
    full = true;
    return status;
  }
  status = os::DeleteRegistryKey(d.root, d.keyPath);
  if (status != 0) record.DiscardLast();
  return status;
}

long CHFS_RemoveRegistrySection::RemoveValue(int item, const RegistryDescriptor& d,
                                             CHFS_InstallRecord& record, bool& full) {
  long status = key_.Open(d.root, d.keyPath, os::RegAccess::kAllAccess);
  if (status != 0) return status;
  std::string earlier = QueryRegistryValue(*engine_, d.type, d.root, d.keyPath, d.valueName);
  if (record.AddRecord(item, d.valueName, earlier, "") != 0) {
    full = true;
    return status;
  }
  status = key_.DeleteValue(d.valueName);
  if (status != 0) record.DiscardLast();
  return status;
}

ItemMove CHFS_RemoveRegistrySection::RunItem(int item, CHFS_InstallRecord& record, int& result) {
  ShowRegDescription(*this, *engine_, item, 0);
  const std::string text = ReadSectionItem(RegItemKey(item, "Key"), 1);
  RegistryDescriptor d;
  if (ParseRegistryDescriptor(*engine_, text, d) != 0) {
    WritePlainLog(*engine_, "%s", "Syntax error , incorrect registry description!");
    result = -1;
    return ItemMove::kEnd;
  }
  bool full = false;
  long status = d.valueName.empty() ? RemoveKey(item, d, record, full) : RemoveValue(item, d, record, full);
  if (full) {
    result = BRVN_USERBREAK;
    return ItemMove::kEnd;
  }
  if (status == os::kErrorFileNotFound) status = 0;
  if (status != 0) {
    WritePlainLog(*engine_, "RegDeleteValue/Key Failed! ret=%d [%s]", static_cast<int>(status), text.c_str());
  } else {
    WritePlainLog(*engine_, "RegDeleteValue/Key Success! ret=%d [%s]", 0, text.c_str());
  }
  int answer = EventHandler(RegItemKey(item, status != 0 ? "Error." : "Success."), status != 0 ? -1 : 0);
  return MoveAfter(answer, result);
}

int CHFS_RemoveRegistrySection::Run(const std::string& sessionName, CHFS_InstallRecord& record) {
  SetSectionName(sessionName);
  int result = WalkItems(ReadItemCount("RegCount"),
                         [&](int item, int& itemResult) { return RunItem(item, record, itemResult); });
  key_.Close();
  return result;
}

bool CHFS_RemoveRegistrySection::RollbackEntry(int item, const std::string& name,
                                               const std::string& data, const std::string& type) {
  ShowRegDescription(*this, *engine_, item, 1);
  const std::string text = ReadSectionItem(RegItemKey(item, "Key"), 1);
  RegistryDescriptor d;
  if (text == kEmptyItem || ParseRegistryDescriptor(*engine_, text, d) != 0) return true;
  // A typed entry is one value of a deleted key; an empty name there is the
  // key's default value, which must come back too.
  const bool keyValue = !type.empty();
  if (keyValue) d.type = type == "REG_DWORD" ? os::kRegDword : os::kRegSz;
  if (!name.empty()) d.valueName = name;
  if (key_.Open(d.root, d.keyPath, os::RegAccess::kAllAccess) != 0 &&
      key_.Create(d.root, d.keyPath, nullptr) != 0) {
    return true;
  }
  if (d.valueName.empty() && !keyValue) return true;
  long ret = WriteRegistryText(key_, d.valueName, d.type, data, false);
  if (ret != 0) {
    engine_->Trace("RegSetValueEx Failed! ret=%d [%s]", static_cast<int>(ret), text.c_str());
    return false;
  }
  engine_->Trace("RegSetValueEx Success! ret=%d [%s]", 0, text.c_str());
  return true;
}

int CHFS_RemoveRegistrySection::Rollback(const std::string& sessionName, CHFS_InstallRecord& record) {
  engine_->Trace("CHFS_RemoveRegistrySection::Rollback(%s)", sessionName.c_str());
  SetSectionName(sessionName);
  int item = 0;
  std::string name, data, type;
  int result = 0;
  while (record.PopRecord(item, name, data, type) == 0) {
    if (!RollbackEntry(item, name, data, type)) {
      result = -1;
      break;
    }
  }
  key_.Close();
  return result;
}
