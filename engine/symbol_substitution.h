// The substitution behind CHFS_Engine::ReplaceSymbols, apart from its
// quoted-text rule.
//
// The result is defined by a walk over the global and then the script table,
// each in ascending name order: for each symbol every "%name%" in the text is
// replaced, left to right, the search going on behind the inserted value; a
// backslash right behind an inserted value that ends in a backslash (or,
// for an empty value, behind a backslash before the reference) is dropped
// unless it is the last character. So inserted text is searched for the
// symbols that come later in the walk, never for earlier ones or the same.
//
// Done that way, each symbol costs a pass over the whole text. Here the text
// is cut at its percent signs instead, and only symbols whose names stand
// between two of them are visited, in walk order, each at the places where
// it occurs: the cost follows the text's length and its references, not the
// number of symbols. The result is the same for every input.
#pragma once

#include <cstddef>
#include <map>
#include <string>

using SymbolMap = std::map<std::string, std::string>;

// What the substitution needs to know of the names in the tables.
// Names only join the tables, so noting each name set keeps it true.
struct SymbolNameFacts {
  size_t longest = 0;           // length of the longest name
  bool anyWithPercent = false;  // some name holds a percent sign
  void Note(const std::string& name);
};

// The most a substitution may add to the text it is made in: symbols that
// double one another would otherwise grow a value past any memory.
constexpr size_t kMaxSubstitutionGrowth = size_t{1} << 20;

// The substituted text. When it would grow longer than the text plus
// kMaxSubstitutionGrowth, the substitution stops there, tooLong (when given)
// gets the name of the symbol whose value went past the bound, and the
// result is empty.
std::string SubstituteSymbols(const std::string& text, const SymbolMap& global,
                              const SymbolMap& script, const SymbolNameFacts& names,
                              std::string* tooLong = nullptr);

// The walk itself, symbol by symbol over the whole text: used where a name
// holds a percent sign, and as the plain statement of the rule.
std::string SubstituteSymbolsOneByOne(const std::string& text, const SymbolMap& global,
                                      const SymbolMap& script, std::string* tooLong = nullptr);
