// The trigger index against evaluating every condition: triggers and fired data made from the
// input (the random cases of the differential test, or raw text now and then), added, replaced
// and removed in a registry, then every document fired both ways. The matches must be the same,
// in the same order; the conditions out of work may only be fewer.
#include <fuzzer/FuzzedDataProvider.h>

#include <chrono>
#include <string>
#include <vector>

#include "companions/utf.h"
#include "fire_cases.h"
#include "fuzz_check.h"
#include "triggermanager/condition.h"
#include "triggermanager/sqlite_driver.h"
#include "triggermanager/trigger_registry.h"

namespace {

class InputChoices final : public Choices {
  public:
    explicit InputChoices(FuzzedDataProvider& input) : input_(input) {}
    std::size_t Pick(std::size_t count) override {
        return input_.ConsumeIntegralInRange<std::size_t>(0, count - 1);
    }

  private:
    FuzzedDataProvider& input_;
};

std::string Condition(FuzzedDataProvider& input, Choices& choose) {
    return choose.Pick(8) == 0 ? input.ConsumeRandomLengthString(160) : RandomCondition(choose);
}

std::string Document(FuzzedDataProvider& input, Choices& choose) {
    return choose.Pick(16) == 0 ? input.ConsumeRandomLengthString(400) : RandomDocument(choose);
}

std::string Id(Choices& choose) {
    return std::string("t") += std::to_string(choose.Pick(24));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    InputChoices choose(input);
    TriggerRegistry registry("", DefaultSqliteDriver(), std::chrono::milliseconds(0));
    std::vector<std::string> documents;
    for (std::size_t n = 1 + choose.Pick(3); n > 0; --n) {
        documents.push_back(Document(input, choose));
    }
    std::string log;
    for (std::size_t round = 1 + choose.Pick(3); round > 0; --round) {
        for (std::size_t n = 1 + choose.Pick(16); n > 0; --n) {
            const std::string id = Id(choose);
            const std::string condition = Condition(input, choose);
            registry.Put(ToUtf16(id), ToUtf16(condition));
            log += id + ": " + condition + "\n";
        }
        for (const std::string& text : documents) {
            const Bstr wide = ToBstr(text);
            const ComPtr<IConfigDocument> document = ParseTriggerData(wide.get());
            if (document) {
                const std::string difference = DifferenceOfMatching(registry, document.get());
                FuzzCheck(difference.empty(), "the index answers as evaluating every condition",
                          log + "fired: " + text + "\n" + difference);
            }
        }
        const std::string removed = choose.Pick(2) == 0 ? Id(choose) : "t1*";
        registry.Remove(ToUtf16(removed));
        log += "removed " + removed + "\n";
    }
    return 0;
}
