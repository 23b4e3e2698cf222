#include "shell_answers.h"

#include "input_limits.h"
#include "json_text.h"
#include "shorthand.h"

namespace {

// Data as a history line shows it: what was inside TriggerData, at most this many bytes.
constexpr std::size_t kDataShown = 120;

const char* FiringOutcomeText(LONG outcome) {
    switch (outcome) {
        case TRIGGERMANAGER_FIRING_EVALUATED:
            return "evaluated";
        case TRIGGERMANAGER_FIRING_SUSPENDED:
            return "suspended";
        case TRIGGERMANAGER_FIRING_REFUSED_LOOP:
            return "refused loop";
        case TRIGGERMANAGER_FIRING_REFUSED_BUDGET:
            return "refused budget";
        case TRIGGERMANAGER_FIRING_NOT_XML:
            return "data is not XML";
        default:
            return "unknown";
    }
}

// What was fired, without the declaration and the TriggerData element around it.
std::string FiredData(std::string_view data) {
    constexpr std::string_view kDeclaration = "<?xml version=\"1.0\"?>";
    constexpr std::string_view kOpen = "<TriggerData>";
    constexpr std::string_view kClose = "</TriggerData>";
    if (data.substr(0, kDeclaration.size()) == kDeclaration) {
        data = Trimmed(data.substr(kDeclaration.size()));
    }
    if (data.substr(0, kOpen.size()) == kOpen) {
        data.remove_prefix(kOpen.size());
        if (data.size() >= kClose.size() && data.substr(data.size() - kClose.size()) == kClose) {
            data.remove_suffix(kClose.size());
        }
    }
    return std::string(data);
}

}  // namespace

const char* TestOutcomeText(LONG outcome) {
    switch (outcome) {
        case TRIGGERMANAGER_TEST_MATCHED:
            return "matched";
        case TRIGGERMANAGER_TEST_NOT_MATCHED:
            return "not matched";
        case TRIGGERMANAGER_TEST_INVALID_CONDITION:
            return "invalid condition";
        case TRIGGERMANAGER_TEST_DATA_NOT_XML:
            return "data is not XML";
        case TRIGGERMANAGER_TEST_OUT_OF_WORK:
            return "out of work";
        default:
            return "unknown";
    }
}

const char* TestOutcomeMeaning(LONG outcome) {
    switch (outcome) {
        case TRIGGERMANAGER_TEST_MATCHED:
            return "the condition holds for this data: fire would match the trigger";
        case TRIGGERMANAGER_TEST_NOT_MATCHED:
            return "the condition does not hold for this data";
        case TRIGGERMANAGER_TEST_INVALID_CONDITION:
            return "not an XPath 1.0 expression the trigger manager accepts: register would "
                   "answer false";
        case TRIGGERMANAGER_TEST_DATA_NOT_XML:
            return "fire would answer nothing and fail";
        case TRIGGERMANAGER_TEST_OUT_OF_WORK:
            return "the evaluation stopped at its bound on work: fire would count the trigger "
                   "as not matched and list it as exhausted";
        default:
            return "";
    }
}

std::string Joined(const std::vector<std::string>& ids, LONG count) {
    std::string text;
    for (const std::string& id : ids) {
        text += text.empty() ? "" : ", ";
        text += id;
    }
    if (static_cast<std::size_t>(count) > ids.size()) {
        text += " and " + std::to_string(count - static_cast<LONG>(ids.size())) + " more";
    }
    return text;
}

Firing CopyFiring(const TriggerManagerFiring& facts) {
    Firing firing{facts,
                  {facts.matched, facts.matched + facts.matchedKept},
                  {facts.exhausted, facts.exhausted + facts.exhaustedKept},
                  facts.data != nullptr ? facts.data : ""};
    firing.facts.matched = nullptr;
    firing.facts.exhausted = nullptr;
    firing.facts.data = nullptr;
    return firing;
}

std::string FiringLine(const Firing& firing) {
    const TriggerManagerFiring& facts = firing.facts;
    std::string line = "  #" + std::to_string(facts.sequence);
    if (facts.depth > 1) {
        line += " (chain depth " + std::to_string(facts.depth) + ")";
    }
    line += "  " + Shortened(FiredData(firing.data), kDataShown) + "  -> ";
    switch (facts.outcome) {
        case TRIGGERMANAGER_FIRING_SUSPENDED:
            return line + "suspended: nothing evaluated";
        case TRIGGERMANAGER_FIRING_REFUSED_LOOP:
            return line + "refused: a loop (" + std::to_string(facts.depth) + " deep in its chain)";
        case TRIGGERMANAGER_FIRING_REFUSED_BUDGET:
            return line + "refused: its chain had run all " + std::to_string(facts.budget) +
                   " firings of its budget";
        case TRIGGERMANAGER_FIRING_NOT_XML:
            return line + "the data is not XML: nothing evaluated";
        default:
            break;
    }
    line += facts.matchedCount == 0 ? "matched nothing"
                                    : "matched " + Joined(firing.matched, facts.matchedCount);
    if (facts.exhaustedCount > 0) {
        line += "; out of work: " + Joined(firing.exhausted, facts.exhaustedCount);
    }
    return line;
}

std::string FiringJson(const Firing& firing) {
    const TriggerManagerFiring& facts = firing.facts;
    return JsonObject()
        .Text("kind", "firing")
        .Number("sequence", facts.sequence)
        .Number("depth", facts.depth)
        .Text("outcome", FiringOutcomeText(facts.outcome))
        .List("matched", firing.matched)
        .Number("matchedCount", facts.matchedCount)
        .List("exhausted", firing.exhausted)
        .Number("exhaustedCount", facts.exhaustedCount)
        .Number("budget", facts.budget)
        .Text("data", firing.data)
        .Number("dataBytes", facts.dataBytes)
        .Line();
}
