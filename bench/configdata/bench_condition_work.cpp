// What one condition costs against one fired document, for conditions written to be expensive
// and for ordinary ones: each case is one ConfigDataEvaluate call, as the trigger manager makes
// for every trigger of a firing. The "outcome" counter is 1 for a match, 0 for no match and -1
// for an evaluation that ran out of work.
#include <benchmark/benchmark.h>

#include <functional>
#include <string>

#include "companions/bstr.h"
#include "companions/com_ptr.h"
#include "companions/utf.h"
#include "configdata/configdata_host.h"

namespace {

std::string Repeat(const std::string& piece, std::size_t times) {
    std::string text;
    text.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

// `nodes` elements under one root, in chains `depth` deep.
std::string Chains(std::size_t nodes, std::size_t depth) {
    std::string text = "<r>";
    for (std::size_t done = 0; done < nodes; done += depth) {
        const std::size_t chain = std::min(depth, nodes - done);
        text += Repeat("<a>", chain) + Repeat("</a>", chain);
    }
    return text + "</r>";
}

// `bytes` of text spread over `elements` elements under one root.
std::string Text(std::size_t bytes, std::size_t elements) {
    return "<r>" + Repeat("<a>" + std::string(bytes / elements, 'x') + "</a>", elements) + "</r>";
}

std::string Doors(std::size_t count) {
    std::string text = "<TriggerData>";
    for (std::size_t i = 0; i < count; ++i) {
        text += "<door id=\"d" + std::to_string(i) + "\" state=\"" +
                (i + 1 == count ? "open" : "closed") + "\"/>";
    }
    return text + "</TriggerData>";
}

struct Case {
    const char* name;
    std::function<std::string()> document;
    const char* condition;
};

const Case kCases[] = {
    // The three of the issue.
    {"NestedDescendantsOn10000Nodes", [] { return Chains(10000, 250); }, "count(//*//*//*) > 0"},
    {"NestedDescendantsOnA400KBFire", [] { return Chains(400000 / 7, 20); },
     "count(//*//*//*) > 0"},
    {"StringOfTheRootInAPredicateOver4MB", [] { return Text(4000000, 1000); },
     "//a[string-length(string(/)) < 0]"},
    // Other work the operation count of libxml2 leaves out.
    {"UnionOf10000Elements", [] { return "<r>" + Repeat("<a/>", 10000) + "</r>"; },
     "count(//a | //a) < 0"},
    {"FollowingSiblingsOf10000Elements", [] { return "<r>" + Repeat("<a/>", 10000) + "</r>"; },
     "count(//a/following-sibling::a) < 0"},
    {"AncestorsOfDeepChains", [] { return Chains(10000, 250); }, "count(//*/ancestor::*) < 0"},
    {"ElementTextComparedInAPredicate",
     [] { return Repeat("<a>", 250) + std::string(400000, 'x') + Repeat("</a>", 250); },
     "//*[. = 'xxy']"},
    {"NodeSetsComparedWithEachOther",
     [] {
         std::string text = "<r>";
         for (int i = 0; i < 20000; ++i) {
             text += "<a>" + std::to_string(i) + "</a><b>x" + std::to_string(i) + "</b>";
         }
         return text + "</r>";
     },
     "//a = //b"},
    {"ContainsOfALongNeedle", [] { return Text(4000000, 1); },
     "contains(/, concat(substring(/, 1, 100000), 'y'))"},
    {"TranslateOf15MB", [] { return Text(15000000, 1); },
     "string-length(translate(/, 'abcdefghijklmnopqrstuvwxyz', 'ABCDEFGHIJKLMNOPQRSTUVWXYZ')) "
     "< 0"},
    {"ConcatDoublingItsInput", [] { return Text(4000000, 1); },
     "string-length(concat(concat(concat(/, /), concat(/, /)), concat(concat(/, /), concat(/, "
     "/)))) < 0"},
    {"NamespacesOfDeepElements",
     [] {
         std::string text = "<r";
         for (int i = 0; i < 63; ++i) {
             text += " xmlns:p" + std::to_string(i) + "='u'";
         }
         return text + ">" + Chains(10000, 250).substr(3);
     },
     "count(//*/namespace::*) < 0"},
    // Sorting a node-set of deep nodes: libxml2 compares two nodes by walking up to their common
    // ancestor, work it does not count.
    {"SortingDeepSiblings",
     [] { return Repeat("<a>", 250) + Repeat("<b/><c/>", 45000) + Repeat("</a>", 250); },
     "count(//b) < 0"},
    // The largest document configdata accepts.
    {"NestedDescendantsOnTheLargestTree", [] { return Chains(499000, 255); },
     "count(//*//*//*) > 0"},
    {"StringOfTheRootInAPredicateOver16MB", [] { return Text(16000000, 4000); },
     "//a[string-length(string(/)) < 0]"},
    // Ordinary conditions: their cost must not grow.
    {"OrdinaryConditionOnOneDoor", [] { return Doors(1); }, "/TriggerData/door[@state='open']"},
    {"OrdinaryConditionOn200Doors", [] { return Doors(200); },
     "/TriggerData/door[@id='d199' and @state='open']"},
    {"OrdinaryCountOn200Doors", [] { return Doors(200); },
     "count(/TriggerData/door[@state='closed']) = 199"},
};

void Evaluate(benchmark::State& state, const Case& row) {
    ComPtr<IConfigDocument> fired;
    CreateConfigDocument(fired.put());
    LONG loaded = 0;
    fired->LoadXml(ToBstr(row.document()).get(), &loaded);
    if (loaded == 0) {
        state.SkipWithError("the document was refused");
        return;
    }
    const Bstr condition = ToBstr(row.condition);
    LONG matched = 0;
    HRESULT result = S_OK;
    for (auto _ : state) {
        result = ConfigDataEvaluate(fired.get(), condition.get(), &matched);
        benchmark::DoNotOptimize(matched);
    }
    state.counters["outcome"] = result == S_OK ? matched : -1;
}

const bool kRegistered = [] {
    for (const Case& row : kCases) {
        benchmark::RegisterBenchmark(row.name, Evaluate, row)->Unit(benchmark::kMicrosecond);
    }
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
