// The engine's reader of value descriptors in symbol values: the registry,
// INI and file-information readers of this folder.
#pragma once

#include <memory>

#include "engine/engine.h"

std::unique_ptr<CHFS_ValueQueries> MakeDescriptorQueries(CHFS_Engine& engine);
