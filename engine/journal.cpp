#include "engine/journal.h"

#include <cstdio>
#include <cstdlib>

#include "os/simple_file.h"
#include "platform/empty_item.h"

namespace {

constexpr char kHeader[] = "BREVANE-JOURNAL 1 ";
// A journal longer than this is not one of ours: reading stops there.
constexpr size_t kMaxJournalLines = 4 * 4096 + 65536;

const char* KindWord(CHFS_Journal::Kind kind) {
  return kind == CHFS_Journal::Kind::kInstall ? "install" : "remove";
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

bool ReadEntry(const std::vector<std::string>& fields, RecordEntry& entry) {
  RecordKeys keys;
  for (size_t i = 1; i < fields.size(); ++i) {
    size_t equals = fields[i].find('=');
    if (equals == std::string::npos) return false;
    keys.emplace_back(fields[i].substr(0, equals), CHFS_Journal::Unescape(fields[i].substr(equals + 1)));
  }
  entry = RecordEntryFromKeys([&keys](const char* key, int) {
    for (const auto& pair : keys) {
      if (pair.first == key) return pair.second;
    }
    return std::string(kEmptyItem);
  });
  return true;
}

}  // namespace

std::string CHFS_Journal::Escape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default: out += c;
    }
  }
  return out;
}

std::string CHFS_Journal::Unescape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    char c = text[++i];
    out += c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c;
  }
  return out;
}

bool CHFS_Journal::Read(const std::string& path, Contents& contents) {
  contents = Contents();
  std::string bytes;
  if (path.empty() || !os::ReadAllBytes(path, bytes)) return false;
  size_t start = 0;
  size_t lines = 0;
  bool headed = false;
  // Only whole lines count: the last one may have been cut by the kill.
  for (size_t end; (end = bytes.find('\n', start)) != std::string::npos && lines < kMaxJournalLines;
       start = end + 1, ++lines) {
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!headed) {
      if (line.compare(0, sizeof(kHeader) - 1, kHeader) != 0) return false;
      std::string word = line.substr(sizeof(kHeader) - 1);
      if (word != "install" && word != "remove") return false;
      contents.kind = word == "install" ? Kind::kInstall : Kind::kRemove;
      headed = true;
      continue;
    }
    std::vector<std::string> fields = Fields(line);
    if (fields.size() < 2) continue;
    const std::string& tag = fields[0];
    if (tag == "E") {
      RecordEntry entry;
      if (ReadEntry(fields, entry) && contents.entries.size() < CHFS_InstallRecord::kMaxRecords) {
        contents.entries.push_back(std::move(entry));
      }
    } else if (tag == "U") {
      size_t remaining = std::strtoul(fields[1].c_str(), nullptr, 10);
      if (remaining < contents.entries.size()) contents.entries.resize(remaining);
      contents.undoneFrom = remaining;
      contents.hasUndone = true;
    } else if (tag == "T" && contents.replacedFiles.size() < kMaxJournalLines) {
      contents.replacedFiles.push_back(Unescape(fields[1]));
    } else if (tag == "N" && contents.createdFiles.size() < kMaxJournalLines) {
      contents.createdFiles.push_back(Unescape(fields[1]));
    }
  }
  return headed;
}

bool CHFS_Journal::AppendLine(const std::string& line) {
  if (!active_) return true;
  return os::AppendText(path_, line + "\n");
}

bool CHFS_Journal::Begin(Kind kind, bool resume) {
  if (path_.empty()) return true;
  if (resume && os::PathExists(path_)) {
    active_ = true;
    return true;
  }
  active_ = true;
  if (!AppendLine(std::string(kHeader) + KindWord(kind))) {
    active_ = false;
    return false;
  }
  return true;
}

bool CHFS_Journal::Append(const RecordEntry& entry) {
  if (!active_) return true;
  std::string line = "E";
  for (const auto& key : RecordEntryKeys(entry)) line += "\t" + key.first + "=" + Escape(key.second);
  return AppendLine(line);
}

bool CHFS_Journal::MarkUndone(size_t remaining) {
  char line[48];
  std::snprintf(line, sizeof(line), "U\t%lu", static_cast<unsigned long>(remaining));
  return AppendLine(line);
}

bool CHFS_Journal::NoteReplacedFile(const std::string& path) { return AppendLine("T\t" + Escape(path)); }

bool CHFS_Journal::NoteCreatedFile(const std::string& path) { return AppendLine("N\t" + Escape(path)); }

bool CHFS_Journal::Sync() { return !active_ || os::SyncFile(path_); }
