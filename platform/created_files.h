// Files a run creates under names of its own (temporary copies that are
// moved into place or deleted, reserved backup names): a run that is killed
// can leave them. The engine has them journaled while a run is under way, so
// that the recovery of a killed run deletes the ones still there.
#pragma once

#include <string>

namespace platform {

using CreatedFileObserver = void (*)(void* context, const std::string& path);

// Sets the observer (null for none) and returns the one it replaces.
CreatedFileObserver SetCreatedFileObserver(CreatedFileObserver observer, void* context,
                                           void** previousContext);

// GetTempFileName's "<folder>\<prefix><hex>.TMP", made empty, but its name
// is noted before the file is made, so a run killed just after making it
// leaves nothing its recovery does not know of. False, with the last error
// set, when no file could be made.
bool CreateNotedTempFile(const std::string& folder, const std::string& prefix, std::string& name);

// Tells the observer, if any, that path was just created by this run.
void NoteCreatedFile(const std::string& path);

}  // namespace platform
