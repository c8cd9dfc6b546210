// Edit distance with adjacent swaps (optimal string alignment), compared without letter case.
#include "tools/lib/lint/name_suggestion.h"

#include <algorithm>
#include <cctype>

namespace lint {

namespace {

std::string lowerCase(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

// One edit for short words, two from six letters on; none for one or two letters, where any
// edit makes another word.
size_t allowance(const std::string& word) {
    return word.size() <= 2 ? 0 : word.size() <= 5 ? 1 : 2;
}

} // namespace

std::string closestName(const std::string& word, const std::vector<std::string>& candidates) {
    const std::string lowered = lowerCase(word);
    std::string best;
    size_t bestDistance = allowance(word) + 1;
    for (const std::string& candidate : candidates) {
        if (candidate == word)
            continue;
        size_t distance = editDistance(lowered, lowerCase(candidate));
        if (distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

std::string didYouMean(const std::string& word, const std::vector<std::string>& candidates) {
    std::string name = closestName(word, candidates);
    return name.empty() ? "" : " (did you mean '" + name + "'?)";
}

} // namespace lint
