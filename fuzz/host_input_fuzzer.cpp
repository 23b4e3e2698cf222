// What the host program reads from outside: a scenario, read step by step as the host reads a
// file, and each request it looks into before sending it (an interactive line, or a request of
// the scenario) together with the result it prints. Reading either gives steps or says why it
// stopped; the quick look at a request's target agrees with the full summary of it.
#include <string>

#include "fuzz_check.h"
#include "scenario.h"
#include "xml_peek.h"

namespace {

void CheckPeekAgrees(const std::string& request) {
    const RequestSummary summary = SummariseRequest(request);
    const RequestSummary peek = PeekRequestTarget(request);
    FuzzCheck(summary.type == peek.type && summary.name == peek.name && summary.id == peek.id,
              "the peek at a request's target agrees with its summary", request);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    ScenarioReader scenario(text, "input");
    std::size_t steps = 0;
    while (const auto step = scenario.Next()) {
        FuzzCheck(++steps <= size, "a scenario has fewer steps than bytes");
        if (step->kind == ScenarioStep::Kind::Request) {
            CheckPeekAgrees(step->text);
        }
    }

    SummariseRequest(text);
    PeekRequestTarget(text);
    ResultValue(text);
    return 0;
}
