#include "platform/created_files.h"

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

}  // namespace platform
