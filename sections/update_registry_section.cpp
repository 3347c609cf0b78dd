#include "sections/update_registry_section.h"

#include "descriptors/descriptor_syntax.h"
#include "descriptors/registry_value.h"
#include "engine/result_codes.h"
#include "os/errors.h"
#include "platform/c_numbers.h"
#include "sections/registry_items.h"

namespace {

// How many keys of path, from its end, do not exist: the keys a create makes.
int MissingKeys(os::RegRoot root, std::string path) {
  int missing = 0;
  while (!path.empty()) {
    os::RegistryKey key;
    if (key.Open(root, path, os::RegAccess::kRead) == 0) break;
    ++missing;
    size_t slash = path.rfind('\\');
    path = slash == std::string::npos ? std::string() : path.substr(0, slash);
  }
  return missing;
}

// True when the key holds values or subkeys; a missing key holds nothing.
bool HoldsSomething(os::RegRoot root, const std::string& path) {
  os::RegistryKey key;
  std::string name;
  if (key.Open(root, path, os::RegAccess::kRead) != 0) return false;
  return key.EnumValue(0, name, nullptr) == 0 || key.EnumKey(0, name) == 0;
}

// The flags "K" for a created key; "K3" when two parents were made with it.
std::string CreatedFlag(int missing) { return missing > 1 ? "K" + std::to_string(missing) : "K"; }

// Deletes a key the run created and the parents created with it, as long as
// nothing else has come into them since. A key already gone counts as
// deleted, so a removal can be run again; false when one stays.
bool DeleteCreatedKeys(os::RegRoot root, std::string path, const std::string& flags) {
  size_t k = flags.find('K');
  int created = k + 1 < flags.size() ? CDecimalToInt(flags.substr(k + 1)) : 1;
  long status = os::DeleteRegistryKey(root, path);
  if (status != 0 && status != os::kErrorFileNotFound) return false;
  for (int level = 1; level < created; ++level) {
    size_t slash = path.rfind('\\');
    if (slash == std::string::npos) return true;
    path = path.substr(0, slash);
    if (HoldsSomething(root, path)) return true;
    status = os::DeleteRegistryKey(root, path);
    if (status != 0 && status != os::kErrorFileNotFound) return false;
  }
  return true;
}

}  // namespace

ItemMove CHFS_UpdateRegistrySection::RunItem(int item, CHFS_InstallRecord& record, int& result) {
  ShowRegDescription(*this, *engine_, item, 0);
  const std::string text = ReadSectionItem(RegItemKey(item, "Key"), 1);
  const std::string value = text == kEmptyItem ? text : ReadSectionItem(RegItemKey(item, "Value"), 1);
  if (text == kEmptyItem || value == kEmptyItem) {
    return ItemMove::kNext;
  }
  RegistryDescriptor d;
  if (ParseRegistryDescriptor(*engine_, text, d) != 0) {
    result = -1;
    return ItemMove::kEnd;
  }
  if (d.type == os::kRegDword && !IsRegistryDwordText(value)) {
    // Written, it would be a silent 0.
    engine_->Trace("*** Syntax error: %s='%s' is not a number for REG_DWORD in section ['%s']. ",
                   RegItemKey(item, "Value").c_str(), value.c_str(), SectionName().c_str());
    return MoveAfter(EventHandler(RegItemKey(item, "Error."), -1), result);
  }
  std::string earlier = QueryRegistryValue(*engine_, d.type, d.root, d.keyPath, d.valueName);
  std::string flags;
  if (earlier == kEmptyItem) {
    earlier.clear();
    flags = "A";
  }
  const bool create = key_.Open(d.root, d.keyPath, os::RegAccess::kAllAccess) != 0;
  if (create) flags += CreatedFlag(MissingKeys(d.root, d.keyPath));
  // Recorded before the keys are made (nothing may be changed that the
  // record does not know of, should the run be killed); taken back when they
  // cannot be.
  if (record.AddRecord(item, earlier, flags, "") != 0) {
    result = BRVN_USERBREAK;
    return ItemMove::kEnd;
  }
  if (create) {
    long created = key_.Create(d.root, d.keyPath, nullptr);
    if (created != 0) {
      record.DiscardLast();
      // Passing over would report success for a value never written.
      engine_->Trace("RegCreateKeyEx Failed! ret=%d [%s]", static_cast<int>(created), text.c_str());
      return MoveAfter(EventHandler(RegItemKey(item, "Error."), -1), result);
    }
  }
  long ret = WriteRegistryText(key_, d.valueName, d.type, value, true);
  engine_->Trace(ret != 0 ? "RegSetValueEx Failed! ret=%d [%s]" : "RegSetValueEx Success! ret=%d [%s]",
                 static_cast<int>(ret), text.c_str());
  return MoveAfter(EventHandler(RegItemKey(item, ret != 0 ? "Error." : "Success."), ret != 0 ? -1 : 0),
                   result);
}

int CHFS_UpdateRegistrySection::Run(const std::string& sessionName, CHFS_InstallRecord& record) {
  engine_->Trace("CHFS_UpdateRegistrySection::Run(%s)", sessionName.c_str());
  SetSectionName(sessionName);
  int result = WalkItems(ReadItemCount("RegCount"),
                         [&](int item, int& itemResult) { return RunItem(item, record, itemResult); });
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
      // Gone already is as good as deleted; any other failure leaves the value.
      long ret = key_.DeleteValue(d.valueName);
      if (ret != 0 && ret != os::kErrorFileNotFound) {
        engine_->Trace("RegDeleteValue Failed! ret=%d [%s]", static_cast<int>(ret), text.c_str());
        result = -1;
      }
    }
    key_.Close();
  }
  if (flags.find('K') != std::string::npos && !DeleteCreatedKeys(d.root, d.keyPath, flags)) {
    engine_->Trace("RegDeleteKey Failed! [%s]", text.c_str());
    result = -1;
  }
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
