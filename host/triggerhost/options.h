// The host program's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct HostOptions {
    std::string scenarioPath;  // empty: the built-in demonstration scenario
    bool interactive = false;  // read requests from standard input
    std::string databasePath;  // empty: the trigger database lives in memory
    bool deliveryThread = false;
    // Firings one chain of triggers may run in all; 0 keeps the trigger manager's default.
    std::int32_t chainBudget = 0;
    bool quiet = false;
    bool verbose = false;
    bool json = false;       // one JSON object per line instead of lines for people
    std::string modulePath;  // empty: the plug-in module beside the program
    // The plug-in's configuration documents over the platform's XML DOM (platform-dom/ beside the
    // program) instead of the configuration-data library beside it.
    bool platformDom = false;
    bool help = false;
};

// Parses argv; on a bad command line returns nothing and sets `error` to a one-line message.
std::optional<HostOptions> ParseOptions(const std::vector<std::string>& arguments,
                                        std::string& error);

// The usage text, manual-page style.
std::string UsageText();
