// ReplaceSymbolsInFile sections: each item reads a template file, substitutes
// the symbols in its text as a script value's are substituted, and writes the
// result to an output file. Nothing is recorded; the rollback only logs.
//
// The template is read whole before the output is opened, so an item whose
// source and output are the same file rewrites it instead of destroying it;
// an empty template gives an empty output and counts as a success. Unlike a
// script value, a template that begins and ends with a double quote keeps
// its quotes and has its symbols replaced.
#pragma once

#include <string>

#include "engine/section.h"

class CHFS_ReplaceTextSection : public CHFS_Section {
 public:
  explicit CHFS_ReplaceTextSection(CHFS_Engine* engine) : CHFS_Section(engine) {}

  int Run(const std::string& sessionName, CHFS_InstallRecord& record) override;
  int Rollback(const std::string& sessionName, CHFS_InstallRecord& record) override;

 private:
  std::string ItemKey(int item, const char* field) const;
  // 0, or the Win32 error code of the step that failed.
  int ReplaceFile(const std::string& source, const std::string& output);
  ItemMove RunItem(int item, int& result);
};
