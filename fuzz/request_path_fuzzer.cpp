// Requests of all six commands, built from the input, straight into RunAction of the real
// plug-in with the real host services; the actions of fired triggers run through the action
// manager. Every call keeps the result contract, and after `unregisteraction *` nothing fires.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "markup.h"
#include "plugin_session.h"

namespace {

constexpr std::string_view kResultOpen = "<ActionResult><Result";

constexpr std::array<std::string_view, 6> kCommands = {
    "registeraction", "unregisteraction", "deletedb", "fire", "suspend", "resume"};
// Most ids, conditions and data come from small pools, so that registrations succeed and
// firings match; the rest is the input's own text.
constexpr std::array<std::string_view, 8> kIds = {"a",          "A", "b",  "door.front",
                                                  "t\xC3\xBCr", "*", "a?", "d*"};
constexpr std::array<std::string_view, 8> kConditions = {"",
                                                         "/TriggerData/ping",
                                                         "/TriggerData/*",
                                                         "ping",
                                                         "/TriggerData/door[@state='open']",
                                                         "count(//*) > 1",
                                                         "string(/TriggerData)",
                                                         "not(/TriggerData/pong)"};
constexpr std::array<std::string_view, 6> kData = {
    "<ping/>", "<pong/>", "<door state=\"open\"/>", "text", "<a><b/></a>", "<t\xC3\xBCr/>"};
constexpr std::size_t kMostRequests = 48;
constexpr int kDeepestAction = 3;
constexpr int kMostFiringActions = 3;
// Small budgets, so the fuzzer reaches the refusal often and an input stays quick.
constexpr LONG kMostChainBudget = 24;

class RequestWriter {
  public:
    explicit RequestWriter(FuzzedDataProvider& input) : input_(input) {}

    std::string Next() {
        switch (input_.ConsumeIntegralInRange(0, 7)) {
            case 0:
                return RawRequest();
            case 1:
                return Element("Request", "trigger", kCommands[0], 0);
            default:
                return Element(input_.ConsumeBool() ? "Request" : "R", Type(), Command(), 0);
        }
    }

  private:
    std::string_view Type() {
        switch (input_.ConsumeIntegralInRange(0, 7)) {
            case 0:
                return "Trigger";
            case 1:
                return "";
            default:
                return "trigger";
        }
    }

    std::string Command() {
        const auto pick = input_.ConsumeIntegralInRange<std::size_t>(0, kCommands.size() + 1);
        if (pick < kCommands.size()) {
            return std::string(kCommands[pick]);
        }
        return pick == kCommands.size() ? "Fire" : input_.ConsumeRandomLengthString(12);
    }

    // Text the input chooses, markup and all: a request built with it may be malformed, a
    // payload may carry any XML. It never names an element Action, so every action stored is
    // one this writer made (see Action).
    std::string FreeText(std::size_t most) {
        std::string text = input_.ConsumeRandomLengthString(most);
        for (std::size_t at = text.find("Action"); at != std::string::npos;
             at = text.find("Action", at)) {
            text[at] = 'a';
        }
        return text;
    }

    std::string RawRequest() { return FreeText(512); }

    template <std::size_t N>
    std::string Pick(const std::array<std::string_view, N>& pool) {
        return std::string(pool[input_.ConsumeIntegralInRange<std::size_t>(0, N - 1)]);
    }
    bool FromPool() { return input_.ConsumeIntegralInRange(0, 3) != 0; }

    std::string Id() { return FromPool() ? Pick(kIds) : input_.ConsumeRandomLengthString(24); }
    std::string Condition() {
        return FromPool() ? Pick(kConditions) : input_.ConsumeRandomLengthString(80);
    }
    std::string Data() {
        if (!FromPool()) {
            return FreeText(160);
        }
        std::string data;
        for (int pieces = input_.ConsumeIntegralInRange(1, 3); pieces > 0; --pieces) {
            data += Pick(kData);
        }
        return data;
    }

    // A request or stored action: type and name from the writer, id, condition and payloads
    // from the input.
    std::string Element(std::string_view tag, std::string_view type, std::string_view name,
                        int depth) {
        std::string text = "<";
        text.append(tag);
        if (!type.empty()) {
            text += MarkupAttribute("type", type);
        }
        text += MarkupAttribute("name", name);
        if (input_.ConsumeIntegralInRange(0, 5) != 0) {
            text += MarkupAttribute("id", Id());
        }
        if (name == "registeraction") {
            text += MarkupAttribute("condition", Condition());
        }
        text += ">";
        if (name == "registeraction" && depth < kDeepestAction) {
            text += Action(depth + 1);
        }
        if (name == "fire" || name == "Fire" || input_.ConsumeIntegralInRange(0, 7) == 0) {
            text += "<TriggerData>" + Data() + "</TriggerData>";
        }
        text += "</";
        text.append(tag);
        return text + ">";
    }

    // The action a registration stores. Actions that fire data are limited to a few per input:
    // the chain budget bounds what they set off and a few reach it already, while every more
    // one multiplies the actions each chain runs, and so the time an input takes.
    std::string Action(int depth) {
        switch (input_.ConsumeIntegralInRange(0, 5)) {
            case 0:
                return "";
            case 1:
                return "<Action type=\"host\" name=\"nothing\"/>";
            case 2: {
                const std::string name = Command();
                if (name == "fire" || name == "Fire") {
                    if (fireActionsLeft_ == 0) {
                        return "<Action type=\"host\" name=\"log\"/>";
                    }
                    --fireActionsLeft_;
                }
                return Element("Action", "trigger", name, depth);
            }
            default:
                return "<Action type=\"host\" name=\"log\">" + EscapeMarkup(FreeText(40)) +
                       "</Action>";
        }
    }

    FuzzedDataProvider& input_;
    int fireActionsLeft_ = kMostFiringActions;
};

void CheckOutcome(const PluginSession::Outcome& outcome, const std::string& request) {
    if (FAILED(outcome.code)) {
        return;  // the session has checked the slot is null
    }
    if (outcome.text == kTrueResult || outcome.text == kFalseResult) {
        FuzzCheck((outcome.code == S_OK) == (outcome.text == kTrueResult),
                  "RunAction returns 0 exactly for a true result", request);
        return;
    }
    FuzzCheck(outcome.text.starts_with(kResultOpen) && outcome.text.ends_with("</ActionResult>"),
              "every result is a result document", outcome.text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const bool deliveryThread = input.ConsumeIntegralInRange(0, 3) == 0;
    PluginSession session(deliveryThread, input.ConsumeIntegralInRange<LONG>(1, kMostChainBudget));
    RequestWriter writer(input);
    for (std::size_t sent = 0; sent < kMostRequests && input.remaining_bytes() > 0; ++sent) {
        const std::string request = writer.Next();
        CheckOutcome(session.Run(request), request);
    }

    session.WaitIdle();
    FuzzCheck(
        session.Run("<R type=\"trigger\" name=\"unregisteraction\" id=\"*\"/>").text == kTrueResult,
        "unregistering every trigger succeeds");
    session.Run("<R type=\"trigger\" name=\"resume\"/>");
    session.TakeLines();
    const PluginSession::Outcome probe =
        session.Run("<R type=\"trigger\" name=\"fire\"><TriggerData><probe/></TriggerData></R>");
    session.WaitIdle();
    FuzzCheck(probe.text == FireResult("<FireResult matched=\"0\"/>"),
              "after unregistering every trigger a firing matches nothing", probe.text);
    FuzzCheck(session.TakeLines().empty(), "after unregistering every trigger nothing runs");
    return 0;
}
