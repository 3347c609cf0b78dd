// The program's string table. The Windows build also carries it as a string
// resource; these constants are the one source of its texts.
#pragma once

enum BrevaneStringId : int {
  kIdsInstallFailed = 1,
  kIdsInstallSuccessful = 2,
  kIdsMessageCaption = 3,
  kIdsSuccess = 4,
  kIdsNoPass = 5,
  kIdsRollbackPrefix = 6,
  kIdsTerminatedByUser = 7,
  kIdsFolderMissingAskCreate = 8,
  kIdsFolderNameInvalid = 9,
  kIdsFolderCannotCreate = 10,
  kIdsRemoveSuccessful = 11,
  kIdsInstall = 12,
  kIdsRemove = 13,
};

// The text of a string-table entry; "" for an unknown id.
const char* BrevaneString(int id) noexcept;
