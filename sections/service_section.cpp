#include "sections/service_section.h"

#include <cstdio>
#include <cstring>

#include "engine/result_codes.h"
#include "os/errors.h"

std::string CHFS_ServiceSection::ItemKey(int item, const char* field) const {
  return FormatItemKey("Service", item, "", field);
}

void CHFS_ServiceSection::AddDetail(const std::string& text, int rollbackFlag) {
  if (CHFS_Reporter* reporter = engine_->Reporter()) reporter->AddDetailText(text, rollbackFlag);
}

int CHFS_ServiceSection::Call(Operation operation, const std::string& service,
                              char (&errorText)[kErrorTextSize]) {
  std::memset(errorText, 0, sizeof(errorText));
  if (operation == Operation::kStart) {
    int code = platform::SMStartService("", service, errorText, kErrorTextSize, backend_);
    engine_->Trace("SMStartService('%s') ret=%d", service.c_str(), code);
    return code;
  }
  int code = platform::SMStopService("", service, errorText, kErrorTextSize, backend_);
  engine_->Trace("SMStopService('%s') ret=%d", service.c_str(), code);
  return code;
}

bool CHFS_ServiceSection::Succeeded(Operation operation, int code) {
  // A service that already runs is where a start wants it.
  return code == 0 || (operation == Operation::kStart && code == os::kErrorServiceAlreadyRunning);
}

ItemMove CHFS_ServiceSection::RunItem(Operation operation, int item, CHFS_InstallRecord& record,
                                      bool traceErrors, int& result) {
  std::string description = ReadSectionItem(ItemKey(item, ".Description"), 1) + "\r\n";
  AddDetail(description, 0);
  engine_->Trace("%s", description.c_str());
  std::string service = ReadSectionItem(ItemKey(item, ""), 1);
  if (service == kEmptyItem) return ItemMove::kNext;
  // Recorded before the call (the journal has it should the run be killed
  // during it), even when the service is already in the wanted state, so
  // that a rollback puts it into the other one; taken back when the call
  // fails.
  if (record.AddRecord(item, "", "", "") != 0) {
    result = BRVN_USERBREAK;
    return ItemMove::kEnd;
  }
  char errorText[kErrorTextSize];
  int code = Call(operation, service, errorText);
  if (!Succeeded(operation, code)) {
    record.DiscardLast();
    if (errorText[0] != '\0') {
      AddDetail(std::string(" - ") + errorText + "\r\n", 0);
      if (traceErrors) engine_->Trace(" - %s\r\n", errorText);
    }
    result = EventHandler(ItemKey(item, ".Error."), -1);
    return MoveAfter(result, result);
  }
  result = EventHandler(ItemKey(item, ".Success."), 0);
  return MoveAfter(result, result);
}

int CHFS_ServiceSection::RunItems(Operation operation, CHFS_InstallRecord& record, bool traceErrors) {
  return WalkItems(ReadItemCount("ServiceCount"), [&](int item, int& result) {
    return RunItem(operation, item, record, traceErrors, result);
  });
}

int CHFS_ServiceSection::RollbackItem(Operation operation, int item, int result) {
  AddDetail(ReadSectionItem(ItemKey(item, ".Description"), 1) + "\r\n", 1);
  std::string service = ReadSectionItem(ItemKey(item, ""), 1);
  if (service == kEmptyItem) return result;
  for (int attempt = 0; attempt < 2; ++attempt) {
    char errorText[kErrorTextSize];
    int code = Call(operation, service, errorText);
    if (Succeeded(operation, code)) return 0;
    if (errorText[0] != '\0') AddDetail(std::string(" -> ") + errorText + "\r\n", 1);
    result = -1;
  }
  return result;
}

int CHFS_ServiceSection::RollbackItems(Operation operation, CHFS_InstallRecord& record) {
  int result = 0;
  int item = 0;
  while (record.PopRecord(item) == 0) result = RollbackItem(operation, item, result);
  return result;
}
