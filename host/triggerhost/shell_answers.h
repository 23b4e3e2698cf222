// How the interactive commands that ask rather than send (test, history) put their answers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "triggermanager/triggermanager_host.h"

// What test found, in a word or two, and what that means for fire.
const char* TestOutcomeText(LONG outcome);
const char* TestOutcomeMeaning(LONG outcome);

// One firing of the history, copied out of the trigger manager's report.
struct Firing {
    TriggerManagerFiring facts;  // its pointers are not kept: the texts are below
    std::vector<std::string> matched;
    std::vector<std::string> exhausted;
    std::string data;
};
Firing CopyFiring(const TriggerManagerFiring& facts);

std::string FiringLine(const Firing& firing);
std::string FiringJson(const Firing& firing);

// "a, b and 3 more": the ids kept, and how many more there were.
std::string Joined(const std::vector<std::string>& ids, LONG count);
