#include <cstdio>
#include "platform/c_numbers.h"

#include "engine/engine.h"
#include "os/errors.h"
#include "os/input_limits.h"
#include "os/profile.h"
#include "platform/ini_write.h"

int CHFS_Engine::SetGlobalSymbol(const std::string& name, const std::string& value) {
  Trace("@ Update Global Symbol table: '%s'='%s'", name.c_str(), value.c_str());
  globalSymbols_[name] = value;
  symbolNames_.Note(name);
  return 0;
}

int CHFS_Engine::SetSymbol(const std::string& name, const std::string& value) {
  Trace("@ Update Symbol table: '%s'='%s'", name.c_str(), value.c_str());
  scriptSymbols_[name] = value;
  symbolNames_.Note(name);
  return 0;
}

int CHFS_Engine::UpdateSymbol(const std::string& name, const std::string& value) {
  if (scriptSymbols_.count(name) == 0) {
    Trace("Error! Can't Update undefine symbol '%s' to '%s'", name.c_str(), value.c_str());
    return -1;
  }
  return SetSymbol(name, value);
}

std::string CHFS_Engine::GetSymbol(const std::string& name) const {
  auto global = globalSymbols_.find(name);
  if (global != globalSymbols_.end()) return global->second;
  auto script = scriptSymbols_.find(name);
  return script != scriptSymbols_.end() ? script->second : std::string();
}

std::string CHFS_Engine::ReplaceSymbols(const std::string& text) const {
  if (text.size() > 2 && text.front() == '"' && text.back() == '"') {
    return text.substr(1, text.size() - 2);
  }
  std::string tooLong;
  std::string result = SubstituteSymbols(text, globalSymbols_, scriptSymbols_, symbolNames_, &tooLong);
  if (tooLong.empty()) return result;
  TraceDetail("*** Syntax error: Symbol '%s' makes a value more than %d bytes longer! ",
              tooLong.c_str(), static_cast<int>(kMaxSubstitutionGrowth));
  if (refusedInput_.empty()) refusedInput_ = tooLong;
  return kEmptyItem;
}

void CHFS_Engine::CheckRefusedRead(const std::string& file) const {
  if (os::LastError() != os::kErrorFileTooLarge) return;
  TraceDetail("*** Syntax error: File '%s' is larger than %d bytes and is not read! ", file.c_str(),
              static_cast<int>(os::kMaxInputFileSize));
  if (refusedInput_.empty()) refusedInput_ = file;
}

std::string CHFS_Engine::EvaluateDescriptors(const std::string& value) {
  if (queries_ == nullptr) return value;
  if (value.find("[Reg:") != std::string::npos) return queries_->QueryRegistryValue(value);
  if (value.find("[FileInfo:") != std::string::npos) return queries_->QueryFileInfo(value);
  if (value.find("[INI:") != std::string::npos) return queries_->QueryINIValue(value);
  return value;
}

int CHFS_Engine::LoadSymbolsSection(const std::string& section) {
  // The whole section is read, however large: a fixed buffer would drop the
  // definitions that do not fit without a word.
  for (const std::string& line : os::GetProfileSection(scriptPath_, section)) {
    size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    std::string name = line.substr(0, equals);
    std::string value = EvaluateDescriptors(ReplaceSymbols(line.substr(equals + 1)));
    SetSymbol(name, value);
  }
  return 0;
}

int CHFS_Engine::SaveSymbols(const std::string& file) {
  char number[32];
  std::snprintf(number, sizeof(number), "%d", static_cast<int>(scriptSymbols_.size()));
  if (SetINIVariable(*this, file, "Symbols", "TotalCount", number) != 0) return -1;
  int i = 0;
  for (const auto& symbol : scriptSymbols_) {
    ++i;
    char key[32];
    std::snprintf(key, sizeof(key), "Name.%d", i);
    if (SetINIVariable(*this, file, "Symbols", key, symbol.first) != 0) return -1;
    std::snprintf(key, sizeof(key), "Value.%d", i);
    // An empty value would remove the key; a pair of quotes reads back empty.
    const std::string value = symbol.second.empty() ? "\"\"" : symbol.second;
    if (SetINIVariable(*this, file, "Symbols", key, value) != 0) return -1;
  }
  return 0;
}

int CHFS_Engine::LoadSavedSymbols(const std::string& file) {
  int count = CDecimalToInt(ReadItem("TotalCount", "Symbols", 1, file));
  for (int i = 1; i <= count; ++i) {
    char key[32];
    std::snprintf(key, sizeof(key), "Name.%d", i);
    std::string name = ReadItem(key, "Symbols", 1, file);
    if (name == kEmptyItem) continue;
    std::snprintf(key, sizeof(key), "Value.%d", i);
    std::string value = ReadItem(key, "Symbols", 1, file);
    if (value == kEmptyItem) value.clear();
    SetSymbol(name, value);
  }
  return 0;
}
