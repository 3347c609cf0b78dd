#include "ui/confirm_folder.h"

#include "engine/strings.h"
#include "os/files.h"
#include "platform/file_ops.h"

namespace platform {

namespace {

// The text with its one %s replaced by the path; the path is never read as
// a format.
std::string WithPath(const char* text, const std::string& path) {
  std::string message = text;
  size_t at = message.find("%s");
  if (at != std::string::npos) message.replace(at, 2, path);
  return message;
}

bool IsFolder(const std::string& path) {
  unsigned long attributes = os::GetFileAttributes(path);
  return attributes != os::kInvalidFileAttributes && (attributes & os::kAttributeDirectory) != 0;
}

int Report(int code, const std::string& path, CHFS_Reporter& reporter) {
  const char* text = code == kFolderInvalidName ? BrevaneString(kIdsFolderNameInvalid)
                                               : BrevaneString(kIdsFolderCannotCreate);
  (void)reporter.Ask(WithPath(text, path), kMbOk | kMbIconWarning);
  return code;
}

}  // namespace

int ConfirmFolder(const std::string& path, CHFS_Reporter& reporter) {
  int code = CheckFolderPath(path.c_str(), true);
  if (code != kFolderValid) return Report(code, path, reporter);
  if (IsFolder(path)) return 0;
  if (reporter.Ask(WithPath(BrevaneString(kIdsFolderMissingAskCreate), path), kMbYesNo | kMbIconQuestion) != kIdYes) {
    return -1;
  }
  code = CheckFolderPath(path.c_str(), false);
  if (code != kFolderValid) return Report(code, path, reporter);
  return 0;
}

}  // namespace platform
