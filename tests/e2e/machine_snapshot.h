// A picture of what a package may change on a machine, taken through the same
// Win32 calls the program makes (so the sandbox and a real Windows are read
// alike), and the differences between two pictures.
//
// Files: bytes, attributes, creation and last-write time. Last-access times
// are left out: reading a file changes them, on Windows as on the host.
// Folders: existence and attributes; their times change whenever an entry
// is added or removed, also by a rollback that puts everything back.
// Registry: every key and value below the given keys, values by name.
#pragma once

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "os/files.h"
#include "os/registry.h"
#include "tests/support/test_machine.h"

namespace machine_snapshot {

// One entry per file, folder, key and value: "file C:\x\a.txt" -> what it holds.
using Snapshot = std::map<std::string, std::string>;

inline std::string Hex(std::uint64_t n) {
  char text[24];
  std::snprintf(text, sizeof(text), "%llx", static_cast<unsigned long long>(n));
  return text;
}

// Bytes made readable for a failure message: controls and high bytes escaped.
inline std::string Printable(const std::string& bytes, size_t limit = 160) {
  std::string out;
  for (size_t i = 0; i < bytes.size() && i < limit; ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0x20 && c < 0x7f && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\x%02x", c);
      out += escaped;
    }
  }
  if (bytes.size() > limit) out += "...";
  return out;
}

inline bool NameIn(const std::string& path, const std::vector<std::string>& skipped) {
  for (const std::string& skip : skipped) {
    if (path.size() == skip.size()) {
      bool same = true;
      for (size_t i = 0; i < path.size() && same; ++i) {
        same = std::tolower(static_cast<unsigned char>(path[i])) ==
               std::tolower(static_cast<unsigned char>(skip[i]));
      }
      if (same) return true;
    }
  }
  return false;
}

// FNV-1a: equal pictures of large files without keeping their bytes.
inline std::uint64_t Fingerprint(const std::string& bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return hash;
}

// Every file and folder below folder (itself included; "C:\" for a whole
// drive), except the paths in skipped (compared without regard to case).
inline void AddFolder(Snapshot& shot, const std::string& folder, const std::vector<std::string>& skipped) {
  unsigned long attributes = os::GetFileAttributes(folder);
  if (attributes == os::kInvalidFileAttributes) return;
  const std::string base = folder.back() == '\\' ? folder.substr(0, folder.size() - 1) : folder;
  shot["folder " + base] = "attributes " + Hex(attributes);
  os::FindData data;
  os::UniqueFind find = os::FindFirstFile(base + "\\*", data);
  if (!find) return;
  do {
    if (data.name == "." || data.name == "..") continue;
    std::string path = base + "\\" + data.name;
    if (NameIn(path, skipped)) continue;
    if ((data.attributes & os::kAttributeDirectory) != 0) {
      AddFolder(shot, path, skipped);
      continue;
    }
    std::string bytes;
    if (!testing_support::ReadFileBytes(path, bytes)) bytes = "<unreadable>";
    shot["file " + path] = "attributes " + Hex(data.attributes) + " created " + Hex(data.times.creation) +
                           " written " + Hex(data.times.lastWrite) + " size " + std::to_string(bytes.size()) +
                           " hash " + Hex(Fingerprint(bytes)) + " '" + Printable(bytes) + "'";
  } while (os::FindNextFile(find.get(), data));
}

inline const char* RootName(os::RegRoot root) {
  switch (root) {
    case os::RegRoot::kClassesRoot: return "HKCR";
    case os::RegRoot::kCurrentUser: return "HKCU";
    case os::RegRoot::kLocalMachine: return "HKLM";
    case os::RegRoot::kUsers: return "HKU";
    case os::RegRoot::kCurrentConfig: return "HKCC";
  }
  return "?";
}

