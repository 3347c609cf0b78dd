#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "lint/script_keys.h"

namespace {

std::string SourceText(const std::string& relative) {
  std::ifstream file(std::string(BREVANE_SOURCE_DIR) + "/" + relative, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// The handlers, the step runner, the event handler, the engine and the
// windows: every place that reads a script key.
std::string ReaderSources() {
  std::string text;
  for (const char* file :
       {"sections/backup_file_section.cpp", "sections/check_requirement_section.cpp",
        "sections/copy_file_group_to_section.cpp", "sections/remove_registry_section.cpp",
        "sections/replace_text_section.cpp", "sections/rollback_section.cpp", "sections/run_section.cpp",
        "sections/service_section.cpp", "sections/update_ini_section.cpp", "sections/update_registry_section.cpp",
        "sections/registry_items.h", "sections/user_input_section.cpp", "engine/main_section.cpp",
        "engine/event_handler.cpp", "engine/engine.cpp", "ui/brevane_windows_posix.cpp"}) {
    const std::string source = SourceText(file);
    EXPECT_FALSE(source.empty()) << file << " moved: update this list";
    text += source;
  }
  return text;
}

// Every key word in the table is one a reader asks for, and every literal a
// reader builds a key from is in the table.
TEST(ScriptKeysTest, TheTableHoldsTheKeysTheReadersAskFor) {
  const std::string sources = ReaderSources();
  std::set<std::string> table;
  auto note = [&table](const char* word) {
    if (*word != '\0') table.insert(word);
  };
  for (const SectionKeys& keys : AllSectionKeys()) {
    if (keys.countKey != nullptr) note(keys.countKey);
    for (const char* word : keys.fields) note(word);
    for (const char* word : keys.sectionKeys) note(word);
    if (keys.itemWord != nullptr) note(keys.itemWord);
  }
  for (const char* word : EventWords()) note(word);
  for (const std::string& word : table) {
    const bool asked = sources.find("\"" + word + "\"") != std::string::npos ||
                       sources.find("\"." + word + "\"") != std::string::npos ||
                       sources.find("\"" + word + "%d") != std::string::npos;
    EXPECT_TRUE(asked) << word << " is in the key table but no reader asks for it";
  }
  const std::regex call(
      R"re((?:ReadSectionItem|ReadItem|ItemKey|CheckKey|RegItemKey|StepKey|TitleOf)\((?:[^"();]|\([^()]*\))*"\.?([A-Za-z.]+?)\.?")re");
  const std::regex plus(R"re(prefix \+ "([A-Za-z]+)")re");
  for (const std::regex* pattern : {&call, &plus}) {
    for (std::sregex_iterator it(sources.begin(), sources.end(), *pattern), end; it != end; ++it) {
      const std::string word = (*it)[1];
      // Event stems and section names are not keys.
      if (word == "Error" || word == "Success" || word.compare(0, 7, "Product") == 0) continue;
      EXPECT_EQ(table.count(word), 1u) << word << " is read by a handler but missing from the key table";
    }
  }
  // Each handler a step can name has its row.
  for (const char* kind : {"CheckRequirement", "StartService", "StopService", "UpdateRegistry", "RemoveRegistry",
                           "CopyFileGroupTo", "Run", "UpdateINI", "ReplaceSymbolsInFile", "GetUserInput",
                           "UpdateSymbols", "BackupFiles", "Rollback"}) {
    EXPECT_NE(FindSectionKeys(kind), nullptr) << kind;
    EXPECT_NE(SourceText("sections/section_kinds.cpp").find(std::string("{\"") + kind + "\""), std::string::npos)
        << kind << " is no longer a section kind";
  }
}

}  // namespace
