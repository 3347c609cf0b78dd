// The names in the sandbox's folders, kept in memory so that looking up a
// name that is not there as written (a new file about to be made) need not
// read the whole folder each time. The kernel reports every change to a
// folder we keep (inotify), and the changes are applied before each answer,
// so an answer is what reading the folder at that moment would give.
// Internal to os/sandbox_posix.cpp.
#pragma once

#include <sys/stat.h>

#include <string>

namespace os {
namespace sandbox {

// The entry of folder whose name equals name ignoring case, or name itself
// when none does, as a reading of the folder finds it. folderStat is the
// folder's lstat, taken just before. False when the answer cannot be given
// from memory (no change reports here, a link, too many folders watched):
// the caller reads the folder then.
bool FolderEntryIgnoringCase(const std::string& folder, const struct stat& folderStat,
                             const std::string& name, std::string& found);

}  // namespace sandbox
}  // namespace os
