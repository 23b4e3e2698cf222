// The trigger index on its own: which facts it reads from conditions, and which triggers it names
// as candidates for a fired document.
#include <gtest/gtest.h>

#include <list>
#include <string>
#include <utility>
#include <vector>

#include "companions/utf.h"
#include "triggermanager/condition.h"
#include "triggermanager/condition_shape.h"
#include "triggermanager/fact_index.h"

namespace {

using Row = std::pair<const char*, const char*>;  // what goes in, what should come out

// "E /a/b" for the path, then "A /a/b @id=v" for an attribute, "T /a/b=v" for a string value;
// "-" when the shape is not read.
std::string Described(std::string_view condition) {
    const std::optional<ConditionFacts> facts = NecessaryFacts(condition);
    if (!facts) {
        return "-";
    }
    const auto path = [&](std::string& text, std::size_t depth, std::string_view child) {
        for (std::size_t step = 0; step < depth; ++step) {
            text.append("/").append(facts->steps[step]);
        }
        text.append(child.empty() ? "" : "/").append(child);
    };
    std::string text = "E ";
    path(text, facts->steps.size(), {});
    for (const ConditionFact& fact : facts->values) {
        text.append(fact.kind == FactKind::Text ? "; T " : "; A ");
        path(text, fact.depth, fact.child);
        text.append(fact.kind == FactKind::Attribute ? " @" : "").append(fact.name);
        text.append("=").append(fact.value);
    }
    return text;
}

class ConditionShapes : public testing::TestWithParam<Row> {};

TEST_P(ConditionShapes, GiveTheFactsEveryMatchNeeds) {
    EXPECT_EQ(Described(GetParam().first), GetParam().second) << GetParam().first;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConditionShapes,
    testing::Values(Row{"/TriggerData/door", "E /TriggerData/door"},
                    Row{" / T /door [ @ id = \"fr'nt\" ]\n", "E /T/door; A /T/door @id=fr'nt"},
                    Row{"/a['x'=@id][.='t']", "E /a; A /a @id=x; T /a=t"},
                    Row{"/a[job='b']/s[.='f']", "E /a/s; T /a/job=b; T /a/s=f"},
                    Row{"/a[@id='x'and@s='&amp;']", "E /a; A /a @id=x; A /a @s=&amp;"},
                    // conjuncts of other shapes narrow further; an 'or' at the top of a predicate,
                    // even one a number runs into, leaves that predicate out
                    Row{"/a[@id='x' and (@s='y' or @t) and door > 3]", "E /a; A /a @id=x"},
                    Row{"/a[@id='x' or @s='y']", "E /a"},
                    Row{"/a[@id='x' and @n=1or @s='y']", "E /a"},
                    Row{"/a[@n=5][@id!='x'][not(@id='x')][1][@p:id='x'][text()='x'][.5='x']",
                        "E /a"},
                    Row{"/a[and='x']", "E /a"},
                    // not read at all
                    Row{"", "-"}, Row{"/", "-"}, Row{"a[@id='x']", "-"}, Row{"//a", "-"},
                    Row{"/a//b", "-"}, Row{"/*/b", "-"}, Row{"/p:a", "-"}, Row{"/a/@id", "-"},
                    Row{"/a/text()", "-"}, Row{"/a | /b", "-"}, Row{"/a = 'x'", "-"},
                    Row{"/a/..", "-"}, Row{"/a/child::b", "-"}, Row{"/and", "-"},
                    Row{"/a[@id='x'", "-"}, Row{"/a[@id='x]", "-"}, Row{"/a['x'=@id]and", "-"}));

// Filed in this order: "both" finds @id='front' taken and is filed under @state='open'.
const std::vector<Row> kFiled = {
    {"attr", "/TriggerData/door[@id='front']"},
    {"both", "/TriggerData/door[@id='front' and @state='open']"},
    {"child", "/TriggerData/job[name='backup']"},
    {"empty", ""},
    {"exists", "/TriggerData/window"},
    {"other", "//door"},
    {"self", "/TriggerData/job/status[.='failed']"},
};

struct Filing {
    Filing() {
        for (const auto& [id, condition] : kFiled) {
            ids.emplace_back(id);
            conditions.push_back(ToBstr(condition));
            FactIndex::Staged staged = index.Stage({&ids.back(), &conditions.back()}, condition);
            places.push_back(index.Insert(staged));
        }
    }

    std::string CandidatesFor(const std::string& data) const {
        const Bstr text = ToBstr(data);
        const ComPtr<IConfigDocument> document = ParseTriggerData(text.get());
        const std::optional<std::vector<FactIndex::Trigger>> candidates =
            index.Candidates(document.get());
        std::string names;
        for (const FactIndex::Trigger& trigger : candidates.value()) {
            names.append(names.empty() ? "" : " ").append(*trigger.id);
        }
        return names;
    }

    FactIndex index;
    std::list<std::string> ids;
    std::list<Bstr> conditions;
    std::vector<FactIndex::Place> places;
};

class Candidates : public testing::TestWithParam<Row> {};

TEST_P(Candidates, AreTheTriggersFiledUnderFactsTheDocumentHolds) {
    EXPECT_EQ(Filing().CandidatesFor(GetParam().first), GetParam().second) << GetParam().first;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Candidates,
    testing::Values(
        Row{"<TriggerData/>", "empty other"},
        Row{"<TriggerData><door id='front'/><window xmlns=''/></TriggerData>",
            "attr empty exists other"},
        Row{"<TriggerData><door id='back'/><door state='open' id='fr&#x6F;nt'/></TriggerData>",
            "attr both empty other"},
        // a plain name selects neither an element nor an attribute in a namespace
        Row{"<TriggerData xmlns='urn:x'><door id='front'/><window/></TriggerData>", "empty other"},
        Row{"<TriggerData xmlns:p='urn:p'><door p:id='front'/></TriggerData>", "empty other"},
        // string values: all the text inside, CDATA too, comments not
        Row{"<TriggerData><job><status>fai<![CDATA[le]]><!--x--><b xmlns='urn:b'>d</b></status>"
            "</job></TriggerData>",
            "empty other self"},
        Row{"<TriggerData><job><status>failed </status></job></TriggerData>", "empty other"},
        Row{"<TriggerData><job><name>back</name><name>backup</name></job></TriggerData>",
            "child empty other"},
        Row{"<TriggerData><job><x><name>backup</name></x></job></TriggerData>", "empty other"},
        Row{"<Other><door id='front'/><window/></Other>", "empty other"}));

TEST(FactIndex, KeepsNothingOfTriggersTakenOutInAnyOrder) {
    for (std::size_t first = 0; first < kFiled.size(); ++first) {
        Filing filing;
        EXPECT_GT(filing.index.NodeCount(), 0u);
        for (std::size_t n = 0; n < kFiled.size(); ++n) {
            const std::size_t which = (first + n) % kFiled.size();
            filing.index.Erase(filing.places[which], kFiled[which].first);
            filing.index.Prune(filing.places[which]);
        }
        EXPECT_EQ(filing.index.NodeCount(), 0u);
        EXPECT_EQ(filing.CandidatesFor("<TriggerData><door id='front'/></TriggerData>"), "");
    }
}

}  // namespace
