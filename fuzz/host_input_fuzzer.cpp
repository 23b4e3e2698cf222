// What the host program reads from outside, through the code it really reads it with: a scenario,
// read whole and in pieces of many sizes as a file is; the same text behind a document type that
// declares entities; the text as interactive lines of a bounded length; the first line as a
// shorthand command turned into a request; and every request looked into before it is sent.
//
// What must hold: reading in pieces gives the steps and the outcome that reading whole gives; a
// document type is refused before anything else is read, and no entity it declares is expanded
// anywhere; a line or a request over the size bound (made small here) is refused, never held; a
// shorthand command makes a request that says what was typed, and is well-formed whenever what was
// typed is text; the quick look at a request's target agrees with its full summary.
#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "host_xml.h"
#include "input_limits.h"
#include "line_reader.h"
#include "scenario.h"
#include "shorthand.h"
#include "xml_peek.h"

namespace {

constexpr std::string_view kExpanded = "EntityTextExpanded";
constexpr std::string_view kDocumentType =
    "<!DOCTYPE Scenario [<!ENTITY e \"EntityTextExpanded\">"
    "<!ENTITY f SYSTEM \"file:///etc/hostname\">]>";

// The choices that are not the text itself (piece sizes, line bounds) follow from the text, so
// that each input is read the same way every time it is run.
class Choices {
  public:
    explicit Choices(std::string_view text) : state_(0x9E3779B97F4A7C15ull ^ text.size()) {
        for (const char c : text) {
            state_ = (state_ ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
        }
    }
    // From 1 to `most`.
    std::size_t UpTo(std::size_t most) {
        state_ += 0x9E3779B97F4A7C15ull;
        std::uint64_t mixed = (state_ ^ (state_ >> 30)) * 0xBF58476D1CE4E5B9ull;
        mixed = (mixed ^ (mixed >> 27)) * 0x94D049BB133111EBull;
        return 1 + static_cast<std::size_t>((mixed ^ (mixed >> 31)) % most);
    }

  private:
    std::uint64_t state_;
};

struct Reading {
    std::vector<ScenarioStep> steps;
    std::string error;
};

Reading ReadAll(ScenarioReader& reader) {
    Reading reading;
    while (auto step = reader.Next()) {
        FuzzCheck(step->text.size() <= kMaxRequestBytes, "no step is larger than the bound");
        reading.steps.push_back(std::move(*step));
    }
    reading.error = reader.error();
    FuzzCheck(reading.error.find('\n') == std::string::npos, "a scenario error is one line",
              reading.error);
    return reading;
}

// The text handed over in pieces: all at once when `pieceBytes` is null, else each piece as long
// as it says.
Reading ReadInPieces(std::string_view text, Choices* pieceBytes) {
    ScenarioReader reader(
        [text, pieceBytes]() mutable {
            const std::string_view piece = text.substr(
                0, pieceBytes != nullptr ? pieceBytes->UpTo(text.size() / 4 + 8) : text.size());
            text.remove_prefix(piece.size());
            return piece;
        },
        "input");
    return ReadAll(reader);
}

// The steps and outcome of a reading, for a finding's report.
std::string Told(const Reading& reading) {
    std::string told;
    for (const ScenarioStep& step : reading.steps) {
        told += "[" + step.text + "] ";
    }
    return told + "error: " + reading.error;
}

bool SameSteps(const Reading& one, const Reading& other) {
    if (one.steps.size() != other.steps.size() || one.error.empty() != other.error.empty()) {
        return false;
    }
    for (std::size_t i = 0; i < one.steps.size(); ++i) {
        if (one.steps[i].kind != other.steps[i].kind || one.steps[i].text != other.steps[i].text) {
            return false;
        }
    }
    return true;
}

bool Shows(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

void CheckNotExpanded(const RequestSummary& summary, std::string_view detail) {
    for (const std::string* field : {&summary.type, &summary.name, &summary.id, &summary.payload,
                                     &summary.condition, &summary.action}) {
        FuzzCheck(!Shows(*field, kExpanded), "no entity of a document type is expanded", detail);
    }
}

// What the host does with a request before sending it, and with a text it prints as a result.
void CheckRequestLook(const std::string& request, bool inputShowsExpansion) {
    const RequestSummary summary = SummariseRequest(request);
    const RequestSummary peek = PeekRequestTarget(request);
    // The peek reads no further than the root's start tag, so it may name the target of a request
    // that is not well-formed after it.
    const bool sameTarget =
        summary.type == peek.type && summary.name == peek.name && summary.id == peek.id;
    FuzzCheck((sameTarget || !XmlFault(request).empty()) &&
                  (summary.refusal != nullptr) == (peek.refusal != nullptr),
              "the peek at a request's target agrees with its summary", request);
    if (!inputShowsExpansion) {
        CheckNotExpanded(summary, request);
        CheckNotExpanded(peek, request);
        const std::string value = ResultValue(request);
        FuzzCheck(value == request || !Shows(value, kExpanded),
                  "no entity of a document type is expanded in a result", request);
    }
}

// Markup that a request costs the reader: elements with their attributes and namespace
// declarations, comments, instructions and character sections.
std::size_t MarkupItems(xmlNode* node) {
    std::size_t items = 0;
    for (; node != nullptr; node = node->next) {
        if (node->type == XML_ELEMENT_NODE) {
            ++items;
            for (xmlAttr* attribute = node->properties; attribute != nullptr;
                 attribute = attribute->next) {
                ++items;
            }
            for (xmlNs* declared = node->nsDef; declared != nullptr; declared = declared->next) {
                ++items;
            }
            items += MarkupItems(node->children);
        } else if (node->type != XML_TEXT_NODE) {
            ++items;
        }
    }
    return items;
}

// The same reading under small bounds: it stops at the first request over them, with the reason,
// after handing on what came before; and what it hands on is within them. A serialised request
// may be larger than its text in the scenario (a quote in an attribute is written as a character
// reference of six bytes), never more than that.
void CheckBounds(std::string_view text, const Reading& unbounded, Choices& choices) {
    const RequestBounds bounds{8 + choices.UpTo(512), choices.UpTo(24)};
    ScenarioReader reader([text]() mutable { return std::exchange(text, std::string_view()); },
                          "input", bounds);
    const Reading bounded = ReadAll(reader);
    FuzzCheck(bounded.steps.size() <= unbounded.steps.size() &&
                  std::equal(bounded.steps.begin(), bounded.steps.end(), unbounded.steps.begin(),
                             [](const ScenarioStep& one, const ScenarioStep& other) {
                                 return one.kind == other.kind && one.text == other.text;
                             }),
              "a bounded reading hands on what an unbounded one does, up to where it stops");
    if (bounded.steps.size() < unbounded.steps.size() || bounded.error != unbounded.error) {
        FuzzCheck(Shows(bounded.error, "larger than " + SizeText(bounds.bytes)) ||
                      Shows(bounded.error, "holds more than " + std::to_string(bounds.items)) ||
                      Shows(bounded.error, "more than " + SizeText(bounds.bytes) + " of markup"),
                  "a reading stopped by its bounds says so", bounded.error);
    }
    for (const ScenarioStep& step : bounded.steps) {
        FuzzCheck(step.text.size() <= 6 * bounds.bytes, "a step handed on is within the bound",
                  step.text);
        const Document document(xmlReadMemory(step.text.data(), static_cast<int>(step.text.size()),
                                              nullptr, nullptr, kHostParseOptions));
        if (step.kind == ScenarioStep::Kind::Request && document) {
            FuzzCheck(MarkupItems(xmlDocGetRootElement(document.get())) <= bounds.items,
                      "a request handed on holds no more markup than the bound", step.text);
        }
    }
}

void CheckScenario(std::string_view text, Choices& choices) {
    const Reading whole = ReadInPieces(text, nullptr);
    const Reading pieces = ReadInPieces(text, &choices);
    FuzzCheck(SameSteps(whole, pieces), "reading in pieces gives the steps of reading whole",
              "whole: " + Told(whole) + "\nin pieces: " + Told(pieces));
    CheckBounds(text, whole, choices);
    const bool showsExpansion = Shows(text, kExpanded);
    for (const ScenarioStep& step : whole.steps) {
        if (step.kind == ScenarioStep::Kind::Request) {
            CheckRequestLook(step.text, showsExpansion);
        }
    }

    std::string declared(kDocumentType);
    declared.append(text);
    const Reading refused = ReadInPieces(declared, &choices);
    FuzzCheck(refused.steps.empty() && !refused.error.empty(),
              "a scenario with a document type gives no step", declared);
    CheckRequestLook(declared, showsExpansion);
    FuzzCheck(SummariseRequest(declared).type.empty(), "a request with a document type is not read",
              declared);
}

// Every character of the text may stand in XML: well-formed UTF-8 of the characters XML allows.
bool IsXmlText(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80             ? 1
                                   : (lead & 0xE0) == 0xC0 ? 2
                                   : (lead & 0xF0) == 0xE0 ? 3
                                   : (lead & 0xF8) == 0xF0 ? 4
                                                           : 0;
        if (length == 0 || at + length > text.size()) {
            return false;
        }
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[at + i]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        const bool allowed =
            code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
            (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
        if (code < kLeast[length] || !allowed) {
            return false;
        }
        at += length;
    }
    return true;
}

// A request made from an id (and a condition) typed in a shorthand command carries them exactly,
// and is well-formed whenever they are text and no action markup was typed.
void CheckMadeRequest(const std::string& request, const char* name, const std::string& id,
                      const std::string& condition, bool typedMarkup) {
    const std::string fault = XmlFault(request);
    if (!typedMarkup && IsXmlText(id) && IsXmlText(condition)) {
        FuzzCheck(fault.empty(), "a command of text makes a well-formed request", request);
    }
    if (!fault.empty()) {
        return;
    }
    const RequestSummary summary = SummariseRequest(request);
    FuzzCheck(summary.type == "trigger" && summary.name == name && summary.id == id &&
                  summary.condition == condition,
              "a shorthand request carries what was typed", request);
}

void CheckShorthand(std::string_view line) {
    const auto [word, rest] = SplitWord(line);
    std::string error;
    if (word == "register") {
        if (const auto registration = ParseRegistration(rest, error)) {
            const std::string request =
                RegisterRequest(registration->id, registration->condition, registration->actionXml);
            CheckMadeRequest(request, "registeraction", registration->id, registration->condition,
                             !registration->actionXml.empty());
        }
    } else if (word == "unregister") {
        if (const auto id = ParseId(rest, error)) {
            CheckMadeRequest(UnregisterRequest(*id), "unregisteraction", *id, "", false);
        }
    } else if (word == "fire") {
        const std::string request = FireRequest(rest);
        if (XmlFault(request).empty()) {
            const RequestSummary target = PeekRequestTarget(request);
            FuzzCheck(target.name == "fire" && target.id.empty(),
                      "the data of a fire command cannot change what the request asks", request);
        }
    } else if (word == "test") {
        if (const auto trial = ParseTrial(rest, error)) {
            const std::string_view typed = Trimmed(rest);
            FuzzCheck(!trial->dataXml.empty() && trial->dataXml[0] == '<' &&
                          typed.starts_with(trial->condition) && typed.ends_with(trial->dataXml),
                      "a trial is the condition, then the data, as typed", rest);
        }
    }
}

// Interactive lines: each line is given unless longer than the bound, which is skipped whole.
void CheckLines(std::string_view text, Choices& choices) {
    const std::size_t maxBytes = choices.UpTo(48) - 1;
    std::istringstream input{std::string(text)};
    LineReader reader(input, maxBytes, 1 + choices.UpTo(24));
    std::string line;
    std::size_t start = 0;
    for (LineReader::Status status; (status = reader.Next(line)) != LineReader::Status::End;) {
        FuzzCheck(start < text.size(), "no line after the end of the input", text);
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view expected = text.substr(start, end - start);
        const bool tooLong = expected.size() > maxBytes;
        FuzzCheck(status == (tooLong ? LineReader::Status::TooLong : LineReader::Status::Line) &&
                      line == (tooLong ? std::string_view() : expected),
                  "a line is given as it was read, or refused when longer than the bound",
                  expected);
        start = end + 1;
    }
    FuzzCheck(start >= text.size(), "every line is given", text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Choices choices(text);
    CheckScenario(text, choices);
    CheckLines(text, choices);
    const std::string_view firstLine = text.substr(0, text.find('\n'));
    CheckShorthand(firstLine);
    const std::string request(Trimmed(firstLine));
    CheckRequestLook(request, Shows(text, kExpanded));
    FuzzCheck(XmlFault(request).find('\n') == std::string::npos, "a fault is told in one line");
    return 0;
}
