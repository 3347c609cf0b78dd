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
};

// All thirteen kinds, in the order of the step runner's table.
const std::vector<SectionKind>& SectionKinds();
