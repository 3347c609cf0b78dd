// The known word nearest to a misspelt one, for "did you mean" hints.
#pragma once

#include <string>
#include <vector>

// The candidate with the fewest edits (case ignored) from word, if that is
// at most half its length (at least 2); empty when none is that near.
std::string NearestWord(const std::string& word, const std::vector<std::string>& candidates);
