// The plainest possible statement of the trigger-id pattern match, to check the fast matchers
// against: '*' any run of characters (none included), '?' exactly one character, anchored at
// both ends, characters being Unicode code points, ASCII letters equal to their other case.
#pragma once

#include <optional>
#include <string_view>

// Nothing when the pattern or the text is not well-formed UTF-8: the reference speaks only of
// characters, and ill-formed bytes are no characters.
std::optional<bool> ReferenceMatch(std::string_view pattern, std::string_view text);
