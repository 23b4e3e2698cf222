// The module's pattern match (unregistering from its action table) and the trigger manager's
// (RemoveTrigger) against the plain reference, on the same pattern and text. Where both are
// well-formed UTF-8 (all the system ever hands them) the three must agree; ill-formed bytes
// must still be read within their strings.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <string>
#include <string_view>

#include "bridge/wildcard.h"
#include "fuzz_check.h"
#include "reference_wildcard.h"
#include "triggermanager/id_pattern.h"

namespace {

// Small pieces that make matches likely: case pairs, several UTF-8 lengths, both wildcards and
// two ill-formed sequences (a lone lead byte, a lone continuation byte).
constexpr std::array<std::string_view, 16> kPieces = {"a",
                                                      "A",
                                                      "b",
                                                      "B",
                                                      "*",
                                                      "?",
                                                      ".",
                                                      "\xC3\xA9" /* é */,
                                                      "\xC3\x89" /* É */,
                                                      "\xE2\x9C\x93" /* check mark */,
                                                      "\xF0\x9F\x98\x80" /* emoji */,
                                                      "\xC3",
                                                      "\x80",
                                                      "ab",
                                                      "**",
                                                      "\xE2\x9C"};

std::string PieceText(FuzzedDataProvider& input, std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i < length && input.remaining_bytes() > 0; ++i) {
        text += kPieces[input.ConsumeIntegral<std::uint8_t>() % kPieces.size()];
    }
    return text;
}

// A zero byte would end the module's C string early; the system's ids never hold one.
std::string WithoutZeros(std::string text) {
    std::erase(text, '\0');
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::string pattern;
    std::string text;
    if (input.ConsumeBool()) {
        pattern = PieceText(input, input.ConsumeIntegralInRange<std::size_t>(0, 12));
        text = PieceText(input, input.remaining_bytes());
    } else {
        pattern = WithoutZeros(input.ConsumeRandomLengthString(256));
        text = WithoutZeros(input.ConsumeRemainingBytesAsString());
    }

    const bool module = MatchWildcard(pattern.c_str(), text.c_str());
    const bool manager = MatchesIdPattern(pattern, text);
    const bool wildcards = pattern.find_first_of("*?") != std::string::npos;
    FuzzCheck(IsWildcardPattern(pattern.c_str()) == wildcards, "the module tells patterns apart",
              pattern);
    FuzzCheck(IsIdPattern(pattern) == wildcards, "the manager tells patterns apart", pattern);

    if (const auto expected = ReferenceMatch(pattern, text)) {
        const std::string shown = "pattern '" + pattern + "', text '" + text + "'";
        FuzzCheck(module == *expected, "the module's match agrees with the reference", shown);
        FuzzCheck(manager == *expected, "the manager's match agrees with the reference", shown);
    }
    return 0;
}
