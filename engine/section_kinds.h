// The section kinds a step can name: the kind word after the domain, whether
// the install domain has it, and how its handler is made.
#pragma once

#include <memory>
#include <vector>

class CHFS_Engine;
class CHFS_Section;

struct SectionKind {
  const char* word;  // "CheckRequirement", "Run", ...
  bool install;      // ProductInstall has it (every kind is in ProductRemove)
  std::unique_ptr<CHFS_Section> (*create)(CHFS_Engine* engine);  // null until built
  // The key that holds the section's item count ("RunCount"); null for a
  // kind without one. A step whose section lacks it is a script error.
  const char* countKey;
};

// The kinds the step runner dispatches to, in the order of its table. The
// handlers live in the layer above the engine, which hands the table down
// (CHFS_Engine::SetSectionKinds).
using SectionKindTable = std::vector<SectionKind>;
