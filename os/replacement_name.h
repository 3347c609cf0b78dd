// The name a file is written under while it is installed or restored: the
// target's own path with this suffix, in the target's folder
// ("C:\app\core.dll" is written as "C:\app\core.dll.~brv" and then moved over
// it). A run that was killed part way can leave one behind; the recovery of
// its journal deletes it for every file the journal names.
#pragma once

namespace os {

inline constexpr char kReplacementSuffix[] = ".~brv";

}  // namespace os
