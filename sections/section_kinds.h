// The table of every section kind and its handler, handed to the engine by
// whoever sets up a run (CHFS_Engine::SetSectionKinds).
#pragma once

#include "engine/section_kinds.h"

// All thirteen kinds, in the order of the step runner's table.
const SectionKindTable& AllSectionKinds();
