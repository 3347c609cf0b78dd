#include "lint/script_keys.h"

#include <cstring>

const std::vector<SectionKeys>& AllSectionKeys() {
  static const std::vector<SectionKeys> table = {
      {"CheckRequirement", true, "CheckCount", "Check",
       {"Description", "Number", "Number.Min", "Number.Max", "String", "String.List", "DiskSpace",
        "DiskSpace.SizeMB"},
       {}, {"Number", "String", "DiskSpace"}, {}, {}, true, nullptr, false},
      {"StartService", true, "ServiceCount", "Service", {"", "Description"}, {""}, {}, {}, {}, true,
       nullptr, false},
      {"StopService", true, "ServiceCount", "Service", {"", "Description"}, {""}, {}, {}, {}, true,
       nullptr, false},
      {"UpdateRegistry", true, "RegCount", "Reg", {"Key", "Value", "Description"}, {"Key", "Value"}, {},
       {}, {}, true, nullptr, false},
      {"RemoveRegistry", true, "RegCount", "Reg", {"Key", "Description"}, {"Key"}, {}, {}, {}, true,
       nullptr, false},
      {"CopyFileGroupTo", true, "FileGroupCount", nullptr, {}, {}, {}, {"FileGroupStartCount"}, {},
       false, nullptr, false},
      {"Run", true, "RunCount", "Run", {"Description", "Path", "Command", "RollbackCommand", "SuccessCodes"},
       {"Command"}, {}, {}, {}, true, nullptr, false},
      {"UpdateINI", true, "ItemCount", "Item", {"Description", "Key", "Value"}, {"Key", "Value"}, {},
       {}, {}, true, nullptr, false},
      {"ReplaceSymbolsInFile", true, "FileCount", "File", {"Description", "Source", "Output"},
       {"Source", "Output"}, {}, {}, {}, true, nullptr, false},
      {"GetUserInput", true, "InputCount", "Input", {"Description", "Min", "Max", "Type", "RefSymbol"},
       {"Type", "RefSymbol"}, {}, {}, {}, true, nullptr, false},
      {"UpdateSymbols", true, nullptr, nullptr, {}, {}, {}, {}, {}, false, nullptr, true},
      {"BackupFiles", true, "FileCount", "File", {""}, {""}, {}, {"Backup"}, {"Backup"}, false,
       nullptr, false},
      {"Rollback", false, nullptr, nullptr, {}, {}, {}, {}, {}, false, "Rollback", false},
      {"Main", true, "StepCount", "Step", {"Section", "Description"}, {"Section"}, {},
       {"InstallRecordFile", "MainDescription", "ReadmeFile", "WelcomeWindowTitle",
        "SetupWindowTitle"},
       {}, true, nullptr, false},
      {"FileGroup", true, "FileCount", "File", {""}, {""}, {}, {"Description", "Target", "Backup"},
       {"Target", "Backup"}, false, nullptr, false},
  };
  return table;
}

const SectionKeys* FindSectionKeys(const char* kind) {
  for (const SectionKeys& keys : AllSectionKeys()) {
    if (std::strcmp(keys.kind, kind) == 0) return &keys;
  }
  return nullptr;
}

const std::vector<const char*>& EventWords() {
  static const std::vector<const char*> words = {"Action", "Default",        "AskYesNo", "Yes",
                                                 "No",     "AskRetryCancel", "Retry",    "Cancel",
                                                 "AskOK",  "OK"};
  return words;
}

bool IsActionWord(const char* word) {
  for (const char* action : {"Action", "Default", "Yes", "No", "Retry", "Cancel", "OK"}) {
    if (std::strcmp(word, action) == 0) return true;
  }
  return false;
}

const std::vector<const char*>& BuiltInSymbolNames() {
  static const std::vector<const char*> names = {"WINDIR", "COMPUTER", "OS_TYPE", "TEMP",
                                                 "SOURCEDIR", "DATE", "YEAR", "MONTH",
                                                 "DAY", "TIME", "HOUR", "MINUTE", "SECOND"};
  return names;
}
