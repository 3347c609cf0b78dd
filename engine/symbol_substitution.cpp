#include "engine/symbol_substitution.h"

#include <deque>
#include <string_view>
#include <utility>
#include <vector>

void SymbolNameFacts::Note(const std::string& name) {
  if (name.size() > longest) longest = name.size();
  if (name.find('%') != std::string::npos) anyWithPercent = true;
}

namespace {

// One symbol's pass over the whole text, building the result in one sweep;
// false, the text as it was, when the result would pass limit.
bool ReplaceOneSymbol(std::string& text, const std::string& pattern, const std::string& value,
                      size_t limit) {
  size_t found = text.find(pattern);
  if (found == std::string::npos) return true;
  std::string out;
  out.reserve(text.size() + value.size());
  size_t pos = 0;
  while (found != std::string::npos) {
    out.append(text, pos, found - pos);
    out += value;
    pos = found + pattern.size();
    // %TEMP%\x with TEMP ending in "\" gives one backslash; a doubled
    // backslash that ends the text stays.
    if (!out.empty() && pos + 1 < text.size() && text[pos] == '\\' && out.back() == '\\') ++pos;
    if (out.size() + (text.size() - pos) > limit) return false;
    found = text.find(pattern, pos);
  }
  out.append(text, pos, std::string::npos);
  text.swap(out);
  return true;
}

// A run of text between two percent signs (or an end of the text).
struct Stretch {
  std::deque<std::string_view> pieces;  // never an empty piece
  size_t size = 0;
  int prev = -1;
  int next = -1;
  int born = 0;  // the pass that made it; 0 for the original text
  bool alive = true;
};

// The text as a list of the stretches between its percent signs; a symbol
// reference is a stretch with a neighbour on each side whose text is the
// name. Stretches are made of pieces of the original text and of symbol
// values, so joining two costs no copying of their bytes.
class Substitution {
 public:
  Substitution(const SymbolMap& global, const SymbolMap& script, size_t longest)
      : tables_{&global, &script}, longest_(longest) {}

  // The result, or empty with tooLong set (when given) past the growth bound.
  std::string Run(const std::string& text, std::string* tooLong);

 private:
  // A symbol as the walk meets it: its table, then its name.
  struct Key {
    int table;
    SymbolMap::const_iterator symbol;
    bool operator<(const Key& o) const {
      return table != o.table ? table < o.table : symbol->first < o.symbol->first;
    }
  };

  Stretch& At(int id) { return stretches_[static_cast<size_t>(id)]; }
  const Stretch& At(int id) const { return stretches_[static_cast<size_t>(id)]; }
  int Add(std::deque<std::string_view> pieces, int prev, int next);
  void Index(int id, const Key* after);
  std::string TextOf(const Stretch& s) const;
  bool Matches(int id, const std::string& name) const;
  int RunStart(int place, const std::string& name) const;
  void Pass(const Key& key, const std::vector<int>& places);
  int Replace(int at, const std::string& value, const Key& key);
  std::string Join() const;

