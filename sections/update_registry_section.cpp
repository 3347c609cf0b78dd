#include "sections/update_registry_section.h"

#include "descriptors/descriptor_syntax.h"
#include "descriptors/registry_value.h"
#include "engine/c_numbers.h"
#include "sections/item_outcome.h"
#include "sections/registry_items.h"

bool CHFS_UpdateRegistrySection::RunItem(int& item, CHFS_InstallRecord& record, int& result) {
  ShowRegDescription(*this, *engine_, item, 0);
  const std::string text = ReadSectionItem(RegItemKey(item, "Key"), 1);
  const std::string value = text == kEmptyItem ? text : ReadSectionItem(RegItemKey(item, "Value"), 1);
  if (text == kEmptyItem || value == kEmptyItem) {
    ++item;
    return true;
  }
  RegistryDescriptor d;
  if (ParseRegistryDescriptor(*engine_, text, d) != 0) {
    result = -1;
    return false;
  }
  std::string earlier = QueryRegistryValue(*engine_, d.type, d.root, d.keyPath, d.valueName);
  std::string flags;
  if (earlier == kEmptyItem) {
    earlier.clear();
    flags = "A";
  }
  if (key_.Open(d.root, d.keyPath, os::RegAccess::kAllAccess) != 0) {
    long created = key_.Create(d.root, d.keyPath, nullptr);
    if (created != 0) {
      // Passing over would report success for a value never written.
      engine_->Trace("RegCreateKeyEx Failed! ret=%d [%s]", static_cast<int>(created), text.c_str());
      return NextItem(EventHandler(RegItemKey(item, "Error."), -1), item, result);
    }
    flags += "K";
  }
  if (record.AddRecord(item, earlier, flags, "") != 0) {
    // Nothing may stay changed that the record does not know of.
    if (flags.find('K') != std::string::npos) {
      key_.Close();
      (void)os::DeleteRegistryKey(d.root, d.keyPath);
    }
    result = BRVN_USERBREAK;
    return false;
  }
  long ret = WriteRegistryText(key_, d.valueName, d.type, value, true);
  engine_->Trace(ret != 0 ? "RegSetValueEx Failed! ret=%d [%s]" : "RegSetValueEx Success! ret=%d [%s]",
                 static_cast<int>(ret), text.c_str());
  return NextItem(EventHandler(RegItemKey(item, ret != 0 ? "Error." : "Success."), ret != 0 ? -1 : 0),
                  item, result);
}

int CHFS_UpdateRegistrySection::Run(const std::string& sessionName, CHFS_InstallRecord& record) {
  engine_->Trace("CHFS_UpdateRegistrySection::Run(%s)", sessionName.c_str());
  SetSectionName(sessionName);
  int result = 0;
  int count = CDecimalToInt(ReadSectionItem("RegCount", 1));
  for (int item = 1; item <= count;) {
    if (!RunItem(item, record, result)) break;
  }
  key_.Close();
  return result;
}

void CHFS_UpdateRegistrySection::RollbackEntry(int item, const std::string& earlier,
                                               const std::string& flags, int& result) {
  ShowRegDescription(*this, *engine_, item, 1);
  const std::string text = ReadSectionItem(RegItemKey(item, "Key"), 1);
  RegistryDescriptor d;
  if (text == kEmptyItem || ParseRegistryDescriptor(*engine_, text, d) != 0) return;
  if (key_.Open(d.root, d.keyPath, os::RegAccess::kAllAccess) == 0) {
    if (flags.find('A') == std::string::npos) {
      long ret = WriteRegistryText(key_, d.valueName, d.type, earlier, false);
      engine_->Trace(ret != 0 ? "RegSetValueEx Failed! ret=%d [%s]" : "RegSetValueEx Success! ret=%d [%s]",
                     static_cast<int>(ret), text.c_str());
      if (ret != 0) result = -1;
    } else {
      (void)key_.DeleteValue(d.valueName);
    }
    key_.Close();
  }
  if (flags.find('K') != std::string::npos) (void)os::DeleteRegistryKey(d.root, d.keyPath);
}

int CHFS_UpdateRegistrySection::Rollback(const std::string& sessionName, CHFS_InstallRecord& record) {
  engine_->Trace("CHFS_UpdateRegistrySection::Rollback(%s)", sessionName.c_str());
  SetSectionName(sessionName);
  int result = 0;
  int item = 0;
  std::string earlier, flags;
  while (result == 0 && record.PopRecord(item, earlier, flags) == 0) {
    RollbackEntry(item, earlier, flags, result);
  }
  return result;
}
