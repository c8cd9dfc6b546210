// "Did you mean": the known name an unknown one was most likely meant to be. Used by the
// lint library's findings; the demo itself never suggests anything.
#pragma once

#include <string>
#include <vector>

namespace lint {

// The candidate that `word` differs from only in letter case, or else by the fewest edits
// (a letter missing, extra, changed, or two neighbours swapped) within a small allowance
// that grows with the word's length; empty when none is that close.
std::string closestName(const std::string& word, const std::vector<std::string>& candidates);

// " (did you mean 'name'?)", or empty when no candidate is close.
std::string didYouMean(const std::string& word, const std::vector<std::string>& candidates);

} // namespace lint
