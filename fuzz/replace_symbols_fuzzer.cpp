// Symbol substitution. The engine's one-sweep substitution is compared with
// the plain way it stands for: each occurrence replaced in turn, the search
// going on behind the inserted value. Also: a text with no '%' comes back
// as it is; and since each replacement takes two '%' away and gives back at
// most one (%x25% is the '%'), the result is never longer than the text plus
// one longest value per '%'. With a symbol a quarter of the growth bound
// long, a few references pass the bound: both ways then stop at the symbol
// the plain way first meets past it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/symbol_substitution.h"
#include "fuzz/fuzz_support.h"

namespace {

// False when the text grows past limit.
bool ReplaceInTurn(std::string& text, const std::string& pattern, const std::string& value,
                   size_t limit = std::string::npos) {
  size_t pos = text.find(pattern);
  while (pos != std::string::npos) {
    text.replace(pos, pattern.size(), value);
    if (text.size() > limit) return false;
    pos += value.size();
    // A value ending in '\' followed by a '\' that is not the last character
    // gives one backslash.
    if (pos > 0 && pos + 1 < text.size() && text[pos] == '\\' && text[pos - 1] == '\\') {
      text.erase(pos, 1);
    }
    pos = text.find(pattern, pos);
  }
  return true;
}

std::string Reference(const CHFS_Engine& engine, const std::string& text) {
  if (text.size() > 2 && text.front() == '"' && text.back() == '"') {
    return text.substr(1, text.size() - 2);
  }
  std::string work = text;
  if (work.find('%') == std::string::npos) return work;
  for (const CHFS_Engine::SymbolTable* table : {&engine.GlobalSymbols(), &engine.ScriptSymbols()}) {
    for (const auto& symbol : *table) ReplaceInTurn(work, "%" + symbol.first + "%", symbol.second);
  }
  return work;
}

// The plain walk with the bound: the result, or empty and the symbol past it.
std::string BoundedReference(const SymbolMap& global, const SymbolMap& script,
                             const std::string& text, std::string& tooLong) {
  std::string work = text;
  for (const SymbolMap* table : {&global, &script}) {
    for (const auto& symbol : *table) {
      if (!ReplaceInTurn(work, "%" + symbol.first + "%", symbol.second,
                         text.size() + kMaxSubstitutionGrowth)) {
        tooLong = symbol.first;
        return std::string();
      }
    }
  }
  return work;
}

void CheckGrowthBound(const CHFS_Engine& engine, const std::string& text) {
  static const SymbolMap script = [&engine] {
    SymbolMap table = engine.ScriptSymbols();
    table["Q"] = std::string(kMaxSubstitutionGrowth / 4, 'q');
    table["P"] = "%Q%%Q%";  // met before Q: its references are Q's too
    return table;
  }();
  static const SymbolNameFacts names = [&engine] {
    SymbolNameFacts facts;
    for (const SymbolMap* table : {&engine.GlobalSymbols(), &script}) {
      for (const auto& symbol : *table) facts.Note(symbol.first);
    }
    return facts;
  }();
  std::string tooLong, expectedTooLong;
  const std::string result = SubstituteSymbols(text, engine.GlobalSymbols(), script, names, &tooLong);
  FUZZ_CHECK(result == BoundedReference(engine.GlobalSymbols(), script, text, expectedTooLong));
  FUZZ_CHECK(tooLong == expectedTooLong);
  FUZZ_CHECK(result.size() <= text.size() + kMaxSubstitutionGrowth);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const CHFS_Engine& engine = *fuzz_support::Engine().engine;
  const std::string result = engine.ReplaceSymbols(text);
  FUZZ_CHECK(result == Reference(engine, text));
  if (text.find('%') == std::string::npos && !(text.size() > 2 && text[0] == '"')) {
    FUZZ_CHECK(result == text);
  }
  size_t longest = 0;
  for (const CHFS_Engine::SymbolTable* table : {&engine.GlobalSymbols(), &engine.ScriptSymbols()}) {
    for (const auto& symbol : *table) {
      longest = std::max(longest, symbol.second.size());
    }
  }
  size_t percents = static_cast<size_t>(std::count(text.begin(), text.end(), '%'));
  FUZZ_CHECK(result.size() <= text.size() + percents * longest);
  CheckGrowthBound(engine, text);
  return 0;
}
