#include "engine/strings.h"

const char* BrevaneString(int id) noexcept {
  switch (id) {
    case kIdsInstallFailed: return "Installation failed!";
    case kIdsInstallSuccessful: return "Installation successful!";
    case kIdsMessageCaption: return "Ostrel Install package";
    case kIdsSuccess: return "Success";
    case kIdsNoPass: return "No pass";
    case kIdsRollbackPrefix: return "Rollback:";
    case kIdsTerminatedByUser: return "Installation terminated by user!";
    case kIdsFolderMissingAskCreate:
      return "The folder:\r\n%s\r\ndoes not exist. Do you want to create the folder?";
    case kIdsFolderNameInvalid:
      return "The folder:\r\n%s\r\nname is invalid. Check the format and try again.";
    case kIdsFolderCannotCreate: return "Unable to create folder:\r\n%s\r\n";
    case kIdsRemoveSuccessful: return "Remove installation successful!";
    case kIdsInstall: return "Install";
    case kIdsRemove: return "Remove";
    default: return "";
  }
}
