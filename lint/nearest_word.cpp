#include "lint/nearest_word.h"

#include <algorithm>

#include "lint/script_text.h"

namespace {

size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::string NearestWord(const std::string& word, const std::vector<std::string>& candidates) {
  // Keys are short; a long value pasted as a key is not worth the time.
  if (word.size() > 128) return std::string();
  const std::string folded = FoldName(word);
  const size_t limit = std::max<size_t>(2, word.size() / 2);
  std::string best;
  size_t bestDistance = limit + 1;
  for (const std::string& candidate : candidates) {
    size_t distance = EditDistance(folded, FoldName(candidate));
    if (distance < bestDistance) {
      bestDistance = distance;
      best = candidate;
    }
  }
  return best;
}
