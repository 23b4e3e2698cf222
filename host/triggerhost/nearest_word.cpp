#include "nearest_word.h"

#include <algorithm>

namespace {

char Folded(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::size_t Allowed(std::size_t length) {
    return length <= 4 ? 1 : length <= 8 ? 2 : 3;
}

}  // namespace

std::size_t EditDistance(std::string_view a, std::string_view b) {
    // Three rows of the table: two back are needed for a swap of neighbours.
    std::vector<std::size_t> before(b.size() + 1);
    std::vector<std::size_t> previous(b.size() + 1);
    std::vector<std::size_t> current(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        previous[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t cost = Folded(a[i - 1]) == Folded(b[j - 1]) ? 0 : 1;
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
            if (i > 1 && j > 1 && Folded(a[i - 1]) == Folded(b[j - 2]) &&
                Folded(a[i - 2]) == Folded(b[j - 1])) {
                current[j] = std::min(current[j], before[j - 2] + 1);
            }
        }
        std::swap(before, previous);
        std::swap(previous, current);
    }
    return previous[b.size()];
}

std::optional<std::string> NearestWord(std::string_view word,
                                       const std::vector<std::string_view>& candidates) {
    std::optional<std::string> nearest;
    std::size_t best = Allowed(word.size()) + 1;
    for (const std::string_view candidate : candidates) {
        if (candidate == word) {
            continue;
        }
        const std::size_t distance = EditDistance(word, candidate);
        if (distance < best && distance <= Allowed(candidate.size())) {
            best = distance;
            nearest = std::string(candidate);
        }
    }
    return nearest;
}
