#include "os/wildcard_match.h"

#include <vector>

#include "os/case_fold.h"

namespace os {

namespace {

// The DOS wildcards Windows turns a pattern into before matching.
constexpr char kDosStar = '<';  // '*' before a dot: up to the name's last dot
constexpr char kDosQm = '>';    // '?': one character, or none at a dot or the end
constexpr char kDosDot = '"';   // '.' before a wildcard or at the end: a dot, or none at the end

std::string ToDosPattern(const std::string& pattern) {
  std::string dos = pattern;
  for (size_t i = 0; i < dos.size(); ++i) {
    char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    if (pattern[i] == '?') {
      dos[i] = kDosQm;
    } else if (pattern[i] == '*' && next == '.') {
      dos[i] = kDosStar;
    } else if (pattern[i] == '.' && (next == '?' || next == '*' || next == '\0')) {
      dos[i] = kDosDot;
    }
  }
  return dos;
}

char Upper(char c) { return static_cast<char>(UpperCaseAnsiChar(static_cast<unsigned char>(c))); }

class Matcher {
 public:
  Matcher(const std::string& pattern, const std::string& name)
      : p_(pattern), n_(name), lastDot_(name.rfind('.')),
        memo_((pattern.size() + 1) * (name.size() + 1), kUnknown) {}

  bool Match(size_t pi, size_t ni) {
    char& seen = memo_[pi * (n_.size() + 1) + ni];
    if (seen == kUnknown) seen = Compute(pi, ni) ? kYes : kNo;
    return seen == kYes;
  }

 private:
  static constexpr char kUnknown = 0, kYes = 1, kNo = 2;

  bool Compute(size_t pi, size_t ni) {
    if (pi == p_.size()) return ni == n_.size();
    char c = p_[pi];
    bool atEnd = ni == n_.size();
    switch (c) {
      case '*':
        return Match(pi + 1, ni) || (!atEnd && Match(pi, ni + 1));
      case kDosStar:
        return Match(pi + 1, ni) || (!atEnd && ni != lastDot_ && Match(pi, ni + 1));
      case kDosQm:
        if (atEnd || n_[ni] == '.') return Match(pi + 1, ni);
        return Match(pi + 1, ni + 1);
      case kDosDot:
        if (atEnd) return Match(pi + 1, ni);
        return n_[ni] == '.' && Match(pi + 1, ni + 1);
      default:
        return !atEnd && Upper(c) == Upper(n_[ni]) && Match(pi + 1, ni + 1);
    }
  }

  const std::string& p_;
  const std::string& n_;
  size_t lastDot_;
  std::vector<char> memo_;
};

}  // namespace

bool MatchesFilePattern(const std::string& pattern, const std::string& name) {
  std::string dos = ToDosPattern(pattern);
  return Matcher(dos, name).Match(0, 0);
}

}  // namespace os
