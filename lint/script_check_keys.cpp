#include <cstring>

#include "platform/c_numbers.h"
#include "lint/nearest_word.h"
#include "lint/script_check.h"

namespace {

// Gaps are reported as ranges; a count far past the last item once.
constexpr int kMaxCountPastItems = 1000;

bool SameWord(const std::string& a, const char* b) { return FoldName(a) == FoldName(b); }

bool IsIn(const std::string& word, const std::vector<const char*>& words) {
  for (const char* known : words) {
    if (SameWord(word, known)) return true;
  }
  return false;
}

std::string ItemName(const SectionKeys& keys, int item, const char* field) {
  std::string name = keys.itemWord + std::to_string(item);
  if (*field != '\0') name += std::string(".") + field;
  return name;
}

}  // namespace

bool ScriptCheck::SplitItemKey(const std::string& key, const char* word, ItemKey& out) {
  const size_t length = std::strlen(word);
  if (key.size() <= length || FoldName(key.substr(0, length)) != FoldName(word)) return false;
  size_t at = length;
  // "Reg01" is not the key "Reg1" the handler asks for.
  if (key[at] < '1' || key[at] > '9') return false;
  long long number = 0;
  while (at < key.size() && key[at] >= '0' && key[at] <= '9' && number <= 0x7fffffff) {
    number = number * 10 + (key[at++] - '0');
  }
  if (number > 0x7fffffff) return false;
  if (at < key.size() && key[at] != '.') return false;
  out.number = static_cast<int>(number);
  out.rest = at < key.size() ? key.substr(at + 1) : std::string();
  return true;
}

void ScriptCheck::CheckSection(const ScriptSection& section, const SectionKeys& keys, int stepCount) {
  substituted_.push_back(&section);
  if (keys.freeForm) {
    for (const ScriptEntry& entry : section.entries) CheckDescriptorValue(section, entry);
    return;
  }
  std::map<int, int> items;  // item number -> line of its first key
  for (const ScriptEntry& entry : section.entries) {
    if (!entry.hasEquals) {
      Add(false, &section, entry.line, "'" + entry.value + "' has no '=': it is never read");
      continue;
    }
    if (section.Find(entry.key) != &entry) {
      Add(false, &section, entry.line,
          entry.key + " appears again; only line " + std::to_string(section.Find(entry.key)->line) +
              " is read");
      continue;
    }
    CheckKey(section, keys, entry, stepCount, items);
  }
  for (const char* key : keys.requiredKeys) {
    if (section.Find(key) == nullptr) {
      Add(true, &section, section.line, std::string(key) + " is missing: the step fails");
    }
  }
  if (keys.countKey != nullptr) CheckItems(section, keys, items);
}

void ScriptCheck::CheckKey(const ScriptSection& section, const SectionKeys& keys, const ScriptEntry& entry,
                           int stepCount, std::map<int, int>& items) {
  if ((keys.countKey != nullptr && SameWord(entry.key, keys.countKey)) || IsIn(entry.key, keys.sectionKeys)) {
    return;
  }
  if (keys.eventStem != nullptr) {
    const std::string stem = std::string(keys.eventStem) + ".";
    if (FoldName(entry.key.substr(0, stem.size())) == FoldName(stem) &&
        CheckEventKey(section, entry, entry.key.substr(stem.size()), stepCount)) {
      return;
    }
  }
  ItemKey item;
  if (keys.itemWord != nullptr && SplitItemKey(entry.key, keys.itemWord, item)) {
    // Even a misspelt field shows the author meant the item to be there.
    items.emplace(item.number, entry.line);
    if (IsIn(item.rest, keys.fields)) {
      CheckItemValue(section, keys, entry, item);
      return;
    }
    if (keys.itemEvents && CheckEventKey(section, entry, item.rest, stepCount)) return;
  }
  ReportUnknownKey(section, keys, entry);
}

void ScriptCheck::ReportUnknownKey(const ScriptSection& section, const SectionKeys& keys,
                                   const ScriptEntry& entry) {
  // Candidates carry the number the misspelt key has, if any.
  int number = 1;
  size_t digit = entry.key.find_first_of("123456789");
  if (digit != std::string::npos) number = CDecimalToInt(entry.key.substr(digit));
  std::vector<std::string> candidates;
  if (keys.countKey != nullptr) candidates.push_back(keys.countKey);
  for (const char* key : keys.sectionKeys) candidates.push_back(key);
  if (keys.itemWord != nullptr) {
    for (const char* field : keys.fields) candidates.push_back(ItemName(keys, number, field));
  }
  std::string text = entry.key + " is read by no section of this kind";
  const std::string nearest = NearestWord(entry.key, candidates);
  if (!nearest.empty()) text += " (did you mean " + nearest + "?)";
  Add(false, &section, entry.line, text);
}

void ScriptCheck::CheckItems(const ScriptSection& section, const SectionKeys& keys,
                             const std::map<int, int>& items) {
  const ScriptEntry* countEntry = section.Find(keys.countKey);
  if (countEntry == nullptr) {
    Add(true, &section, section.line, std::string(keys.countKey) + " is missing: no item is run");
    return;
  }
  if (keys.itemWord == nullptr) return;
  const int count = CDecimalToInt(countEntry->value);
  const std::string countText = std::string(keys.countKey) + "=" + countEntry->value;
  for (const auto& item : items) {
    if (item.first <= count) continue;
    Add(false, &section, item.second,
        ItemName(keys, item.first, "") + " is beyond " + countText + ": it is never run");
  }
  const int last = items.empty() ? 0 : items.rbegin()->first;
  const int walked = count > last + kMaxCountPastItems ? last : count;
  if (walked < count) {
    Add(true, &section, countEntry->line,
        countText + " but the last item is " + ItemName(keys, last, "") + ": the rest are missing");
  }
  for (int number = 1; number <= walked; ++number) {
    auto found = items.find(number);
    if (found != items.end()) {
      CheckRequiredFields(section, keys, number, found->second);
      continue;
    }
    int end = number;
    while (end < walked && items.count(end + 1) == 0) ++end;
    std::string range = ItemName(keys, number, "");
    if (end > number) range += " to " + ItemName(keys, end, "");
    Add(true, &section, countEntry->line, range + " missing (" + countText + ")");
    number = end;
  }
}

void ScriptCheck::CheckRequiredFields(const ScriptSection& section, const SectionKeys& keys, int item,
                                      int line) {
  for (const char* field : keys.requiredAll) {
    const ScriptEntry* entry = section.Find(ItemName(keys, item, field));
    if (entry == nullptr) {
      Add(true, &section, line, ItemName(keys, item, field) + " is missing: the item is not done");
    } else if (entry->value.empty() && std::strcmp(field, "Value") != 0) {  // an empty value is a value
      Add(true, &section, entry->line, ItemName(keys, item, field) + " is empty: the item is not done");
    }
  }
  if (keys.requiredAny.empty()) return;
  std::string names;
  for (const char* field : keys.requiredAny) {
    if (section.Find(ItemName(keys, item, field)) != nullptr) return;
    names += (names.empty() ? "" : " or ") + ItemName(keys, item, field);
  }
  Add(true, &section, line, ItemName(keys, item, "") + " has no " + names + ": the step fails");
}
