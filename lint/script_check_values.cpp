#include <cstring>

#include "descriptors/descriptor_syntax.h"
#include "descriptors/registry_value.h"
#include "lint/nearest_word.h"
#include "lint/script_check.h"

namespace {

const char kRootNames[] = "HKLM, HKCU, HKCR, HKEY_USERS or HKEY_CURRENT_CONFIG";

bool IsDecimal(const std::string& text) {
  size_t at = text.empty() || (text[0] != '-' && text[0] != '+') ? 0 : 1;
  if (at >= text.size()) return false;
  for (; at < text.size(); ++at) {
    if (text[at] < '0' || text[at] > '9') return false;
  }
  return true;
}

bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// Calls use(name) for each "%name%" whose name is letters, digits and "_".
template <typename Use>
void ForEachReference(const std::string& text, Use use) {
  size_t open = text.find('%');
  while (open != std::string::npos) {
    size_t close = text.find('%', open + 1);
    if (close == std::string::npos) return;
    bool name = close > open + 1;
    for (size_t i = open + 1; i < close && name; ++i) name = IsNameChar(text[i]);
    if (!name) {
      open = close;
      continue;
    }
    use(text.substr(open + 1, close - open - 1));
    open = text.find('%', close + 1);
  }
}

bool IsByteSymbol(const std::string& name) {
  auto hex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); };
  return name.size() == 3 && name[0] == 'x' && hex(name[1]) && hex(name[2]) && name != "x00";
}

const char* FindWord(const std::string& word) {
  for (const char* known : EventWords()) {
    if (FoldName(word) == FoldName(known)) return known;
  }
  return nullptr;
}

}  // namespace

bool HasSymbol(const std::string& text) {
  bool found = false;
  ForEachReference(text, [&found](const std::string&) { found = true; });
  return found;
}

bool ScriptCheck::CheckEventKey(const ScriptSection& section, const ScriptEntry& entry,
                                const std::string& event, int stepCount) {
  std::string word;
  for (const char* outcome : {"Error.", "Success."}) {
    const size_t length = std::strlen(outcome);
    if (FoldName(event.substr(0, length)) == FoldName(outcome)) word = event.substr(length);
  }
  const char* known = FindWord(word);
  if (known == nullptr) return false;
  const std::string prefix = entry.key.substr(0, entry.key.size() - word.size());
  if (IsActionWord(known)) {
    CheckAction(section, entry, stepCount);
  } else if (section.Find(prefix + "Action") == nullptr) {
    CheckEventAnswers(section, prefix, entry.line);
  }
  return true;
}

void ScriptCheck::CheckEventAnswers(const ScriptSection& section, const std::string& prefix, int line) {
  // A question's answers, read when the user is asked.
  static const std::vector<std::vector<const char*>> kQuestions = {
      {"AskYesNo", "Yes", "No"}, {"AskRetryCancel", "Retry", "Cancel"}, {"AskOK", "OK"}};
  for (const auto& question : kQuestions) {
    if (section.Find(prefix + question[0]) == nullptr || section.Find(prefix + question[0])->line != line) {
      continue;
    }
    for (size_t i = 1; i < question.size(); ++i) {
      if (section.Find(prefix + question[i]) == nullptr) {
        Add(true, &section, line, prefix + question[i] + " is missing: that answer fails the item");
      }
    }
    if (silent_ && section.Find(prefix + "Default") == nullptr) {
      Add(false, &section, line,
          prefix + question[0] + " has no " + prefix + "Default: a silent run does not ask and keeps the item's result");
    }
  }
}

void ScriptCheck::CheckAction(const ScriptSection& section, const ScriptEntry& entry, int stepCount) {
  const std::string& value = entry.value;
  if (HasSymbol(value) || value == "BRVN_CONTINUE" || value == "BRVN_RETRY" || value == "BRVN_USERBREAK") {
    return;
  }
  static const char kGoto[] = "BRVN_GOTOSTEP(";
  const size_t length = sizeof(kGoto) - 1;
  if (value.compare(0, length, kGoto) == 0 && value.size() > length + 1 && value.back() == ')' &&
      IsDecimal(value.substr(length, value.size() - length - 1))) {
    const std::string digits = value.substr(length, value.size() - length - 1);
    if (digits.size() < 10 && std::stoi(digits) >= 1 && std::stoi(digits) <= stepCount) return;
    Add(true, &section, entry.line,
        entry.key + "=" + value + " names no step (the steps are 1 to " + std::to_string(stepCount) + ")");
    return;
  }
  std::string text = entry.key + "=" + value + " is not an action";
  const std::string nearest = NearestWord(
      value, {"BRVN_CONTINUE", "BRVN_RETRY", "BRVN_USERBREAK", "BRVN_GOTOSTEP(" + std::to_string(stepCount) + ")"});
  text += nearest.empty() ? std::string(" (BRVN_CONTINUE, BRVN_RETRY, BRVN_USERBREAK or BRVN_GOTOSTEP(n))")
                          : " (did you mean " + nearest + "?)";
  Add(true, &section, entry.line, text + ": it fails the item");
}

