// The substitution that works from the references in the text must give what
// the symbol-by-symbol walk gives, for every text and every pair of tables.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/symbol_substitution.h"

namespace {

// The rule as written: each symbol in walk order, each occurrence found from
// the search position, replaced, the position moved behind the value, and a
// doubled backslash there collapsed unless it ends the text.
std::string Walk(const std::string& text, const SymbolMap& global, const SymbolMap& script) {
  std::string w = text;
  for (const SymbolMap* table : {&global, &script}) {
    for (const auto& [name, value] : *table) {
      const std::string pattern = "%" + name + "%";
      for (size_t pos = w.find(pattern); pos != std::string::npos; pos = w.find(pattern, pos)) {
        w.replace(pos, pattern.size(), value);
        pos += value.size();
        if (pos > 0 && pos + 1 < w.size() && w[pos] == '\\' && w[pos - 1] == '\\') w.erase(pos, 1);
      }
    }
  }
  return w;
}

SymbolNameFacts FactsOf(const SymbolMap& global, const SymbolMap& script) {
  SymbolNameFacts facts;
  for (const SymbolMap* table : {&global, &script}) {
    for (const auto& symbol : *table) facts.Note(symbol.first);
  }
  return facts;
}

class Generator {
 public:
  explicit Generator(unsigned seed) : random_(seed) {}

  // Short texts over few characters, so references, shared percent signs,
  // backslashes and names made across inserted values are all frequent.
  std::string Text(size_t maxLength, const char* alphabet) {
    std::string text(Below(maxLength + 1), ' ');
    const std::string chars(alphabet);
    for (char& c : text) c = chars[Below(chars.size())];
    return text;
  }

  SymbolMap Table(bool percentInNames) {
    static const char* const kNames[] = {"", "A", "B", "AB", "BA", "a", "A\\", "AA", "B B"};
    SymbolMap table;
    size_t count = Below(5);
    for (size_t i = 0; i < count; ++i) {
      std::string name = percentInNames && Below(4) == 0 ? Text(3, "A%B") : kNames[Below(9)];
      table[name] = Below(3) == 0 ? "" : Text(6, "%%%AB\\\\x");
    }
    return table;
  }

  size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }

 private:
  std::mt19937 random_;
};

TEST(SymbolSubstitution, AgreesWithTheWalkOnGeneratedInputs) {
  Generator gen(20261208);
  for (int i = 0; i < 60000; ++i) {
    bool percentInNames = i % 10 == 9;  // the walk is taken then; still checked
    // Every third case, the built-in percent and backslash symbols: a
    // reference an early symbol makes then meets a later one in the text.
    SymbolMap global = i % 3 == 1 ? SymbolMap{{"A", "%"}, {"B", "\\"}} : gen.Table(percentInNames);
    SymbolMap script = gen.Table(percentInNames);
    std::string text = gen.Text(24, "%%%%AB\\\\x ");
    std::string expected = Walk(text, global, script);
    ASSERT_EQ(SubstituteSymbols(text, global, script, FactsOf(global, script)), expected)
        << "case " << i << ": text '" << text << "'";
    ASSERT_EQ(SubstituteSymbolsOneByOne(text, global, script), expected) << "case " << i;
  }
}

TEST(SymbolSubstitution, KnownOrderEffects) {
  struct Case {
    const char* text;
    SymbolMap global;
    SymbolMap script;
    const char* expected;
  } cases[] = {
      {"%A%", {}, {{"A", "%B%x"}, {"B", "y"}}, "yx"},        // later names see inserted text
      {"%B%", {}, {{"A", "y"}, {"B", "%A%x"}}, "%A%x"},      // earlier ones do not
      {"%A%", {{"A", "g"}}, {{"A", "s"}}, "g"},              // global first
      {"%A%A%", {}, {{"A", "1"}}, "1A%"},                    // a shared sign goes to the left
      {"%X%E%Y%", {}, {{"E", ""}, {"XY", "j"}}, "j"},        // a name made across the junction
      {"%T%\\x", {}, {{"T", "C:\\"}}, "C:\\x"},              // one backslash
      {"%T%\\", {}, {{"T", "C:\\"}}, "C:\\\\"},              // kept at the very end
      {"\\%E%\\y", {}, {{"E", ""}}, "\\y"},                  // empty value looks before it
      {"%P%P%", {{"x25", "%"}}, {{"P", "%x25%"}}, "%x25%P%"},  // a value that only makes a sign
      // a reference made by an earlier symbol, left of one in the text,
      // is replaced first: its backslash then meets the one after it
      {"%x25%x5c%%x5c%$", {{"x25", "%"}, {"x5c", "\\"}}, {}, "\\\\$"},
      {"%P%Q%%Q%\\", {}, {{"P", "%"}, {"Q", ""}}, "\\"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SubstituteSymbols(c.text, c.global, c.script, FactsOf(c.global, c.script)), c.expected)
        << c.text;
    EXPECT_EQ(Walk(c.text, c.global, c.script), c.expected) << c.text;
  }
}

// Many references to many symbols in a long text: the same result as the
// walk, without a pass over the text per symbol.
TEST(SymbolSubstitution, LargeTemplateGivesTheWalksResult) {
  SymbolMap script;
  for (int i = 0; i < 300; ++i) script["S" + std::to_string(i)] = "v" + std::to_string(i) + "\\";
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "line \\ %S" + std::to_string(i * 7 % 300) + "%\\x 100%\n";
  SymbolMap global;
  EXPECT_EQ(SubstituteSymbols(text, global, script, FactsOf(global, script)),
            SubstituteSymbolsOneByOne(text, global, script));
}

// Growth past the bound stops both ways at the same symbol with an empty
// result; growth up to it, or a long text that does not grow, passes.
TEST(SymbolSubstitution, GrowthIsBounded) {
  const std::string half(kMaxSubstitutionGrowth / 2, 'x');
  const SymbolMap global;
  struct Case {
    SymbolMap script;
    std::string text;
    const char* tooLong;  // null: within the bound
  } cases[] = {
      {{{"H", half}}, "%H%%H%", nullptr},  // exactly the bound: 2 * half - 6 bytes added
      {{{"H", half}}, "%H%%H%%H%", "H"},
      {{{"A", "%B%%B%%B%"}, {"B", half}}, "%A%", "B"},  // grown by a value inserted earlier
      {{{"H", half}, {"P%", "y"}}, "%H%%H%%H%%P%%", "H"},  // the one-by-one way
      {{{"E", ""}}, std::string(3 * kMaxSubstitutionGrowth, '%') + "%E%", nullptr},
  };
  for (const Case& c : cases) {
    std::string fast, plain;
    std::string result = SubstituteSymbols(c.text, global, c.script, FactsOf(global, c.script), &fast);
    std::string walked = SubstituteSymbolsOneByOne(c.text, global, c.script, &plain);
    EXPECT_EQ(fast, c.tooLong ? c.tooLong : "");
    EXPECT_EQ(plain, fast);
    if (c.tooLong) {
      EXPECT_TRUE(result.empty() && walked.empty());
    } else {
      EXPECT_EQ(result, walked);
      EXPECT_LE(result.size(), c.text.size() + kMaxSubstitutionGrowth);
    }
  }
}

}  // namespace
