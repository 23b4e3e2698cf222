// Command sequences through the real plug-in and host services, checked step by step against a
// small model of the trigger table: which triggers are registered, with which condition and
// action, and whether the manager is suspended. Every fire reply must list exactly the triggers
// whose condition selects the data (unless suspended), in byte order of their ids, and exactly
// their actions must run, in that order.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "markup.h"
#include "plugin_session.h"
#include "reference_wildcard.h"

namespace {

// Pieces of ids and patterns: case pairs, multibyte characters, characters XML must escape.
constexpr std::array<std::string_view, 8> kIdPieces = {
    "a", "A", "b", "\xC3\xA9", "\xC3\x89", "\xE2\x9C\x93", "&", "<"};
constexpr std::array<std::string_view, 8> kPatternPieces = {
    "a", "A", "b", "\xC3\xA9", "\xE2\x9C\x93", "&", "*", "?"};

// The fired data is a few <k v="n"/> elements, k one of x y z and n 0 or 1.
struct Item {
    char kind;
    int value;
};
using Data = std::vector<Item>;

bool Has(const Data& data, char kind, int value = -1) {
    for (const Item& item : data) {
        if (item.kind == kind && (value < 0 || item.value == value)) {
            return true;
        }
    }
    return false;
}

// Conditions with what each selects in such data; nullptr marks one that does not compile.
struct Condition {
    std::string_view text;
    bool (*selects)(const Data&);
};
constexpr std::array<Condition, 9> kConditions = {{
    {"", [](const Data&) { return true; }},
    {"/TriggerData/x", [](const Data& d) { return Has(d, 'x'); }},
    {"/TriggerData/y[@v='1']", [](const Data& d) { return Has(d, 'y', 1); }},
    {"not(/TriggerData/z)", [](const Data& d) { return !Has(d, 'z'); }},
    {"count(/TriggerData/*) >= 2", [](const Data& d) { return d.size() >= 2; }},
    {"x", [](const Data& d) { return Has(d, 'x'); }},
    {"/TriggerData/x[@v='0'] | /TriggerData/z",
     [](const Data& d) { return Has(d, 'x', 0) || Has(d, 'z'); }},
    {"/TriggerData[count(*) = 0]", [](const Data& d) { return d.empty(); }},
    {"/TriggerData/[", nullptr},
}};

constexpr std::size_t kMostCommands = 64;

std::string Request(std::string_view name, std::string_view attributes = {},
                    std::string_view content = {}) {
    std::string text = "<Request type=\"trigger\" name=\"";
    text.append(name);
    text += '"';
    text.append(attributes);
    if (content.empty()) {
        return text + "/>";
    }
    text += ">";
    text.append(content);
    return text + "</Request>";
}

std::string ActionOf(int serial) {
    return "<Action type=\"host\" name=\"log\"><Ran n=\"" + std::to_string(serial) +
           "\"/></Action>";
}

std::string DataXml(const Data& data) {
    std::string xml;
    for (const Item& item : data) {
        xml += "<";
        xml += item.kind;
        xml += " v=\"" + std::to_string(item.value) + "\"/>";
    }
    return xml.empty() ? "<TriggerData/>" : "<TriggerData>" + xml + "</TriggerData>";
}

class ModelRun {
  public:
    ModelRun(FuzzedDataProvider& input, PluginSession& session)
        : input_(input), session_(session) {}

    void Step() {
        switch (input_.ConsumeIntegralInRange(0, 9)) {
            case 0:
            case 1:
            case 2:
                Register();
                break;
            case 3:
                UnregisterExact();
                break;
            case 4:
                Unregister(Text(kPatternPieces));
                break;
            case 5:
            case 6:
                Fire(NewData());
                break;
            case 7:
                Expect(Request("suspend"), kTrueResult);
                suspended_ = true;
                break;
            case 8:
                Expect(Request("resume"), kTrueResult);
                suspended_ = false;
                break;
            default:
                Expect(Request("deletedb"), kTrueResult);
                triggers_.clear();
                break;
        }
    }

    // After `unregisteraction *` nothing is left to match.
    void Finish() {
        Unregister("*");
        Expect(Request("resume"), kTrueResult);
        suspended_ = false;
        FuzzCheck(triggers_.empty(), "the model forgets every trigger for '*'");
        Fire({{'x', 0}, {'y', 1}});
    }

  private:
    struct Trigger {
        std::size_t condition;
        int serial;
    };

