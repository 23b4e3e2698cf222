// The nearest of a few known words to one that was mistyped, for "did you mean ...?".
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Edits between the two (insert, delete, replace, swap two neighbours); ASCII case differences
// cost nothing, so "Fire" is no edit away from "fire".
std::size_t EditDistance(std::string_view a, std::string_view b);

// The candidate nearest to the word, when it is near enough to be what was meant: at most one
// edit for a word of up to four letters, two up to eight, three beyond. The first of equals wins;
// the word itself is never suggested.
std::optional<std::string> NearestWord(std::string_view word,
                                       const std::vector<std::string_view>& candidates);
