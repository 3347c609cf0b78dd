// The keys each section kind reads, for the script checker and the script
// reference. lint/tests/script_keys_test.cpp holds this table against the
// key names in the handlers' sources, so the two cannot drift apart.
#pragma once

#include <vector>

struct SectionKeys {
  const char* kind;      // the kind word of a step's section, or "Main", "FileGroup"
  bool install;          // a ProductInstall step may name it
  const char* countKey;  // null: the section has no counted items
  const char* itemWord;  // items are "<itemWord><n>[.<field>]"
  std::vector<const char*> fields;        // "" is the item key itself ("File1")
  std::vector<const char*> requiredAll;   // every item needs each of these
  std::vector<const char*> requiredAny;   // ... and at least one of these
  std::vector<const char*> sectionKeys;   // keys of the section itself
  std::vector<const char*> requiredKeys;  // section keys it cannot do without
  bool itemEvents;         // "<item><n>.Error." and ".Success." are read
  const char* eventStem;   // a section-wide event stem ("Rollback"), or null
  bool freeForm;           // every line is a symbol (UpdateSymbols)
};

// Every section kind a step can name, then "Main" and "FileGroup".
const std::vector<SectionKeys>& AllSectionKeys();
// The entry for a kind word (exact, as the step runner matches it); null when
// there is none.
const SectionKeys* FindSectionKeys(const char* kind);

// What follows "Error." or "Success." in an event key.
const std::vector<const char*>& EventWords();
// The event words whose value is an action keyword.
bool IsActionWord(const char* word);
// The built-in symbols (besides x01 to xff).
const std::vector<const char*>& BuiltInSymbolNames();
