// Trigger-id patterns: '*' any run of characters, '?' exactly one character, anchored at both
// ends. Characters are whole UTF-8 sequences; ASCII letters match either case.
#pragma once

// False when either is null. Time grows with pattern length times text length, never faster.
bool MatchWildcard(const char* pattern, const char* text);

// Whether an id is a pattern rather than an exact id.
bool IsWildcardPattern(const char* id);
