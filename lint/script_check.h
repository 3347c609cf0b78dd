// The checker's walk over one script; used by script_checker.cpp only.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "lint/script_checker.h"
#include "lint/script_keys.h"
#include "lint/script_text.h"

class ScriptCheck {
 public:
  ScriptCheck(const ScriptText& text, const GroupSpecMatcher& matcher, bool silent,
              std::vector<LintFinding>& findings)
      : text_(text), matcher_(matcher), silent_(silent), findings_(findings) {}

  void Run();

 private:
  // An item key taken apart: "Reg12.Error.AskOK" is item 12, rest
  // "Error.AskOK".
  struct ItemKey {
    int number = 0;
    std::string rest;  // after "<n>." ("" for the item key itself)
  };

  // script_check_steps.cpp: the domains, their steps, and what no step reads.
  void CheckDomain(const std::string& domain);
  void CheckStep(const ScriptSection& main, const std::string& domain, int step, int stepCount);
  void CheckFileGroups(const ScriptSection& section, int stepCount);
  void CheckUpdatedSymbols(const ScriptSection& section);
  void CheckUnreadSections();

  // script_check_keys.cpp: the keys of one section against its kind.
  void CheckSection(const ScriptSection& section, const SectionKeys& keys, int stepCount);
  void CheckKey(const ScriptSection& section, const SectionKeys& keys, const ScriptEntry& entry,
                int stepCount, std::map<int, int>& items);
  void CheckItems(const ScriptSection& section, const SectionKeys& keys, const std::map<int, int>& items);
  void CheckRequiredFields(const ScriptSection& section, const SectionKeys& keys, int item, int line);
  void ReportUnknownKey(const ScriptSection& section, const SectionKeys& keys, const ScriptEntry& entry);
  static bool SplitItemKey(const std::string& key, const char* word, ItemKey& out);

  // script_check_values.cpp: events, actions, descriptors and symbols.
  bool CheckEventKey(const ScriptSection& section, const ScriptEntry& entry, const std::string& event,
                     int stepCount);
  void CheckEventAnswers(const ScriptSection& section, const std::string& prefix, int line);
  void CheckAction(const ScriptSection& section, const ScriptEntry& entry, int stepCount);
  void CheckItemValue(const ScriptSection& section, const SectionKeys& keys, const ScriptEntry& entry,
                      const ItemKey& item);
  void CheckRegistryItem(const ScriptSection& section, const SectionKeys& keys, const ScriptEntry& entry,
                         const ItemKey& item);
  void CheckDescriptorValue(const ScriptSection& section, const ScriptEntry& entry);
  void DefineSymbols(const ScriptSection& section);
  void CheckSymbolUses();

  void Add(bool error, const ScriptSection* section, int line, const std::string& text);

  const ScriptText& text_;
  const GroupSpecMatcher& matcher_;
  bool silent_;
  std::vector<LintFinding>& findings_;
  std::set<std::string> read_;               // folded names of sections something reads
  std::vector<std::string> missingSections_;  // named by a step, not in the script
  std::set<std::string> symbols_;
  std::vector<const ScriptSection*> substituted_;  // sections whose values are substituted
};

// True when text holds a "%name%" reference (left unchecked: its value is
// known only at run time).
bool HasSymbol(const std::string& text);
