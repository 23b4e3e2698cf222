// The interactive commands and what help says about them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Every command word, in the order help lists them.
std::vector<std::string_view> CommandWords();

// The overview, or one command's text with examples; nothing for a word that is no command.
std::string HelpText();
std::optional<std::string> CommandHelp(std::string_view word);

// How many firings `history` can look back on, and shows when no number is given.
inline constexpr long kHistoryLength = 200;
inline constexpr long kHistoryShown = 10;