// The key at path (empty: the root itself) with its values and subkeys.
inline void AddKey(Snapshot& shot, os::RegRoot root, const std::string& path) {
  os::RegistryKey key;
  if (key.Open(root, path, os::RegAccess::kRead) != 0) return;
  const std::string name = std::string(RootName(root)) + (path.empty() ? "" : "\\" + path);
  shot["key " + name] = "";
  std::string value, data;
  unsigned long type = 0;
  for (unsigned long i = 0; key.EnumValue(i, value, nullptr) == 0; ++i) {
    if (key.QueryValue(value, type, data) != 0) data = "<unreadable>";
    shot["value " + name + "\\" + value] = std::to_string(type) + ":" + Printable(data);
  }
  std::vector<std::string> subkeys;
  for (unsigned long i = 0; key.EnumKey(i, value) == 0; ++i) subkeys.push_back(value);
  for (const std::string& sub : subkeys) AddKey(shot, root, path.empty() ? sub : path + "\\" + sub);
}

// A file's entry without its creation and last-write times.
inline std::string WithoutTimes(const std::string& value) {
  size_t created = value.find(" created ");
  size_t size = value.find(" size ");
  if (created == std::string::npos || size == std::string::npos || size < created) return value;
  return value.substr(0, created) + value.substr(size);
}

struct Difference {
  std::string what;  // "added", "removed", "changed", or "retimed" (only the times differ)
  std::string entry;  // the snapshot key
  std::string before, after;
};

inline std::vector<Difference> Compare(const Snapshot& before, const Snapshot& after) {
  std::vector<Difference> list;
  for (const auto& entry : before) {
    auto found = after.find(entry.first);
    if (found == after.end()) {
      list.push_back({"removed", entry.first, entry.second, ""});
    } else if (found->second != entry.second) {
      bool sameBytes = WithoutTimes(found->second) == WithoutTimes(entry.second);
      list.push_back({sameBytes ? "retimed" : "changed", entry.first, entry.second, found->second});
    }
  }
  for (const auto& entry : after) {
    if (before.count(entry.first) == 0) list.push_back({"added", entry.first, "", entry.second});
  }
  return list;
}

// '*' matches any run of characters, case matters; enough for the entries
// of an allowed-differences table.
inline bool Matches(const char* pattern, const char* text) {
  if (*pattern == '\0') return *text == '\0';
  if (*pattern == '*') return Matches(pattern + 1, text) || (*text != '\0' && Matches(pattern, text + 1));
  return *text == *pattern && Matches(pattern + 1, text + 1);
}

// A difference the product is meant to leave, with why.
struct Allowed {
  std::string what;   // as in Difference
  std::string entry;  // pattern for the snapshot key
  const char* reason;
};

inline bool IsAllowed(const Difference& d, const std::vector<Allowed>& table) {
  for (const Allowed& allowed : table) {
    if (allowed.what == d.what && Matches(allowed.entry.c_str(), d.entry.c_str())) return true;
  }
  return false;
}

// The differences the table does not allow, one per line, for a failure message.
inline std::string Unexpected(const std::vector<Difference>& list, const std::vector<Allowed>& table) {
  std::string text;
  for (const Difference& d : list) {
    if (IsAllowed(d, table)) continue;
    text += "  " + d.what + " " + d.entry;
    if (d.what != "added") text += "\n      before: " + d.before.substr(0, 300);
    if (d.what != "removed") text += "\n      after:  " + d.after.substr(0, 300);
    text += "\n";
  }
  return text;
}

// The change calls a run with BREVANE_FAIL_AT=list reported ("change 7: file
// copy C:\x"), in order; index 0 is change 1.
inline std::vector<std::string> ChangeCalls(const std::string& output) {
  std::vector<std::string> calls;
  size_t at = 0;
  while ((at = output.find("change ", at)) != std::string::npos) {
    if (at != 0 && output[at - 1] != '\n') {
      ++at;
      continue;
    }
    size_t end = output.find('\n', at);
    std::string line = output.substr(at, end == std::string::npos ? std::string::npos : end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    unsigned long n = std::strtoul(line.c_str() + 7, nullptr, 10);
    if (n == calls.size() + 1) calls.push_back(line);
    at = end == std::string::npos ? output.size() : end;
  }
  return calls;
}

}  // namespace machine_snapshot
