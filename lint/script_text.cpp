#include "lint/script_text.h"

#include "os/case_fold.h"

namespace {

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a'; }

std::string Trimmed(const std::string& text, size_t begin, size_t end) {
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

std::string FoldName(const std::string& name) { return os::UpperCaseAnsi(name); }

const ScriptEntry* ScriptSection::Find(const std::string& key) const {
  auto found = firstOfKey.find(FoldName(key));
  return found == firstOfKey.end() ? nullptr : &entries[found->second];
}

ScriptText::ScriptText(const std::string& bytes) {
  // Lines before the first header belong to no section the script can reach.
  int number = 1;
  size_t begin = 0;
  for (size_t at = 0; at <= bytes.size(); ++at) {
    if (at < bytes.size() && bytes[at] != '\r' && bytes[at] != '\n') continue;
    AddLine(Trimmed(bytes, begin, at), number++);
    if (at + 1 < bytes.size() && bytes[at] == '\r' && bytes[at + 1] == '\n') ++at;
    begin = at + 1;
  }
  // Pointers are taken only now that the vector no longer grows.
  for (size_t i = 0; i < sections_.size(); ++i) {
    if (firstOfName_[FoldName(sections_[i].name)] != i) repeated_.push_back(&sections_[i]);
  }
}

void ScriptText::AddLine(const std::string& line, int number) {
  if (line.empty() || line[0] == ';') return;
  size_t close = line.rfind(']');
  if (line[0] == '[' && close != std::string::npos) {
    ScriptSection section;
    section.name = Trimmed(line, 1, close);
    section.line = number;
    firstOfName_.emplace(FoldName(section.name), sections_.size());
    sections_.push_back(std::move(section));
    inSection_ = true;
    return;
  }
  if (!inSection_) return;
  ScriptSection& section = sections_.back();
  ScriptEntry entry;
  entry.line = number;
  size_t equals = line.find('=');
  entry.hasEquals = equals != std::string::npos;
  if (entry.hasEquals) {
    entry.key = Trimmed(line, 0, equals);
    entry.value = Trimmed(line, equals + 1, line.size());
  } else {
    entry.value = line;
  }
  if (entry.hasEquals) section.firstOfKey.emplace(FoldName(entry.key), section.entries.size());
  section.entries.push_back(std::move(entry));
}

const ScriptSection* ScriptText::Find(const std::string& name) const {
  auto found = firstOfName_.find(FoldName(name));
  return found == firstOfName_.end() ? nullptr : &sections_[found->second];
}
