#include "sections/update_ini_section.h"

#include <cstdio>

#include "descriptors/descriptor_syntax.h"
#include "engine/result_codes.h"
#include "os/files.h"
#include "platform/file_ops.h"
#include "platform/ini_write.h"

namespace {
std::string ItemKey(int item, const char* field) {
  return CHFS_Section::FormatItemKey("Item", item, ".", field);
}
}  // namespace

void CHFS_UpdateINISection::ShowDescription(int item, int rollbackFlag) {
  std::string description = ReadSectionItem(ItemKey(item, "Description"), 1) + "\r\n";
  if (CHFS_Reporter* reporter = engine_->Reporter()) reporter->AddDetailText(description, rollbackFlag);
}

bool CHFS_UpdateINISection::PreviousValue(const std::string& file, const std::string& section,
                                          const std::string& key, std::string& value) {
  value = kEmptyItem;
  if (!section.empty()) {
    value = engine_->ReadItem(key, section, 1, file);
    return true;
  }
  // The profile calls cannot reach entries before the first header; read
  // them through the copy, or the rollback would remove an existing entry.
  std::string copy;
  if (MakeTempINICopy(file, copy) != 0) {
    // Only a file that is not there has no entry; any other failure would
    // be recorded as an added entry and removed on rollback.
    return !platform::PathExists(file);
  }
  value = engine_->ReadItem(key, kTempINISection, 1, copy);
  (void)os::DeleteFile(copy);
  return true;
}

ItemMove CHFS_UpdateINISection::RunItem(int item, CHFS_InstallRecord& record, int& result) {
  ShowDescription(item, 0);
  std::string descriptor = ReadSectionItem(ItemKey(item, "Key"), 1);
  engine_->Trace("strKey=%s", descriptor.c_str());
  if (descriptor == kEmptyItem) {
    return ItemMove::kNext;
  }
  std::string value = ReadSectionItem(ItemKey(item, "Value"), 1);
  engine_->Trace("strKey=%s", descriptor.c_str());
  std::string file, section, key;
  int parsed = SpliteINIParameter(*engine_, descriptor, file, section, key);
  engine_->Trace("result of SpliteINIParameter=%d", parsed);
  if (parsed != 0) {
    result = -1;
    return ItemMove::kEnd;
  }
  std::string previous;
  if (!PreviousValue(file, section, key, previous)) {
    engine_->Trace("*** Warning: Value before the change can not be read, not changed [%s]", descriptor.c_str());
    return MoveAfter(EventHandler(ItemKey(item, "Error."), -1), result);
  }
  const bool added = previous == kEmptyItem;
  if (record.AddRecord(item, added ? std::string() : previous, added ? "A" : "", "") != 0) {
    result = BRVN_USERBREAK;
    return ItemMove::kEnd;
  }
  int written = SetINIVariable(*engine_, file, section, key, value);
  if (written != 0) engine_->Trace("SetINIVariable Failed! ret=%d [%s]", written, descriptor.c_str());
  if (written == 0) engine_->Trace("SetINIVariable Success! ret=%d [%s]", 0, descriptor.c_str());
  int answer = EventHandler(ItemKey(item, written != 0 ? "Error." : "Success."), written != 0 ? -1 : 0);
  return MoveAfter(answer, result);
}

int CHFS_UpdateINISection::Run(const std::string& sessionName, CHFS_InstallRecord& record) {
  engine_->Trace("CHFS_UpdateINISection::Run(%s)", sessionName.c_str());
  SetSectionName(sessionName);
  int count = ReadItemCount("ItemCount");
  engine_->Trace("iINICount=%d", count);
  return WalkItems(count, [&](int item, int& result) { return RunItem(item, record, result); });
}

int CHFS_UpdateINISection::Rollback(const std::string& sessionName, CHFS_InstallRecord& record) {
  engine_->Trace("CHFS_UpdateINISection::Rollback(%s)", sessionName.c_str());
  SetSectionName(sessionName);
  int item = 0;
  std::string previous, marker;
  while (record.PopRecord(item, previous, marker) == 0) {
    ShowDescription(item, 1);
    std::string descriptor = ReadSectionItem(ItemKey(item, "Key"), 1);
    engine_->Trace("strKey=%s", descriptor.c_str());
    if (descriptor == kEmptyItem) continue;
    engine_->Trace("strKey=%s", descriptor.c_str());
    std::string file, section, key;
    int parsed = SpliteINIParameter(*engine_, descriptor, file, section, key);
    engine_->Trace("result of SpliteINIParameter=%d", parsed);
    if (parsed != 0) return -1;
    int written = SetINIVariable(*engine_, file, section, key, previous);
    if (written != 0) {
      engine_->Trace("SetINIVariable Failed! ret=%d [%s]", written, descriptor.c_str());
      return -1;
    }
    engine_->Trace("SetINIVariable Success! ret=%d [%s]", 0, descriptor.c_str());
  }
  return 0;
}
