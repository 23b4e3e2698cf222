#include "request_advice.h"

#include <iterator>
#include <string_view>
#include <vector>

#include "nearest_word.h"
#include "shorthand.h"
#include "triggermanager/triggermanager_host.h"

namespace {

template <std::size_t N>
std::vector<std::string_view> Words(const char* const (&words)[N]) {
    return {std::begin(words), std::end(words)};
}

std::string Listed(const std::vector<std::string_view>& words) {
    std::string text;
    for (const std::string_view word : words) {
        text += text.empty() ? "" : ", ";
        text += word;
    }
    return text;
}

std::string UnknownAction(const RequestSummary& request) {
    const std::string action = "no action " + request.type + "/" + request.name + " is registered";
    if (request.type != "trigger" && request.type != "host") {
        if (std::optional<std::string> type = NearestWord(request.type, {"trigger", "host"})) {
            return action + "; did you mean type=\"" + *type + "\"? (names are case-sensitive)";
        }
        return action;
    }
    const std::vector<std::string_view> names =
        request.type == "trigger" ? Words(kTriggerActions) : Words(kHostActions);
    if (std::optional<std::string> name = NearestWord(request.name, names)) {
        return action + "; did you mean name=\"" + *name + "\"? (names are case-sensitive)";
    }
    return action + "; the " + request.type + " actions are " + Listed(names);
}

std::string RefusedRegistration(const RequestSummary& request) {
    if (request.id.empty()) {
        return "the trigger id is empty";
    }
    LONG outcome = TRIGGERMANAGER_TEST_NOT_MATCHED;
    if (!request.condition.empty() &&
        SUCCEEDED(TriggerManagerTestCondition(request.condition.c_str(),
                                              TriggerDataDocument("").c_str(), &outcome)) &&
        outcome == TRIGGERMANAGER_TEST_INVALID_CONDITION) {
        return "the condition is not an XPath 1.0 expression the trigger manager accepts";
    }
    return "the trigger manager refused the trigger (--verbose shows why)";
}

}  // namespace

std::string RequestAdvice(const RequestSummary& request, const std::string& resultValue,
                          HRESULT code) {
    if (code == DISP_E_MEMBERNOTFOUND) {
        return UnknownAction(request);
    }
    if (code == E_INVALIDARG && request.type.empty() && request.name.empty()) {
        return "a request is one XML element with a \"type\" and a \"name\" attribute";
    }
    if (FAILED(code) || request.type != "trigger") {
        return {};
    }
    if (request.name == "fire" && code == S_FALSE) {
        // The plug-in fires the serialised TriggerData element, which is always XML: only its
        // absence leaves nothing to fire.
        return "the request has no <TriggerData> element, so there is no data to fire";
    }
    if (request.name == "registeraction" && resultValue == "false") {
        return RefusedRegistration(request);
    }
    return {};
}
