// What the StartService and StopService sections share: the items' keys, the
// calls of the blocking service operations with a fresh error text each
// time, and the rollback that reverses the section's operation.
#pragma once

#include <string>

#include "engine/section.h"
#include "platform/service_control.h"

class CHFS_ServiceSection : public CHFS_Section {
 protected:
  enum class Operation { kStart, kStop };

  CHFS_ServiceSection(CHFS_Engine* engine, platform::ServiceBackend backend)
      : CHFS_Section(engine), backend_(backend) {}

  // Runs every item with operation; each success is recorded. traceErrors
  // also writes an item's error text to the log.
  int RunItems(Operation operation, CHFS_InstallRecord& record, bool traceErrors);
  // Undoes the current step's entries, newest first, with operation (the
  // reverse of the section's), two attempts each; the result of the last
  // entry handled.
  int RollbackItems(Operation operation, CHFS_InstallRecord& record);

 private:
  static constexpr int kErrorTextSize = 1024;

  std::string ItemKey(int item, const char* field) const;
  void AddDetail(const std::string& text, int rollbackFlag);
  // Calls the operation, logs its result and leaves the message in errorText.
  int Call(Operation operation, const std::string& service, char (&errorText)[kErrorTextSize]);
  static bool Succeeded(Operation operation, int code);
  ItemMove RunItem(Operation operation, int item, CHFS_InstallRecord& record, bool traceErrors,
                   int& result);
  int RollbackItem(Operation operation, int item, int result);

  platform::ServiceBackend backend_;
};
