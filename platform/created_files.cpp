#include "platform/created_files.h"

#include <chrono>

#include "os/errors.h"
#include "os/files.h"
#include "os/simple_file.h"

namespace platform {

namespace {
CreatedFileObserver gObserver = nullptr;
void* gContext = nullptr;
}  // namespace

CreatedFileObserver SetCreatedFileObserver(CreatedFileObserver observer, void* context,
                                           void** previousContext) {
  CreatedFileObserver previous = gObserver;
  if (previousContext != nullptr) *previousContext = gContext;
  gObserver = observer;
  gContext = context;
  return previous;
}

void NoteCreatedFile(const std::string& path) {
  if (gObserver != nullptr) gObserver(gContext, path);
}

bool CreateNotedTempFile(const std::string& folder, const std::string& prefix, std::string& name) {
  // Numbers run on from a clock-based start, as the system's own choice does.
  static unsigned int next =
      static_cast<unsigned int>(std::chrono::steady_clock::now().time_since_epoch().count());
  for (int tries = 0; tries < 0x10000; ++tries) {
    const unsigned int unique = next++ & 0xFFFFu;
    if (unique == 0) continue;
    if (os::GetTempFileName(folder, prefix, unique, name) == 0) return false;
    if (os::PathExists(name)) continue;
    NoteCreatedFile(name);
    os::UniqueFile made = os::CreateFile(name, os::kGenericWrite, os::kShareNone, os::kCreateNew);
    if (made) return true;
    const unsigned long error = os::LastError();
    if (error != os::kErrorFileExists && error != os::kErrorAlreadyExists) return false;
  }
  return false;
}

}  // namespace platform