void ScriptCheck::CheckItemValue(const ScriptSection& section, const SectionKeys& keys,
                                 const ScriptEntry& entry, const ItemKey& item) {
  const std::string kind = keys.kind;
  if ((kind == "UpdateRegistry" || kind == "RemoveRegistry") && FoldName(item.rest) == "KEY") {
    CheckRegistryItem(section, keys, entry, item);
  } else if (kind == "UpdateINI" && FoldName(item.rest) == "KEY") {
    std::string file, iniSection, key;
    if (!ReadINIDescriptor(entry.value, file, iniSection, key)) {
      Add(true, &section, entry.line,
          entry.key + "=" + entry.value + " is not INI:<file>,<section>,<key>: the step fails");
    }
  } else if (kind == "GetUserInput" && FoldName(item.rest) == "REFSYMBOL") {
    symbols_.insert(entry.value);
  } else if (kind == "GetUserInput" && FoldName(item.rest) == "TYPE" && !HasSymbol(entry.value) &&
             entry.value != "BRVN_INPUT_FOLDER_SELECT" && entry.value != "BRVN_INPUT_EDITBOX") {
    Add(false, &section, entry.line,
        entry.key + "=" + entry.value +
            " is neither BRVN_INPUT_FOLDER_SELECT nor BRVN_INPUT_EDITBOX: nothing is asked");
  }
}

void ScriptCheck::CheckRegistryItem(const ScriptSection& section, const SectionKeys& keys,
                                    const ScriptEntry& entry, const ItemKey& item) {
  RegistryDescriptor descriptor;
  std::string root;
  const int code = ReadRegistryDescriptor(entry.value, descriptor, &root);
  const std::string head = entry.key + "=" + entry.value;
  if (code == -1) {
    Add(true, &section, entry.line,
        head + " is not Reg:<type>,<root>,<key path>[,<value name>]: the step fails");
  } else if (code == -2) {
    Add(true, &section, entry.line, head + ": the type must be REG_SZ or REG_DWORD: the step fails");
  } else if (code == -3) {
    Add(true, &section, entry.line,
        head + ": the root '" + root + "' is not " + kRootNames + ": the step fails");
  } else if (descriptor.type == os::kRegDword && std::string(keys.kind) == "UpdateRegistry") {
    const std::string name = keys.itemWord + std::to_string(item.number) + ".Value";
    const ScriptEntry* value = section.Find(name);
    if (value != nullptr && !HasSymbol(value->value) && !IsRegistryDwordText(value->value)) {
      Add(false, &section, value->line,
          name + "=" + value->value + " is not a number for a REG_DWORD value: the item fails");
    }
  }
}

void ScriptCheck::CheckDescriptorValue(const ScriptSection& section, const ScriptEntry& entry) {
  // The order in which a symbol's value is taken for a descriptor.
  const std::string& value = entry.value;
  std::string inner;
  if (value.find("[Reg:") == std::string::npos && value.find("[FileInfo:") == std::string::npos &&
      value.find("[INI:") == std::string::npos) {
    return;
  }
  const std::string head = entry.key + "=" + value;
  if (value[0] != '[' || !BracketedInner(value, inner)) {
    Add(true, &section, entry.line, head + ": a descriptor must be the whole value, in brackets");
    return;
  }
  RegistryDescriptor descriptor;
  std::string root, file, iniSection, key, property;
  if (value.find("[Reg:") != std::string::npos) {
    const int code = ReadRegistryDescriptor(inner, descriptor, &root);
    if (code == -1) Add(true, &section, entry.line, head + " is not [Reg:<type>,<root>,<key path>[,<value name>]]");
    if (code == -2) Add(true, &section, entry.line, head + ": the type must be REG_SZ or REG_DWORD");
    if (code == -3) Add(true, &section, entry.line, head + ": the root '" + root + "' is not " + kRootNames);
  } else if (value.find("[FileInfo:") != std::string::npos) {
    if (!ReadFileInfoDescriptor(inner, file, property)) {
      Add(true, &section, entry.line, head + " is not [FileInfo:<file>,<property>]");
    } else if (property != "FileSize" && property != "FileVersion" && property != "BuildVersion" &&
               property != "ProductVersion" && property != "SpecialBuild") {
      Add(true, &section, entry.line,
          head + ": the property must be FileSize, FileVersion, BuildVersion, ProductVersion or SpecialBuild");
    }
  } else if (!ReadINIDescriptor(inner, file, iniSection, key)) {
    Add(true, &section, entry.line, head + " is not [INI:<file>,<section>,<key>]");
  }
}

void ScriptCheck::DefineSymbols(const ScriptSection& section) {
  for (const ScriptEntry& entry : section.entries) {
    if (entry.hasEquals) symbols_.insert(entry.key);
  }
}

void ScriptCheck::CheckSymbolUses() {
  for (const char* name : BuiltInSymbolNames()) symbols_.insert(name);
  std::set<std::string> reported;
  for (const ScriptSection* section : substituted_) {
    for (const ScriptEntry& entry : section->entries) {
      ForEachReference(entry.value, [&](const std::string& name) {
        if (symbols_.count(name) != 0 || IsByteSymbol(name) || !reported.insert(name).second) return;
        Add(false, section, entry.line, "%" + name + "% is never defined: it stays as written");
      });
    }
  }
}
