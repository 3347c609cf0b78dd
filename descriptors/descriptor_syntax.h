// The three value descriptors: "Reg:" type,root,key path[,value name],
// "INI:" file,section,key and "FileInfo:" file,property. Text before the
// keyword is ignored; fields are split at commas with no quoting or
// trimming, and the last field takes the rest of the text. Each parser
// writes its own "*** Syntax error:" trace line on failure.
#pragma once

#include <string>

#include "os/registry.h"

class CHFS_LogPort;

struct RegistryDescriptor {
  unsigned long type = 0;  // os::kRegSz or os::kRegDword
  os::RegRoot root = os::RegRoot::kLocalMachine;
  std::string keyPath;    // may be empty: the root itself
  std::string valueName;  // empty: the key's default value
};

// 0; -1 malformed; -2 type neither "REG_DWORD" nor "REG_SZ"; -3 unknown root.
// The Read... forms write no trace line (the script checker uses them);
// rootName, when given, gets the root field of a well-formed descriptor.
[[nodiscard]] int ReadRegistryDescriptor(const std::string& text, RegistryDescriptor& out,
                                         std::string* rootName = nullptr);
[[nodiscard]] bool ReadINIDescriptor(const std::string& text, std::string& file,
                                     std::string& section, std::string& key);
[[nodiscard]] bool ReadFileInfoDescriptor(const std::string& text, std::string& file,
                                          std::string& property);
[[nodiscard]] int ParseRegistryDescriptor(CHFS_LogPort& log, const std::string& text,
                                          RegistryDescriptor& out);

// 0, or -1 when malformed; the section may be empty (entries before the
// first section header), the key may not.
[[nodiscard]] int SpliteINIParameter(CHFS_LogPort& log, const std::string& text,
                                     std::string& file, std::string& section, std::string& key);

// 0, or -1 when malformed; the property may not be empty.
[[nodiscard]] int ParseFileInfoDescriptor(CHFS_LogPort& log, const std::string& text,
                                          std::string& file, std::string& property);

// The bracketed form "[Reg:...]": the text from its second character up to
// its last "]". False when there is no "]".
[[nodiscard]] bool BracketedInner(const std::string& value, std::string& inner);

// The root a name stands for ("HKLM", "hkcu", ...); false when unknown.
[[nodiscard]] bool RegistryRootByName(const std::string& name, os::RegRoot& root);
