// Trigger-id patterns for RemoveTrigger, over UTF-8 text: anchored at both ends, '*' any run of
// characters (none included), '?' exactly one character (one UTF-8 sequence), ASCII letters in
// either case. Exact ids, by contrast, compare case-sensitively.
#pragma once

#include <string_view>

// Whether the text is a pattern rather than an exact id.
bool IsIdPattern(std::string_view text) noexcept;

// Time grows with pattern length times id length at worst: only the last star is ever retried.
bool MatchesIdPattern(std::string_view pattern, std::string_view id) noexcept;