  const SymbolMap* tables_[2];
  size_t longest_;
  std::vector<Stretch> stretches_;
  std::map<Key, std::vector<int>> pending_;  // symbols still to visit, and where
  int head_ = 0;
  int pass_ = 0;
  size_t length_ = 0;  // of the text as it stands
  size_t limit_ = 0;
  const std::string* tooLong_ = nullptr;  // the symbol that passed limit_
};

int Substitution::Add(std::deque<std::string_view> pieces, int prev, int next) {
  Stretch s;
  s.size = 0;
  for (std::string_view p : pieces) s.size += p.size();
  s.pieces = std::move(pieces);
  s.prev = prev;
  s.next = next;
  s.born = pass_;
  stretches_.push_back(std::move(s));
  return static_cast<int>(stretches_.size() - 1);
}

std::string Substitution::TextOf(const Stretch& s) const {
  std::string text;
  text.reserve(s.size);
  for (std::string_view p : s.pieces) text.append(p.data(), p.size());
  return text;
}

// Notes the stretch under every symbol it names that the walk has yet to
// reach (after is the symbol being visited now, null before the walk).
void Substitution::Index(int id, const Key* after) {
  const Stretch& s = At(id);
  if (s.prev < 0 || s.next < 0 || s.size > longest_) return;
  std::string name = TextOf(s);
  for (int t = 0; t < 2; ++t) {
    auto found = tables_[t]->find(name);
    if (found == tables_[t]->end()) continue;
    Key key{t, found};
    if (after == nullptr || *after < key) pending_[key].push_back(id);
  }
}

bool Substitution::Matches(int id, const std::string& name) const {
  if (id < 0) return false;
  const Stretch& s = At(id);
  if (!s.alive || s.prev < 0 || s.next < 0 || s.born == pass_) return false;
  if (s.size != name.size()) return false;
  size_t at = 0;
  for (std::string_view p : s.pieces) {
    if (name.compare(at, p.size(), p.data(), p.size()) != 0) return false;
    at += p.size();
  }
  return true;
}

// pieces of a, then middle, then pieces of b, moving the longer list.
std::deque<std::string_view> Joined(std::deque<std::string_view>& a, std::string_view middle,
                                    std::deque<std::string_view>& b) {
  if (a.size() >= b.size()) {
    std::deque<std::string_view> out = std::move(a);
    if (!middle.empty()) out.push_back(middle);
    out.insert(out.end(), b.begin(), b.end());
    return out;
  }
  std::deque<std::string_view> out = std::move(b);
  if (!middle.empty()) out.push_front(middle);
  out.insert(out.begin(), a.begin(), a.end());
  return out;
}

// The stretches of a value: its text cut at its percent signs.
std::vector<std::string_view> CutAtPercents(const std::string& value) {
  std::vector<std::string_view> parts;
  for (size_t from = 0;;) {
    size_t percent = value.find('%', from);
    size_t end = percent == std::string::npos ? value.size() : percent;
    parts.emplace_back(value.data() + from, end - from);
    if (percent == std::string::npos) return parts;
    from = percent + 1;
  }
}

// Drops the backslash that starts right when the character before the search
// position (the value's last, or for an empty value the one before the
// reference; a percent sign is none) is one too, unless it ends the text.
void CollapseBackslash(const std::deque<std::string_view>& left, size_t leftSize,
                       const std::vector<std::string_view>& parts, Stretch& right) {
  char before = '\0';
  if (!parts.back().empty()) {
    before = parts.back().back();
  } else if (parts.size() == 1 && leftSize > 0) {
    before = left.back().back();
  }
  if (before != '\\' || right.size == 0 || right.pieces.front().front() != '\\') return;
  if (right.size < 2 && right.next < 0) return;
  right.pieces.front().remove_prefix(1);
  if (right.pieces.front().empty()) right.pieces.pop_front();
  --right.size;
}

// Replaces "%<stretch at>%" by value; returns the last stretch it made.
int Substitution::Replace(int at, const std::string& value, const Key& key) {
  const int left = At(at).prev;
  const int right = At(at).next;
  const size_t before = At(left).size + At(at).size + At(right).size + 2;
  std::vector<std::string_view> parts = CutAtPercents(value);
  CollapseBackslash(At(left).pieces, At(left).size, parts, At(right));
  At(left).alive = At(right).alive = At(at).alive = false;
  const int outerPrev = At(left).prev;
  const int outerNext = At(right).next;
  std::deque<std::string_view> leftPieces = std::move(At(left).pieces);
  std::deque<std::string_view> rightPieces = std::move(At(right).pieces);
  std::deque<std::string_view> none;
  std::vector<int> made;
  if (parts.size() == 1) {
    made.push_back(Add(Joined(leftPieces, parts[0], rightPieces), outerPrev, outerNext));
  } else {
    made.push_back(Add(Joined(leftPieces, parts.front(), none), outerPrev, -1));
    for (size_t i = 1; i + 1 < parts.size(); ++i) {
      std::deque<std::string_view> inner;
      if (!parts[i].empty()) inner.push_back(parts[i]);
      made.push_back(Add(std::move(inner), made.back(), -1));
    }
    made.push_back(Add(Joined(none, parts.back(), rightPieces), made.back(), outerNext));
    for (size_t i = 0; i + 1 < made.size(); ++i) At(made[i]).next = made[i + 1];
  }
  if (outerPrev >= 0) At(outerPrev).next = made.front();
  if (outerNext >= 0) At(outerNext).prev = made.back();
  if (head_ == left) head_ = made.front();
  length_ -= before;
  length_ += made.size() - 1;
  for (int id : made) length_ += At(id).size;
  // New stretches may name symbols later in the walk.
  for (int id : made) Index(id, &key);
  return made.back();
}

// The leftmost reference to name in the run of references that reach the
// one at place: those sharing a percent sign with it, or the stretch on one
// side of it. Replacing one of these changes the text the next one sees.
int Substitution::RunStart(int place, const std::string& name) const {
  int run = place;
  for (;;) {
    const int prev = At(run).prev;
    if (Matches(prev, name)) {
      run = prev;
    } else if (prev >= 0 && Matches(At(prev).prev, name)) {
      run = At(prev).prev;
    } else {
      return run;
    }
  }
}

// One symbol, at the places noted for it. The places are not in text order
// (those made by earlier passes come last), so each run of references that
// touch one another is replaced from its left end, as a left-to-right search
// meets them: where two share a percent sign the left one wins and the other
// is part of the replaced text; where one stretch lies between them, the
// first replacement decides what the second sees there.
void Substitution::Pass(const Key& key, const std::vector<int>& places) {
  const std::string& name = key.symbol->first;
  const std::string& value = key.symbol->second;
  for (int place : places) {
    // The run may end before place (a reference it took as replaced text
    // lies between), so place starts a run of its own.
    while (Matches(place, name)) {
      int run = RunStart(place, name);
      while (Matches(run, name)) {
        int last = Replace(run, value, key);
        if (length_ > limit_) {
          tooLong_ = &name;
          return;
        }
        run = At(last).next;
      }
    }
  }
}

std::string Substitution::Join() const {
  size_t size = 0;
  for (int id = head_; id >= 0; id = At(id).next) {
    size += At(id).size + 1;
  }
  std::string out;
  out.reserve(size);
  for (int id = head_; id >= 0; id = At(id).next) {
    if (id != head_) out += '%';
    for (std::string_view p : At(id).pieces) out.append(p.data(), p.size());
  }
  return out;
}

std::string Substitution::Run(const std::string& text, std::string* tooLong) {
  length_ = text.size();
  limit_ = text.size() + kMaxSubstitutionGrowth;
  for (size_t from = 0;;) {
    size_t percent = text.find('%', from);
    size_t end = percent == std::string::npos ? text.size() : percent;
    std::deque<std::string_view> pieces;
    if (end > from) pieces.emplace_back(text.data() + from, end - from);
    int prev = static_cast<int>(stretches_.size()) - 1;
    int id = Add(std::move(pieces), prev, -1);
    if (id > 0) At(id - 1).next = id;
    if (percent == std::string::npos) break;
    from = percent + 1;
  }
  for (int id = 0; id < static_cast<int>(stretches_.size()); ++id) Index(id, nullptr);
  if (pending_.empty()) return text;
  while (!pending_.empty()) {
    auto first = pending_.begin();
    Key key = first->first;
    std::vector<int> places = std::move(first->second);
    pending_.erase(first);
    ++pass_;
    Pass(key, places);
    if (tooLong_ != nullptr) {
      if (tooLong != nullptr) *tooLong = *tooLong_;
      return std::string();
    }
  }
  return Join();
}

}  // namespace

std::string SubstituteSymbols(const std::string& text, const SymbolMap& global,
                              const SymbolMap& script, const SymbolNameFacts& names,
                              std::string* tooLong) {
  if (text.find('%') == std::string::npos) return text;
  if (names.anyWithPercent) return SubstituteSymbolsOneByOne(text, global, script, tooLong);
  return Substitution(global, script, names.longest).Run(text, tooLong);
}

std::string SubstituteSymbolsOneByOne(const std::string& text, const SymbolMap& global,
                                      const SymbolMap& script, std::string* tooLong) {
  std::string work = text;
  if (work.find('%') == std::string::npos) return work;
  const size_t limit = text.size() + kMaxSubstitutionGrowth;
  for (const SymbolMap* table : {&global, &script}) {
    for (const auto& symbol : *table) {
      if (!ReplaceOneSymbol(work, "%" + symbol.first + "%", symbol.second, limit)) {
        if (tooLong != nullptr) *tooLong = symbol.first;
        return std::string();
      }
    }
  }
  return work;
}
