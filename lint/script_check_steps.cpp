#include "platform/c_numbers.h"
#include "lint/nearest_word.h"
#include "lint/script_check.h"

namespace {

// Group numbers past the last group section are not walked one by one: a
// huge count is reported once.
constexpr int kMaxGroupsWalked = 100000;

std::vector<std::string> StepKindWords(bool install) {
  std::vector<std::string> words;
  for (const SectionKeys& keys : AllSectionKeys()) {
    if (FindSectionKeys("Main") == &keys) break;
    if (keys.install || !install) words.push_back(keys.kind);
  }
  return words;
}

bool IsStepKind(const SectionKeys* keys) {
  return keys != nullptr && keys != FindSectionKeys("Main") && keys != FindSectionKeys("FileGroup");
}

}  // namespace

void ScriptCheck::Run() {
  for (const char* name : {"ProductInstall.Symbols", "ProductRemove.Symbols", "Symbols"}) {
    if (const ScriptSection* symbols = text_.Find(name)) {
      read_.insert(FoldName(symbols->name));
      DefineSymbols(*symbols);
      substituted_.push_back(symbols);
      for (const ScriptEntry& entry : symbols->entries) CheckDescriptorValue(*symbols, entry);
    }
  }
  CheckDomain("ProductInstall");
  CheckDomain("ProductRemove");
  CheckUnreadSections();
  CheckSymbolUses();
  for (const ScriptSection* repeated : text_.RepeatedSections()) {
    Add(false, repeated, repeated->line,
        "section [" + repeated->name + "] appears again; only the first one is read");
  }
}

void ScriptCheck::CheckDomain(const std::string& domain) {
  const ScriptSection* main = text_.Find(domain + ".Main");
  if (main == nullptr) {
    if (domain == "ProductInstall") Add(true, nullptr, 0, "no [ProductInstall.Main] section: nothing runs");
    return;
  }
  read_.insert(FoldName(main->name));
  const ScriptEntry* count = main->Find("StepCount");
  const int stepCount = count != nullptr ? CDecimalToInt(count->value) : 0;
  CheckSection(*main, *FindSectionKeys("Main"), stepCount);
  for (int step = 1; step <= stepCount && step <= kMaxGroupsWalked; ++step) {
    CheckStep(*main, domain, step, stepCount);
  }
}

void ScriptCheck::CheckStep(const ScriptSection& main, const std::string& domain, int step, int stepCount) {
  const ScriptEntry* entry = main.Find("Step" + std::to_string(step) + ".Section");
  if (entry == nullptr || HasSymbol(entry->value)) return;  // a missing one is an item gap
  const std::string& name = entry->value;
  const std::string prefix = domain + ".";
  if (name.compare(0, prefix.size(), prefix) != 0) {
    Add(true, &main, entry->line,
        "Step" + std::to_string(step) + ".Section=" + name + " is not a " + domain +
            " section: the walk ends at this step");
    return;
  }
  const size_t dot = name.find('.', prefix.size());
  const std::string kind = name.substr(prefix.size(), dot == std::string::npos ? std::string::npos
                                                                              : dot - prefix.size());
  const SectionKeys* keys = FindSectionKeys(kind.c_str());
  const bool install = domain == "ProductInstall";
  if (!IsStepKind(keys) || (install && !keys->install)) {
    std::string text = "Step" + std::to_string(step) + ".Section names the unknown section kind '" +
                       kind + "'";
    const std::string nearest = NearestWord(kind, StepKindWords(install));
    if (!nearest.empty()) text += " (did you mean '" + nearest + "'?)";
    Add(true, &main, entry->line, text + ": the walk ends at this step");
    return;
  }
  const ScriptSection* section = text_.Find(name);
  if (section == nullptr) {
    // The rollback kind reads only optional event keys.
    if (keys->eventStem == nullptr) {
      Add(true, &main, entry->line,
          "Step" + std::to_string(step) + ".Section names [" + name +
              "], which is not in the script: the step does nothing");
      missingSections_.push_back(name);
    }
    return;
  }
  if (!read_.insert(FoldName(section->name)).second) return;
  CheckSection(*section, *keys, stepCount);
  if (keys->freeForm) CheckUpdatedSymbols(*section);
  if (keys == FindSectionKeys("CopyFileGroupTo")) CheckFileGroups(*section, stepCount);
}

void ScriptCheck::CheckUpdatedSymbols(const ScriptSection& section) {
  // Only symbols the script table already holds can be given new values.
  for (const ScriptEntry& entry : section.entries) {
    if (!entry.hasEquals || symbols_.count(entry.key) != 0) continue;
    Add(true, &section, entry.line,
        entry.key + " is not a symbol of the script: the step stops the run (give it a first value in "
                    "[ProductInstall.Symbols])");
  }
}

void ScriptCheck::CheckFileGroups(const ScriptSection& section, int stepCount) {
  const ScriptEntry* countEntry = section.Find("FileGroupCount");
  const ScriptEntry* startEntry = section.Find("FileGroupStartCount");
  const int count = countEntry != nullptr ? CDecimalToInt(countEntry->value) : 0;
  const int start = startEntry != nullptr ? CDecimalToInt(startEntry->value) : 1;
  const SectionKeys& groupKeys = *FindSectionKeys("FileGroup");
  for (long long number = start; number < static_cast<long long>(start) + count; ++number) {
    const std::string name = "FileGroup" + std::to_string(number);
    const ScriptSection* group = text_.Find(name);
    if (group == nullptr || number - start >= kMaxGroupsWalked) {
      Add(true, &section, countEntry->line, "[" + name + "] is not in the script: the step fails there");
      missingSections_.push_back(name);
      return;
    }
    read_.insert(FoldName(group->name));
    CheckSection(*group, groupKeys, stepCount);
    const ScriptEntry* files = group->Find("FileCount");
    const int fileCount = files != nullptr ? CDecimalToInt(files->value) : 0;
    for (int spec = 1; spec <= fileCount; ++spec) {
      const ScriptEntry* entry = group->Find("File" + std::to_string(spec));
      if (entry == nullptr || entry->value.empty() || HasSymbol(entry->value)) continue;
      if (!matcher_(group->name, entry->value)) {
        Add(true, group, entry->line,
            "File" + std::to_string(spec) + "=" + entry->value + " matches nothing in the package folder " +
                group->name + ": the step fails there");
      }
    }
  }
}

void ScriptCheck::CheckUnreadSections() {
  std::vector<std::string> wanted = missingSections_;
  for (const ScriptSection& section : text_.Sections()) {
    const std::string folded = FoldName(section.name);
    // The sections of an install record file.
    if (folded.compare(0, 4, "REC_") == 0 || read_.count(folded) != 0) continue;
    std::string text = "section [" + section.name + "] is read by no step";
    const std::string nearest = NearestWord(section.name, wanted);
    if (!nearest.empty()) text += " (a step names [" + nearest + "])";
    Add(!nearest.empty(), &section, section.line, text);
  }
}
