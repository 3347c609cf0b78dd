// A script read for checking: its sections and entries with their line
// numbers, split by the rules the profile API reads INI files with (lines
// end at CR LF, LF or CR; blanks around lines, keys and values dropped; a
// line starting with '[' and holding a ']' is a header; ';' starts a
// comment; names match without regard to case, the first of a name wins).
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

struct ScriptEntry {
  std::string key;    // empty for a line without "="
  std::string value;  // the whole line for a line without "="
  bool hasEquals = false;
  int line = 0;
};

struct ScriptSection {
  std::string name;
  int line = 0;
  std::vector<ScriptEntry> entries;
  std::unordered_map<std::string, size_t> firstOfKey;  // folded key -> entry

  // The first entry of that key, or null.
  const ScriptEntry* Find(const std::string& key) const;
};

class ScriptText {
 public:
  explicit ScriptText(const std::string& bytes);

  const std::vector<ScriptSection>& Sections() const { return sections_; }
  // The first section of that name, or null.
  const ScriptSection* Find(const std::string& name) const;
  // Later sections of a name already seen; the profile API never reads them.
  const std::vector<const ScriptSection*>& RepeatedSections() const { return repeated_; }

 private:
  void AddLine(const std::string& line, int number);

  std::vector<ScriptSection> sections_;
  std::unordered_map<std::string, size_t> firstOfName_;
  std::vector<const ScriptSection*> repeated_;
  bool inSection_ = false;
};

// The name folded for matching as the profile API does (ASCII letters).
std::string FoldName(const std::string& name);