    template <std::size_t N>
    std::string Text(const std::array<std::string_view, N>& pieces) {
        std::string text;
        for (int length = input_.ConsumeIntegralInRange(1, 4); length > 0; --length) {
            text += pieces[input_.ConsumeIntegralInRange<std::size_t>(0, N - 1)];
        }
        return text;
    }

    Data NewData() {
        Data data;
        for (int items = input_.ConsumeIntegralInRange(0, 3); items > 0; --items) {
            data.push_back({static_cast<char>('x' + input_.ConsumeIntegralInRange(0, 2)),
                            input_.ConsumeIntegralInRange(0, 1)});
        }
        return data;
    }

    PluginSession::Outcome Expect(const std::string& request, std::string_view result) {
        PluginSession::Outcome outcome = session_.Run(request);
        FuzzCheck(outcome.text == result, "a command gives the result the model expects",
                  request + "\n  gave " + outcome.text + "\n  expected " + std::string(result));
        FuzzCheck(outcome.code == (result == kFalseResult ? S_FALSE : S_OK),
                  "a command's code follows its result", request);
        return outcome;
    }

    void Register() {
        const std::string id = Text(kIdPieces);
        const auto condition =
            input_.ConsumeIntegralInRange<std::size_t>(0, kConditions.size() - 1);
        const int serial = ++serials_;
        const bool accepted = kConditions[condition].selects != nullptr;
        Expect(Request("registeraction",
                       MarkupAttribute("id", id) +
                           MarkupAttribute("condition", kConditions[condition].text),
                       ActionOf(serial)),
               accepted ? kTrueResult : kFalseResult);
        if (accepted) {
            triggers_[id] = {condition, serial};
        }
    }

    // An id registered now (perhaps in the other case) or a new one.
    void UnregisterExact() {
        std::string id = Text(kIdPieces);
        if (!triggers_.empty() && input_.ConsumeBool()) {
            auto entry = triggers_.begin();
            std::advance(entry,
                         input_.ConsumeIntegralInRange<std::size_t>(0, triggers_.size() - 1));
            id = entry->first;
            if (input_.ConsumeBool() && (id[0] == 'a' || id[0] == 'A')) {
                id[0] ^= 0x20;
            }
        }
        Unregister(id);
    }

    void Unregister(const std::string& idOrPattern) {
        Expect(Request("unregisteraction", MarkupAttribute("id", idOrPattern)), kTrueResult);
        if (idOrPattern.find_first_of("*?") == std::string::npos) {
            triggers_.erase(idOrPattern);
            return;
        }
        std::erase_if(triggers_, [&](const auto& entry) {
            const auto matches = ReferenceMatch(idOrPattern, entry.first);
            FuzzCheck(matches.has_value(), "ids and patterns are well-formed UTF-8");
            return *matches;
        });
    }

    void Fire(const Data& data) {
        const std::string xml = DataXml(data);
        std::string reply;
        std::vector<std::string> lines;
        if (suspended_) {
            reply = "<FireResult suspended=\"true\" matched=\"0\"/>";
        } else {
            std::string listed;
            std::size_t matched = 0;
            // The map's order is byte order: std::string compares its chars as unsigned.
            for (const auto& [id, trigger] : triggers_) {
                if (kConditions[trigger.condition].selects(data)) {
                    ++matched;
                    listed += "<Trigger id=\"" + EscapeMarkup(id) + "\"/>";
                    std::string line = ActionOf(trigger.serial);
                    line.insert(line.size() - std::string_view("</Action>").size(), xml);
                    lines.push_back(line);
                }
            }
            reply = "<FireResult matched=\"" + std::to_string(matched) + "\"" +
                    (listed.empty() ? "/>" : ">" + listed + "</FireResult>");
        }
        const std::string request = Request("fire", {}, xml);
        Expect(request, FireResult(reply));
        session_.WaitIdle();
        const std::vector<std::string> ran = session_.TakeLines();
        std::string shown;
        for (const std::string& line : ran) {
            shown += "\n  ran " + line;
        }
        FuzzCheck(ran == lines, "exactly the matched triggers' actions run, in id order",
                  request + shown);
    }

    FuzzedDataProvider& input_;
    PluginSession& session_;
    std::map<std::string, Trigger> triggers_;
    bool suspended_ = false;
    int serials_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    PluginSession session(input.ConsumeIntegralInRange(0, 3) == 0);
    ModelRun run(input, session);
    for (std::size_t step = 0; step < kMostCommands && input.remaining_bytes() > 0; ++step) {
        run.Step();
    }
    run.Finish();
    return 0;
}
