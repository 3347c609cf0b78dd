#include "os/profile_text.h"

#include <utility>

#include "os/case_fold.h"

namespace os {

namespace {

// The name as SameProfileName compares it.
std::string FoldName(const std::string& name) { return UpperCaseAnsi(name); }

}  // namespace

bool IsProfileBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == 0x1a;
}

std::string TrimProfileBlanks(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsProfileBlank(text[begin])) ++begin;
  while (end > begin && IsProfileBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool SameProfileName(const std::string& a, const std::string& b) { return SameAnsiText(a, b); }

ProfileText::ProfileText(std::string text) : text_(std::move(text)) { Parse(); }

void ProfileText::Parse() {
  lines_.clear();
  size_t pos = 0;
  while (pos < text_.size()) {
    size_t end = pos;
    while (end < text_.size() && text_[end] != '\r' && text_[end] != '\n') ++end;
    size_t next = end;
    if (next < text_.size() && text_[next] == '\r') ++next;
    if (next < text_.size() && text_[next] == '\n') ++next;
    lines_.push_back(ParseLine(pos, end, next));
    pos = next;
  }
  BuildIndex();
}

void ProfileText::BuildIndex() {
  firstHeader_.clear();
  sections_.clear();
  SectionIndex* current = nullptr;
  for (size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == Kind::kHeader) {
      if (current != nullptr) current->end = i;
      firstHeader_.emplace(FoldName(line.name), i);
      current = &sections_[i];
    } else if (current != nullptr && line.kind == Kind::kEntry && line.hasEquals) {
      current->keys.emplace(FoldName(line.name), i);
    }
  }
  if (current != nullptr) current->end = lines_.size();
}

ProfileText::Line ProfileText::ParseLine(size_t begin, size_t end, size_t next) const {
  Line line;
  line.begin = begin;
  line.end = end;
  line.next = next;
  std::string content = TrimProfileBlanks(text_.substr(begin, end - begin));
  if (content.empty()) return line;
  if (content[0] == '[') {
    size_t close = content.rfind(']');
    if (close != std::string::npos) {
      line.kind = Kind::kHeader;
      line.name = TrimProfileBlanks(content.substr(1, close - 1));
      return line;
    }
  }
  if (content[0] == ';') {
    line.kind = Kind::kComment;
    return line;
  }
  line.kind = Kind::kEntry;
  size_t equals = content.find('=');
  line.hasEquals = equals != std::string::npos;
  line.name = line.hasEquals ? TrimProfileBlanks(content.substr(0, equals)) : content;
  return line;
}

size_t ProfileText::FindSection(const std::string& section, size_t from) const {
  if (from == 0) {
    auto found = firstHeader_.find(FoldName(section));
    return found != firstHeader_.end() ? found->second : lines_.size();
  }
  for (size_t i = from; i < lines_.size(); ++i) {
    if (lines_[i].kind == Kind::kHeader && SameProfileName(lines_[i].name, section)) return i;
  }
  return lines_.size();
}

size_t ProfileText::SectionEnd(size_t header) const { return sections_.at(header).end; }

size_t ProfileText::FindKey(size_t header, const std::string& key) const {
  const SectionIndex& index = sections_.at(header);
  auto found = index.keys.find(FoldName(key));
  return found != index.keys.end() ? found->second : lines_.size();
}

bool ProfileText::FindValue(const std::string& section, const std::string& key,
                            std::string& value) const {
  size_t header = FindSection(TrimProfileBlanks(section));
  if (header == lines_.size()) return false;
  size_t index = FindKey(header, TrimProfileBlanks(key));
  if (index == lines_.size()) return false;
  const Line& line = lines_[index];
  std::string content = text_.substr(line.begin, line.end - line.begin);
  value = TrimProfileBlanks(content.substr(content.find('=') + 1));
  return true;
}

bool ProfileText::SectionEntries(const std::string& section,
                                 std::vector<std::string>& entries) const {
  entries.clear();
  size_t header = FindSection(TrimProfileBlanks(section));
  if (header == lines_.size()) return false;
  size_t end = SectionEnd(header);
  for (size_t i = header + 1; i < end; ++i) {
    const Line& line = lines_[i];
    if (line.kind != Kind::kEntry) continue;
    std::string content = TrimProfileBlanks(text_.substr(line.begin, line.end - line.begin));
    if (line.hasEquals) {
      content = line.name + "=" + TrimProfileBlanks(content.substr(content.find('=') + 1));
    }
    entries.push_back(content);
  }
  return true;
}

std::string ProfileText::LineEnd() const {
  for (const Line& line : lines_) {
    if (line.next > line.end) return text_.substr(line.end, line.next - line.end);
  }
  return "\r\n";
}

void ProfileText::Replace(size_t begin, size_t end, const std::string& with) {
  text_.replace(begin, end - begin, with);
  Parse();
}

bool ProfileText::SetValue(const std::string& section, const std::string& key,
                           const std::string& value) {
  const std::string eol = LineEnd();
  const std::string sectionName = TrimProfileBlanks(section);
  const std::string keyName = TrimProfileBlanks(key);
  size_t header = FindSection(sectionName);
  if (header == lines_.size()) {
    std::string added;
    if (!text_.empty() && lines_.back().next == lines_.back().end) added = eol;
    added += "[" + sectionName + "]" + eol + keyName + "=" + value + eol;
    Replace(text_.size(), text_.size(), added);
    return true;
  }
  size_t index = FindKey(header, keyName);
  if (index != lines_.size()) {
    const Line& line = lines_[index];
    std::string content = text_.substr(line.begin, line.end - line.begin);
    std::string written = line.name + "=" + value;
    if (content == written) return false;
    Replace(line.begin, line.end, written);
    return true;
  }
  // After the section's last key, so comments and blank lines that lead
  // into the next section stay with it.
  size_t last = header;
  const size_t end = SectionEnd(header);
  for (size_t i = header + 1; i < end; ++i) {
    if (lines_[i].kind == Kind::kEntry) last = i;
  }
  const Line& after = lines_[last];
  std::string added = after.next == after.end ? eol : std::string();
  added += keyName + "=" + value + eol;
  Replace(after.next, after.next, added);
  return true;
}

bool ProfileText::DeleteKey(const std::string& section, const std::string& key) {
  const std::string name = TrimProfileBlanks(section);
  // Every section of that name is searched, as Wine's API does when
  // deleting, so a key that reads cannot see (it sits in a later duplicate
  // section) can still be removed.
  for (size_t header = FindSection(name); header < lines_.size();
       header = FindSection(name, header + 1)) {
    size_t index = FindKey(header, TrimProfileBlanks(key));
    if (index != lines_.size()) {
      Replace(lines_[index].begin, lines_[index].next, std::string());
      return true;
    }
  }
  return false;
}

bool ProfileText::DeleteSection(const std::string& section) {
  size_t header = FindSection(TrimProfileBlanks(section));
  if (header == lines_.size()) return false;
  size_t end = SectionEnd(header);
  size_t stop = end < lines_.size() ? lines_[end].begin : text_.size();
  Replace(lines_[header].begin, stop, std::string());
  return true;
}

}  // namespace os
