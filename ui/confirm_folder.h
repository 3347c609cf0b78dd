// The check of a folder path the user typed or picked: it asks the user, so
// it lives with the windows, above the file operations it uses. It keeps the
// platform namespace its callers have always named it by.
#pragma once

#include <string>

#include "engine/reporter.h"

namespace platform {

// Accepts an existing folder (0); asks through the reporter whether to create
// a missing one (-1 when not) and creates it (0); reports an invalid name (1)
// or a folder that cannot be created (2) through the reporter.
[[nodiscard]] int ConfirmFolder(const std::string& path, CHFS_Reporter& reporter);

}  // namespace platform
